#pragma once
// The one clock of the process: GetTickCount, QueryPerformanceCounter, Sleep, the
// time-outs of every wait and the window timers all read it.
//
// By default it is the system's monotonic clock. A test installs a ManualClock
// (win32/ManualClock.h) and moves time forward itself; timed waits whose deadline
// the new time has passed then wake, so no test has to sleep.
//
// Timed waits go through Clock::WaitUntil, which takes the caller's lock and
// condition variable: the object being waited on notifies the condition variable
// when its state changes, the clock when the deadline passes.
#include <condition_variable>
#include <functional>
#include <mutex>

#include "win32/WinDef.h"

namespace win32 {

class Clock {
 public:
  // A deadline that never comes (a wait with INFINITE).
  static constexpr ULONGLONG kNever = ~0ULL;

  virtual ~Clock() = default;

  // Monotonic time in nanoseconds; only differences mean something.
  virtual ULONGLONG NowNs() const = 0;
  ULONGLONG NowMs() const { return NowNs() / 1000000; }

  // The deadline, in NowMs() terms, of a wait of `timeoutMs` from now
  // (kNever for INFINITE).
  ULONGLONG DeadlineAfter(DWORD timeoutMs) const;

  // Waits with `lock` held on entry and on return until `ready()` is true or
  // NowMs() reaches `deadlineMs`; returns the last value of `ready()`. The caller
  // notifies `cv` (holding the lock's mutex) whenever `ready()` may have changed.
  // `ready()` runs with the lock held and is not called again once it returned
  // true, so it may take what it found (reset an auto-reset event, own a mutex).
  // The mutex may be released and taken again between calls of `ready()`; hold
  // no other lock while waiting.
  virtual bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                         ULONGLONG deadlineMs, const std::function<bool()>& ready) = 0;

  // Blocks the calling thread for `ms` of this clock's time.
  void SleepFor(DWORD ms);
};

// The clock in use.
Clock& CurrentClock();

// Installs `clock` (null: back to the system clock) and returns the clock that was
// in use. Install before starting threads that wait, restore after they are gone;
// the clock must outlive its use.
Clock* SetClock(Clock* clock);

// Installs a clock for a scope and puts the previous one back after it.
class ScopedClock {
 public:
  explicit ScopedClock(Clock& clock) : m_previous(SetClock(&clock)) {}
  ~ScopedClock() { SetClock(m_previous); }
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  Clock* m_previous;
};

}  // namespace win32

// Milliseconds of the clock; wraps after 49.7 days like on Windows.
DWORD GetTickCount();
ULONGLONG GetTickCount64();
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
// Always 10 MHz (100 ns units); never fails.
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
// Sleep(0) gives up the rest of the time slice; Sleep(INFINITE) never returns.
void Sleep(DWORD ms);
