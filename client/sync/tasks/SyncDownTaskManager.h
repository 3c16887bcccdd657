#pragma once
// The server changes waiting for the local disk: a normal queue and a
// wait-and-retry queue of DownSyncTask. Producers (the server pull, the
// server-update filter, the down operations) queue from their threads; the
// two down pumps each run the head of one queue. The queue lock guards both
// arrays and is never held while an operation runs; a task that a removal
// meets while it runs is only taken out, and the pump that runs it frees it.
// The pending-version list decides when the root's stored version advances.
#include <atomic>
#include <functional>
#include <vector>

#include <juce_core/juce_core.h>

#include "client/core/db/SyncFileData.h"
#include "client/core/db/SyncFolderData.h"
#include "client/sync/pumps/SyncWakeList.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "client/sync/tasks/PendingVersionList.h"

class SyncTaskDispatcher;

class SyncDownTaskManager {
 public:
  explicit SyncDownTaskManager(SyncTaskDispatcher* dispatcher);
  ~SyncDownTaskManager();
  SyncDownTaskManager(const SyncDownTaskManager&) = delete;
  SyncDownTaskManager& operator=(const SyncDownTaskManager&) = delete;

  // Sets the task's queue: 2 when the wait-and-retry queue holds a task of
  // the same item, else 1.
  void ClassifyTask(DownSyncTask* task);
  // Takes the task; op 0 or queue 0 deletes it. A copy of a task waiting in
  // the normal queue (same item and version, not the head) replaces it.
  void AddTask(DownSyncTask* task);

  // Runs the head of the queue (1 normal, 2 wait-and-retry) and acts on the
  // result; 0 for an empty queue. With several downloads allowed in flight,
  // downloads of distinct files that follow a download at the head of the
  // normal queue run beside it (each on a thread of its own), and the results
  // are acted on in queue order; the first result that is no success is
  // returned (the pump's wait follows it), else 0.
  int RunDownTask(int queue);
  // How many file downloads may run at once (1 at construction). Each mostly
  // waits: for the service's answers and for its file to reach the disk.
  void SetDownloadsInFlight(size_t count) { m_nDownloadsInFlight.store(count ? count : 1); }
  // Called after a task was queued (no lock held), e.g. to wake the pumps
  // from their waits; set before any task is queued.
  // The wait-and-retry head; a folder move that waits for occupied files is
  // finished by the moved-folder registry instead of being run again.
  int RunWaitAndRetryTask();

  void Enable();
  void Disable();
  bool IsEnabled() const { return m_bEnabled.load(); }
  void CancelHeads();
  // Sets the stop flag of the heads' operations and of the manager.
  void StopHeads();
  // Every task leaves both queues (a running one is freed by its pump).
  void DropQueued();
  void RemoveHead(int queue);
  bool AreQueuesEmpty();
  // Whether either queue holds a later version of the task's item.
  bool HoldsNewerVersion(const DownSyncTask& task);
  bool HasTasks(int queue);
  // Whether a task of a newer version of task's file, other than a delete,
  // is queued with its record in that folder under that name.
  bool HasNewerFileTaskAt(const DownSyncTask& task, juce::int64 parentID, const juce::String& name);
  void ClearPendingVersions() { m_versions.Clear(); }
  PendingVersionList& GetPendingVersions() { return m_versions; }

  // A download of the server's file or a creation of its folder, behind the
  // normal queue's head, without classification.
  void QueueServerFileAdd(const SyncFileData& record, juce::int64 id, juce::int64 parentID);
  void QueueServerFolderAdd(const SyncFolderData& record, juce::int64 id, juce::int64 parentID);

  // (op, record id) of each queued task, head first; for tests and logs.
  std::vector<std::pair<int, juce::int64>> DescribeQueue(int queue);

  SyncTaskDispatcher* GetDispatcher() const { return m_pDispatcher; }

  // The events of the threads that wait for the queues (the pumps, the
  // server-update filter). AddTask and Enable set them; so do the pumps
  // after each run, as a run moves and ends tasks.
  SyncWakeList& GetWakeList() { return m_wakeList; }
  void WakePumps(HANDLE except = nullptr) { m_wakeList.SetAll(except); }

  std::atomic<bool> m_bStop{false};

 private:
  std::vector<DownSyncTask*>* Queue(int queue);
  // Under the queue lock: out of its queue and freed (or only taken out when
  // it runs).
  void RemoveLocked(std::vector<DownSyncTask*>& queue, size_t index);
  void ReleaseTask(DownSyncTask* task);
  void VersionDone(DownSyncTask& task);
  void VersionDropped(DownSyncTask& task);
  // The item's identity for duplicate tests.
  static bool SameItem(const DownSyncTask& a, const DownSyncTask& b);
  // Under the queue lock: the head and the downloads that may run beside it,
  // each marked running; empty when nothing is to run.
  std::vector<DownSyncTask*> TakeRunLocked(std::vector<DownSyncTask*>& queue, int queueNumber);
  // Under the queue lock: each queue's head and the tasks running beside it.
  void ForEachHeadLocked(const std::function<void(DownSyncTask&)>& act);
  // Under the queue lock: acts on the result of a task that ran.
  void SettleLocked(int queueNumber, DownSyncTask* task, int result);

  std::vector<DownSyncTask*> m_normal;
  std::vector<DownSyncTask*> m_waitAndRetry;
  SyncTaskDispatcher* m_pDispatcher;
  juce::CriticalSection m_queueLock;
  PendingVersionList m_versions;
  std::atomic<bool> m_bEnabled{true};
  std::atomic<size_t> m_nDownloadsInFlight{1};
  SyncWakeList m_wakeList;
};
