#pragma once
// The event pipeline of one watched directory: between the watcher's worker
// thread, which reports each change record (On...), and the engine's handler,
// which gets a record per change (Notify... builds and delivers it).
//
// This stage passes every change straight on: each call reaches the handler on
// the calling thread before it returns, so the stopped record is delivered
// after everything reported before it. The coalescing stage (status marks, the
// name filter, merging on a timer, a delivery thread) takes its place behind the
// same calls. Owned by its CWatcherDirInfo; the handler is not owned.
#include <memory>

#include "client/sync/watcher/FileSystemEventArgs.h"
#include "client/sync/watcher/WatcherChangeHandler.h"
#include "mfc/Afx.h"

class CAsyncOperation {
 public:
  explicit CAsyncOperation(IWatcherChangeHandler* handler);
  virtual ~CAsyncOperation() = default;
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
  // Returns once the handler has had the record.
  void NotifyStopped(const CString& directory);

 private:
  void Deliver(std::unique_ptr<CFileSystemEventArgs> args);

  IWatcherChangeHandler* m_handler;
};
