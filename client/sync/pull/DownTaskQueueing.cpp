#include "client/sync/pull/DownTaskQueueing.h"

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

void Queue(SyncDownTaskManager* manager, DownSyncTask* task, const juce::String& opText) {
  if (!task) return;
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
