#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>

#include "win32/ManualClock.h"
#include "win32/Windows.h"

namespace {

TEST(Clock, ManualClockDrivesTickCountAndPerformanceCounter) {
  win32::ManualClock clock(5000);
  win32::ScopedClock use(clock);
  LARGE_INTEGER freq{}, before{}, after{};
  ASSERT_TRUE(QueryPerformanceFrequency(&freq));
  ASSERT_TRUE(QueryPerformanceCounter(&before));
  EXPECT_EQ(GetTickCount(), 5000u);
  clock.Advance(250);
  EXPECT_EQ(GetTickCount64(), 5250u);
  ASSERT_TRUE(QueryPerformanceCounter(&after));
  EXPECT_EQ((after.QuadPart - before.QuadPart) * 1000 / freq.QuadPart, 250);
}

TEST(Clock, TickCountWrapsAfter49Days) {
  win32::ManualClock clock(0xFFFFFFFFULL - 10);
  win32::ScopedClock use(clock);
  DWORD start = GetTickCount();
  clock.Advance(20);
  EXPECT_LT(GetTickCount(), start);
  EXPECT_EQ(GetTickCount() - start, 20u);  // unsigned difference still right
  EXPECT_EQ(GetTickCount64(), 0xFFFFFFFFULL + 10);
}

TEST(Clock, SleepEndsWhenTheTestClockPassesItsDeadline) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  std::atomic<bool> woke{false};
  std::thread sleeper([&] {
    Sleep(1000);
    woke = true;
  });
  clock.WaitForWaiters(1);
  clock.Advance(999);
  EXPECT_FALSE(woke);  // one millisecond short: still asleep
  EXPECT_EQ(clock.Waiters(), 1u);
  clock.Advance(1);
  sleeper.join();
  EXPECT_TRUE(woke);
}

TEST(Clock, TimedWaitWakesOnSignalOrDeadline) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  std::mutex m;
  std::condition_variable cv;
  bool flag = false;
  std::atomic<int> results{-1};
  std::thread waiter([&] {
    std::unique_lock lock(m);
    results = win32::CurrentClock().WaitUntil(lock, cv, win32::CurrentClock().DeadlineAfter(100),
                                              [&] { return flag; });
  });
  clock.WaitForWaiters(1);
  {
    std::lock_guard g(m);
    flag = true;
  }
  cv.notify_all();
  waiter.join();
  EXPECT_EQ(results, 1);

  flag = false;
  std::thread timesOut([&] {
    std::unique_lock lock(m);
    results = win32::CurrentClock().WaitUntil(lock, cv, win32::CurrentClock().DeadlineAfter(100),
                                              [&] { return flag; });
  });
  clock.WaitForWaiters(1);
  clock.Advance(100);
  timesOut.join();
  EXPECT_EQ(results, 0);
}

// A process-wide worker may still wait on a test's clock when the test ends:
// the wait goes on with the clock in use then, and never touches the gone one.
TEST(Clock, AWaitOnAManualClockThatGoesMovesToTheClockInUse) {
  alignas(win32::ManualClock) unsigned char storage[sizeof(win32::ManualClock)];
  auto* clock = new (storage) win32::ManualClock;
  std::mutex m;
  std::condition_variable cv;
  bool ready = false;
  bool woke = false;
  std::thread waiter;
  {
    win32::ScopedClock use(*clock);
    waiter = std::thread([&] {
      std::unique_lock lock(m);
      win32::Clock& now = win32::CurrentClock();
      woke = now.WaitUntil(lock, cv, now.DeadlineAfter(60000), [&] { return ready; });
    });
    clock->WaitForWaiters(1);
  }
  clock->~ManualClock();
  std::memset(storage, 0xA5, sizeof storage);  // what a gone clock leaves behind
  {
    std::lock_guard hold(m);
    ready = true;
  }
  cv.notify_all();
  waiter.join();
  EXPECT_TRUE(woke);
}

TEST(Clock, SystemClockTimesOutAndIsMonotonic) {
  std::mutex m;
  std::condition_variable cv;
  std::unique_lock lock(m);
  ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(win32::CurrentClock().WaitUntil(lock, cv, win32::CurrentClock().DeadlineAfter(5),
                                               [] { return false; }));
  EXPECT_GE(GetTickCount64(), start + 5);
}

}  // namespace
