#pragma once
// Reports every change under the watched directories (in practice the sync
// root) to each directory's handler, through the directory's event pipeline.
//
// One worker thread serves all directories through one completion port: it
// issues each directory's read, takes the completions, turns the records into
// changes with full paths and hands them to the pipeline. AddDirectory and Stop
// are called from the engine's control threads (start-up workflow, UI thread)
// and block until the worker has started or ended the watch; Stop keeps the
// calling thread's window messages flowing while it waits. After Stop the
// watcher can be used again.
#include <memory>
#include <mutex>
#include <vector>

#include "client/sync/watcher/WatchedRootPublisher.h"
#include "client/sync/watcher/WatcherChangeHandler.h"
#include "client/sync/watcher/WatcherDirInfo.h"
#include "mfc/Afx.h"
#include "win32/Windows.h"

class CFileSystemWatcher {
 public:
  CFileSystemWatcher();
  // `stopLimitMs`: the longest Stop waits for a directory or for the worker.
  explicit CFileSystemWatcher(DWORD stopLimitMs);
  virtual ~CFileSystemWatcher();
  CFileSystemWatcher(const CFileSystemWatcher&) = delete;
  CFileSystemWatcher& operator=(const CFileSystemWatcher&) = delete;

  // 1 when the directory is watched (also when it was already), 0 when it
  // cannot be watched: an empty path, no handler, not a directory, or a
  // directory that cannot be opened or bound to the port.
  int AddDirectory(const CString& path, IWatcherChangeHandler* handler);
  // Stops watching every directory, ends the worker thread and closes the port.
  // When it returns, each handler has had its stopped record.
  void Stop();

  // Whether a change of the path (or of a folder above it) was read but not
  // yet handed to its handler: the watcher holds changes a while to merge them.
  // With departures, only a removal of it or a rename or move away from it.
  bool HasPendingChange(const CString& path, bool departures = false);

  // Where the watched root is announced; none by default. Set before AddDirectory.
  void SetRootPublisher(IWatchedRootPublisher* publisher) { m_publisher = publisher; }

  // The longest Stop waits by default for a directory or the worker before
  // leaving it behind (a handler that never returns would otherwise hold the
  // caller for ever). A directory left behind goes with the worker, which may
  // still use it.
  static constexpr DWORD kStopLimitMs = 60000;

 protected:
  // Called on the worker thread first and last.
  virtual void OnThreadStart() {}
  virtual void OnThreadExit() {}

 private:
  // What the worker shares with the watcher, kept alive by both: a worker that
  // Stop gave up on must not call back into a watcher that may be gone.
  struct WorkerLink {
    CFileSystemWatcher* watcher;
    HANDLE port;
    std::mutex lock;
    bool abandoned = false;
    // Directories whose acknowledgement never came: freed with the link, once
    // the worker has ended.
    std::vector<std::unique_ptr<CWatcherDirInfo>> leftBehind;
  };
  void LeaveBehind(std::unique_ptr<CWatcherDirInfo> directory);

  static DWORD WorkerThread(LPVOID link);
  static void Run(std::shared_ptr<WorkerLink> link);
  bool StartWorker();
  static void EnablePrivileges();

  const DWORD m_stopLimitMs;
  HANDLE m_port = nullptr;
  HANDLE m_thread = nullptr;
  DWORD m_threadId = 0;
  std::shared_ptr<WorkerLink> m_worker;
  std::mutex m_lock;  // the list
  std::vector<std::unique_ptr<CWatcherDirInfo>> m_directories;
  std::recursive_mutex m_control;  // one AddDirectory or Stop at a time (Stop's message loop may re-enter)
  IWatchedRootPublisher* m_publisher = nullptr;
};
