#include "win32/ManualClock.h"

namespace win32 {

ManualClock::ManualClock(ULONGLONG startMs) : m_nowNs(startMs * 1000000) {}

ManualClock::~ManualClock() {
  std::unique_lock guard(m_lock);
  m_retired = true;
  for (Waiter& w : m_waiters) {
    std::lock_guard waiterGuard(*w.mutex);
    w.cv->notify_all();
  }
  m_waitersChanged.wait(guard, [&] { return m_waiters.empty(); });
}

ULONGLONG ManualClock::NowNs() const { return m_nowNs.load(std::memory_order_acquire); }

bool ManualClock::WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                            ULONGLONG deadlineMs, const std::function<bool()>& ready) {
  if (deadlineMs == kNever) {
    cv.wait(lock, ready);
    return true;
  }
  if (ready()) return true;
  if (NowMs() >= deadlineMs) return false;
  // Register without holding the caller's mutex: Advance takes our lock first and
  // the waiter's mutex second.
  lock.unlock();
  std::list<Waiter>::iterator self;
  {
    std::lock_guard guard(m_lock);
    self = m_waiters.insert(m_waiters.end(), Waiter{lock.mutex(), &cv, deadlineMs});
    m_waitersChanged.notify_all();
  }
  lock.lock();
  // Advance updates the time before it takes our mutex to notify, and we read the
  // time holding that mutex, so a wake-up cannot fall between the check and the wait.
  bool result;
  ULONGLONG leftMs = 0;
  bool retired = false;
  for (;;) {
    if (ready()) {
      result = true;
      break;
    }
    const ULONGLONG now = NowMs();
    if (now >= deadlineMs) {
      result = false;
      break;
    }
    if (m_retired) {
      retired = true;
      leftMs = deadlineMs - now;
      break;
    }
    cv.wait(lock);
  }
  lock.unlock();
  {
    std::lock_guard guard(m_lock);
    m_waiters.erase(self);
    m_waitersChanged.notify_all();
  }
  // From here on this clock may be gone.
  lock.lock();
  if (!retired) return result;
  Clock& next = CurrentClock();
  if (&next == this) return false;
  return next.WaitUntil(lock, cv, next.NowMs() + leftMs, ready);
}

void ManualClock::Advance(ULONGLONG ms) {
  std::lock_guard guard(m_lock);
  m_nowNs.fetch_add(ms * 1000000, std::memory_order_acq_rel);
  ULONGLONG now = NowMs();
  for (Waiter& w : m_waiters) {
    if (w.deadlineMs > now) continue;
    std::lock_guard waiterGuard(*w.mutex);
    w.cv->notify_all();
  }
}

std::size_t ManualClock::Waiters() const {
  std::lock_guard guard(m_lock);
  return m_waiters.size();
}

void ManualClock::WaitForWaiters(std::size_t count) const {
  std::unique_lock lock(m_lock);
  m_waitersChanged.wait(lock, [&] {
    return m_waiters.size() >= count;
  });
}

}  // namespace win32
