#include "client/sync/ops/up/UpSyncRenameFileOp.h"

#include "client/core/LogWriter.h"
#include "client/core/tasks/FileTasks.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/up/UpRequest.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/tasks/UpSyncTask.h"
#include "common/PathText.h"

namespace {
const char* const kTag = "UpSyncRenameFileOp::Execute_SyncOperation";
constexpr int kLongNameChars = 255;
}  // namespace

int UpSyncRenameFileOp::Execute_SyncOperation() {
  UpSyncTask* task = Task();
  if (!task || task->m_bCancelled.load()) {
    WriteMessageLog(ErrorLog, "UpSyncRenameFileOp::Execute_SyncOperation UpSyncTask Cancel");
    return SYNC_RESULT_CANCEL;
  }
  const juce::String newName = juce::File(task->m_sPath).getFileName();
  SyncFileData source;
  if (!SyncFileDataManager::SelectSyncFileData(task->m_sSrcPath, source)) {
    WriteLog(ErrorLog, kTag, "cannot select source file data from db, Change Op from RenameFile to AddFile");
    if (!juce::File(task->m_sPath).existsAsFile()) {
      WriteLog(ErrorLog, kTag, "File not exist and return Cancel");
      return SYNC_RESULT_CANCEL;
    }
    if (Common::String_GetFileName(task->m_sSrcPath).length() >= kLongNameChars) {
      if (SyncPathList* tips = GetSyncTipList()) tips->RemovePath(task->m_sSrcPath);
    }
    TurnIntoAdd(task);
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  RenameFileRequest request(*m_pRequestHeader, source.m_FileID, m_pRequestHeader->userId,
                            source.m_VersionValue.toStdString(), newName.toStdString(), 1, 1, 0);
  if (PostUpRequest(new RenameFileTask("RenameFileTask", request), m_reply)) return SYNC_RESULT_SUCCESS;
  m_nServerCode = m_reply.code;
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int UpSyncRenameFileOp::Success_SyncOperation() {
  juce::String finalPath;
  const int r = FinishRelocation("UpSyncRenameFileOp::Success_SyncOperation", true, finalPath);
  if (r != SYNC_RESULT_SUCCESS) return r;
  LogSuccess("Up Rename File", finalPath, m_reply.file.id, juce::String(m_reply.file.versionValue));
  ReportPathDone(Task()->m_sPath, Task()->m_nOp, 0);
  RemoveFromTips(Task()->m_sPath);
  return SYNC_RESULT_SUCCESS;
}

int UpSyncRenameFileOp::Error_SyncOperation(int result) {
  WriteMessageLog(ErrorLog, "Up Rename File Error, ErrorCode is " + juce::String(m_nServerCode.load()));
  return result;
}
