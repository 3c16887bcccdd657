#pragma once
// One watched directory: its handle, its read buffer and the state that the
// watcher's worker thread steps through for it, driven by the packets of the
// watcher's completion port (the directory is their key).
//
// State: 1 start requested -> 4 reading -> 2 stop requested -> 3 closing. The
// thread that asks for a start or a stop sets the state and posts a packet
// (PostRequest), then waits for the acknowledgement event; the worker thread
// handles every packet (OnCompletion). The directory counts the packets still to
// come for it (its posted requests and its pending read), and acknowledges a
// stop only when none is left, so that it can be deleted once acknowledged, also
// when no read was pending.
#include <memory>
#include <mutex>

#include "client/sync/watcher/AsyncOperation.h"
#include "client/sync/watcher/ChangeRecordWalk.h"
#include "client/sync/watcher/WatcherChangeHandler.h"
#include "mfc/Afx.h"
#include "win32/Windows.h"

class CWatcherDirInfo {
 public:
  enum State { STATE_START = 1, STATE_STOP = 2, STATE_CLOSING = 3, STATE_READING = 4 };

  static constexpr DWORD kNotifyFilter =
      FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;
  static constexpr DWORD kBufferBytes = 8192;

  // Takes the directory handle; `path` ends with the separator.
  CWatcherDirInfo(HANDLE directory, const CString& path, IWatcherChangeHandler* handler);
  virtual ~CWatcherDirInfo();
  CWatcherDirInfo(const CWatcherDirInfo&) = delete;
  CWatcherDirInfo& operator=(const CWatcherDirInfo&) = delete;

  const CString& Path() const { return m_path; }
  // Whether a change of the path still waits in this directory's pipeline.
  bool HasPendingChange(const CString& path, bool departures = false) {
    return m_operation && m_operation->HasPendingChange(path, departures);
  }
  HANDLE Handle();
  HANDLE AcknowledgeEvent() const { return m_acknowledged; }

  // Sets the state and posts its packet to `port`; false when it could not be posted.
  bool PostRequest(HANDLE port, State state);
  // On the worker thread, for each packet of this directory.
  void OnCompletion(BOOL succeeded, DWORD error, DWORD bytes);

 private:
  bool IssueRead();
  void HandleRead(BOOL succeeded, DWORD error, DWORD bytes);
  void Route(const std::vector<WatcherChange>& changes);
  // True when the handle was open.
  bool CloseDirectoryHandle();
  void AcknowledgeWhenIdle();

  int m_state = 0;
  HANDLE m_directory;
  DWORD m_notifyFilter = kNotifyFilter;
  int m_watchSubtree = 1;
  alignas(DWORD) BYTE m_buffer[kBufferBytes];
  DWORD m_bytesReturned = 0;
  OVERLAPPED m_overlapped{};
  HANDLE m_acknowledged;
  std::unique_ptr<CAsyncOperation> m_operation;
  CString m_path;
  std::mutex m_lock;       // state, handle, packets due
  int m_packetsDue = 0;
  CChangeRecordWalk m_walk;  // worker thread only
};
