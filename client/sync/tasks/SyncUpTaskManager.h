#pragma once
// The local changes waiting for the service: three queues of UpSyncTask.
// No-depend holds folder changes, file-and-depend the file changes (run only
// while no folder change waits), wait-and-depend the tasks that wait for a
// name conflict and the later changes of their paths. A new change may
// prune older queued changes of the same path (ClassifyTask); the head of a
// queue is never pruned, as a pump may be running it.
//
// Producers (the file-event filter, the down side, the name-conflict code)
// queue from their threads; each of the three up pumps runs the head of one
// queue. The file pump runs the file changes at the head of its queue that
// name no common path side by side (each on a thread of its own, their rows
// in one commit), up to the number set; the first that depends on one before
// it waits, with everything behind it. Running tasks are never pruned or
// renamed by a new change.
// The queue lock guards the arrays and is never held while an operation runs;
// a task that a removal meets while it runs is only taken out, and the pump
// that runs it frees it.
#include <atomic>
#include <functional>
#include <vector>

#include <juce_core/juce_core.h>

#include "client/sync/pumps/SyncWakeList.h"
#include "client/sync/tasks/UpSyncTask.h"

class SyncTaskDispatcher;

class SyncUpTaskManager {
 public:
  // Busy states.
  static constexpr int BUSY_IDLE = 0, BUSY_HOLD = 1, BUSY_RUNNING = 2;

  explicit SyncUpTaskManager(SyncTaskDispatcher* dispatcher);
  ~SyncUpTaskManager();
  SyncUpTaskManager(const SyncUpTaskManager&) = delete;
  SyncUpTaskManager& operator=(const SyncUpTaskManager&) = delete;

  // Chooses the queue of a new change (0: not needed) and prunes the older
  // changes it makes unnecessary. Then AddTask.
  void ClassifyTask(UpSyncTask* task);
  // Takes the task; op 0 or a queue that is none of the three deletes it.
  void AddTask(UpSyncTask* task);

  // heldBack, when given, tells a 4 that ran nothing (the filter's hold, or
  // folder changes the file queue waits for) from an operation's: the end
  // of that hold or run wakes the pumps.
  int RunNotDepandUpTask(bool* heldBack = nullptr);
  int RunUpFileAndDepandUpTask(bool* heldBack = nullptr);
  int RunWaitAndDepandUpTask();

  void Enable();
  void Disable();
  bool IsEnabled() const { return m_bEnabled.load(); }
  void CancelHeads();
  // Sets the stop flag of the heads' operations and of the manager.
  void StopHeads();
  void RemoveAllButHeads();
  bool FindTaskByPath(const juce::String& path, int& isFile);
  // Whether a queued rename or move takes a file away from the path: the
  // path's record is that file's, not the record of what is there now.
  bool IsFileLeaving(const juce::String& path);
  bool AreQueuesEmpty();
  bool HasTasks(int queue);
  void UpdateFromServerWhenIdle();

  // A folder or file the down side or the moved-folder registry found to
  // upload, behind the head of its queue, without classification.
  void QueueLocalFolderAdd(const juce::String& path);
  void QueueLocalFileAdd(const juce::String& path);
  // The down side renamed oldFolder to newFolder on the disk: every queued
  // task below it (but one a pump runs) takes the new path, or it would find
  // its file gone.
  void RepathUnder(const juce::String& oldFolder, const juce::String& newFolder);

  // The file-event filter holds the pumps (1) while it translates a change.
  void SetBusyState(int state);
  // The filter's hold ends (state 0): the pumps it held back look again.
  void EndHold();
  int GetBusyState();
  // The filter's hold, taken only while no up operation runs (one step, so
  // that a pump can't start between the look and the hold).
  bool TryHold();

  // (op, path) of each queued task, head first; for tests and logs.
  std::vector<std::pair<int, juce::String>> DescribeQueue(int queue);

  // Uploads of the file queue that may run at once (at least one).
  void SetUploadsInFlight(size_t count) { m_nUploadsInFlight.store(count ? count : 1); }
  // Called after a task was queued (no lock held), e.g. to wake the pumps
  // from their waits; set before any task is queued.

  // The pumps' events: AddTask and Enable set them; so do the pumps after
  // each run, as a run moves and ends tasks.
  SyncWakeList& GetWakeList() { return m_wakeList; }
  void WakePumps(HANDLE except = nullptr) { m_wakeList.SetAll(except); }

  std::atomic<bool> m_bStop{false};

 private:
  // The head of the queue and the uploads that may run beside it.
  std::vector<UpSyncTask*> TakeRunLocked(std::vector<UpSyncTask*>& queue, int queueNumber);
  // Whether a rename or move queued behind the new file at index (or the
  // incoming one, after them) takes its path before the file itself leaves
  // it: a new file that a rename then replaced is no longer there to upload.
  static bool ReplacedByLaterRelocation(const std::vector<UpSyncTask*>& queue, size_t index,
                                        const UpSyncTask* incoming = nullptr);
  // After a task ran: false when it was taken out meanwhile (then freed) or
  // the manager stops; its result is then not handled.
  bool SettleLocked(UpSyncTask* task);
  // The queue's head and every task of it that runs.
  template <class Visit>
  void ForEachRunningLocked(std::vector<UpSyncTask*>& queue, Visit visit) {
    for (size_t i = 0; i < queue.size(); ++i)
      if (i == 0 || queue[i]->m_bRunning.load()) visit(*queue[i]);
  }
  std::vector<UpSyncTask*>* Queue(int queue);
  int RunQueue(int queue, bool* heldBack = nullptr);
  void HandleResult(int queueNumber, UpSyncTask* head, int result);
  void RemoveLocked(std::vector<UpSyncTask*>& queue, size_t index);
  void RemoveTask(UpSyncTask* task);
  // Later tasks of the queue that refer to the head's path take its new name.
  void ApplyRenameLocked(std::vector<UpSyncTask*>& queue, const UpSyncTask& head);
  void ProcessWaitingTask(UpSyncTask* task);
  void ProcessHaveNoParentID(UpSyncTask* task);
  // Moves the task behind a later folder rename or add of the queue that gives
  // one of its parents a row; false when there is none.
  bool WaitBehindParentsMakerLocked(std::vector<UpSyncTask*>& queue, UpSyncTask& task);
  void MoveToWaitQueue(UpSyncTask* task);
  void ProcessFailedTask(UpSyncTask* task);
  // A task of the wait-and-depend queue that names the new task's paths.
  bool WaitsForSamePathLocked(const UpSyncTask& task);
  void ClassifyFolderDeleteLocked(UpSyncTask& task);
  void ClassifyFolderRenameLocked(UpSyncTask& task);

  std::vector<UpSyncTask*> m_noDepend;
  std::vector<UpSyncTask*> m_fileAndDepend;
  std::vector<UpSyncTask*> m_waitAndDepend;
  SyncTaskDispatcher* m_pDispatcher;
  juce::CriticalSection m_queueLock;
  std::atomic<bool> m_bEnabled{true};
  std::atomic<size_t> m_nUploadsInFlight{1};
  // A pump's run, begun only while the filter does not hold (one step);
  // the state goes back to idle when the last running pump ends.
  bool TryBeginRun();
  void EndRun();

  int m_nBusyState = BUSY_IDLE;
  int m_nRunning = 0;
  juce::CriticalSection m_busyLock;
  SyncWakeList m_wakeList;
};
