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
  if (!juce::File(path).exists()) {
    WriteMessageLog(ErrorLog, "Begin Up Add Folder Failed, Path is not exist,Path is " + path);
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
  UpSyncTask* task = Task();
  juce::String path = task->m_sPath;
  const juce::String localName = Common::String_GetFileName(path);
  const juce::String serverName = juce::String::fromUTF8(m_reply.dir.dirName.c_str());
  if (serverName != localName) {
    WriteLog(KeyPoint, "UpSyncCreateFolderOp::Success_SyncOperation",
             "Rename Conflict, older name: " + localName + " ,new Name: " + serverName);
    juce::String newPath;
    const int r = ProcessNameConflict(newPath, path, serverName, m_reply.dir.parentId);
    if (r != SYNC_RESULT_SUCCESS) return r;
    // The folder now carries the service's name, so its row does too.
    path = newPath;
  }
  SyncFolderData rec;
  SyncHelper::ServerDirToSyncFolderData(m_reply.dir, rec);
  rec.m_FolderPath = path;
  SaveSyncFolderData(rec);
  LogSuccess("Up Create Folder", path, rec.m_FolderID, rec.m_VersionValue);
  ReportPathDone(path, task->m_nOp, 0);
  RemoveFromTips(path);
  return SYNC_RESULT_SUCCESS;
}

int UpSyncCreateFolderOp::Error_SyncOperation(int result) {
  WriteMessageLog(ErrorLog, "Up Create Folder Error, ErrorCode is " + juce::String(m_nServerCode.load()));
  return result;
}
