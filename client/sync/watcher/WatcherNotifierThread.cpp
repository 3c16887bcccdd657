#include "client/sync/watcher/WatcherNotifierThread.h"

#include <map>
#include <memory>
#include <mutex>

#include "client/sync/watcher/AsyncOperation.h"
#include "client/sync/watcher/WatcherChangeHandler.h"

namespace {

std::mutex g_shareLock;  // the three globals below
int g_shares = 0;
HANDLE g_thread = nullptr;
DWORD g_threadId = 0;

std::mutex g_registryLock;
std::map<ULONG_PTR, std::shared_ptr<CWatcherDeliveryTarget>> g_live;

void FreeRecord(LPARAM record) { delete reinterpret_cast<CFileSystemEventArgs*>(record); }

constexpr DWORD kStartWaitMs = 10000;
constexpr DWORD kEndWaitMs = 60000;

}  // namespace

CWatcherNotifierThread::CWatcherNotifierThread() {
  std::lock_guard guard(g_shareLock);
  if (g_shares++ > 0 && g_thread) return;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_thread = CreateThread(nullptr, 0, ThreadProc, ready, 0, &g_threadId);
  if (!g_thread) {
    g_threadId = 0;
  } else {
    WaitForSingleObject(ready, kStartWaitMs);  // its queue exists once this is set
  }
  CloseHandle(ready);
}

CWatcherNotifierThread::~CWatcherNotifierThread() {
  std::lock_guard guard(g_shareLock);
  if (--g_shares > 0 || !g_thread) return;
  PostThreadMessageW(g_threadId, WM_QUIT, 0, 0);
  // It waits for nothing but its queue, unless a handler never returns: then
  // it is left to end by itself once the handler does.
  WaitForSingleObject(g_thread, kEndWaitMs);
  CloseHandle(g_thread);
  g_thread = nullptr;
  g_threadId = 0;
}

DWORD CWatcherNotifierThread::ThreadId() {
  std::lock_guard guard(g_shareLock);
  return g_threadId;
}

void CWatcherNotifierThread::Register(CAsyncOperation* operation) {
  std::lock_guard guard(g_registryLock);
  g_live[operation->Serial()] = operation->Target();
}

void CWatcherNotifierThread::Unregister(CAsyncOperation* operation) {
  std::lock_guard guard(g_registryLock);
  g_live.erase(operation->Serial());
}

bool CWatcherNotifierThread::Post(CAsyncOperation* operation, CFileSystemEventArgs* record) {
  DWORD thread = ThreadId();
  if (thread && operation && record &&
      PostThreadMessageW(thread, kDeliverMessage, static_cast<WPARAM>(operation->Serial()),
                         reinterpret_cast<LPARAM>(record))) {
    return true;
  }
  delete record;
  return false;
}

DWORD WINAPI CWatcherNotifierThread::ThreadProc(LPVOID readyEvent) {
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
  SetEvent(static_cast<HANDLE>(readyEvent));
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message != kDeliverMessage) continue;
    std::unique_ptr<CFileSystemEventArgs> record(reinterpret_cast<CFileSystemEventArgs*>(msg.lParam));
    if (!msg.wParam || !record) continue;
    std::shared_ptr<CWatcherDeliveryTarget> target;
    {
      std::lock_guard guard(g_registryLock);
      auto live = g_live.find(static_cast<ULONG_PTR>(msg.wParam));
      if (live != g_live.end()) target = live->second;
    }
    if (target) target->DeliverNow(record.get());
  }
  // Records still queued belong to nobody now.
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == kDeliverMessage) FreeRecord(msg.lParam);
  }
  return 0;
}

CWatcherDeliveryTarget::CWatcherDeliveryTarget(IWatcherChangeHandler* h)
    : handler(h), delivered(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

CWatcherDeliveryTarget::~CWatcherDeliveryTarget() {
  if (delivered) CloseHandle(delivered);
}

void CWatcherDeliveryTarget::DeliverNow(CFileSystemEventArgs* record) {
  if (handler) {
    try {
      switch (record->m_type) {
        case WATCHER_EVENT_ADDED: handler->OnFileAdded(record); break;
        case WATCHER_EVENT_REMOVED: handler->OnFileDeleted(record); break;
        case WATCHER_EVENT_MODIFIED: handler->OnFileChanged(record); break;
        case WATCHER_EVENT_RENAMED: handler->OnFileRenamed(record); break;
        case WATCHER_EVENT_MOVED: handler->OnFileMoved(record); break;
        case WATCHER_EVENT_READ_ERROR: handler->OnWatchError(record); break;
        case WATCHER_EVENT_STARTED: handler->OnWatchStarted(record); break;
        case WATCHER_EVENT_STOPPED: handler->OnWatchStopped(record); break;
        default: break;
      }
    } catch (...) {
      // A failing handler loses this record, not the watch.
    }
  }
  if (record->m_type == WATCHER_EVENT_STOPPED) SetEvent(delivered);
}
