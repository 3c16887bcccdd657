#include "win32/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "win32/WinError.h"

namespace win32 {
namespace {

// CLOCK_MONOTONIC: counts from boot, never jumps with the wall clock.
class SystemClock final : public Clock {
 public:
  ULONGLONG NowNs() const override {
    return static_cast<ULONGLONG>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                      std::chrono::steady_clock::now().time_since_epoch())
                                      .count());
  }

  bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                 ULONGLONG deadlineMs, const std::function<bool()>& ready) override {
    if (deadlineMs == kNever) {
      cv.wait(lock, ready);
      return true;
    }
    // Deadlines this far out would overflow the time point: wait in slices.
    constexpr ULONGLONG kSliceMs = 24ULL * 3600 * 1000;
    while (!ready()) {
      ULONGLONG now = NowMs();
      if (now >= deadlineMs) return false;
      ULONGLONG until = std::min(deadlineMs, now + kSliceMs);
      std::chrono::steady_clock::time_point at{std::chrono::milliseconds(until)};
      cv.wait_until(lock, at);
    }
    return true;
  }
};

SystemClock g_systemClock;
std::atomic<Clock*> g_clock{&g_systemClock};

}  // namespace

ULONGLONG Clock::DeadlineAfter(DWORD timeoutMs) const {
  if (timeoutMs == INFINITE) return kNever;
  return NowMs() + timeoutMs;
}

void Clock::SleepFor(DWORD ms) {
  if (ms == 0) {
    std::this_thread::yield();
    return;
  }
  std::mutex m;
  std::condition_variable cv;
  std::unique_lock lock(m);
  WaitUntil(lock, cv, DeadlineAfter(ms), [] { return false; });
}

Clock& CurrentClock() { return *g_clock.load(std::memory_order_acquire); }

Clock* SetClock(Clock* clock) {
  Clock* previous = g_clock.exchange(clock ? clock : &g_systemClock, std::memory_order_acq_rel);
  return previous;
}

}  // namespace win32

DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

ULONGLONG GetTickCount64() { return win32::CurrentClock().NowMs(); }

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  count->QuadPart = static_cast<LONGLONG>(win32::CurrentClock().NowNs() / 100);
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  frequency->QuadPart = 10000000;
  return TRUE;
}

void Sleep(DWORD ms) { win32::CurrentClock().SleepFor(ms); }
