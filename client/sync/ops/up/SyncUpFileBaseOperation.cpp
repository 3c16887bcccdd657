#include "client/sync/ops/up/SyncUpFileBaseOperation.h"

#include "client/core/LogWriter.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/SyncNotify.h"
#include "client/sync/ops/up/UpErrorCodes.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/registry/NameConflictRegistry.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/UpSyncTask.h"
#include "common/PathText.h"

int SyncUpFileBaseOperation::Error_SyncOperation(int result) {
  MarkCancelTokenPath(Task());
  return result;
}

int SyncUpFileBaseOperation::Error_BeforeSyncOperation(int result) {
  UpSyncTask* task = Task();
  const int code = m_nServerCode.load();
  int handled = result;
  if (HandleCommonCode(code, result, task, handled)) return handled;
  switch (code) {
    case FILE_SYNCOP_ERROR_USER_FILES_NUM_EXCEED: return ProcessUserFilesNumExceed(result, task);
    case FILE_SYNCOP_ERROR_USER_CAPACITY_EXCEED: return ProcessUserCapacityExceed(result, task);
    default: return result;
  }
}

void SyncUpFileBaseOperation::TurnIntoAdd(UpSyncTask* task) {
  task->m_sSrcPath = task->m_sPath;
  task->m_nSrcID = task->m_nID;
  task->m_sMd5 = SyncHelper::GetFileMD5(task->m_sPath);
  task->m_nOp = UP_OP_FILE_ADD;
}

namespace {

// The row stored for path goes, found by its path: its parent may name a
// folder row that was made again since (the folder came back on the service
// under a new id), where a look-up through the folder finds nothing.
void ForgetFileRow(const juce::String& path) {
  SyncFileData row;
  if (SyncFileDataManager::SelectSyncFileData(path, row)) SyncFileDataManager::DeleteFileByID(row.m_FileID);
}

// The item the service no longer has (or not in the version sent) is the one
// the change was about: a rename's or move's source. A row at its target
// belongs to another item. The change goes up again as a new file.
int UploadAnew(UpSyncTask* task) {
  ForgetFileRow(task->m_nOp == UP_OP_FILE_MOVE || task->m_nOp == UP_OP_FILE_RENAME ? task->m_sSrcPath : task->m_sPath);
  SyncUpFileBaseOperation::TurnIntoAdd(task);
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

}  // namespace

int SyncUpFileBaseOperation::ProcessFileNotFound(int result, UpSyncTask* task) {
  if (!task) return result;
  return UploadAnew(task);
}

int SyncUpFileBaseOperation::ProcessFileVerNotFound(int result, UpSyncTask* task) {
  if (!task) return result;
  if (task->m_nOp == UP_OP_FILE_MOVE && GetSyncLogic()) {
    SyncFileData row;
    juce::String version;
    if (SyncFileDataManager::SelectSyncFileData(task->m_sSrcPath, row)) version = row.m_VersionValue;
    SyncRootFolder* root = SyncRootFolder::GetInstance();
    const juce::String global = root->GetGlobalVersion();
    if (SyncHelper::CompareVersionValue(version, global) > 0) version = global;
    WriteMessageLog(KeyPoint, "MoveFile ErrorCode is 556,Update Min VersionValue is " + version);
    if (auto pull = GetSyncEngineLinks().pullFolderFromServer) pull(version, root->GetRootFolderID());
  }
  return UploadAnew(task);
}

int SyncUpFileBaseOperation::ProcessUserFilesNumExceed(int result, UpSyncTask* task) {
  return ReportAccountLimit(result, task, UP_WAIT_FILES_NUM, SNT_FILE_COUNT_LIMIT, TIP_FILE_COUNT_LIMIT);
}

int SyncUpFileBaseOperation::ProcessUserCapacityExceed(int result, UpSyncTask* task) {
  return ReportAccountLimit(result, task, UP_WAIT_CAPACITY, SNT_SERVER_SPACE_FULL, TIP_SPACE_EXHAUSTED);
}

int SyncUpFileBaseOperation::ProcessNameConflict(juce::String& newPath, const juce::String& localPath,
                                                 const juce::String& serverName, juce::int64 parentID) {
  if (!ConflictTargetPath(localPath, serverName, parentID, newPath)) return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  if (!juce::File(localPath).existsAsFile()) {
    WriteMessageLog(ErrorLog, "Conflict Source File Not Exist");
    return SYNC_RESULT_ERROR_REMOVE;
  }
  UpSyncTask* task = Task();
  AnnounceChange(localPath, newPath);
  if (task) task->m_sNewName = newPath;
  // Never over another file: a local file that already has the service's
  // name is the user's and stays.
  if (SyncHelper::MoveWithoutReplace(localPath, newPath)) {
    if (task) task->m_bRenamePending = 1;
    return SYNC_RESULT_SUCCESS;
  }
  if (SyncHelper::IsFileOccupied(localPath)) {
    WriteMessageLog(KeyPoint, "ProcessNameConflict File Occupy, Path is " + localPath);
    NameConflictEntry entry;
    entry.m_sOldPath = localPath;
    entry.m_sNewPath = newPath;
    SyncHelper::ServerFileToSyncFileData(m_reply.file, entry.m_fileData);
    entry.m_nOp = task ? task->m_nOp : 0;
    entry.m_nNotified = 0;
    NameConflictRegistry::GetInstance()->Record(localPath, entry);
    if (SyncStatusTracker* tracker = GetSyncStatusTracker()) tracker->AddOccupiedPath(localPath);
    if (task) task->m_nWaitReason = UP_WAIT_NAME_CONFLICT;
    return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
  }
  ForgetChange(localPath, newPath);
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

void SyncUpFileBaseOperation::WriteFileRecord(const juce::String& path) {
  SyncFileData row;
  SyncHelper::ServerFileToSyncFileData(m_reply.file, row);
  row.m_FilePath = path;
  SaveSyncFileData(row);
}

int SyncUpFileBaseOperation::FinishRelocation(const char* tag, bool rowAtFinal, juce::String& finalPath) {
  UpSyncTask* task = Task();
  const juce::String path = task->m_sPath;
  finalPath = path;
  const juce::String localName = juce::File(path).getFileName();
  const juce::String serverName = juce::String::fromUTF8(m_reply.file.fileName.c_str());
  if (serverName != localName) {
    WriteLog(KeyPoint, tag, "Rename Conflict, older name: " + localName + " ,new Name: " + serverName);
    const int r = ProcessNameConflict(finalPath, path, serverName, m_reply.file.parentId);
    if (r != SYNC_RESULT_SUCCESS) return r;
    ProcessUploadConflict(path);
  }
  // The row as last synced, before the relocation is written over it.
  SyncFileData synced;
  const bool known = SyncFileDataManager::SelectSyncFileData(task->m_sSrcPath, synced) ||
                     SyncFileDataManager::SelectSyncFileData(path, synced);
  const juce::String service(m_reply.file.doc.md5);
  const juce::String local = SyncHelper::GetFileMD5(finalPath);
  SyncFileData row;
  SyncHelper::ServerFileToSyncFileData(m_reply.file, row);
  row.m_FilePath = rowAtFinal ? finalPath : path;
  // The service holds content this device never saw (another device's
  // edit): the row keeps the content and version last synced, so that an
  // unchanged local file is brought down by the pull and a changed one goes
  // up against the old version and meets the conflict that keeps both.
  const bool unseen = known && synced.m_Md5.isNotEmpty() && synced.m_Md5 != service && local != service;
  if (unseen) {
    WriteLog(KeyPoint, tag, "The service holds a newer content of " + finalPath + ", the row keeps the synced one");
    row.m_Md5 = synced.m_Md5;
    row.m_FileSize = synced.m_FileSize;
    row.m_VersionValue = synced.m_VersionValue;
  }
  // Another device moved the file to another folder before this change went
  // up: the row keeps the local folder and the version last synced, so that
  // the pull's report of that move brings the file there.
  SyncFolderData here;
  if (known && SyncFileDataManager::SelectSyncFolderData(Common::String_GetParentPath(row.m_FilePath), here) &&
      here.m_FolderID > 0 && here.m_FolderID != row.m_ParentID) {
    WriteLog(KeyPoint, tag, "The service holds the file in another folder, the pull moves it: " + row.m_FilePath);
    row.m_ParentID = here.m_FolderID;
    row.m_VersionValue = synced.m_VersionValue;
  }
  SaveSyncFileData(row);
  // A file replaced under the same name can reach here as a move: its new
  // content still has to go up.
  if (local.isNotEmpty() && local != row.m_Md5) {
    if (auto queue = GetSyncEngineLinks().queueLocalFileAdd) queue(finalPath);
  } else if (unseen) {
    ProcessUploadConflict(finalPath);
  }
  // A file that stands at the old name again is another one, made after the
  // item left: its own report may have been taken for the item it replaced.
  const juce::String source = task->m_sSrcPath;
  SyncFileData left;
  if (source.isNotEmpty() && source != finalPath && juce::File(source).existsAsFile() &&
      !SyncFileDataManager::SelectSyncFileData(source, left)) {
    if (auto queue = GetSyncEngineLinks().queueLocalFileAdd) queue(source);
  }
  return SYNC_RESULT_SUCCESS;
}
