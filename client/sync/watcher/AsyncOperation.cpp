#include "client/sync/watcher/AsyncOperation.h"

#include "client/sync/watcher/PathFilter.h"
#include "client/sync/watcher/WatcherStatusMarks.h"
#include "common/FileHelpers.h"
#include "common/StringConvert.h"

namespace {

std::atomic<ULONG_PTR> g_nextSerial{1};

constexpr int kStatusNormal = 1;
constexpr int kStatusInTransfer = 2;
constexpr DWORD kStopSliceMs = 5000;

constexpr int kStatusError = 3;

bool Allowed(const CString& path) { return CPathFilter::GetInstance()->IsPathAllowed(path); }

// A name that is ignored on purpose is in step; one that can't be synced for
// its characters is shown as failed, not as synced.
int StatusOfRefused(const CString& path) {
  return CPathFilter::HasForeignName(path) ? kStatusError : kStatusNormal;
}

juce::String J(const CString& path) { return Common::CString_to_String(path); }

}  // namespace

CAsyncOperation::CAsyncOperation(IWatcherChangeHandler* handler)
    : m_notifier(std::make_unique<CWatcherNotifierThread>()),
      m_target(std::make_shared<CWatcherDeliveryTarget>(handler)),
      m_serial(g_nextSerial++) {
  CWatcherNotifierThread::Register(this);
  m_timer = std::make_unique<CWatcherTimer>(this);
}

CAsyncOperation::~CAsyncOperation() {
  m_timer.reset();  // no pass runs after this
  CWatcherNotifierThread::Unregister(this);  // records still queued for it are dropped
  m_notifier.reset();
}

void CAsyncOperation::OnAdded(const CString& path) {
  if (Allowed(path)) {
    WatcherStatus::SetPathStatus(J(path), kStatusInTransfer);
    m_timer->AddEvent(WatcherEvent{path, CString(), WATCHER_EVENT_ADDED});
  } else {
    WatcherStatus::SetPathStatus(J(path), StatusOfRefused(path));
  }
}

void CAsyncOperation::OnModified(const CString& path) {
  if (Common::IsDirectory(path)) return;
  if (Allowed(path)) {
    WatcherStatus::SetPathStatus(J(path), kStatusInTransfer);
    m_timer->AddEvent(WatcherEvent{path, CString(), WATCHER_EVENT_MODIFIED});
  } else {
    WatcherStatus::SetPathStatus(J(path), StatusOfRefused(path));
  }
}

void CAsyncOperation::OnRemoved(const CString& path) {
  WatcherStatus::RemovePath(J(path));
  if (Allowed(path)) m_timer->AddEvent(WatcherEvent{path, CString(), WATCHER_EVENT_REMOVED});
}

void CAsyncOperation::OnRenamed(const CString& newPath, const CString& oldPath) {
  bool newAllowed = Allowed(newPath);
  bool oldAllowed = Allowed(oldPath);
  if (!newAllowed) {
    WatcherStatus::SetPathStatus(J(newPath), StatusOfRefused(newPath));
    if (oldAllowed) OnRemoved(oldPath);
  } else if (!oldAllowed) {
    OnAdded(newPath);
  } else {
    WatcherStatus::RenamePath(J(oldPath), J(newPath));
    m_timer->AddEvent(WatcherEvent{newPath, oldPath, WATCHER_EVENT_RENAMED});
  }
}

void CAsyncOperation::Deliver(const WatcherEvent& event) {
  switch (event.type) {
    case WATCHER_EVENT_ADDED: NotifyAdded(event.path); break;
    case WATCHER_EVENT_REMOVED: NotifyRemoved(event.path); break;
    case WATCHER_EVENT_MODIFIED: NotifyModified(event.path); break;
    case WATCHER_EVENT_RENAMED: NotifyRenamed(event.path, event.otherPath); break;
    case WATCHER_EVENT_MOVED: NotifyMoved(event.path, event.otherPath); break;
    default: break;
  }
}

void CAsyncOperation::Post(CFileSystemEventArgs* record) { m_notifier->Post(this, record); }

void CAsyncOperation::NotifyAdded(const CString& path) {
  if (!Allowed(path)) return;
  Post(new CFileSystemEventArgs(WATCHER_EVENT_ADDED, path));
}

void CAsyncOperation::NotifyModified(const CString& path) {
  if (!Allowed(path)) return;
  Post(new CFileSystemEventArgs(WATCHER_EVENT_MODIFIED, path));
}

void CAsyncOperation::NotifyRemoved(const CString& path) { Post(new CFileSystemEventArgs(WATCHER_EVENT_REMOVED, path)); }

void CAsyncOperation::NotifyRenamed(const CString& newPath, const CString& oldPath) {
  Post(new CRenamedEventArgs(WATCHER_EVENT_RENAMED, newPath, oldPath));
}

void CAsyncOperation::NotifyMoved(const CString& newPath, const CString& oldPath) {
  Post(new CMovedEventArgs(newPath, oldPath));
}

void CAsyncOperation::NotifyReadError(const CString& directory) {
  Post(new CFileSystemEventArgs(WATCHER_EVENT_READ_ERROR, directory));
}

void CAsyncOperation::NotifyStarted(const CString& directory) {
  Post(new CFileSystemEventArgs(WATCHER_EVENT_STARTED, directory));
}

void CAsyncOperation::NotifyStopped(const CString& directory) {
  ResetEvent(m_target->delivered);
  if (!m_notifier->Post(this, new CFileSystemEventArgs(WATCHER_EVENT_STOPPED, directory))) return;
  for (DWORD waited = 0; waited < kStopDeliveryLimitMs; waited += kStopSliceMs) {
    if (WaitForSingleObject(m_target->delivered, kStopSliceMs) == WAIT_OBJECT_0) return;
  }
}
