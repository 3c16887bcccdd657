// Per-thread queues: retrieval order, filters, quitting, and messages across threads.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "WindowTestSupport.h"
#include "display/Desktop.h"
#include "win32/ManualClock.h"

using wintest::MakeWindow;
using wintest::Recorder;

namespace {

class MessageQueueTest : public testing::Test {
 protected:
  void SetUp() override {
    Recorder::Get().Clear();
    Drain();
  }
  void TearDown() override {
    Recorder::Get().Clear();
    Drain();
  }
  static void Drain() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  Recorder& rec() { return Recorder::Get(); }
};

TEST_F(MessageQueueTest, RetrievalOrderIsSentPostedPaintTimerQuit) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  HWND hwnd = MakeWindow(L"", nullptr, WS_VISIBLE);
  ValidateRect(hwnd, nullptr);
  rec().Clear();

  PostQuitMessage(3);
  SetTimer(hwnd, 9, 100, nullptr);
  clock.Advance(100);
  InvalidateRect(hwnd, nullptr, FALSE);
  PostMessageW(hwnd, WM_USER + 1, 0, 0);
  PostMessageW(hwnd, WM_USER + 2, 0, 0);
  // A message sent from another thread is served inside the first retrieval.
  std::thread sender([hwnd] { SendMessageW(hwnd, WM_USER + 50, 0, 0); });
  while (!(GetQueueStatus(QS_SENDMESSAGE) & QS_SENDMESSAGE)) WaitMessage();

  std::vector<UINT> order;
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0)) {
    order.push_back(m.message);
    DispatchMessageW(&m);
    if (m.message == WM_TIMER) KillTimer(hwnd, 9);
  }
  sender.join();
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_PAINT, WM_TIMER}));
  EXPECT_EQ(rec().All().front().msg, WM_USER + 50u);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));  // the quit was taken
  DestroyWindow(hwnd);
}

TEST_F(MessageQueueTest, FiltersChooseWindowsAndRangesButQuitAlwaysComes) {
  HWND a = MakeWindow();
  HWND aChild = MakeWindow(L"", a);
  HWND b = MakeWindow();
  PostMessageW(b, WM_USER + 1, 0, 0);
  PostMessageW(aChild, WM_USER + 2, 0, 0);
  PostThreadMessageW(GetCurrentThreadId(), WM_USER + 3, 0, 0);
  PostMessageW(a, WM_APP, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, a, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.hwnd, aChild);  // a window filter takes its children too
  ASSERT_TRUE(PeekMessageW(&m, a, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 2);
  ASSERT_TRUE(PeekMessageW(&m, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 3);
  EXPECT_EQ(m.hwnd, nullptr);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_APP, WM_APP, PM_REMOVE));
  EXPECT_EQ(m.hwnd, a);
  PostQuitMessage(0);
  ASSERT_TRUE(PeekMessageW(&m, a, WM_APP, WM_APP, PM_REMOVE));
  EXPECT_EQ(m.message, WM_QUIT);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 1);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  DestroyWindow(a);
  DestroyWindow(b);
}

TEST_F(MessageQueueTest, PostingFromManyThreadsKeepsEachSendersOrder) {
  HWND hwnd = MakeWindow();
  constexpr int kThreads = 4, kEach = 200;
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([=] {
      for (int i = 0; i < kEach; ++i) PostMessageW(hwnd, WM_USER, static_cast<WPARAM>(t), i);
    });
  }
  for (auto& p : posters) p.join();
  display::Desktop::Get().PumpUntilIdle();
  std::vector<LPARAM> last(kThreads, -1);
  int count = 0;
  for (auto& s : rec().All()) {
    if (s.msg != WM_USER) continue;
    EXPECT_EQ(s.lParam, last[s.wParam] + 1);
    last[s.wParam] = s.lParam;
    ++count;
  }
  EXPECT_EQ(count, kThreads * kEach);
  DestroyWindow(hwnd);
}

TEST_F(MessageQueueTest, PostThreadMessageNeedsALiveQueue) {
  std::promise<DWORD> id;
  std::promise<void> posted;
  std::thread worker([&] {
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
    id.set_value(GetCurrentThreadId());
    GetMessageW(&m, nullptr, 0, 0);
    EXPECT_EQ(m.message, WM_USER + 9);
    EXPECT_EQ(m.lParam, 99);
  });
  DWORD workerId = id.get_future().get();
  EXPECT_TRUE(PostThreadMessageW(workerId, WM_USER + 9, 0, 99));
  worker.join();
  SetLastError(0);
  EXPECT_FALSE(PostThreadMessageW(workerId, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

// The window's thread runs a modal loop of its own while another thread sends to it;
// inside the handler it sends back to the sender's window, which the blocked sender serves.
TEST_F(MessageQueueTest, SendAcrossThreadsIsServedInNestedLoopsBothWays) {
  HWND uiWindow = MakeWindow();
  std::atomic<bool> modalDone{false};
  std::atomic<HWND> workerWindow{nullptr};
  rec().SetReaction([&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (hwnd == uiWindow && msg == WM_USER + 1) {
      EXPECT_TRUE(InSendMessage());
      // Calls back into the thread that is blocked sending to us.
      result = static_cast<LRESULT>(wParam) * 10 + SendMessageW(workerWindow, WM_USER + 2, 0, 0);
      return true;
    }
    if (msg == WM_USER + 2) {
      result = 7;
      return true;
    }
    if (hwnd == uiWindow && msg == WM_USER + 3) {
      modalDone = true;
      return true;
    }
    return false;
  });
  std::thread worker([&] {
    HWND own = MakeWindow(L"worker");
    workerWindow = own;
    EXPECT_EQ(SendMessageW(uiWindow, WM_USER + 1, 4, 0), 47);
    PostMessageW(uiWindow, WM_USER + 3, 0, 0);
    DestroyWindow(own);
  });
  // A modal loop, as a dialog would run it.
  MSG m;
  while (!modalDone && GetMessageW(&m, nullptr, 0, 0)) DispatchMessageW(&m);
  worker.join();
  EXPECT_FALSE(InSendMessage());
  DestroyWindow(uiWindow);
}

TEST_F(MessageQueueTest, SenderIsReleasedWhenTheTargetThreadEnds) {
  std::promise<HWND> made;
  std::thread target([&] {
    made.set_value(MakeWindow(L"doomed"));
    // Ends without serving the message that arrives.
    while (!(GetQueueStatus(QS_SENDMESSAGE) & QS_SENDMESSAGE)) WaitMessage();
  });
  HWND hwnd = made.get_future().get();
  EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 0);
  target.join();
  EXPECT_FALSE(IsWindow(hwnd));  // a thread's windows end with it
  EXPECT_EQ(rec().Count(hwnd, WM_USER), 0);
}

TEST_F(MessageQueueTest, SendMessageTimeoutGivesUpOnTheClock) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  std::promise<HWND> made;
  std::promise<void> release;
  std::thread target([&] {
    made.set_value(MakeWindow(L"busy"));
    release.get_future().wait();  // busy, not serving messages
  });
  HWND hwnd = made.get_future().get();
  std::thread waker([&] {
    clock.WaitForWaiters(1);
    clock.Advance(500);
  });
  DWORD_PTR result = 1;
  EXPECT_EQ(SendMessageTimeoutW(hwnd, WM_USER, 0, 0, SMTO_NORMAL, 500, &result), 0);
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  waker.join();
  release.set_value();
  target.join();
}

TEST_F(MessageQueueTest, SendNotifyDoesNotWaitAndSameThreadSendCallsDirectly) {
  std::promise<HWND> made;
  std::promise<void> release;
  std::thread target([&] {
    HWND own = MakeWindow(L"notified");
    made.set_value(own);
    release.get_future().wait();
    display::Desktop::Get().PumpUntilIdle();
    DestroyWindow(own);
  });
  HWND hwnd = made.get_future().get();
  EXPECT_TRUE(SendNotifyMessageW(hwnd, WM_USER + 4, 0, 0));  // returns while the target is busy
  release.set_value();
  target.join();
  EXPECT_EQ(rec().Count(hwnd, WM_USER + 4), 1);

  HWND own = MakeWindow();
  rec().SetReaction([](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
    result = msg == WM_USER ? 5 : 0;
    return msg == WM_USER;
  });
  EXPECT_EQ(SendMessageW(own, WM_USER, 0, 0), 5);
  EXPECT_FALSE(InSendMessage());
  DestroyWindow(own);
}

TEST_F(MessageQueueTest, PumpUntilIdleLeavesQuitInPlace) {
  HWND hwnd = MakeWindow();
  PostMessageW(hwnd, WM_USER, 0, 0);
  PostQuitMessage(8);
  PostMessageW(hwnd, WM_USER, 0, 0);
  EXPECT_EQ(display::Desktop::Get().PumpUntilIdle(), 2);
  MSG m;
  EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.wParam, 8u);
  DestroyWindow(hwnd);
}

}  // namespace

namespace {

TEST(MsgWaitTest, WakesForObjectsForPostedInputAndForDueTimers) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::promise<DWORD> id;
  std::promise<void> steps[3];
  std::thread waiter([&] {
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
    id.set_value(GetCurrentThreadId());
    // The event.
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT), WAIT_OBJECT_0);
    ResetEvent(event);
    steps[0].set_value();
    // A posted message, which stays in the queue.
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_POSTMESSAGE), WAIT_OBJECT_0 + 1);
    EXPECT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    // A timer falling due on the clock.
    SetTimer(nullptr, 0, 100, nullptr);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_TIMER), WAIT_OBJECT_0 + 1);
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    steps[1].set_value();
    // Nothing: the time-out.
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 50, QS_POSTMESSAGE), static_cast<DWORD>(WAIT_TIMEOUT));
  });
  DWORD worker = id.get_future().get();
  SetEvent(event);
  steps[0].get_future().wait();
  PostThreadMessageW(worker, WM_USER, 0, 0);
  clock.WaitForWaiters(1);  // inside the timer wait
  clock.Advance(100);
  steps[1].get_future().wait();
  clock.WaitForWaiters(1);
  clock.Advance(50);
  waiter.join();
  CloseHandle(event);
}

}  // namespace

namespace {

TEST(FilteredWaitTest, AFilteredGetMessageWaitsForAMatchWhileOthersAreQueued) {
  std::promise<DWORD> id;
  std::atomic<bool> gotMatch{false};
  std::thread worker([&] {
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
    PostThreadMessageW(GetCurrentThreadId(), WM_USER + 1, 0, 0);  // queued, not wanted now
    id.set_value(GetCurrentThreadId());
    ASSERT_TRUE(GetMessageW(&m, nullptr, WM_USER + 2, WM_USER + 2));
    EXPECT_EQ(m.message, WM_USER + 2);
    gotMatch = true;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));  // the other is still there
    EXPECT_EQ(m.message, WM_USER + 1);
  });
  DWORD workerId = id.get_future().get();
  EXPECT_FALSE(gotMatch);
  PostThreadMessageW(workerId, WM_USER + 2, 0, 0);
  worker.join();
  EXPECT_TRUE(gotMatch);
}

}  // namespace
