// Timers on the replaceable clock: no test here sleeps.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "WindowTestSupport.h"
#include "display/Desktop.h"
#include "win32/ManualClock.h"

using wintest::MakeWindow;
using wintest::Recorder;

namespace {

class TimerTest : public testing::Test {
 protected:
  void SetUp() override { Recorder::Get().Clear(); }
  void TearDown() override {
    display::Desktop::Get().PumpUntilIdle();
    Recorder::Get().Clear();
  }
  int Pump() {
    display::Desktop::Get().PumpUntilIdle();
    return Recorder::Get().Count(m_hwnd, WM_TIMER);
  }
  win32::ManualClock m_clock;
  win32::ScopedClock m_use{m_clock};
  HWND m_hwnd = MakeWindow();
};

TEST_F(TimerTest, FiresOncePerPeriodAndNeverPilesUp) {
  EXPECT_EQ(SetTimer(m_hwnd, 5, 100, nullptr), 5u);
  m_clock.Advance(99);
  EXPECT_EQ(Pump(), 0);
  m_clock.Advance(1);
  EXPECT_EQ(Pump(), 1);
  EXPECT_EQ(Recorder::Get().All().back().wParam, 5u);
  m_clock.Advance(1000);  // ten periods late: still one message
  EXPECT_EQ(Pump(), 2);
  m_clock.Advance(99);  // the next period counts from the late delivery
  EXPECT_EQ(Pump(), 2);
  m_clock.Advance(1);
  EXPECT_EQ(Pump(), 3);
  // Setting it again restarts the period.
  m_clock.Advance(50);
  SetTimer(m_hwnd, 5, 100, nullptr);
  m_clock.Advance(50);
  EXPECT_EQ(Pump(), 3);
  EXPECT_TRUE(KillTimer(m_hwnd, 5));
  m_clock.Advance(1000);
  EXPECT_EQ(Pump(), 3);
  EXPECT_FALSE(KillTimer(m_hwnd, 5));
  DestroyWindow(m_hwnd);
}

TEST_F(TimerTest, TimerKilledAfterItsMessageWasTakenDeliversNothing) {
  SetTimer(m_hwnd, 1, 10, nullptr);
  m_clock.Advance(10);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  KillTimer(m_hwnd, 1);
  DispatchMessageW(&m);
  EXPECT_EQ(Recorder::Get().Count(m_hwnd, WM_TIMER), 0);
  DestroyWindow(m_hwnd);
}

TEST_F(TimerTest, PeekWithoutRemovingLeavesTheTimerDue) {
  SetTimer(m_hwnd, 1, 10, nullptr);
  m_clock.Advance(10);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(Pump(), 1);
  DestroyWindow(m_hwnd);
}

UINT_PTR g_procTimerCalls = 0;
void CALLBACK CountingProc(HWND, UINT, UINT_PTR, DWORD) { ++g_procTimerCalls; }

TEST_F(TimerTest, ThreadTimersGetTheirOwnIdsAndCallTheirProcedure) {
  g_procTimerCalls = 0;
  UINT_PTR a = SetTimer(nullptr, 0, 20, CountingProc);
  UINT_PTR b = SetTimer(nullptr, 0, 20, CountingProc);
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  m_clock.Advance(20);
  display::Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(g_procTimerCalls, 2u);
  KillTimer(nullptr, a);
  KillTimer(nullptr, b);
  DestroyWindow(m_hwnd);
}

TEST_F(TimerTest, OnlyTheWindowsThreadSetsItsTimersAndDestroyKillsThem) {
  UINT_PTR result = 1;
  DWORD error = 0;
  std::thread([&] {
    result = SetTimer(m_hwnd, 1, 10, nullptr);
    error = GetLastError();
  }).join();
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);
  SetTimer(m_hwnd, 2, 10, nullptr);
  DestroyWindow(m_hwnd);
  m_clock.Advance(10);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(TimerTest, ABlockedGetMessageWakesWhenTheClockReachesTheTimer) {
  std::promise<DWORD> started;
  std::thread worker([&] {
    SetTimer(nullptr, 0, 250, nullptr);
    started.set_value(GetCurrentThreadId());
    MSG m;
    GetMessageW(&m, nullptr, 0, 0);
    EXPECT_EQ(m.message, WM_TIMER);
  });
  started.get_future().wait();
  m_clock.WaitForWaiters(1);
  m_clock.Advance(250);
  worker.join();
  DestroyWindow(m_hwnd);
}

}  // namespace
