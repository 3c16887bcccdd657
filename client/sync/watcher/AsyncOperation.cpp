#include "client/sync/watcher/AsyncOperation.h"

CAsyncOperation::CAsyncOperation(IWatcherChangeHandler* handler) : m_handler(handler) {}

void CAsyncOperation::OnAdded(const CString& path) { NotifyAdded(path); }

void CAsyncOperation::OnRemoved(const CString& path) { NotifyRemoved(path); }

void CAsyncOperation::OnModified(const CString& path) { NotifyModified(path); }

void CAsyncOperation::OnRenamed(const CString& newPath, const CString& oldPath) { NotifyRenamed(newPath, oldPath); }

void CAsyncOperation::NotifyAdded(const CString& path) {
  Deliver(std::make_unique<CFileSystemEventArgs>(WATCHER_EVENT_ADDED, path));
}

void CAsyncOperation::NotifyRemoved(const CString& path) {
  Deliver(std::make_unique<CFileSystemEventArgs>(WATCHER_EVENT_REMOVED, path));
}

void CAsyncOperation::NotifyModified(const CString& path) {
  Deliver(std::make_unique<CFileSystemEventArgs>(WATCHER_EVENT_MODIFIED, path));
}

void CAsyncOperation::NotifyRenamed(const CString& newPath, const CString& oldPath) {
  Deliver(std::make_unique<CRenamedEventArgs>(WATCHER_EVENT_RENAMED, newPath, oldPath));
}

void CAsyncOperation::NotifyMoved(const CString& newPath, const CString& oldPath) {
  Deliver(std::make_unique<CMovedEventArgs>(newPath, oldPath));
}

void CAsyncOperation::NotifyReadError(const CString& directory) {
  Deliver(std::make_unique<CFileSystemEventArgs>(WATCHER_EVENT_READ_ERROR, directory));
}

void CAsyncOperation::NotifyStarted(const CString& directory) {
  Deliver(std::make_unique<CFileSystemEventArgs>(WATCHER_EVENT_STARTED, directory));
}

void CAsyncOperation::NotifyStopped(const CString& directory) {
  Deliver(std::make_unique<CFileSystemEventArgs>(WATCHER_EVENT_STOPPED, directory));
}

void CAsyncOperation::Deliver(std::unique_ptr<CFileSystemEventArgs> args) {
  if (!m_handler) return;
  CFileSystemEventArgs* record = args.get();
  try {
    switch (record->m_type) {
      case WATCHER_EVENT_ADDED: m_handler->OnFileAdded(record); break;
      case WATCHER_EVENT_REMOVED: m_handler->OnFileDeleted(record); break;
      case WATCHER_EVENT_MODIFIED: m_handler->OnFileChanged(record); break;
      case WATCHER_EVENT_RENAMED: m_handler->OnFileRenamed(record); break;
      case WATCHER_EVENT_MOVED: m_handler->OnFileMoved(record); break;
      case WATCHER_EVENT_READ_ERROR: m_handler->OnWatchError(record); break;
      case WATCHER_EVENT_STARTED: m_handler->OnWatchStarted(record); break;
      case WATCHER_EVENT_STOPPED: m_handler->OnWatchStopped(record); break;
      default: break;
    }
  } catch (...) {
    // A failing handler loses this record, not the watch.
  }
}
