#include "client/sync/ops/up/UpSyncCreateFolderOp.h"

#include "client/core/LogWriter.h"
#include "client/core/tasks/FolderTasks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/ops/up/UpRequest.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/tasks/UpSyncTask.h"
#include "common/PathText.h"

int UpSyncCreateFolderOp::Execute_SyncOperation() {
  UpSyncTask* task = Task();
  if (!task || task->m_bCancelled.load()) {
    WriteMessageLog(ErrorLog, "UpSyncCreateFolderOp::Execute_SyncOperation UpSyncTask Cancel");
    return SYNC_RESULT_CANCEL;
  }
  SyncFolderData rec = *m_pItem->m_pFolderData;
  const juce::String& path = task->m_sPath;
  // Gone, or a file by now (the file's own change follows): no folder to make.
  if (!juce::File(path).isDirectory()) {
    WriteMessageLog(KeyPoint, "Up Add Folder: the path holds no folder any more, Path is " + path);
    return SYNC_RESULT_ERROR_REMOVE;
  }
  if (rec.m_FolderName.isEmpty()) rec.m_FolderName = juce::File(path).getFileName();
  const juce::String parent = juce::File(path).getParentDirectory().getFullPathName();
  SyncFolderData parentRow;
  if (!SyncFileDataManager::SelectSyncFolderData(parent, parentRow)) {
    WriteLog(ErrorLog, "UpSyncCreateFolderOp::Execute_SyncOperation",
             parent + " have no data in database, so return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN");
    task->m_nWaitReason = UP_WAIT_NO_PARENT_ID;
    return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
  }
  CreateDirRequest request(*m_pRequestHeader, rec.m_FolderID, m_pRequestHeader->userId, parentRow.m_FolderID,
                           rec.m_FolderName.toStdString(), rec.m_FolderMeno.toStdString(), rec.m_FolderType, 2);
  request.sysType = 0;
  request.renamePolicy = 0;
  if (PostUpRequest(new CreateFolderTask("CreateFolderTask", request), m_reply)) return SYNC_RESULT_SUCCESS;
  m_nServerCode = m_reply.code;
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int UpSyncCreateFolderOp::Success_SyncOperation() {
  return FinishFolder("UpSyncCreateFolderOp::Success_SyncOperation", "Up Create Folder", juce::String());
}

int UpSyncCreateFolderOp::Error_SyncOperation(int result) {
  WriteMessageLog(ErrorLog, "Up Create Folder Error, ErrorCode is " + juce::String(m_nServerCode.load()));
  return result;
}
