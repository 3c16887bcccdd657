#include "client/sync/ops/up/UpSyncDeleteFileOp.h"

#include "client/core/LogWriter.h"
#include "client/core/tasks/FileTasks.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/up/UpDeleteFailure.h"
#include "client/sync/ops/up/UpErrorCodes.h"
#include "client/sync/ops/up/UpRequest.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/tasks/UpSyncTask.h"

namespace {
const char* const kExecuteTag = "UpSyncDeleteFileOp::Execute_SyncOperation";
}

int UpSyncDeleteFileOp::Execute_SyncOperation() {
  UpSyncTask* task = Task();
  if (!task || task->m_bCancelled.load()) {
    WriteMessageLog(ErrorLog, "UpSyncDeleteFileOp::Execute_SyncOperation UpSyncTask Cancel");
    return SYNC_RESULT_CANCEL;
  }
  SyncFileData row;
  if (!SyncFileDataManager::SelectSyncFileData(task->m_sPath, row)) {
    WriteLog(ErrorLog, kExecuteTag, "SyncFileDataManager::SelectSyncFileData return false, path is " + task->m_sPath);
    return SYNC_RESULT_CANCEL;
  }
  m_nFileID = row.m_FileID;
  m_sVersion = row.m_VersionValue;
  DelFileRequest request(*m_pRequestHeader, m_nFileID, m_sVersion.toStdString());
  if (PostUpRequest(new DeleteFileTask("DeleteFileTask", request), m_reply)) return SYNC_RESULT_SUCCESS;
  if (m_reply.code == FILE_SYNCOP_ERROR_FILE_NOT_FOUND) return SYNC_RESULT_SUCCESS;
  m_nServerCode = m_reply.code;
  WriteLog(ErrorLog, kExecuteTag, "Up Delete File Error, ErrorCode is " + juce::String(m_reply.code));
  return SYNC_RESULT_ERROR_REMOVE;
}

int UpSyncDeleteFileOp::Success_SyncOperation() {
  const juce::String path = Task()->m_sPath;
  ReportPathDone(path, UP_OP_FILE_DELETE, 0);
  RemoveFromTips(path);
  WriteMessageLog(KeyPoint, "Up Delete File Success, Path is " + path);
  if (!SyncFileDataManager::DeleteFileByID(m_nFileID))
    WriteLog(ErrorLog, " UpSyncDeleteFileOp::Success_SyncOperation", "DeleteFileRecord error,FileID is " + juce::String(m_nFileID));
  return SYNC_RESULT_SUCCESS;
}

int UpSyncDeleteFileOp::Error_BeforeSyncOperation(int result) {
  (void)result;
  const int code = m_nServerCode.load();
  WriteMessageLog(ErrorLog, "Up Delete File Error, ErrorCode is " + juce::String(code));
  const int kept = KeepUpDeleteResult(code);
  if (kept >= 0) return kept;
  if (!SyncFileDataManager::DeleteFileByID(m_nFileID))
    WriteLog(ErrorLog, " UpSyncDeleteFileOp::Error_BeforeSyncOperation", "DeleteFileRecord error,FileID is " + juce::String(m_nFileID));
  SyncRootFolder* root = SyncRootFolder::GetInstance();
  juce::String version = root->GetGlobalVersion();
  if (SyncHelper::CompareVersionValue(version, m_sVersion) >= 0) version = m_sVersion;
  if (GetSyncLogic()) {
    if (auto pull = GetSyncEngineLinks().pullFolderFromServer) pull(version, root->GetRootFolderID());
  }
  return SYNC_RESULT_ERROR_REMOVE;
}
