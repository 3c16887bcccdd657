#include "client/sync/ops/up/SyncUpFolderBaseOperation.h"

#include "client/core/LogWriter.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncNotify.h"
#include "client/sync/ops/up/UpErrorCodes.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/tasks/UpSyncTask.h"
#include "common/PathText.h"

int SyncUpFolderBaseOperation::Error_SyncOperation(int result) {
  MarkCancelTokenPath(Task());
  return result;
}

int SyncUpFolderBaseOperation::Error_BeforeSyncOperation(int result) {
  UpSyncTask* task = Task();
  const int code = m_nServerCode.load();
  int handled = result;
  if (HandleCommonCode(code, result, task, handled)) return handled;
  switch (code) {
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
  // Changes queued below the folder follow it: under the old name they would
  // find no folder, and a move into it would fail until it is dropped.
  if (auto repath = GetSyncEngineLinks().repathUpTasks) repath(localPath, newPath);
  if (UpSyncTask* task = Task()) {
    task->m_bRenamePending = 1;
    task->m_sNewName = newPath;
  }
  return SYNC_RESULT_SUCCESS;
}

int SyncUpFolderBaseOperation::FinishFolder(const char* tag, const juce::String& opName, const juce::String& oldPath) {
  UpSyncTask* task = Task();
  juce::String path = task->m_sPath;
  const juce::String localName = Common::String_GetFileName(path);
  const juce::String serverName = juce::String::fromUTF8(m_reply.dir.dirName.c_str());
  if (serverName != localName) {
    WriteLog(KeyPoint, tag, "Rename Conflict, older name: " + localName + " ,new Name: " + serverName);
    juce::String newPath;
    // Only a folder that now carries the service's name is reported in step.
    const int r = ProcessNameConflict(newPath, path, serverName, m_reply.dir.parentId);
    if (r != SYNC_RESULT_SUCCESS) return r;
    path = newPath;
  }
  SyncFolderData rec;
  SyncHelper::ServerDirToSyncFolderData(m_reply.dir, rec);
  rec.m_FolderPath = path;
  SaveSyncFolderData(rec);
  if (oldPath.isNotEmpty()) SyncFileDataManager::ReplacePathPrefix(oldPath + "/", path + "/");
  LogSuccess(opName, path, rec.m_FolderID, rec.m_VersionValue);
  ReportPathDone(path, task->m_nOp, 0);
  RemoveFromTips(path);
  return SYNC_RESULT_SUCCESS;
}
