#pragma once
// The event pipeline of one watched directory, between the watcher's worker
// thread and the engine's handler:
//  - the worker reports each change record (On...): the path is marked in the
//    status cache, names the path filter ignores are dropped, and the change
//    joins the directory's coalescing timer;
//  - every period the timer merges what came and delivers each surviving
//    change (Notify...) to the process's notifier thread, which calls the
//    handler;
//  - the worker's own records (read error, started, stopped) skip the timer.
// NotifyStopped returns once the handler has had the stopped record (or after
// kStopDeliveryLimitMs), so that everything delivered before it has reached
// the handler. Owned by its CWatcherDirInfo; the handler is not owned.
#include <atomic>
#include <memory>

#include "client/sync/watcher/FileSystemEventArgs.h"
#include "client/sync/watcher/WatcherChangeHandler.h"
#include "client/sync/watcher/WatcherEvent.h"
#include "client/sync/watcher/WatcherNotifierThread.h"
#include "client/sync/watcher/WatcherTimer.h"
#include "mfc/Afx.h"
#include "win32/Windows.h"

class CAsyncOperation {
 public:
  // How long NotifyStopped waits for the handler (in slices of 5000 ms).
  static constexpr DWORD kStopDeliveryLimitMs = 60000;

  explicit CAsyncOperation(IWatcherChangeHandler* handler);
  virtual ~CAsyncOperation();
  CAsyncOperation(const CAsyncOperation&) = delete;
  CAsyncOperation& operator=(const CAsyncOperation&) = delete;

  // From the watcher's worker thread, per change record.
  void OnAdded(const CString& path);
  void OnRemoved(const CString& path);
  void OnModified(const CString& path);
  void OnRenamed(const CString& newPath, const CString& oldPath);

  void NotifyAdded(const CString& path);
  void NotifyRemoved(const CString& path);
  void NotifyModified(const CString& path);
  void NotifyRenamed(const CString& newPath, const CString& oldPath);
  void NotifyMoved(const CString& newPath, const CString& oldPath);
  void NotifyReadError(const CString& directory);
  void NotifyStarted(const CString& directory);
  void NotifyStopped(const CString& directory);

  // The timer's delivery of one merged change (types 1-5; others dropped).
  void Deliver(const WatcherEvent& event);

  ULONG_PTR Serial() const { return m_serial; }
  CWatcherTimer& Timer() { return *m_timer; }
  bool HasPendingChange(const CString& path, bool departures = false) {
    return m_timer && m_timer->HasPendingChange(path, departures);
  }
  // What the notifier thread needs to deliver for this pipeline; shared, so a
  // handler call in progress keeps it while the pipeline ends.
  std::shared_ptr<CWatcherDeliveryTarget> Target() const { return m_target; }

 private:
  void Post(CFileSystemEventArgs* record);

  std::unique_ptr<IWatcherNotifier> m_notifier;
  std::shared_ptr<CWatcherDeliveryTarget> m_target;
  const ULONG_PTR m_serial;
  std::unique_ptr<CWatcherTimer> m_timer;
  int m_coalescing = 1;
};
