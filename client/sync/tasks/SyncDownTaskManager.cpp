#include "client/sync/tasks/SyncDownTaskManager.h"

#include <algorithm>
#include <functional>

#include "client/core/LogWriter.h"
#include "client/core/context/GlobalContext.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/dispatch/SyncTaskDispatcher.h"
#include "client/sync/ops/SyncResult.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/registry/DownSyncPathRegistry.h"
#include "client/sync/registry/MovedFolderRegistry.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/SideBySide.h"

namespace {

bool IsFileTransfer(const DownSyncTask& task) {
  return task.m_bIsFile && (task.m_nOp == DOWN_OP_FILE_ADD || task.m_nOp == DOWN_OP_FILE_MODIFY);
}

}  // namespace

SyncDownTaskManager::SyncDownTaskManager(SyncTaskDispatcher* dispatcher) : m_pDispatcher(dispatcher) {
  if (m_pDispatcher) m_pDispatcher->SetDownTaskManager(this);
}

SyncDownTaskManager::~SyncDownTaskManager() {
  if (m_pDispatcher && m_pDispatcher->GetDownTaskManager() == this) m_pDispatcher->SetDownTaskManager(nullptr);
  m_versions.Clear();
  const juce::ScopedLock hold(m_queueLock);
  for (auto* queue : {&m_normal, &m_waitAndRetry}) {
    for (DownSyncTask* task : *queue) delete task;
    queue->clear();
  }
}

std::vector<DownSyncTask*>* SyncDownTaskManager::Queue(int queue) {
  if (queue == DOWN_QUEUE_NORMAL) return &m_normal;
  if (queue == DOWN_QUEUE_WAIT_AND_RETRY) return &m_waitAndRetry;
  return nullptr;
}

bool SyncDownTaskManager::SameItem(const DownSyncTask& a, const DownSyncTask& b) {
  return (a.m_bIsFile != 0) == (b.m_bIsFile != 0) && a.GetRecordID() == b.GetRecordID();
}

void SyncDownTaskManager::ClassifyTask(DownSyncTask* task) {
  if (!task) return;
  const int op = task->m_nOp;
  if (op == DOWN_OP_FOLDER_ADD) {
    task->m_nQueue = DOWN_QUEUE_NORMAL;
    return;
  }
  if (op < DOWN_OP_FILE_ADD || op > DOWN_OP_FOLDER_OTHER) return;

  const juce::ScopedLock hold(m_queueLock);
  for (auto it = m_waitAndRetry.rbegin(); it != m_waitAndRetry.rend(); ++it) {
    const DownSyncTask& waiting = **it;
    const bool movedHere = op == DOWN_OP_FILE_MOVE && waiting.m_bIsFile && waiting.GetRecordID() == task->m_nServerID;
    if (SameItem(waiting, *task) || movedHere) {
      task->m_nQueue = DOWN_QUEUE_WAIT_AND_RETRY;
      return;
    }
  }
  task->m_nQueue = DOWN_QUEUE_NORMAL;
}

void SyncDownTaskManager::AddTask(DownSyncTask* task) {
  if (!task) return;
  if (task->m_nOp == DOWN_OP_NONE) {
    delete task;
    return;
  }
  {
    const juce::ScopedLock hold(m_queueLock);
    std::vector<DownSyncTask*>* queue = Queue(task->m_nQueue);
    if (!queue) {
      delete task;
      return;
    }
    // A copy of a queued task (same item, same version) takes the earlier
    // one's place: it stands behind what its listing queued before it (the
    // folder it lands in, which the earlier copy would not find), and carries
    // the version the earlier copy held back. The head and running tasks stay.
    DownSyncTask* earlier = nullptr;
    if (queue == &m_normal && task->m_nOp != DOWN_OP_FILE_DELETE && task->m_nOp != DOWN_OP_FOLDER_ADD)
      for (size_t i = m_normal.size(); i > 1 && !earlier; --i)
        if (!m_normal[i - 1]->m_bRunning.load() && SameItem(*m_normal[i - 1], *task) &&
            m_normal[i - 1]->GetVersion() == task->GetVersion())
          earlier = m_normal[i - 1];
    if (earlier) task->m_bTracksVersion = task->m_bTracksVersion || earlier->m_bTracksVersion;
    InsertByPlacement(*queue, task, task->m_nPriority);

    if (task->m_bTracksVersion) m_versions.Add(task->GetVersion());
    if (earlier) {
      VersionDropped(*earlier);
      RemoveLocked(*queue, static_cast<size_t>(std::find(queue->begin(), queue->end(), earlier) - queue->begin()));
    }

    if (IsFileTransfer(*task) && task->m_pFileData && task->m_pFileData->m_FileSize > 0) {
      SyncFileData row;
      GlobalContext* context = GetGlobalContext();
      const bool sameRow = context && context->m_pFileDBManager &&
                           context->m_pFileDBManager->SelectFileByID(task->m_pFileData->m_FileID, row) == 0 &&
                           row.m_FileID == task->m_pFileData->m_FileID &&
                           row.m_VersionValue == task->m_pFileData->m_VersionValue;
      if (!sameRow) {
        if (SyncStatusTracker* tracker = GetSyncStatusTracker()) {
          tracker->AddDownFile(task->m_pFileData->m_FileID, task->m_pFileData->m_FileSize);
          task->m_bInTransfer = true;
        }
      }
    }
  }
  WakePumps();
}

void SyncDownTaskManager::ReleaseTask(DownSyncTask* task) {
  if (task->m_bInTransfer && task->m_pFileData) {
    if (SyncStatusTracker* tracker = GetSyncStatusTracker()) tracker->RemoveDownFile(task->m_pFileData->m_FileID);
    task->m_bInTransfer = false;
  }
  if (task->m_bRunning.load())
    task->m_bDetached = true;
  else
    delete task;
}

void SyncDownTaskManager::RemoveLocked(std::vector<DownSyncTask*>& queue, size_t index) {
  DownSyncTask* task = queue[index];
  queue.erase(queue.begin() + static_cast<std::ptrdiff_t>(index));
  ReleaseTask(task);
}

void SyncDownTaskManager::VersionDone(DownSyncTask& task) {
  if (!task.m_bTracksVersion) return;
  m_versions.Finish(task.GetVersion(), [](const juce::String& version) {
    WriteMessageLog(KeyPoint, "Save to DB Last GlobalVersion is " + version);
    SyncRootFolder* root = SyncRootFolder::GetInstance();
    root->SetRootFolder(root->GetRootPath(), version, root->GetFolderData());
  });
}

void SyncDownTaskManager::VersionDropped(DownSyncTask& task) {
  if (task.m_bTracksVersion) m_versions.Drop(task.GetVersion());
}

std::vector<DownSyncTask*> SyncDownTaskManager::TakeRunLocked(std::vector<DownSyncTask*>& queue, int queueNumber) {
  std::vector<DownSyncTask*> run;
  DownSyncTask* head = queue.front();
  if (head->m_nOp == DOWN_OP_NONE || !head->HasRecord()) {
    RemoveLocked(queue, 0);
    return run;
  }
  if (m_bStop.load()) return run;
  run.push_back(head);
  const size_t inFlight = m_nDownloadsInFlight.load();
  if (queueNumber == DOWN_QUEUE_NORMAL && inFlight > 1 && IsFileTransfer(*head)) {
    // Only downloads that stand together behind it: whatever comes between
    // them (a folder made, a file moved) keeps its place in the order. Two
    // downloads of one file, or of two files that would take one name, never
    // run together.
    for (size_t i = 1; i < queue.size() && run.size() < inFlight; ++i) {
      DownSyncTask* next = queue[i];
      if (!IsFileTransfer(*next) || !next->HasRecord() || next->m_bCancelled.load()) break;
      const bool clash = std::any_of(run.begin(), run.end(), [next](const DownSyncTask* running) {
        return SameItem(*running, *next) || (running->m_pFileData->m_ParentID == next->m_pFileData->m_ParentID &&
                                             running->m_pFileData->m_FileName == next->m_pFileData->m_FileName);
      });
      if (clash) break;
      run.push_back(next);
    }
  }
  for (DownSyncTask* task : run) task->m_bRunning.store(true);
  return run;
}

int SyncDownTaskManager::RunDownTask(int queueNumber) {
  std::vector<DownSyncTask*> run;
  {
    const juce::ScopedLock hold(m_queueLock);
    std::vector<DownSyncTask*>* queue = Queue(queueNumber);
    if (!queue || queue->empty()) return SYNC_RESULT_SUCCESS;
    run = TakeRunLocked(*queue, queueNumber);
    if (run.empty()) return SYNC_RESULT_SUCCESS;
  }

  std::vector<int> results(run.size(), SYNC_RESULT_SUCCESS);
  auto dispatch = [this, &run, &results](size_t n) {
    results[n] = m_pDispatcher ? m_pDispatcher->DispatchDownTask(*run[n]) : SYNC_RESULT_SUCCESS;
  };
  // Their rows are written before their results settle: the stored version,
  // written after them, never reaches the disk before them.
  RunSideBySide(run.size(), dispatch);

  int returned = SYNC_RESULT_SUCCESS;
  for (int result : results)
    if (returned == SYNC_RESULT_SUCCESS) returned = result;
  bool bothEmpty = false;
  {
    const juce::ScopedLock hold(m_queueLock);
    bool anyQueued = false;
    for (DownSyncTask*& task : run) {
      task->m_bRunning.store(false);
      if (task->m_bDetached) {  // taken out of its queue while it ran
        delete task;
        task = nullptr;
      } else {
        anyQueued = true;
      }
    }
    if (!anyQueued) return returned;
    if (m_bStop.load()) return SYNC_RESULT_SUCCESS;
    for (size_t n = 0; n < run.size(); ++n)
      if (run[n]) SettleLocked(queueNumber, run[n], results[n]);
    bothEmpty = m_normal.empty() && m_waitAndRetry.empty();
  }
  if (bothEmpty) DownSyncPathRegistry::GetInstance()->Reset();
  return returned;
}

void SyncDownTaskManager::SettleLocked(int queueNumber, DownSyncTask* head, int result) {
  std::vector<DownSyncTask*>& queue = *Queue(queueNumber);
  auto at = std::find(queue.begin(), queue.end(), head);
  if (at == queue.end()) return;
  const size_t index = static_cast<size_t>(at - queue.begin());
  switch (result) {
    case SYNC_RESULT_SUCCESS:
      VersionDone(*head);
      RemoveLocked(queue, index);
      break;
    case SYNC_RESULT_CANCEL:
      if (head->m_bSaveOnCancel.load())
        VersionDone(*head);
      else
        VersionDropped(*head);
      RemoveLocked(queue, index);
      break;
    case SYNC_RESULT_ERROR_REMOVE:
      RemoveLocked(queue, index);
      break;
    case SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK:
      if (++head->m_nRetryCount > 3) {
        WriteLog(ErrorLog, "SyncDownTaskManager::RunDownTask", "Download Task try three times");
        RemoveLocked(queue, index);
      }
      break;
    case SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN:
      if (queueNumber == DOWN_QUEUE_NORMAL &&
          (head->m_nWaitState == DOWN_WAIT_OCCUPIED || head->m_nWaitState == DOWN_WAIT_SERVICE ||
           head->m_nWaitState == DOWN_WAIT_NAME_TAKEN)) {
        // The occupied item (or one the service failed for a while) and
        // the later changes of the same item wait together, in their
        // order; the other items go on meanwhile.
        std::vector<DownSyncTask*> moving{head};
        queue.erase(queue.begin() + static_cast<std::ptrdiff_t>(index));
        for (size_t i = index; i < queue.size();) {
          if (SameItem(*queue[i], *head)) {
            moving.push_back(queue[i]);
            queue.erase(queue.begin() + static_cast<std::ptrdiff_t>(i));
          } else {
            ++i;
          }
        }
        for (DownSyncTask* task : moving) {
          task->m_nQueue = DOWN_QUEUE_WAIT_AND_RETRY;
          m_waitAndRetry.push_back(task);
        }
      }
      break;
    default:
      break;
  }
}

int SyncDownTaskManager::RunWaitAndRetryTask() {
  DownSyncTask* head = nullptr;
  juce::String sourceFolder;
  {
    const juce::ScopedLock hold(m_queueLock);
    if (m_waitAndRetry.empty()) return SYNC_RESULT_SUCCESS;
    if (m_waitAndRetry.front()->m_nOp == DOWN_OP_FOLDER_MOVE &&
        m_waitAndRetry.front()->m_nWaitState == DOWN_WAIT_OCCUPIED) {
      head = m_waitAndRetry.front();
      // The folder move left the old folder's path in the task's note when it
      // handed the occupied files to the registry.
      sourceFolder = head->m_sNote;
      head->m_bRunning.store(true);
    }
  }
  if (!head) return RunDownTask(DOWN_QUEUE_WAIT_AND_RETRY);

  const bool finished = MovedFolderRegistry::GetInstance()->RunPending(sourceFolder);
  const juce::ScopedLock hold(m_queueLock);
  head->m_bRunning.store(false);
  if (head->m_bDetached) {
    delete head;
    return finished ? SYNC_RESULT_SUCCESS : SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
  }
  if (!finished) return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
  auto at = std::find(m_waitAndRetry.begin(), m_waitAndRetry.end(), head);
  if (at != m_waitAndRetry.end()) {
    VersionDone(*head);
    RemoveLocked(m_waitAndRetry, static_cast<size_t>(at - m_waitAndRetry.begin()));
  }
  return SYNC_RESULT_SUCCESS;
}

// The heads of the queues, and the downloads that run beside a head: what
// pause, continue, cancel and stop reach.
void SyncDownTaskManager::ForEachHeadLocked(const std::function<void(DownSyncTask&)>& act) {
  for (auto* queue : {&m_normal, &m_waitAndRetry})
    for (size_t i = 0; i < queue->size(); ++i)
      if (i == 0 || (*queue)[i]->m_bRunning.load()) act(*(*queue)[i]);
}

void SyncDownTaskManager::Enable() {
  m_bEnabled.store(true);
  const juce::ScopedLock hold(m_queueLock);
  ForEachHeadLocked([](DownSyncTask& task) {
    if (IsFileTransfer(task)) task.m_operation.Resume();
  });
  WakePumps();
}

void SyncDownTaskManager::Disable() {
  m_bEnabled.store(false);
  const juce::ScopedLock hold(m_queueLock);
  ForEachHeadLocked([](DownSyncTask& task) {
    if (IsFileTransfer(task)) task.m_operation.Pause();
  });
}

void SyncDownTaskManager::CancelHeads() {
  const juce::ScopedLock hold(m_queueLock);
  ForEachHeadLocked([](DownSyncTask& task) {
    task.m_bCancelled.store(true);
    task.m_operation.Cancel();
  });
}

void SyncDownTaskManager::StopHeads() {
  const juce::ScopedLock hold(m_queueLock);
  ForEachHeadLocked([](DownSyncTask& task) { task.m_operation.Stop(); });
  m_bStop.store(true);
}

void SyncDownTaskManager::DropQueued() {
  const juce::ScopedLock hold(m_queueLock);
  for (auto* queue : {&m_normal, &m_waitAndRetry})
    while (!queue->empty()) RemoveLocked(*queue, queue->size() - 1);
}

void SyncDownTaskManager::RemoveHead(int queueNumber) {
  const juce::ScopedLock hold(m_queueLock);
  std::vector<DownSyncTask*>* queue = Queue(queueNumber);
  if (queue && !queue->empty()) RemoveLocked(*queue, 0);
}

bool SyncDownTaskManager::AreQueuesEmpty() {
  const juce::ScopedLock hold(m_queueLock);
  return m_normal.empty() && m_waitAndRetry.empty();
}

bool SyncDownTaskManager::HoldsNewerVersion(const DownSyncTask& task) {
  const juce::String version = task.GetVersion();
  const juce::ScopedLock hold(m_queueLock);
  for (const std::vector<DownSyncTask*>* queue : {&m_normal, &m_waitAndRetry})
    for (const DownSyncTask* other : *queue)
      if (other != &task && SameItem(*other, task) && SyncHelper::CompareVersionValue(other->GetVersion(), version) > 0)
        return true;
  return false;
}

bool SyncDownTaskManager::HasNewerFileTaskAt(const DownSyncTask& task, juce::int64 parentID,
                                             const juce::String& name) {
  const juce::ScopedLock hold(m_queueLock);
  for (const auto* queue : {&m_normal, &m_waitAndRetry})
    for (const DownSyncTask* queued : *queue)
      if (queued != &task && queued->m_bIsFile && SameItem(*queued, task) && queued->m_pFileData &&
          queued->m_nOp != DOWN_OP_FILE_DELETE && queued->m_pFileData->m_ParentID == parentID &&
          queued->m_pFileData->m_FileName == name &&
          SyncHelper::CompareVersionValue(queued->GetVersion(), task.GetVersion()) > 0)
        return true;
  return false;
}

bool SyncDownTaskManager::HasTasks(int queueNumber) {
  const juce::ScopedLock hold(m_queueLock);
  std::vector<DownSyncTask*>* queue = Queue(queueNumber);
  return queue && !queue->empty();
}

void SyncDownTaskManager::QueueServerFileAdd(const SyncFileData& record, juce::int64 id, juce::int64 parentID) {
  auto* task = new DownSyncTask();
  task->m_bIsFile = 1;
  task->m_pFileData = std::make_unique<SyncFileData>(record);
  task->m_nServerID = id;
  task->m_nParentID = parentID;
  task->m_nOp = DOWN_OP_FILE_ADD;
  task->m_nQueue = DOWN_QUEUE_NORMAL;
  task->m_nPriority = PLACE_BEHIND_HEAD;
  AddTask(task);
}

void SyncDownTaskManager::QueueServerFolderAdd(const SyncFolderData& record, juce::int64 id,
                                               juce::int64 parentID) {
  auto* task = new DownSyncTask();
  task->m_bIsFile = 0;
  task->m_pFolderData = std::make_unique<SyncFolderData>(record);
  task->m_nServerID = id;
  task->m_nParentID = parentID;
  task->m_nOp = DOWN_OP_FOLDER_ADD;
  task->m_nQueue = DOWN_QUEUE_NORMAL;
  task->m_nPriority = PLACE_BEHIND_HEAD;
  task->m_bRestores = true;
  AddTask(task);
}

std::vector<std::pair<int, juce::int64>> SyncDownTaskManager::DescribeQueue(int queueNumber) {
  const juce::ScopedLock hold(m_queueLock);
  std::vector<std::pair<int, juce::int64>> out;
  if (std::vector<DownSyncTask*>* queue = Queue(queueNumber))
    for (const DownSyncTask* task : *queue) out.emplace_back(task->m_nOp, task->GetRecordID());
  return out;
}
