#include "client/sync/ops/up/UpSyncMoveFileOp.h"

#include <memory>

#include "client/core/LogWriter.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/FileDBManager.h"
#include "client/core/tasks/FileTasks.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/up/UpRequest.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/tasks/UpSyncTask.h"
#include "common/PathText.h"

namespace {
const char* const kTag = "UpSyncMoveFileOp::Execute_SyncOperation";
}

int UpSyncMoveFileOp::Execute_SyncOperation() {
  UpSyncTask* task = Task();
  if (!task || task->m_bCancelled.load()) {
    WriteMessageLog(ErrorLog, "UpSyncMoveFileOp::Execute_SyncOperation UpSyncTask Cancel");
    return SYNC_RESULT_CANCEL;
  }
  if (task->m_nSrcID <= 0) {
    PartlySyncFileData data;
    if (!SyncFileDataManager::SelectPartlySyncFileData(task->m_sSrcPath, data)) return FallBackToAdd();
    task->m_nSrcID = data.m_FileID;
    task->m_nSrcParentID = data.m_ParentID;
  }
  SyncFileData source;
  GlobalContext* context = GetGlobalContext();
  if (!context || !context->m_pFileDBManager ||
      context->m_pFileDBManager->SelectFileByID(task->m_nSrcID, source) != 0 || source.m_FileID == -1) {
    WriteLog(ErrorLog, kTag, "Find SyncFileData false id is " + juce::String(task->m_nSrcID));
    return FallBackToAdd();
  }
  const juce::String parent = Common::String_GetParentPath(task->m_sPath);
  PartlySyncFileData parentIDs;
  if (!SyncFileDataManager::SelectFolderIDs(parent, parentIDs)) {
    // The folder is made (or waits for its own rename or creation) first:
    // tried again three times and dropped, the move would leave the file in
    // its old place on the service.
    WriteLog(ErrorLog, kTag, "Find PartlySyncFolderData false Path is " + parent);
    task->m_nWaitReason = UP_WAIT_NO_PARENT_ID;
    return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
  }
  task->m_nParentID = parentIDs.m_FileID;
  MoveFileInfo info(source.m_VersionValue.toStdString(), source.m_FileID, source.m_OwnerID, parentIDs.m_FileID);
  std::unique_ptr<OverwrittenFile> overwritten;
  SyncFileData target;
  if (SyncFileDataManager::SelectSyncFileData(task->m_sPath, target)) {
    overwritten = std::make_unique<OverwrittenFile>();
    overwritten->id = target.m_FileID;
    overwritten->ownerId = target.m_OwnerID;
    overwritten->versionValue = target.m_VersionValue.toStdString();
  }
  MoveFileRequest request(*m_pRequestHeader, info, overwritten.get());
  if (PostUpRequest(new MoveFileTask("MoveFileTask", request), m_reply)) return SYNC_RESULT_SUCCESS;
  m_nServerCode = m_reply.code;
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int UpSyncMoveFileOp::FallBackToAdd() {
  UpSyncTask* task = Task();
  WriteLog(ErrorLog, kTag, "Find PartlySyncFileData false FilePath is " + task->m_sSrcPath);
  if (!juce::File(task->m_sPath).existsAsFile()) {
    WriteLog(ErrorLog, kTag, "File not exist and Return Cancel, Path is " + task->m_sPath);
    return SYNC_RESULT_CANCEL;
  }
  TurnIntoAdd(task);
  if (GetSyncLogic()) {
    if (auto pull = GetSyncEngineLinks().startImmediatePull) pull();
  }
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int UpSyncMoveFileOp::Success_SyncOperation() {
  juce::String finalPath;
  const int r = FinishRelocation("UpSyncMoveFileOp::Success_SyncOperation", true, finalPath);
  if (r != SYNC_RESULT_SUCCESS) return r;
  ReportPathDone(Task()->m_sPath, Task()->m_nOp, 0);
  RemoveFromTips(Task()->m_sPath);
  return SYNC_RESULT_SUCCESS;
}

int UpSyncMoveFileOp::Error_SyncOperation(int result) {
  WriteMessageLog(ErrorLog, "Up Move File Error, ErrorCode is " + juce::String(m_nServerCode.load()));
  return result;
}
