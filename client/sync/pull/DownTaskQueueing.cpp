#include "client/sync/pull/DownTaskQueueing.h"

#include "client/core/LogWriter.h"
#include "client/sync/LocalPathGuard.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "client/sync/tasks/SyncDownTaskManager.h"

namespace PullQueue {

const char* const kDeleteAnyVersion = "9223372036854775807|9223372036854775807";

DownSyncTask* MakeFileTask(const SyncFileData& record) {
  auto* task = new DownSyncTask();
  task->m_bIsFile = 1;
  task->m_pFileData = std::make_unique<SyncFileData>(record);
  task->m_nServerID = record.m_FileID;
  task->m_nParentID = record.m_ParentID;
  return task;
}

DownSyncTask* MakeFolderTask(const SyncFolderData& record) {
  auto* task = new DownSyncTask();
  task->m_bIsFile = 0;
  task->m_pFolderData = std::make_unique<SyncFolderData>(record);
  task->m_nServerID = record.m_FolderID;
  task->m_nParentID = record.m_ParentID;
  return task;
}

bool HasValidName(const DownSyncTask& task) {
  const juce::String name = task.m_bIsFile ? task.m_pFileData->m_FileName : task.m_pFolderData->m_FolderName;
  const juce::int64 id = task.m_bIsFile ? task.m_pFileData->m_FileID : task.m_pFolderData->m_FolderID;
  juce::String reason;
  if (LocalPathGuard::IsValidName(name, &reason)) return true;
  WriteLog(ErrorLog, "PullQueue::Queue",
           "The server's item is skipped: its name is no file name (" + reason + "), id is " + juce::String(id) +
               ", name is " + name);
  return false;
}

void Queue(SyncDownTaskManager* manager, DownSyncTask* task, const juce::String& opText) {
  if (!task) return;
  // A deletion finds its item by id; anything else makes a local name of it.
  const bool deletion = task->m_nOp == DOWN_OP_FILE_DELETE || task->m_nOp == DOWN_OP_FOLDER_DELETE;
  if (!deletion && !HasValidName(*task)) {
    delete task;
    return;
  }
  if (task->m_bIsFile)
    SyncHelper::LogDownloadFromServer(task->m_pFileData->m_FileID, task->m_pFileData->m_FileName, opText,
                                      task->m_pFileData->m_VersionValue, "File");
  else
    SyncHelper::LogDownloadFromServer(task->m_pFolderData->m_FolderID, task->m_pFolderData->m_FolderName, opText,
                                      task->m_pFolderData->m_VersionValue, "Folder ");
  if (!manager) {
    delete task;
    return;
  }
  manager->ClassifyTask(task);
  manager->AddTask(task);
}

}  // namespace PullQueue
