#include "client/sync/watcher/WatcherDirInfo.h"

CWatcherDirInfo::CWatcherDirInfo(HANDLE directory, const CString& path, IWatcherChangeHandler* handler)
    : m_directory(directory),
      m_acknowledged(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_operation(std::make_unique<CAsyncOperation>(handler)),
      m_path(path) {}

CWatcherDirInfo::~CWatcherDirInfo() {
  CloseDirectoryHandle();
  if (m_acknowledged) CloseHandle(m_acknowledged);
}

HANDLE CWatcherDirInfo::Handle() {
  std::lock_guard guard(m_lock);
  return m_directory;
}

bool CWatcherDirInfo::PostRequest(HANDLE port, State state) {
  std::lock_guard guard(m_lock);
  m_state = state;
  ++m_packetsDue;
  if (PostQueuedCompletionStatus(port, sizeof(DWORD), reinterpret_cast<ULONG_PTR>(this), &m_overlapped)) return true;
  --m_packetsDue;
  return false;
}

void CWatcherDirInfo::OnCompletion(BOOL succeeded, DWORD error, DWORD bytes) {
  int state;
  {
    std::lock_guard guard(m_lock);
    --m_packetsDue;
    state = m_state;
  }
  switch (state) {
    case STATE_START: {
      if (IssueRead()) {
        std::lock_guard guard(m_lock);
        m_state = STATE_READING;
      }
      // A refused first read is not told apart: the directory just reports nothing.
      m_operation->NotifyStarted(m_path);
      SetEvent(m_acknowledged);
      break;
    }
    case STATE_STOP: {
      bool wasOpen = CloseDirectoryHandle();  // cancels a pending read: its packet comes in state 3
      if (wasOpen) {
        Route(m_walk.Flush());
        m_operation->NotifyStopped(m_path);
      }
      AcknowledgeWhenIdle();
      break;
    }
    case STATE_CLOSING:
      if (!CloseDirectoryHandle()) AcknowledgeWhenIdle();
      break;
    case STATE_READING: HandleRead(succeeded, error, bytes); break;
    default: break;
  }
}

bool CWatcherDirInfo::IssueRead() {
  std::lock_guard guard(m_lock);
  if (m_directory == INVALID_HANDLE_VALUE) return false;
  ++m_packetsDue;
  if (ReadDirectoryChangesW(m_directory, m_buffer, kBufferBytes, m_watchSubtree, m_notifyFilter, &m_bytesReturned,
                            &m_overlapped, nullptr)) {
    return true;
  }
  --m_packetsDue;
  return false;
}

void CWatcherDirInfo::HandleRead(BOOL succeeded, DWORD error, DWORD bytes) {
  (void)error;  // a failed read is retried below; a broken watch refuses the retry
  if (succeeded && bytes) {
    Route(m_walk.Walk(m_buffer, std::min(bytes, kBufferBytes), m_path));
  } else if (succeeded) {
    // The system dropped changes that did not fit the buffer: the handler has to
    // look at the directory; the watch itself goes on.
    Route(m_walk.Flush());
    m_operation->NotifyReadError(m_path);
  }
  if (!IssueRead()) {
    Route(m_walk.Flush());
    m_operation->NotifyReadError(m_path);
  }
}

void CWatcherDirInfo::Route(const std::vector<WatcherChange>& changes) {
  for (const WatcherChange& change : changes) {
    switch (change.type) {
      case WATCHER_EVENT_ADDED: m_operation->OnAdded(change.path); break;
      case WATCHER_EVENT_REMOVED: m_operation->OnRemoved(change.path); break;
      case WATCHER_EVENT_MODIFIED: m_operation->OnModified(change.path); break;
      case WATCHER_EVENT_RENAMED: m_operation->OnRenamed(change.path, change.oldPath); break;
      default: break;
    }
  }
}

bool CWatcherDirInfo::CloseDirectoryHandle() {
  std::lock_guard guard(m_lock);
  if (m_state == STATE_STOP) m_state = STATE_CLOSING;
  if (m_directory == INVALID_HANDLE_VALUE) return false;
  CloseHandle(m_directory);
  m_directory = INVALID_HANDLE_VALUE;
  return true;
}

void CWatcherDirInfo::AcknowledgeWhenIdle() {
  std::lock_guard guard(m_lock);
  if (m_packetsDue == 0) SetEvent(m_acknowledged);
}
