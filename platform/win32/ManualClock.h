#pragma once
// A clock that stands still until a test moves it.
//
//   win32::ManualClock clock;
//   win32::ScopedClock use(clock);
//   ... start a thread that calls WaitForSingleObject(event, 5000) ...
//   clock.WaitForWaiters(1);   // the thread is inside its timed wait
//   clock.Advance(5000);       // its wait returns WAIT_TIMEOUT
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <list>
#include <mutex>

#include "win32/Clock.h"

namespace win32 {

class ManualClock final : public Clock {
 public:
  // Starts at `startMs` (GetTickCount's value); far from zero by default, so that
  // code treating zero as "never" is not fooled.
  explicit ManualClock(ULONGLONG startMs = 1000000);
  // A thread still inside a timed wait on this clock (a process-wide worker
  // that began it while the clock was in use) is moved to the clock in use
  // now, with the time it had left, before this one goes.
  ~ManualClock() override;
  ManualClock(const ManualClock&) = delete;
  ManualClock& operator=(const ManualClock&) = delete;

  ULONGLONG NowNs() const override;
  bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                 ULONGLONG deadlineMs, const std::function<bool()>& ready) override;

  // Moves time forward and wakes every timed wait whose deadline is now past.
  void Advance(ULONGLONG ms);
  void advance(ULONGLONG ms) { Advance(ms); }

  // Number of threads inside a timed wait on this clock.
  std::size_t Waiters() const;
  // Blocks until at least `count` threads are inside a timed wait: a test calls
  // this before Advance so that the wait it means to expire has taken its deadline.
  void WaitForWaiters(std::size_t count) const;

 private:
  struct Waiter {
    std::mutex* mutex;
    std::condition_variable* cv;
    ULONGLONG deadlineMs;
  };

  mutable std::mutex m_lock;  // taken before any waiter's mutex, never after
  mutable std::condition_variable m_waitersChanged;
  std::atomic<ULONGLONG> m_nowNs;
  std::atomic<bool> m_retired{false};
  std::list<Waiter> m_waiters;
};

}  // namespace win32
