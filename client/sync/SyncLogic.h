#pragma once
// The sync engine's controller. One instance per process, made and ended by
// the global context with the parts that InstallSyncEngine hands it. It owns
// every long-lived worker of the engine (the watcher, the two task managers,
// the five pumps, the dispatcher, the two filters, the status tracker and the
// ignore list) and runs the start-up workflow that brings the sync root and
// the service back into step after sign-in, on its own thread.
//
// Threads: the windows call it on the UI thread (create the workers, start
// the workflow, pause and continue, change root or account, stop); the
// workflow runs on "InitLogicWorkFlow"; the pumps and filters ask it through
// the dispatcher's controller hooks and the engine links. The flags it sets
// on the workers are atomics; the queues have their own locks.
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include <juce_core/juce_core.h>

#include "client/sync/InitLogicWorkFlowTask.h"
#include "client/sync/SyncNotify.h"

class CFileSystemWatcher;
class DownNormalTaskPump;
class DownWaitAndRetryTaskPump;
class FileWatchMessageFilter;
class ImmediateSyncFromServerOp;
class ProgramChangeIgnoreList;
class ServerUpdateMessageFilter;
class SyncDownTaskManager;
class SyncPathList;
class SyncStatusTracker;
class SyncTaskDispatcher;
class SyncTaskPump;
class SyncUpTaskManager;
class UpFileAndDepandTaskPump;
class UpNoDepandTaskPump;
class UpTaskManagerQueue;
class UpWaitAndDepandTaskPump;

// The two task managers, as other engine parts ask for them together.
struct SyncTaskManagers {
  SyncUpTaskManager* m_pUpManager = nullptr;
  SyncDownTaskManager* m_pDownManager = nullptr;
};

class SyncLogic {
 public:
  // Creates the status tracker; the workers come with CreateSyncWorkers.
  SyncLogic();
  // Clears the notify sink, stops the watcher, saves the recent files, stops
  // every worker and joins every thread before anything is freed.
  ~SyncLogic();
  SyncLogic(const SyncLogic&) = delete;
  SyncLogic& operator=(const SyncLogic&) = delete;

  // Creates what is still missing: watcher, dispatcher, ignore list, the two
  // managers, the five pumps (paused, started), the server-update filter and
  // the file-event filter (held). Connects the status cache and installs the
  // engine's links and the dispatcher's controller hooks.
  void CreateSyncWorkers();
  // Tells every worker to stop (the main form's exit command, the destructor).
  void SignalStopAll();
  // Stops every worker and joins every thread of the engine, which stays
  // whole but idle: its threads may use it, and ask for it, until they are
  // gone. The context calls it before it frees the engine; so does the
  // destructor.
  void EndThreads();

  // Starts the workflow thread; false when it is still running.
  bool StartWorkflow();
  // True while the workflow thread runs.
  bool IsWorkflowRunning() const { return m_workflowTask.isThreadRunning(); }
  // Waits up to timeoutMs for the running workflow to end.
  bool WaitForWorkflow(int timeoutMs) { return m_workflowTask.waitForThreadToExit(timeoutMs); }
  // The "ExploreRefresh" request: the next workflow starts with a full pull.
  void SetForceFullPull() { m_workflowTask.m_bForceFullPull.store(true); }

  // The workflow itself (thread "InitLogicWorkFlow"; tests may call it).
  void RunStartupWorkflow();
  void PauseOrContinueSync();
  // Stops and clears the engine for a new sync root: the workflow ends, the
  // pumps end their running operations and start no new one until the next
  // workflow, every queue is emptied. Waits up to kRebindQuietMs in all.
  void AfterChangeBindRootPath();
  static constexpr int kRebindQuietMs = 20000;
  void ChangeAccount();
  void StopAndClear(bool restartLink);

  ProgramChangeIgnoreList* GetProgramChangeIgnoreList();
  SyncTaskManagers* GetTaskManagers();
  bool HasDownTasks();
  bool IsPathQueued(const juce::String& path);
  void PullFolderFromServer(const juce::String& version, juce::int64 folderId);
  // A full pull on the calling thread; it replaces the current start-up pull.
  // The result of the operation.
  int StartImmediatePull();
  void UpdateFromServerWhenUpIdle();
  // The engine, its tracker and both managers exist, every queue is empty and
  // the server-update filter holds no version.
  bool IsIdle();

  // The windows' sink; set by the main form once its window exists. Callers
  // read it at the moment of each call and skip the call when it is null.
  ISyncNotifyUI* GetNotifyUI() const { return m_pNotifyUI.load(); }
  void SetNotifyUI(ISyncNotifyUI* sink) { m_pNotifyUI.store(sink); }

  SyncStatusTracker* GetStatusTracker() const { return m_pStatusTracker.get(); }
  SyncUpTaskManager* GetUpTaskManager() const { return m_pUpTaskManager.get(); }
  SyncDownTaskManager* GetDownTaskManager() const { return m_pDownTaskManager.get(); }
  FileWatchMessageFilter* GetFileWatchMessageFilter() const { return m_pFileWatchMessageFilter.get(); }
  ServerUpdateMessageFilter* GetServerUpdateMessageFilter() const { return m_pServerUpdateMessageFilter.get(); }
  CFileSystemWatcher* GetFileSystemWatcher() const { return m_pFileSystemWatcher.get(); }

  // The recent-files list of the signed-in account (RecentlyUpdateFile.xml);
  // nothing without an account name.
  void LoadRecentFiles();
  void SaveRecentFiles();

  // The workflow's steps, for the workflow and for tests.
  juce::String GetStartVersion();
  void InitWatchFolderFromDB();
  void ScanLocalTree();
  // A folder of the walk: its path on disk, and the path its rows are stored
  // under (another while a rename of it or above it is still to go up).
  struct ScannedFolder {
    juce::String path;
    juce::String recorded;
  };
  // Queues the changes of one folder's files and folders; its subfolders (links
  // left out).
  std::vector<ScannedFolder> CompareLocalFolder(const ScannedFolder& folder);

 private:
  void ResumeWorkers();
  void SetPumpsPaused(bool paused);
  // The five pumps in the order of the fields (null while not made).
  std::array<SyncTaskPump*, 5> Pumps() const;
  void InstallLinks();

  std::unique_ptr<CFileSystemWatcher> m_pFileSystemWatcher;
  std::unique_ptr<SyncUpTaskManager> m_pUpTaskManager;
  std::unique_ptr<SyncDownTaskManager> m_pDownTaskManager;
  std::unique_ptr<UpNoDepandTaskPump> m_pUpNoDepandTaskPump;
  std::unique_ptr<UpFileAndDepandTaskPump> m_pUpFileAndDepandTaskPump;
  std::unique_ptr<UpWaitAndDepandTaskPump> m_pUpWaitAndDepandTaskPump;
  std::unique_ptr<DownNormalTaskPump> m_pDownNormalTaskPump;
  std::unique_ptr<DownWaitAndRetryTaskPump> m_pDownWaitAndRetryTaskPump;
  std::unique_ptr<SyncTaskDispatcher> m_pTaskDispatcher;
  std::unique_ptr<UpTaskManagerQueue> m_pUpTaskQueue;
  std::unique_ptr<FileWatchMessageFilter> m_pFileWatchMessageFilter;
  std::unique_ptr<ServerUpdateMessageFilter> m_pServerUpdateMessageFilter;
  std::atomic<ISyncNotifyUI*> m_pNotifyUI{nullptr};
  std::unique_ptr<SyncStatusTracker> m_pStatusTracker;
  std::unique_ptr<ProgramChangeIgnoreList> m_pIgnoreList;
  std::mutex m_ignoreListLock;
  InitLogicWorkFlowTask m_workflowTask;
  // Full pulls run one at a time; the current one is shared so that stop and
  // clear may flag it while another thread runs it.
  std::mutex m_immediatePullLock;
  std::mutex m_currentPullLock;
  std::shared_ptr<ImmediateSyncFromServerOp> m_pStartupPull;
  // Set by SignalStopAll: the engine is ending.
  std::atomic<bool> m_bStopping{false};
};

// The engine of the global context; null when it has none.
SyncLogic* GetSyncLogic();
// The engine's sink, null without engine or sink.
ISyncNotifyUI* GetSyncNotifyUI();
// The engine's status tracker, null without engine.
SyncStatusTracker* GetSyncStatusTracker();
// The global context's tip list, null when the engine's parts aren't installed.
SyncPathList* GetSyncTipList();

// Tells the global context how to make and end the engine and the tip list;
// call before its first use.
void InstallSyncEngine();
