#pragma once
// What the engine gives the watcher to hear of changes under a watched
// directory. Every call comes on the pipeline's delivery thread, one at a time,
// in the order the changes were made; the record belongs to the caller.
#include "client/sync/watcher/FileSystemEventArgs.h"

class IWatcherChangeHandler {
 public:
  virtual void OnFileAdded(CFileSystemEventArgs* args) = 0;
  virtual void OnFileDeleted(CFileSystemEventArgs* args) = 0;
  virtual void OnFileRenamed(CFileSystemEventArgs* args) = 0;  // a CRenamedEventArgs
  virtual void OnFileChanged(CFileSystemEventArgs* args) = 0;
  virtual void OnFileMoved(CFileSystemEventArgs* args) = 0;    // a CMovedEventArgs
  // The directory's changes could not be read: the read failed (watching has
  // ended) or changes were lost because too many came at once (watching goes
  // on; what changed must be found by looking at the directory).
  virtual void OnWatchError(CFileSystemEventArgs* args) = 0;
  virtual void OnWatchStarted(CFileSystemEventArgs* args) = 0;
  // Last call for the directory: every change it reported came before.
  virtual void OnWatchStopped(CFileSystemEventArgs* args) = 0;

 protected:
  ~IWatcherChangeHandler() = default;
};
