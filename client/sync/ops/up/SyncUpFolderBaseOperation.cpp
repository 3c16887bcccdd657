#include "client/sync/ops/up/SyncUpFolderBaseOperation.h"

#include "client/sync/SyncHelper.h"
#include "client/sync/SyncNotify.h"
#include "client/sync/ops/up/UpErrorCodes.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/tasks/UpSyncTask.h"

int SyncUpFolderBaseOperation::Error_SyncOperation(int result) {
  MarkCancelTokenPath(Task());
  return result;
}

int SyncUpFolderBaseOperation::Error_BeforeSyncOperation(int result) {
  UpSyncTask* task = Task();
  switch (m_nServerCode.load()) {
    case FILE_SYNCOP_ERROR_DIR_NOT_EXIST: return ProcessDirNotExist(result, task);
    case FILE_SYNCOP_ERROR_DIR_LAYERS_EXCEED: return ProcessDirLayersExceed(result, task);
    case FILE_SYNCOP_ERROR_FILE_NAME_TOOLONG: return ProcessFileNameTooLong(result, task);
    case FILE_SYNCOP_ERROR_FILE_VER_NOT_FOUND: return ProcessFileVerNotFound(result, task);
    case FILE_SYNCOP_ERROR_FILE_NOT_FOUND: return ProcessFileNotFound(result, task);
    case FILE_SYNCOP_ERROR_USER_DIRS_NUM_EXCEED: return ProcessUserDirsNumExceed(result, task);
    default: return result;
  }
}

int SyncUpFolderBaseOperation::ProcessFileVerNotFound(int result, UpSyncTask* task) {
  if (!task) return result;
  SyncFileDataManager::DeleteFileByPath(task->m_sPath);
  task->m_nOp = UP_OP_FOLDER_ADD;
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int SyncUpFolderBaseOperation::ProcessFileNotFound(int result, UpSyncTask* task) {
  if (!task) return result;
  SyncFileDataManager::DeleteFileByPath(task->m_nOp == UP_OP_FOLDER_RENAME ? task->m_sSrcPath : task->m_sPath);
  task->m_nOp = UP_OP_FOLDER_ADD;
  return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
}

int SyncUpFolderBaseOperation::ProcessUserDirsNumExceed(int result, UpSyncTask* task) {
  return ReportAccountLimit(result, task, UP_WAIT_DIRS_NUM, SNT_FOLDER_COUNT_LIMIT, TIP_FOLDER_COUNT_LIMIT);
}

int SyncUpFolderBaseOperation::ProcessNameConflict(juce::String& newPath, const juce::String& localPath,
                                                   const juce::String& serverName, juce::int64 parentID) {
  if (!ConflictTargetPath(localPath, serverName, parentID, newPath)) return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  AnnounceChange(localPath, newPath);
  // The folder itself takes the service's name, so that what it holds stays
  // with it; a folder that is already gone leaves an empty one of that name.
  const bool done = juce::File(localPath).isDirectory() ? SyncHelper::MoveWithoutReplace(localPath, newPath)
                                                        : juce::File(newPath).createDirectory().wasOk();
  if (!done) {
    ForgetChange(localPath, newPath);
    return SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK;
  }
  SyncFileDataManager::ReplacePathPrefix(localPath + "/", newPath + "/");
  if (UpSyncTask* task = Task()) {
    task->m_bRenamePending = 1;
    task->m_sNewName = newPath;
  }
  return SYNC_RESULT_SUCCESS;
}
