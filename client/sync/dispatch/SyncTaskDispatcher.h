#pragma once
// The one object through which both task managers run their tasks: it builds
// the item and the operation for a task's op code (SyncOperationTable), keeps
// a down folder move and the up tasks from touching the same folder at once,
// and, for down tasks, compares the server's version with the database first.
//
// One per engine, owned by SyncLogic and shared by the up pumps (which write
// the up paths) and the down pumps (which read them and write the mover
// path). The three paths are read and written under one lock, and the test
// of the other side's path and the setting of one's own happen in one hold,
// so an up task and a down folder move never both pass.
#include <atomic>
#include <utility>
#include <vector>

#include <juce_core/juce_core.h>

#include "client/sync/dispatch/SyncControllerHooks.h"
#include "client/sync/dispatch/SyncOperationTable.h"

class UpSyncTask;
class DownSyncTask;
class SyncDownTaskManager;

class SyncTaskDispatcher {
 public:
  // The table is filled by RegisterSyncOperations.
  SyncTaskDispatcher();
  // An empty table (tests register their own operations).
  struct EmptyTable {};
  explicit SyncTaskDispatcher(EmptyTable);
  SyncTaskDispatcher(const SyncTaskDispatcher&) = delete;
  SyncTaskDispatcher& operator=(const SyncTaskDispatcher&) = delete;

  int DispatchUpTask(UpSyncTask& task);
  int DispatchDownTask(DownSyncTask& task);
  // True when the down task is to run; false with result set when it is
  // finished (0) or must wait (4).
  bool CheckDownTask(DownSyncTask& task, int& result);
  // -1, 0 or 1 by the numbers after the first '|'.
  static int CompareServerVersion(const juce::String& server, const juce::String& db);
  juce::String GetMoverFolderPath(DownSyncTask& task);

  // File op 6 and folder op 11: the server reports an item without a kind of
  // change.
  int ResolveOtherFile(DownSyncTask& task);
  int ResolveOtherFolder(DownSyncTask& task);

  // The paths of the up operation that began last of those that run (empty
  // when none runs).
  juce::String GetUpSourcePath();
  juce::String GetUpTargetPath();
  juce::String GetDownMoverFolderPath();

  SyncOperationTable& GetOperationTable() { return m_table; }
  void SetControllerHooks(const SyncControllerHooks& hooks);
  SyncControllerHooks GetControllerHooks();
  // Set by the down manager that is given this dispatcher.
  void SetDownTaskManager(SyncDownTaskManager* manager) { m_pDownManager.store(manager); }
  SyncDownTaskManager* GetDownTaskManager() const { return m_pDownManager.load(); }

 private:
  int RunUpFile(UpSyncTask& task);
  int RunUpFolder(UpSyncTask& task);
  int RunDownFile(DownSyncTask& task);
  int RunDownFolder(DownSyncTask& task);
  // The local path of a down item from its row, else its parent's row.
  juce::String FindLocalPath(bool isFile, juce::int64 id, juce::int64 parentID, const juce::String& name);

  SyncOperationTable m_table;
  juce::CriticalSection m_pathLock;
  // Source and target of every up operation that runs (several uploads run
  // side by side), in the order they began.
  std::vector<std::pair<juce::String, juce::String>> m_upInFlight;
  juce::String m_sDownMoverFolderPath;
  juce::CriticalSection m_hooksLock;
  SyncControllerHooks m_hooks;
  std::atomic<SyncDownTaskManager*> m_pDownManager{nullptr};
};
