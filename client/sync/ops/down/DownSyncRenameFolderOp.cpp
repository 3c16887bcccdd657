#include "client/sync/ops/down/DownSyncRenameFolderOp.h"

#include "client/core/LogWriter.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/down/DownOpSupport.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "win32/Windows.h"

int DownSyncRenameFolderOp::Execute_SyncOperation() {
  DownSyncTask* task = m_pItem ? m_pItem->m_pTask : nullptr;
  if (!task || task->m_bCancelled.load()) {
    WriteMessageLog(ErrorLog, "DownSyncRenameFolderOp::Execute_SyncOperation DownSyncTask Cancel");
    return SYNC_RESULT_CANCEL;
  }
  if (!task->m_pFolderData) return SYNC_RESULT_CANCEL;
  if (IsWaitingForName(task)) return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
  const SyncFolderData& record = *task->m_pFolderData;
  // The sync root keeps the name the user gave it, whatever the service
  // calls that folder.
  if (record.m_FolderID == SyncRootFolder::GetInstance()->GetRootFolderID()) {
    WriteMessageLog(KeyPoint, "The sync root is not renamed, id is " + juce::String(record.m_FolderID));
    return SYNC_RESULT_CANCEL;
  }
  m_sOldPath = SyncFileDataManager::GetFolderPathByID(record.m_FolderID);
  if (m_sOldPath.isEmpty() || !juce::File(m_sOldPath).isDirectory())
    return DownOps::BringFolderFromService(record.m_FolderID);
  m_sDownloadFilePath = DownOps::WithSeparator(DownOps::ParentOf(m_sOldPath)) + record.m_FolderName;
  if (!IsSafePath(task, m_sOldPath) || !IsSafePath(task, m_sDownloadFilePath)) return SYNC_RESULT_CANCEL;
  if (CheckPathLength(task, m_sDownloadFilePath, false)) return SYNC_RESULT_CANCEL;
  if (m_sDownloadFilePath == m_sOldPath) return SYNC_RESULT_SUCCESS;
  DownOps::Ignore(m_sOldPath, m_sDownloadFilePath, DownOps::IGNORE_RENAME);
  if (SyncHelper::MoveWithoutReplace(m_sOldPath, m_sDownloadFilePath)) {
    SHChangeNotify(SHCNE_RENAMEFOLDER, SHCNF_PATHW, m_sOldPath.toWideCharPointer(),
                   m_sDownloadFilePath.toWideCharPointer());
    return SYNC_RESULT_SUCCESS;
  }
  if (GetLastError() == ERROR_ACCESS_DENIED) {
    WriteMessageLog(KeyPoint, "Rename Folder Failed, File be Occupy, SrcPath is  " + m_sOldPath);
    return ReportOccupied(task, m_sOldPath);
  }
  DownOps::Unignore(m_sOldPath, m_sDownloadFilePath, DownOps::IGNORE_RENAME);
  if (NewNameHeldByAnother(*task)) return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
  if (TakeFolderOfNewName()) return SYNC_RESULT_SUCCESS;
  WriteMessageLog(ErrorLog, "Down Rename Failed, SrcPath is " + m_sOldPath + ", TagertPath is " + m_sDownloadFilePath);
  return SYNC_RESULT_CANCEL;
}

bool DownSyncRenameFolderOp::NewNameHeldByAnother(DownSyncTask& task) {
  // Another synced folder stands at the new name, or one with contents whose
  // change is still on its way here (another folder renamed to it, most
  // often). On the service they are two folders: taken for this one, the
  // other folder's rename would leave it under another name there and nowhere
  // here. This one waits for that change to go up first. A new empty folder
  // is the user's own of that name: the service merges it with this one.
  PartlySyncFileData row;
  const bool anotherRow = SyncFileDataManager::SelectFolderIDs(m_sDownloadFilePath, row) &&
                          row.m_FileID != task.m_pFolderData->m_FolderID;
  const auto pending = GetSyncEngineLinks().isPathPending;
  const bool holdsItems =
      juce::File(m_sDownloadFilePath).getNumberOfChildFiles(juce::File::findFilesAndDirectories, "*") != 0;
  if (!anotherRow && !(holdsItems && pending && pending(m_sDownloadFilePath))) return false;
  return WaitForName(&task, "another folder still stands at ", m_sDownloadFilePath);
}

bool DownSyncRenameFolderOp::TakeFolderOfNewName() {
  // The user made a folder of the new name meanwhile; on the service the two
  // are one folder now (a new folder merges with one of its name). An empty
  // old folder goes, and the row follows the new name; the new folder's own
  // creation then meets this folder on the service. One that holds anything
  // stays as it is.
  const juce::File target(m_sDownloadFilePath), old(m_sOldPath);
  if (!target.isDirectory() || old.getNumberOfChildFiles(juce::File::findFilesAndDirectories, "*") != 0) return false;
  DownOps::Ignore(m_sOldPath, m_sOldPath, DownOps::IGNORE_DELETE);
  if (old.deleteFile()) {
    WriteMessageLog(KeyPoint, "The folder of the new name is there already, the empty old one went: " + m_sOldPath);
    return true;
  }
  DownOps::Unignore(m_sOldPath, m_sOldPath, DownOps::IGNORE_DELETE);
  return false;
}

int DownSyncRenameFolderOp::Success_SyncOperation() {
  DownSyncTask* task = m_pItem ? m_pItem->m_pTask : nullptr;
  if (!task || !task->m_pFolderData) return SYNC_RESULT_ERROR_REMOVE;
  SyncFolderData row(*task->m_pFolderData);
  SyncFolderData old;
  if (SyncFileDataManager::SelectSyncFolderDataByID(row.m_FolderID, old) && row.m_ParentPath.isEmpty())
    row.m_ParentPath = old.m_ParentPath;
  row.m_FolderPath = m_sDownloadFilePath;
  SaveSyncFolderData(row);
  if (m_sOldPath != m_sDownloadFilePath) {
    SyncFileDataManager::ReplacePathPrefix(DownOps::WithSeparator(m_sOldPath), DownOps::WithSeparator(m_sDownloadFilePath));
    if (auto repath = GetSyncEngineLinks().repathUpTasks) repath(m_sOldPath, m_sDownloadFilePath);
  }
  LogSuccess("Down Rename Folder", m_sDownloadFilePath, row.m_FolderID, row.m_VersionValue);
  ReportPathDone(m_sDownloadFilePath, 0, task->m_nOp);
  RemoveFromTips(m_sOldPath);
  if (m_sOldPath != m_sDownloadFilePath)
    if (SyncStatusTracker* tracker = GetSyncStatusTracker())
      tracker->AddChangeNote(m_sDownloadFilePath, m_sDownloadFilePath, m_sOldPath, task->m_nOp);
  return SYNC_RESULT_SUCCESS;
}
