#include "client/sync/ops/up/UpSyncRenameFolderOp.h"

#include <deque>

#include "client/core/LogWriter.h"
#include "client/core/tasks/FolderTasks.h"
#include "client/sync/LocalPathGuard.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/up/UpErrorCodes.h"
#include "client/sync/ops/up/UpRequest.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/tasks/UpSyncTask.h"
#include "common/PathText.h"

namespace {
const char* const kTag = "UpSyncRenameFolderOp::Execute_SyncOperation";
constexpr int kLongNameChars = 255;
}  // namespace

int UpSyncRenameFolderOp::Execute_SyncOperation() {
  UpSyncTask* task = Task();
  if (!task || task->m_bCancelled.load()) {
    WriteMessageLog(ErrorLog, "UpSyncRenameFolderOp::Execute_SyncOperation UpSyncTask Cancel");
    return SYNC_RESULT_CANCEL;
  }
  const juce::String newName = Common::String_GetFileName(task->m_sPath);
  SyncFolderData source;
  if (!SyncFileDataManager::SelectSyncFolderData(task->m_sSrcPath, source)) {
    WriteLog(ErrorLog, kTag, "cannot select source folder data from db, change op from rename folder to add folder");
    if (!juce::File(task->m_sPath).exists()) {
      WriteLog(ErrorLog, kTag, "File not exist and Return Cancel, Path is " + task->m_sPath);
      return SYNC_RESULT_CANCEL;
    }
    if (Common::String_GetFileName(task->m_sSrcPath).length() >= kLongNameChars) {
      if (SyncPathList* tips = GetSyncTipList()) tips->RemovePath(task->m_sSrcPath);
    }
    task->m_nOp = UP_OP_FOLDER_ADD;
    task->m_sSrcPath = task->m_sPath;
    task->m_nSrcID = task->m_nID;
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  m_nFolderID = source.m_FolderID;
  RenameDirRequest request(*m_pRequestHeader, source.m_FolderID, source.m_OwnerID, newName.toStdString(), 1, 0);
  if (PostUpRequest(new UpdateFolderTask("UpdateFolderTask", request), m_reply)) return SYNC_RESULT_SUCCESS;
  m_nServerCode = m_reply.code;
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int UpSyncRenameFolderOp::Success_SyncOperation() {
  return FinishFolder("UpSyncRenameFolderOp::Success_SyncOperation", "Up Rename Folder", Task()->m_sSrcPath);
}

int UpSyncRenameFolderOp::Error_BeforeSyncOperation(int result) {
  UpSyncTask* task = Task();
  if (m_nServerCode.load() != FILE_SYNCOP_ERROR_DIR_NOT_EXIST || !task || m_nFolderID <= 0)
    return SyncUpFolderBaseOperation::Error_BeforeSyncOperation(result);
  // The folder itself is gone on the service: nothing there to rename, and
  // its rows speak of items the service no longer has. The folder goes up
  // anew under its new name, with everything in it.
  WriteLog(KeyPoint, kTag, "The service no longer has the folder, it goes up anew: " + task->m_sPath);
  SyncFileDataManager::DeleteFolderContents(m_nFolderID);
  SyncFileDataManager::DeleteFolderByID(m_nFolderID);
  const SyncEngineLinks links = GetSyncEngineLinks();
  std::deque<juce::String> folders{task->m_sPath};
  while (!folders.empty()) {
    std::vector<juce::String> subfolders, files;
    LocalPathGuard::ListFolder(folders.front(), subfolders, files);
    folders.pop_front();
    for (const juce::String& file : files)
      if (links.queueLocalFileAdd && !SyncHelper::IsIgnoredFileName(Common::String_GetFileName(file)))
        links.queueLocalFileAdd(file);
    for (const juce::String& sub : subfolders) {
      if (links.queueLocalFolderAdd) links.queueLocalFolderAdd(sub);
      folders.push_back(sub);
    }
  }
  task->m_nOp = UP_OP_FOLDER_ADD;
  task->m_sSrcPath = task->m_sPath;
  task->m_nSrcID = task->m_nID;
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int UpSyncRenameFolderOp::Error_SyncOperation(int result) {
  WriteMessageLog(ErrorLog, "Up Rename Folder Error, ErrorCode is " + juce::String(m_nServerCode.load()));
  return result;
}
