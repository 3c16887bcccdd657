#include "client/sync/watcher/WatcherTimer.h"

#include "client/sync/watcher/AsyncOperation.h"

namespace {
constexpr DWORD kStartWaitMs = 10000;
}

CWatcherTimer::CWatcherTimer(CAsyncOperation* owner) : m_owner(owner) {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  struct Start {
    CWatcherTimer* self;
    HANDLE ready;
  };
  static_assert(sizeof(Start) > 0);
  auto* start = new Start{this, ready};
  m_thread = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        std::unique_ptr<Start> s(static_cast<Start*>(p));
        s->self->Run(s->ready);
        return 0;
      },
      start, 0, &m_threadId);
  if (!m_thread) {
    delete start;
    m_threadId = 0;
  } else {
    WaitForSingleObject(ready, kStartWaitMs);  // its queue and timer exist once this is set
  }
  CloseHandle(ready);
}

CWatcherTimer::~CWatcherTimer() {
  if (!m_thread) return;
  PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
  WaitForSingleObject(m_thread, INFINITE);  // a pass never waits on another thread
  CloseHandle(m_thread);
}

void CWatcherTimer::AddEvent(const WatcherEvent& event) {
  std::lock_guard guard(m_lock);
  m_coalescer.Add(event);
}

bool CWatcherTimer::HasPendingChange(const CString& path, bool departures) {
  std::lock_guard guard(m_lock);
  return m_coalescer.HasChangeOf(path, departures) || CWatcherCoalescer::AnyChangeOf(m_inPass, path, departures);
}

size_t CWatcherTimer::PendingCount() {
  std::lock_guard guard(m_lock);
  return m_coalescer.PendingCount();
}

void CWatcherTimer::Run(HANDLE ready) {
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  m_timerId = SetTimer(nullptr, 0, kPeriodMs, nullptr);
  SetEvent(ready);
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == nullptr) RunPass();
  }
  if (m_timerId) KillTimer(nullptr, m_timerId);
}

// The pass works on the changes taken out of the pending list, without the
// lock: it looks at the disk for every changed file, which takes long for a
// burst, and the watcher's thread must not wait meanwhile. What arrives during
// the pass comes after what the pass leaves waiting, as it would had the
// watcher's thread waited for the lock.
void CWatcherTimer::RunPass() {
  std::vector<WatcherEvent> ready;
  CWatcherCoalescer pass;
  {
    std::lock_guard guard(m_lock);
    m_inPass = m_coalescer.TakePending();
    pass = CWatcherCoalescer(m_inPass);
  }
  if (!pass.IsEmpty()) {
    ready = pass.RunPass();
    std::lock_guard guard(m_lock);
    m_coalescer.PutBack(pass.TakePending());
  }
  for (const WatcherEvent& event : ready) m_owner->Deliver(event);
  {
    std::lock_guard guard(m_lock);
    m_inPass.clear();
  }
  ++m_passes;
}
