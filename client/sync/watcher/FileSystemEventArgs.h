#pragma once
// The change records the watcher hands to its handler. The records are made by
// the directory's event pipeline and destroyed after the handler returns: a
// handler that keeps one must Clone it.
#include <memory>

#include "mfc/Afx.h"

// What a record reports.
enum WatcherEventType {
  WATCHER_EVENT_VOID = 0,        // merged away
  WATCHER_EVENT_ADDED = 1,       // path
  WATCHER_EVENT_REMOVED = 2,     // path
  WATCHER_EVENT_MODIFIED = 3,    // path
  WATCHER_EVENT_RENAMED = 4,     // path = new path, old path
  WATCHER_EVENT_MOVED = 5,       // path = new path, old path
  WATCHER_EVENT_READ_ERROR = 6,  // path = the watched directory
  WATCHER_EVENT_STARTED = 7,     // path = the watched directory
  WATCHER_EVENT_STOPPED = 8,     // path = the watched directory
};

struct CFileSystemEventArgs {
  CFileSystemEventArgs(int type, const CString& path) : m_type(type), m_path(path) {}
  virtual ~CFileSystemEventArgs() = default;
  virtual std::unique_ptr<CFileSystemEventArgs> Clone() const {
    return std::make_unique<CFileSystemEventArgs>(*this);
  }

  int m_type;
  CString m_path;
};

// Types 4 and 5: m_path is the new path.
struct CRenamedEventArgs : CFileSystemEventArgs {
  CRenamedEventArgs(int type, const CString& newPath, const CString& oldPath)
      : CFileSystemEventArgs(type, newPath), m_oldPath(oldPath) {}
  std::unique_ptr<CFileSystemEventArgs> Clone() const override { return std::make_unique<CRenamedEventArgs>(*this); }

  CString m_oldPath;
};

struct CMovedEventArgs : CRenamedEventArgs {
  CMovedEventArgs(const CString& newPath, const CString& oldPath)
      : CRenamedEventArgs(WATCHER_EVENT_MOVED, newPath, oldPath) {}
  std::unique_ptr<CFileSystemEventArgs> Clone() const override { return std::make_unique<CMovedEventArgs>(*this); }
};
