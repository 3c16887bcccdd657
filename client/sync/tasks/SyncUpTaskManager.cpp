#include "client/sync/tasks/SyncUpTaskManager.h"

#include <algorithm>
#include <cstdint>

#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/dispatch/SyncTaskDispatcher.h"
#include "client/sync/ops/SyncBaseOperation.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/registry/NameConflictRegistry.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/SideBySide.h"
#include "common/PathText.h"

namespace {

bool IsTransfer(int op) { return op == UP_OP_FILE_ADD || op == UP_OP_FILE_MODIFY; }

// A file's rename or move that takes it somewhere else.
bool IsFileRelocation(const UpSyncTask& task) {
  return (task.m_nOp == UP_OP_FILE_RENAME || task.m_nOp == UP_OP_FILE_MOVE) && task.m_sSrcPath != task.m_sPath;
}

bool Names(const UpSyncTask& task, const juce::String& path) {
  return task.m_sPath == path || task.m_sSrcPath == path;
}

bool Under(const juce::String& folder, const juce::String& path) { return SyncHelper::IsUnderFolder(folder, path); }

juce::String Rebase(const juce::String& path, const juce::String& oldFolder, const juce::String& newFolder) {
  return newFolder + path.substring(oldFolder.length());
}

// Levels of the path below the root: an item in the root is at 1, one in a
// folder of the root at 2, and so on.
int DepthBelowRoot(const juce::String& root, const juce::String& path) {
  if (!Under(root, path)) return 0;
  const juce::String relative = path.substring(root.length()).trimCharactersAtStart(juce::File::getSeparatorString());
  int depth = 1;
  for (auto p = relative.getCharPointer(); !p.isEmpty(); ++p)
    if (*p == juce::File::getSeparatorChar()) ++depth;
  return depth;
}

void ReportFailed(const juce::String& path) {
  if (ISyncNotifyUI* sink = GetSyncNotifyUI()) sink->NotifyPathStatus(path, SYNC_PATH_FAILED);
}

UpSyncTask* MakeFolderAdd(const juce::String& path, int queue) {
  auto* task = new UpSyncTask();
  task->m_bIsFile = 0;
  task->m_sPath = path;
  task->m_sSrcPath = path;
  task->m_time = juce::File(path).getLastModificationTime();
  task->m_nOp = UP_OP_FOLDER_ADD;
  task->m_nQueue = queue;
  return task;
}

}  // namespace

SyncUpTaskManager::SyncUpTaskManager(SyncTaskDispatcher* dispatcher) : m_pDispatcher(dispatcher) {}

SyncUpTaskManager::~SyncUpTaskManager() {
  const juce::ScopedLock hold(m_queueLock);
  for (auto* queue : {&m_noDepend, &m_fileAndDepend, &m_waitAndDepend}) {
    for (UpSyncTask* task : *queue) delete task;
    queue->clear();
  }
}

std::vector<UpSyncTask*>* SyncUpTaskManager::Queue(int queue) {
  switch (queue) {
    case UP_QUEUE_NO_DEPEND: return &m_noDepend;
    case UP_QUEUE_FILE_AND_DEPEND: return &m_fileAndDepend;
    case UP_QUEUE_WAIT_AND_DEPEND: return &m_waitAndDepend;
    default: return nullptr;
  }
}

void SyncUpTaskManager::RemoveLocked(std::vector<UpSyncTask*>& queue, size_t index) {
  UpSyncTask* task = queue[index];
  if (&queue == &m_waitAndDepend)
    WriteMessageLog(KeyPoint, "Up Wait And Depand Task Size is " + juce::String(static_cast<int>(queue.size())));
  queue.erase(queue.begin() + static_cast<std::ptrdiff_t>(index));
  if (IsTransfer(task->m_nOp))
    if (SyncStatusTracker* tracker = GetSyncStatusTracker()) tracker->RemoveUpFile(task->m_sPath);
  if (task->m_bRunning.load())
    task->m_bDetached = true;
  else
    delete task;
}

void SyncUpTaskManager::RemoveTask(UpSyncTask* task) {
  std::vector<UpSyncTask*>* queue = Queue(task->m_nQueue);
  if (!queue) return;
  auto at = std::find(queue->begin(), queue->end(), task);
  if (at != queue->end()) RemoveLocked(*queue, static_cast<size_t>(at - queue->begin()));
}

bool SyncUpTaskManager::WaitsForSamePathLocked(const UpSyncTask& task) {
  for (size_t i = m_waitAndDepend.size(); i > 1; --i) {
    const UpSyncTask* waiting = m_waitAndDepend[i - 1];
    if (!waiting) {
      WriteMessageLog(ErrorLog, "pCheckUpSyncTask is null In CheckUpSyncTaskInWaitAndDepanedArray");
      continue;
    }
    if (Names(*waiting, task.m_sPath) || Names(*waiting, task.m_sSrcPath)) return true;
  }
  return false;
}

void SyncUpTaskManager::ClassifyTask(UpSyncTask* task) {
  if (!task) return;
  const juce::ScopedLock hold(m_queueLock);
  if (task->m_nOp != UP_OP_FOLDER_ADD && WaitsForSamePathLocked(*task)) {
    task->m_nQueue = UP_QUEUE_WAIT_AND_DEPEND;
    return;
  }
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  std::vector<UpSyncTask*>& files = m_fileAndDepend;
  // Walks the file-and-depend queue from its end down to index 1 (the head
  // may be running, and uploads beside it are passed over), dropping tasks
  // without op code on the way.
  auto scan = [&](auto&& visit) {
    for (size_t i = files.size(); i > 1; --i) {
      if (i - 1 >= files.size()) continue;
      UpSyncTask* queued = files[i - 1];
      if (queued->m_bRunning.load()) continue;  // an upload beside the head: left as the head is
      if (queued->m_nOp == UP_OP_NONE) {
        RemoveLocked(files, i - 1);
        continue;
      }
      if (!visit(queued, i - 1)) break;
    }
  };

  // A new file queued at the name a rename or move now takes was replaced by
  // it: what stands there is the relocated file.
  auto DropAddsReplacedBy = [&](const UpSyncTask& relocation) {
    scan([&](UpSyncTask* queued, size_t index) {
      if (queued->m_sPath == relocation.m_sPath && ReplacedByLaterRelocation(files, index, &relocation))
        RemoveLocked(files, index);
      return true;
    });
  };

  // The service holds the file at the task's source already, or will once a
  // queued move or rename of a stored file has taken it there. Asked by
  // relocations only: a burst of new files never walks the queue for it.
  auto storedSource = [&] {
    return task->m_nSrcID != 0 || std::any_of(files.begin(), files.end(), [task](const UpSyncTask* queued) {
             return IsFileRelocation(*queued) && queued->m_sPath == task->m_sSrcPath;
           });
  };
  switch (task->m_nOp) {
    case UP_OP_FILE_ADD:
    case UP_OP_FILE_MODIFY: {
      bool replacedAdd = false;
      scan([&](UpSyncTask* queued, size_t index) {
        if (queued->m_sPath == task->m_sPath && IsTransfer(queued->m_nOp)) {
          replacedAdd = replacedAdd || queued->m_nOp == UP_OP_FILE_ADD;
          RemoveLocked(files, index);
        }
        return true;
      });
      // The service has not seen the file yet: it stays an addition.
      if (replacedAdd) task->m_nOp = UP_OP_FILE_ADD;
      task->m_nQueue = UP_QUEUE_FILE_AND_DEPEND;
      break;
    }
    case UP_OP_FILE_DELETE: {
      // A file replaced by a folder of its name: its delete runs among the
      // folder tasks, before the folder's creation, which would otherwise
      // meet the old file on the service.
      if (juce::File(task->m_sPath).isDirectory()) {
        task->m_nQueue = UP_QUEUE_NO_DEPEND;
        break;
      }
      scan([&](UpSyncTask* queued, size_t index) {
        if (queued->m_nWaitReason == UP_WAIT_FILES_NUM || queued->m_nWaitReason == UP_WAIT_CAPACITY)
          task->m_nPlacement = PLACE_FRONT;
        if (queued->m_sPath == task->m_sPath &&
            (IsTransfer(queued->m_nOp) || queued->m_nOp == UP_OP_FILE_DELETE))
          RemoveLocked(files, index);
        return true;
      });
      if (!files.empty()) {
        UpSyncTask* head = files.front();
        if (head->m_nWaitReason == UP_WAIT_FILES_NUM || head->m_nWaitReason == UP_WAIT_CAPACITY) {
          task->m_nPlacement = PLACE_FRONT;
          if (IsTransfer(head->m_nOp) && head->m_sPath == task->m_sPath) {
            SyncBaseOperation::RemoveFromTips(head->m_sPath);
            head->m_bCancelled.store(true);
          }
        }
      }
      task->m_nQueue = UP_QUEUE_FILE_AND_DEPEND;
      break;
    }
    case UP_OP_FILE_MOVE: {
      bool dropped = false;
      DropAddsReplacedBy(*task);
      scan([&](UpSyncTask* queued, size_t index) {
        if (queued->m_sPath == task->m_sPath && queued->m_nOp == UP_OP_FILE_DELETE) {
          RemoveLocked(files, index);
        } else if (queued->m_sPath == task->m_sSrcPath && queued->m_nOp == UP_OP_FILE_ADD) {
          if (storedSource()) {
            RemoveLocked(files, index);  // a stored file: see the rename below
            return false;
          }
          if (tracker) tracker->RenameUpFile(queued->m_sPath, task->m_sPath);
          queued->m_sPath = task->m_sPath;
          queued->m_sSrcPath = task->m_sPath;
          dropped = true;
          return false;
        }
        return true;
      });
      task->m_nQueue = dropped ? 0 : UP_QUEUE_FILE_AND_DEPEND;
      break;
    }
    case UP_OP_FILE_RENAME: {
      bool dropped = false;
      DropAddsReplacedBy(*task);
      scan([&](UpSyncTask* queued, size_t index) {
        if (queued->m_sPath != task->m_sSrcPath) return true;
        if (IsTransfer(queued->m_nOp) && storedSource()) {
          // The service holds the file under its old name: sent as an upload
          // of the new name, it would become a second file beside it. The
          // rename goes up, and takes the new content up after it.
          RemoveLocked(files, index);
          return false;
        }
        if (IsTransfer(queued->m_nOp)) {
          if (tracker) tracker->RenameUpFile(queued->m_sPath, task->m_sPath);
          queued->m_sPath = task->m_sPath;
          queued->m_sSrcPath = task->m_sPath;
          dropped = true;
          return false;
        }
        if (queued->m_nOp == UP_OP_FILE_RENAME) {
          task->m_sSrcPath = queued->m_sSrcPath;
          RemoveLocked(files, index);
          return false;
        }
        return true;
      });
      task->m_nQueue = dropped ? 0 : UP_QUEUE_FILE_AND_DEPEND;
      break;
    }
    case UP_OP_FOLDER_ADD:
      task->m_nQueue = UP_QUEUE_NO_DEPEND;
      break;
    case UP_OP_FOLDER_DELETE:
      ClassifyFolderDeleteLocked(*task);
      break;
    case UP_OP_FOLDER_RENAME:
      ClassifyFolderRenameLocked(*task);
      break;
    default:
      break;
  }
}

void SyncUpTaskManager::ClassifyFolderDeleteLocked(UpSyncTask& task) {
  const juce::String& folder = task.m_sPath;
  auto movedOut = [&](const UpSyncTask& queued) {
    return queued.m_nOp == UP_OP_FILE_MOVE && Under(task.m_sSrcPath, queued.m_sSrcPath);
  };
  for (size_t i = m_noDepend.size(); i > 1; --i) {
    UpSyncTask* queued = m_noDepend[i - 1];
    if (queued->m_nWaitReason == UP_WAIT_DIRS_NUM) task.m_nPlacement = PLACE_FRONT;
    if (!Under(folder, queued->m_sPath)) continue;
    const int op = queued->m_nOp;
    if (op == 3 || op == 4 || op == 6 || op == 7 || op == 8 || movedOut(*queued)) RemoveLocked(m_noDepend, i - 1);
  }
  if (!m_noDepend.empty() && m_noDepend.front()->m_nWaitReason == UP_WAIT_DIRS_NUM) task.m_nPlacement = PLACE_FRONT;

  // A file moved in a moment before the folder went: the service still holds
  // it at its old place, and only its removal from there takes it away (the
  // folder's new place, when it was moved, goes up with the file in it).
  auto movedIn = [&](UpSyncTask& queued) {
    if (queued.m_nOp != UP_OP_FILE_MOVE || queued.m_bRunning.load() || Under(folder, queued.m_sSrcPath)) return false;
    queued.m_nOp = UP_OP_FILE_DELETE;
    queued.m_sPath = queued.m_sSrcPath;
    queued.m_nID = queued.m_nSrcID;
    queued.m_nParentID = queued.m_nSrcParentID;
    return true;
  };
  for (size_t i = m_fileAndDepend.size(); i > 1; --i) {
    UpSyncTask* queued = m_fileAndDepend[i - 1];
    if (!Under(folder, queued->m_sPath) || movedIn(*queued)) continue;
    const int op = queued->m_nOp;
    if (op == 1 || (op >= 3 && op <= 8) || movedOut(*queued)) RemoveLocked(m_fileAndDepend, i - 1);
  }
  if (!m_fileAndDepend.empty()) {
    UpSyncTask* head = m_fileAndDepend.front();
    if (head->m_nWaitReason == UP_WAIT_FILES_NUM || head->m_nWaitReason == UP_WAIT_CAPACITY)
      task.m_nPlacement = PLACE_FRONT;
    if (Under(folder, head->m_sPath) && !movedIn(*head)) {
      head->m_bCancelled.store(true);
      SyncBaseOperation::RemoveFromTips(head->m_sPath);
    }
  }
  // Files moved out of the folder leave it first: deleted before, they would
  // go with it, and their moves would send them up anew.
  const bool movesOut = std::any_of(m_fileAndDepend.begin(), m_fileAndDepend.end(), [&](const UpSyncTask* queued) {
    return movedOut(*queued) && !Under(folder, queued->m_sPath);
  });
  task.m_nQueue = movesOut ? UP_QUEUE_FILE_AND_DEPEND : UP_QUEUE_NO_DEPEND;
}

void SyncUpTaskManager::RepathUnder(const juce::String& oldFolder, const juce::String& newFolder) {
  auto atOrUnder = [&](const juce::String& path) { return path == oldFolder || Under(oldFolder, path); };
  std::vector<juce::String> again;
  {
    const juce::ScopedLock hold(m_queueLock);
    SyncStatusTracker* tracker = GetSyncStatusTracker();
    for (auto* queue : {&m_noDepend, &m_fileAndDepend, &m_waitAndDepend}) {
      for (UpSyncTask* task : *queue) {
        if (task->m_bRunning.load()) {
          // Its path can't change under the pump: the upload it runs finds
          // the file gone, so the file goes up once more from its new place.
          if (IsTransfer(task->m_nOp) && atOrUnder(task->m_sPath))
            again.push_back(Rebase(task->m_sPath, oldFolder, newFolder));
          continue;
        }
        if (atOrUnder(task->m_sPath)) {
          const juce::String moved = Rebase(task->m_sPath, oldFolder, newFolder);
          if (tracker && IsTransfer(task->m_nOp)) tracker->RenameUpFile(task->m_sPath, moved);
          task->m_sPath = moved;
        }
        if (atOrUnder(task->m_sSrcPath)) task->m_sSrcPath = Rebase(task->m_sSrcPath, oldFolder, newFolder);
      }
    }
  }
  for (const juce::String& path : again) QueueLocalFileAdd(path);
}

void SyncUpTaskManager::ClassifyFolderRenameLocked(UpSyncTask& task) {
  const juce::String oldFolder = task.m_sSrcPath, newFolder = task.m_sPath;
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  // The head too, unless a pump runs it: a change queued just before the
  // rename would otherwise look for its file under the old name.
  for (size_t i = m_fileAndDepend.size(); i > 0; --i) {
    UpSyncTask* queued = m_fileAndDepend[i - 1];
    if (queued->m_bRunning.load()) continue;
    const bool pathUnder = Under(oldFolder, queued->m_sPath);
    const bool srcUnder = Under(oldFolder, queued->m_sSrcPath);
    switch (queued->m_nOp) {
      case UP_OP_FILE_ADD:
      case UP_OP_FILE_MODIFY:
      case UP_OP_FILE_DELETE:
        if (pathUnder) {
          const juce::String moved = Rebase(queued->m_sPath, oldFolder, newFolder);
          if (tracker && IsTransfer(queued->m_nOp)) tracker->RenameUpFile(queued->m_sPath, moved);
          queued->m_sPath = moved;
          queued->m_sSrcPath = moved;
        }
        break;
      case UP_OP_FILE_RENAME:
        if (pathUnder) queued->m_sPath = Rebase(queued->m_sPath, oldFolder, newFolder);
        if (srcUnder) queued->m_sSrcPath = Rebase(queued->m_sSrcPath, oldFolder, newFolder);
        break;
      case UP_OP_FILE_MOVE:
        if (srcUnder) queued->m_sSrcPath = Rebase(queued->m_sSrcPath, oldFolder, newFolder);
        if (pathUnder) queued->m_sPath = Rebase(queued->m_sPath, oldFolder, newFolder);
        break;
      default:
        break;
    }
  }
  task.m_nQueue = UP_QUEUE_NO_DEPEND;
}

void SyncUpTaskManager::AddTask(UpSyncTask* task) {
  if (!task) return;
  if (task->m_nOp == UP_OP_NONE) {
    delete task;
    return;
  }
  {
    const juce::ScopedLock hold(m_queueLock);
    std::vector<UpSyncTask*>* queue = Queue(task->m_nQueue);
    if (!queue) {
      delete task;
      return;
    }
    InsertByPlacement(*queue, task, task->m_nPlacement);
    if (IsTransfer(task->m_nOp))
      if (SyncStatusTracker* tracker = GetSyncStatusTracker())
        tracker->AddUpFile(task->m_sPath, static_cast<int>(std::clamp<juce::int64>(task->m_nSize, 0, INT32_MAX)));
  }
  WakePumps();
}

void SyncUpTaskManager::SetBusyState(int state) {
  const juce::ScopedLock hold(m_busyLock);
  m_nBusyState = state;
}

void SyncUpTaskManager::EndHold() {
  SetBusyState(BUSY_IDLE);
  WakePumps();
}

int SyncUpTaskManager::GetBusyState() {
  const juce::ScopedLock hold(m_busyLock);
  return m_nBusyState;
}

bool SyncUpTaskManager::TryHold() {
  const juce::ScopedLock hold(m_busyLock);
  if (m_nBusyState == BUSY_RUNNING) return false;
  m_nBusyState = BUSY_HOLD;
  return true;
}

bool SyncUpTaskManager::TryBeginRun() {
  const juce::ScopedLock hold(m_busyLock);
  if (m_nBusyState == BUSY_HOLD) return false;
  m_nBusyState = BUSY_RUNNING;
  ++m_nRunning;
  return true;
}

void SyncUpTaskManager::EndRun() {
  const juce::ScopedLock hold(m_busyLock);
  if (m_nRunning > 0) --m_nRunning;
  if (m_nRunning == 0 && m_nBusyState == BUSY_RUNNING) m_nBusyState = BUSY_IDLE;
}

int SyncUpTaskManager::RunNotDepandUpTask(bool* heldBack) { return RunQueue(UP_QUEUE_NO_DEPEND, heldBack); }

int SyncUpTaskManager::RunUpFileAndDepandUpTask(bool* heldBack) {
  {
    const juce::ScopedLock hold(m_queueLock);
    if (m_fileAndDepend.empty() || !m_noDepend.empty()) {
      if (heldBack) *heldBack = !m_noDepend.empty();
      return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
    }
  }
  return RunQueue(UP_QUEUE_FILE_AND_DEPEND, heldBack);
}

int SyncUpTaskManager::RunWaitAndDepandUpTask() { return RunQueue(UP_QUEUE_WAIT_AND_DEPEND); }

std::vector<UpSyncTask*> SyncUpTaskManager::TakeRunLocked(std::vector<UpSyncTask*>& queue, int queueNumber) {
  std::vector<UpSyncTask*> run{queue.front()};
  const size_t inFlight = m_nUploadsInFlight.load();
  if (queueNumber == UP_QUEUE_FILE_AND_DEPEND && inFlight > 1) {
    // The file changes that stand together behind it, as long as none names
    // a path that one before it names: a change that depends on another (a
    // rename of an upload, the new file under a moved file's old name) waits
    // for it, and so does everything behind it.
    for (size_t i = 1; i < queue.size() && run.size() < inFlight && queue.front()->m_bIsFile; ++i) {
      UpSyncTask* next = queue[i];
      // A folder's task (a deletion waiting for the moves out of it) runs alone.
      if (next->m_nOp == UP_OP_NONE || next->m_bCancelled.load() || next->m_bRunning.load() || !next->m_bIsFile) break;
      const bool clash = std::any_of(run.begin(), run.end(), [next](const UpSyncTask* running) {
        return Names(*running, next->m_sPath) || Names(*running, next->m_sSrcPath);
      });
      if (clash) break;
      run.push_back(next);
    }
  }
  for (UpSyncTask* task : run) task->m_bRunning.store(true);
  return run;
}

bool SyncUpTaskManager::ReplacedByLaterRelocation(const std::vector<UpSyncTask*>& queue, size_t index,
                                                  const UpSyncTask* incoming) {
  const UpSyncTask& added = *queue[index];
  if (added.m_nOp != UP_OP_FILE_ADD || added.m_bRunning.load()) return false;
  for (size_t i = index + 1; i <= queue.size(); ++i) {
    const UpSyncTask* later = i < queue.size() ? queue[i] : incoming;
    if (!later || !IsFileRelocation(*later)) continue;
    if (later->m_sSrcPath == added.m_sPath) return false;  // the new file left first
    if (later->m_sPath == added.m_sPath) return true;
  }
  return false;
}

bool SyncUpTaskManager::SettleLocked(UpSyncTask* task) {
  task->m_bRunning.store(false);
  if (task->m_bDetached) {
    delete task;
    return false;
  }
  return !m_bStop.load();
}

int SyncUpTaskManager::RunQueue(int queueNumber, bool* heldBack) {
  const bool waitQueue = queueNumber == UP_QUEUE_WAIT_AND_DEPEND;
  const char* name = queueNumber == UP_QUEUE_NO_DEPEND ? "RunNotDepandUpTask" : "RunUpFileAndDepandUpTask";
  std::vector<UpSyncTask*> run;
  {
    const juce::ScopedLock hold(m_queueLock);
    std::vector<UpSyncTask*>& queue = *Queue(queueNumber);
    if (queue.empty()) return SYNC_RESULT_SUCCESS;
    if (!waitQueue && !TryBeginRun()) {
      if (heldBack) *heldBack = true;
      return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
    }
    // A new file that a rename then replaced (or a folder listing's report
    // of the renamed file, ahead of the rename): sent up, it would meet the
    // rename at its name and leave a second copy.
    while (queueNumber == UP_QUEUE_FILE_AND_DEPEND && queue.size() > 1 && queue.front()->m_nRetryCount == 0 &&
           ReplacedByLaterRelocation(queue, 0))
      RemoveLocked(queue, 0);
    UpSyncTask* head = queue.front();
    if (head->m_nOp == UP_OP_NONE || m_bStop.load()) {
      if (head->m_nOp == UP_OP_NONE) RemoveLocked(queue, 0);
      if (!waitQueue) EndRun();
      return SYNC_RESULT_SUCCESS;
    }
    run = TakeRunLocked(queue, queueNumber);
  }
  UpSyncTask* head = run.front();

  if (waitQueue && head->m_nWaitReason == UP_WAIT_NAME_CONFLICT) {
    // The name-conflict registry retries the rename instead of the operation.
    int registryResult = SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
    const bool resolved = NameConflictRegistry::GetInstance()->Retry(head->m_sPath, registryResult);
    const juce::ScopedLock hold(m_queueLock);
    head->m_bRunning.store(false);
    if (head->m_bDetached) {
      delete head;
      return resolved ? SYNC_RESULT_SUCCESS : registryResult;
    }
    if (resolved) {
      ApplyRenameLocked(m_waitAndDepend, *head);
      RemoveTask(head);
      return SYNC_RESULT_SUCCESS;
    }
    // A conflict that can't be resolved any more ends the task; leaving it
    // at the head would run it again at once, for ever.
    if (registryResult == SYNC_RESULT_CANCEL) RemoveTask(head);
    return registryResult;
  }

  if (!waitQueue) WriteMessageLog(KeyPoint, juce::String("Begin Do Op in ") + name);
  std::vector<int> results(run.size(), SYNC_RESULT_SUCCESS);
  auto dispatch = [this, &run, &results](size_t n) {
    results[n] = m_pDispatcher ? m_pDispatcher->DispatchUpTask(*run[n]) : SYNC_RESULT_SUCCESS;
  };
  // Their rows are committed before their results are handled.
  RunSideBySide(run.size(), dispatch);
  if (!waitQueue) {
    WriteMessageLog(KeyPoint, queueNumber == UP_QUEUE_NO_DEPEND ? "end Do Op in RunNotDepandUpTask"
                                                                : "End Do Op in RunUpFileAndDepandUpTask");
    EndRun();
  }

  // Results are handled in the queue's order.
  int returned = SYNC_RESULT_SUCCESS;
  for (size_t n = 0; n < run.size(); ++n) {
    bool handle;
    {
      const juce::ScopedLock hold(m_queueLock);
      handle = SettleLocked(run[n]);
    }
    if (handle) HandleResult(queueNumber, run[n], results[n]);
    if (returned == SYNC_RESULT_SUCCESS && (handle || !m_bStop.load())) returned = results[n];
  }
  return returned;
}

void SyncUpTaskManager::HandleResult(int queueNumber, UpSyncTask* head, int result) {
  const char* retryTag = queueNumber == UP_QUEUE_NO_DEPEND        ? "SyncUpTaskManager::RunNotDepandUpTask"
                         : queueNumber == UP_QUEUE_FILE_AND_DEPEND ? "SyncUpTaskManager::RunUpFileAndDepandUpTask"
                                                                   : "SyncUpTaskManager::RunWaitAndDepandUpTask";
  switch (result) {
    case SYNC_RESULT_SUCCESS: {
      const juce::ScopedLock hold(m_queueLock);
      if (head->m_bRenamePending) ApplyRenameLocked(*Queue(head->m_nQueue), *head);
      RemoveTask(head);
      break;
    }
    case SYNC_RESULT_CANCEL: {
      const juce::ScopedLock hold(m_queueLock);
      RemoveTask(head);
      break;
    }
    case SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN:
      ProcessWaitingTask(head);
      break;
    case SYNC_RESULT_ERROR_REMOVE:
      ProcessFailedTask(head);
      break;
    case SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK:
      if (++head->m_nRetryCount > 3) {
        WriteLog(ErrorLog, retryTag,
                 queueNumber == UP_QUEUE_NO_DEPEND ? "up task try three times" : "Retry three time");
        ProcessFailedTask(head);
      }
      break;
    default:
      break;
  }
}

void SyncUpTaskManager::ApplyRenameLocked(std::vector<UpSyncTask*>& queue, const UpSyncTask& head) {
  const juce::String oldPath = head.m_sPath, newPath = head.m_sNewName;
  if (newPath.isEmpty()) return;
  const bool folders = &queue == &m_noDepend;
  for (UpSyncTask* task : queue) {
    if (task == &head) continue;
    const bool bySource = folders ? task->m_nOp == UP_OP_FOLDER_RENAME
                                  : task->m_nOp == UP_OP_FILE_RENAME || head.m_nOp == UP_OP_FILE_MOVE;
    if (bySource) {
      if (task->m_sSrcPath == oldPath) task->m_sSrcPath = newPath;
    } else if (task->m_sPath == oldPath) {
      if (task->m_sSrcPath == oldPath) task->m_sSrcPath = newPath;
      task->m_sPath = newPath;
    }
  }
}

void SyncUpTaskManager::ProcessWaitingTask(UpSyncTask* task) {
  if (task->m_nWaitReason == UP_WAIT_NO_PARENT_ID)
    ProcessHaveNoParentID(task);
  else if (task->m_nWaitReason == UP_WAIT_NAME_CONFLICT || task->m_nWaitReason == UP_WAIT_FOR_PULL)
    MoveToWaitQueue(task);
}

void SyncUpTaskManager::ProcessHaveNoParentID(UpSyncTask* task) {
  const juce::String root = SyncRootFolder::GetInstance()->GetRootPath();
  if (root.isEmpty()) return;
  const juce::ScopedLock hold(m_queueLock);
  if (!Under(root, task->m_sPath)) {
    RemoveTask(task);
    return;
  }
  std::vector<UpSyncTask*>* queue = Queue(task->m_nQueue);
  if (!queue) return;
  if (WaitBehindParentsMakerLocked(*queue, *task)) return;
  juce::String folder = Common::String_GetParentPath(task->m_sPath);
  while (Under(root, folder)) {
    if (!juce::File(folder).isDirectory()) {
      WriteLog(ErrorLog, "SyncUpTaskManager::ProcessHaveNoParentID", "Parent Path is not exist, Path is " + folder);
      RemoveTask(task);
      return;
    }
    queue->insert(queue->begin(), MakeFolderAdd(folder, task->m_nQueue));
    const juce::String parent = Common::String_GetParentPath(folder);
    if (parent == folder) break;
    folder = parent;
  }
}

// A folder renamed (or made) here whose own task is queued behind this one has
// no row under its new name yet: a folder made for that name now would become
// a second folder on the service, and the rename would then meet it. The task
// waits behind the one that gives the folder its row.
bool SyncUpTaskManager::WaitBehindParentsMakerLocked(std::vector<UpSyncTask*>& queue, UpSyncTask& task) {
  const auto at = std::find(queue.begin(), queue.end(), &task);
  if (at == queue.end()) return false;
  const auto maker = std::find_if(at + 1, queue.end(), [&task](const UpSyncTask* later) {
    const bool makesFolder = later->m_nOp == UP_OP_FOLDER_RENAME || later->m_nOp == UP_OP_FOLDER_ADD;
    return makesFolder && Under(later->m_sPath, task.m_sPath);
  });
  if (maker == queue.end()) return false;
  WriteLog(KeyPoint, "SyncUpTaskManager::ProcessHaveNoParentID",
           "The parent's own task is queued, the task waits behind it, Path is " + task.m_sPath);
  std::rotate(at, at + 1, maker + 1);
  return true;
}

void SyncUpTaskManager::MoveToWaitQueue(UpSyncTask* task) {
  const juce::ScopedLock hold(m_queueLock);
  std::vector<UpSyncTask*>* queue = Queue(task->m_nQueue);
  if (!queue || queue == &m_waitAndDepend) return;
  auto at = std::find(queue->begin(), queue->end(), task);
  if (at == queue->end()) return;
  const bool folders = queue == &m_noDepend;
  const juce::String path = task->m_sPath;
  std::vector<UpSyncTask*> moving{task};
  size_t i = static_cast<size_t>(at - queue->begin());
  queue->erase(queue->begin() + static_cast<std::ptrdiff_t>(i));
  while (i < queue->size()) {
    UpSyncTask* later = (*queue)[i];
    const bool bySource = folders ? later->m_nOp == UP_OP_FOLDER_RENAME
                                  : later->m_nOp == UP_OP_FILE_RENAME || task->m_nOp == UP_OP_FILE_MOVE;
    if ((bySource ? later->m_sSrcPath : later->m_sPath) == path) {
      moving.push_back(later);
      queue->erase(queue->begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  for (UpSyncTask* moved : moving) {
    moved->m_nQueue = UP_QUEUE_WAIT_AND_DEPEND;
    m_waitAndDepend.push_back(moved);
  }
}

void SyncUpTaskManager::ProcessFailedTask(UpSyncTask* task) {
  const juce::String path = task->m_sPath;
  {
    const juce::ScopedLock hold(m_queueLock);
    if (task->m_nDepthFlag == 1) {
      const juce::String root = SyncRootFolder::GetInstance()->GetRootPath();
      const int limit = GetAccountData()->GetUserConfig().UC_DirDepthLimit;
      for (auto* queue : {&m_noDepend, &m_fileAndDepend, &m_waitAndDepend}) {
        for (size_t i = queue->size(); i > 0; --i) {
          UpSyncTask* other = (*queue)[i - 1];
          if (other == task || limit <= 0 || DepthBelowRoot(root, other->m_sPath) < limit) continue;
          ReportFailed(other->m_sPath);
          RemoveLocked(*queue, i - 1);
        }
      }
    }
    RemoveTask(task);
  }
  ReportFailed(path);
}

void SyncUpTaskManager::Enable() {
  m_bEnabled.store(true);
  const juce::ScopedLock hold(m_queueLock);
  for (auto* queue : {&m_noDepend, &m_fileAndDepend, &m_waitAndDepend})
    if (!queue->empty() && IsTransfer(queue->front()->m_nOp)) queue->front()->m_operation.Resume();
  WakePumps();
}

void SyncUpTaskManager::Disable() {
  m_bEnabled.store(false);
  const juce::ScopedLock hold(m_queueLock);
  for (auto* queue : {&m_noDepend, &m_fileAndDepend, &m_waitAndDepend})
    ForEachRunningLocked(*queue, [](UpSyncTask& task) {
      if (IsTransfer(task.m_nOp)) task.m_operation.Pause();
    });
}

void SyncUpTaskManager::CancelHeads() {
  const juce::ScopedLock hold(m_queueLock);
  for (auto* queue : {&m_noDepend, &m_fileAndDepend, &m_waitAndDepend})
    ForEachRunningLocked(*queue, [](UpSyncTask& task) {
      task.m_bCancelled.store(true);
      task.m_operation.Cancel();
    });
}

void SyncUpTaskManager::StopHeads() {
  const juce::ScopedLock hold(m_queueLock);
  for (auto* queue : {&m_noDepend, &m_fileAndDepend, &m_waitAndDepend})
    ForEachRunningLocked(*queue, [](UpSyncTask& task) { task.m_operation.Stop(); });
  m_bStop.store(true);
}

void SyncUpTaskManager::RemoveAllButHeads() {
  const juce::ScopedLock hold(m_queueLock);
  for (auto* queue : {&m_noDepend, &m_fileAndDepend, &m_waitAndDepend})
    while (queue->size() > 1) RemoveLocked(*queue, queue->size() - 1);
}

bool SyncUpTaskManager::FindTaskByPath(const juce::String& path, int& isFile) {
  const juce::ScopedLock hold(m_queueLock);
  isFile = 0;
  for (auto* queue : {&m_fileAndDepend, &m_noDepend}) {
    for (size_t i = queue->size(); i > 0; --i) {
      UpSyncTask* task = (*queue)[i - 1];
      if (task->m_nOp == UP_OP_NONE) {
        RemoveLocked(*queue, i - 1);
        continue;
      }
      if (Names(*task, path)) {
        isFile = task->m_bIsFile;
        return true;
      }
    }
  }
  return false;
}

bool SyncUpTaskManager::IsFileLeaving(const juce::String& path) {
  const juce::ScopedLock hold(m_queueLock);
  for (const auto* queue : {&m_fileAndDepend, &m_noDepend, &m_waitAndDepend})
    for (const UpSyncTask* task : *queue)
      if (IsFileRelocation(*task) && task->m_sSrcPath == path) return true;
  return false;
}

bool SyncUpTaskManager::AreQueuesEmpty() {
  const juce::ScopedLock hold(m_queueLock);
  return m_noDepend.empty() && m_fileAndDepend.empty() && m_waitAndDepend.empty();
}

bool SyncUpTaskManager::HasTasks(int queueNumber) {
  const juce::ScopedLock hold(m_queueLock);
  std::vector<UpSyncTask*>* queue = Queue(queueNumber);
  return queue && !queue->empty();
}

void SyncUpTaskManager::UpdateFromServerWhenIdle() {
  if (!AreQueuesEmpty() || !m_pDispatcher) return;
  const SyncControllerHooks hooks = m_pDispatcher->GetControllerHooks();
  if (hooks.updateFromServerWhenUpIdle) hooks.updateFromServerWhenUpIdle();
}

void SyncUpTaskManager::QueueLocalFolderAdd(const juce::String& path) {
  UpSyncTask* task = MakeFolderAdd(path, UP_QUEUE_NO_DEPEND);
  task->m_nPlacement = PLACE_BEHIND_HEAD;
  AddTask(task);
}

void SyncUpTaskManager::QueueLocalFileAdd(const juce::String& path) {
  auto* task = new UpSyncTask();
  task->m_bIsFile = 1;
  task->m_sPath = path;
  task->m_sSrcPath = path;
  task->m_sMd5 = SyncHelper::GetFileMD5(path);
  task->m_nSize = SyncHelper::GetFileSize(path);
  task->m_time = juce::File(path).getLastModificationTime();
  task->m_nOp = UP_OP_FILE_ADD;
  task->m_nQueue = UP_QUEUE_FILE_AND_DEPEND;
  task->m_nPlacement = PLACE_BEHIND_HEAD;
  AddTask(task);
}

std::vector<std::pair<int, juce::String>> SyncUpTaskManager::DescribeQueue(int queueNumber) {
  const juce::ScopedLock hold(m_queueLock);
  std::vector<std::pair<int, juce::String>> out;
  if (std::vector<UpSyncTask*>* queue = Queue(queueNumber))
    for (const UpSyncTask* task : *queue) out.emplace_back(task->m_nOp, task->m_sPath);
  return out;
}
