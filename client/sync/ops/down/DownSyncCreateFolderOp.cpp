#include "client/sync/ops/down/DownSyncCreateFolderOp.h"

#include "client/core/LogWriter.h"
#include "client/sync/ops/down/DownOpSupport.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/registry/DownSyncPathRegistry.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "win32/Windows.h"

int DownSyncCreateFolderOp::BuildDownloadFolderPath() {
  static const char* kTag = "DownSyncCreateFolderOp::BuildDownloadFolderPath";
  if (m_sDownloadFilePath.isNotEmpty()) return SYNC_RESULT_SUCCESS;
  DownSyncTask* task = m_pItem ? m_pItem->m_pTask : nullptr;
  if (!task || !task->m_pFolderData) {
    WriteLog(ErrorLog, kTag, "pDownSyncTask is null and return cancel");
    return SYNC_RESULT_CANCEL;
  }
  const SyncFolderData& record = *task->m_pFolderData;
  const juce::String stored = SyncFileDataManager::GetFolderPathByID(record.m_FolderID);
  if (stored.isNotEmpty()) {
    m_sParentFolderPath = DownOps::WithSeparator(DownOps::ParentOf(stored));
    const juce::String serverPath = m_sParentFolderPath + record.m_FolderName;
    if (serverPath != stored) {
      WriteMessageLog(KeyPoint, "BuildDownloadFolderPath DBPath != ServerPath" + juce::String("DBPath is ") + stored +
                                    "ServerPath is " + serverPath);
      task->m_nOp = DOWN_OP_FOLDER_RENAME;
      return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
    }
    m_sDownloadFilePath = serverPath;
    return SYNC_RESULT_SUCCESS;
  }
  if (record.m_ParentID <= 0) {
    WriteLog(ErrorLog, kTag, "parentID <= 0 and return cancel");
    return SYNC_RESULT_CANCEL;
  }
  const juce::String parent = SyncFileDataManager::GetFolderPathByID(record.m_ParentID);
  if (parent.isEmpty()) {
    WriteLog(ErrorLog, kTag, "parentPath  is empty and return cancel, id is " + juce::String(record.m_ParentID));
    DownOps::BringParentFromService(record.m_ParentID, record.m_FolderID, record.m_VersionValue);
    return SYNC_RESULT_CANCEL;
  }
  m_sParentFolderPath = DownOps::WithSeparator(parent);
  m_sDownloadFilePath = m_sParentFolderPath + record.m_FolderName;
  return SYNC_RESULT_SUCCESS;
}

int DownSyncCreateFolderOp::Execute_SyncOperation() {
  DownSyncTask* task = m_pItem ? m_pItem->m_pTask : nullptr;
  if (!task || task->m_bCancelled.load()) {
    WriteMessageLog(ErrorLog, "DownSyncCreateFolderOp::Execute_SyncOperation DownSyncTask Cancel");
    return SYNC_RESULT_CANCEL;
  }
  if (m_sDownloadFilePath.isEmpty())
    if (const int built = BuildDownloadFolderPath(); built != SYNC_RESULT_SUCCESS) return built;
  if (!IsSafePath(task, m_sDownloadFilePath)) return SYNC_RESULT_CANCEL;
  if (CheckPathLength(task, m_sDownloadFilePath, false)) return SYNC_RESULT_CANCEL;
  DownSyncPathRegistry::GetInstance()->Acquire(m_sParentFolderPath);
  m_bHeld = true;
  const juce::File folder(m_sDownloadFilePath);
  if (folder.isDirectory()) return SYNC_RESULT_SUCCESS;
  DownOps::Ignore(m_sDownloadFilePath, m_sDownloadFilePath, DownOps::IGNORE_ADD);
  if (CreateDirectoryW(m_sDownloadFilePath.toWideCharPointer(), nullptr)) return SYNC_RESULT_SUCCESS;
  const DWORD error = GetLastError();
  WriteMessageLog(ErrorLog, "Create Folder error, path is " + m_sDownloadFilePath + ", ErrorCode is " +
                                juce::String(static_cast<juce::int64>(error)));
  DownOps::Unignore(m_sDownloadFilePath, m_sDownloadFilePath, DownOps::IGNORE_ADD);
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int DownSyncCreateFolderOp::Success_SyncOperation() {
  DownSyncTask* task = m_pItem ? m_pItem->m_pTask : nullptr;
  if (!task || !task->m_pFolderData) return SYNC_RESULT_SUCCESS;
  SyncFolderData& record = *task->m_pFolderData;
  record.m_FolderPath = m_sDownloadFilePath;
  // The ancestors' ids, as every folder row keeps them.
  SyncFolderData parent;
  if (record.m_ParentPath.isEmpty() && SyncFileDataManager::SelectSyncFolderDataByID(record.m_ParentID, parent))
    record.m_ParentPath = parent.m_ParentPath + juce::String(parent.m_FolderID) + "/";
  SaveSyncFolderData(record);
  LogSuccess("Down Create Folder", m_sDownloadFilePath, record.m_FolderID, record.m_VersionValue);
  if (m_bHeld) DownSyncPathRegistry::GetInstance()->Release(m_sParentFolderPath);
  m_bHeld = false;
  ReportPathDone(m_sDownloadFilePath, 0, task->m_nOp);
  RemoveFromTips(m_sDownloadFilePath);
  return SYNC_RESULT_SUCCESS;
}

int DownSyncCreateFolderOp::Error_BeforeSyncOperation(int result) {
  if (m_bHeld) DownSyncPathRegistry::GetInstance()->Release(m_sParentFolderPath);
  m_bHeld = false;
  return result;
}
