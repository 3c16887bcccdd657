#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "win32/ManualClock.h"
#include "win32/Windows.h"

namespace {

struct Handle {
  HANDLE h;
  explicit Handle(HANDLE handle) : h(handle) {}
  Handle(Handle&& other) noexcept : h(other.h) { other.h = nullptr; }
  Handle(const Handle&) = delete;
  ~Handle() {
    if (h) CloseHandle(h);
  }
  operator HANDLE() const { return h; }
};

TEST(Events, ManualStaysSetAutoResetsOnOneWait) {
  Handle manual(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  Handle automatic(CreateEventW(nullptr, FALSE, TRUE, nullptr));
  ASSERT_TRUE(manual && automatic);

  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  ASSERT_TRUE(SetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  ASSERT_TRUE(ResetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);

  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);
}

TEST(Events, AutoResetWakesExactlyOneOfTwoWaiters) {
  Handle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  Handle done(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  std::atomic<int> woken{0};
  auto waiter = [&] {
    if (WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0) ++woken;
    SetEvent(done);
  };
  std::thread a(waiter), b(waiter);
  SetEvent(event);
  ASSERT_EQ(WaitForSingleObject(done, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(woken, 1);
  SetEvent(event);
  a.join();
  b.join();
  EXPECT_EQ(woken, 2);
}

TEST(Waits, AnyGivesTheLowestSignalledIndexAllTakesEverythingAtOnce) {
  Handle a(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  Handle b(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  Handle c(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  HANDLE all[] = {a, b, c};
  SetEvent(b);
  SetEvent(c);
  EXPECT_EQ(WaitForMultipleObjects(3, all, FALSE, 0), WAIT_OBJECT_0 + 1);
  // Not all signalled: the wait for all times out and takes nothing.
  EXPECT_EQ(WaitForMultipleObjects(3, all, TRUE, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(c, 0), WAIT_OBJECT_0);
  SetEvent(a);
  SetEvent(b);
  SetEvent(c);
  EXPECT_EQ(WaitForMultipleObjects(3, all, TRUE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(3, all, FALSE, 0), WAIT_TIMEOUT);
}

// A thread's voluntary context switches so far, and whether it is asleep now.
long Switches(pid_t tid) {
  std::ifstream status("/proc/self/task/" + std::to_string(tid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(24));
  return -1;
}
bool Asleep(pid_t tid) {
  std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
  std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t end = all.rfind(')');
  return end != std::string::npos && end + 2 < all.size() && all[end + 2] == 'S';
}

TEST(Waits, ASignalWakesOnlyTheThreadsWaitingOnThatObject) {
  Handle mine(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  Handle other(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::atomic<pid_t> tid{0};
  std::thread waiter([&] {
    tid = gettid();
    WaitForSingleObject(mine, INFINITE);
  });
  while (!tid || !Asleep(tid)) std::this_thread::yield();
  const long before = Switches(tid);
  for (int i = 0; i < 1000; ++i) {
    SetEvent(other);
    ResetEvent(other);
    std::this_thread::yield();
  }
  EXPECT_LE(Switches(tid) - before, 2);  // at most a stray wake-up or two of the system's
  SetEvent(mine);
  waiter.join();
}

TEST(Waits, BadArgumentsFail) {
  Handle a(CreateEventW(nullptr, TRUE, TRUE, nullptr));
  struct Case {
    std::vector<HANDLE> handles;
    BOOL all;
    DWORD error;
  } cases[] = {
      {{}, FALSE, ERROR_INVALID_PARAMETER},
      {{reinterpret_cast<HANDLE>(0x7777)}, FALSE, ERROR_INVALID_HANDLE},
      {{a, nullptr}, FALSE, ERROR_INVALID_HANDLE},
      {{a, a}, TRUE, ERROR_INVALID_PARAMETER},
      {std::vector<HANDLE>(MAXIMUM_WAIT_OBJECTS + 1, a.h), FALSE, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(WaitForMultipleObjects(static_cast<DWORD>(c.handles.size()), c.handles.data(), c.all, 0),
              WAIT_FAILED);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(SetEvent(nullptr), FALSE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Waits, TimeOutFollowsTheTestClockAndASignalEndsTheWaitEarly) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  Handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::atomic<DWORD> result{12345};
  std::thread waiter([&] { result = WaitForSingleObject(event, 5000); });
  clock.WaitForWaiters(1);
  clock.Advance(4999);
  EXPECT_EQ(result, 12345u);
  clock.Advance(1);
  waiter.join();
  EXPECT_EQ(result, WAIT_TIMEOUT);

  std::thread signalled([&] { result = WaitForSingleObject(event, 5000); });
  clock.WaitForWaiters(1);
  SetEvent(event);
  signalled.join();
  EXPECT_EQ(result, WAIT_OBJECT_0);
}

TEST(Mutexes, RecursiveOwnershipAndReleaseByTheOwnerOnly) {
  Handle mutex(CreateMutexW(nullptr, TRUE, nullptr));
  ASSERT_TRUE(mutex);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);  // count 2
  std::thread other([&] {
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_TIMEOUT);
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
  });
  other.join();
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(mutex));
  std::thread free([&] {
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(mutex));
  });
  free.join();
}

TEST(Mutexes, AThreadEndingWhileOwningAbandonsIt) {
  Handle mutex(CreateMutexW(nullptr, FALSE, nullptr));
  Handle other(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread owner([&] { EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0); });
  owner.join();
  HANDLE both[] = {other, mutex};
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_ABANDONED_0 + 1);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);  // abandonment is told once
  EXPECT_TRUE(ReleaseMutex(mutex));
}

DWORD WINAPI WaitThenReturn(LPVOID parameter) {
  WaitForSingleObject(static_cast<HANDLE>(parameter), INFINITE);
  return GetCurrentThreadId() ^ 0x5A5A;
}

TEST(Threads, HandleSignalsTheEndAndGivesTheExitCode) {
  Handle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  DWORD id = 0;
  Handle thread(CreateThread(nullptr, 0, WaitThenReturn, go.h, 0, &id));
  ASSERT_TRUE(thread);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_EQ(GetThreadId(thread), id);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
  SetEvent(go);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, id ^ 0x5A5A);
  EXPECT_FALSE(TerminateThread(thread, 1));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

TEST(Threads, SuspendedThreadRunsAfterResume) {
  static std::atomic<int> ran;
  ran = 0;
  auto body = [](LPVOID) -> DWORD {
    ++ran;
    return 7;
  };
  Handle thread(CreateThread(nullptr, 64 * 1024, body, nullptr, CREATE_SUSPENDED, nullptr));
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
  EXPECT_EQ(ran, 0);
  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(ran, 1);
}

TEST(CriticalSections, RecursiveForTheOwnerClosedToOthers) {
  CRITICAL_SECTION cs;
  InitializeCriticalSection(&cs);
  EnterCriticalSection(&cs);
  EXPECT_TRUE(TryEnterCriticalSection(&cs));
  std::thread other([&] { EXPECT_FALSE(TryEnterCriticalSection(&cs)); });
  other.join();
  LeaveCriticalSection(&cs);
  LeaveCriticalSection(&cs);
  std::thread after([&] {
    EXPECT_TRUE(TryEnterCriticalSection(&cs));
    LeaveCriticalSection(&cs);
  });
  after.join();
  DeleteCriticalSection(&cs);
}

TEST(Interlocked, ReturnValuesAndAtomicity) {
  volatile LONG value = 5;
  EXPECT_EQ(InterlockedIncrement(&value), 6);
  EXPECT_EQ(InterlockedDecrement(&value), 5);
  EXPECT_EQ(InterlockedExchange(&value, 9), 5);
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 8), 9);  // no match: unchanged
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 9), 9);
  EXPECT_EQ(value, 1);
  volatile LONG counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) InterlockedIncrement(&counter);
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, 40000);
}

TEST(NamedEvents, OneObjectPerNameInAProcessAndGoneWithTheLastHandle) {
  HANDLE first = CreateEventW(nullptr, TRUE, FALSE, L"Dorv Test Event");
  ASSERT_TRUE(first);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  HANDLE second = CreateEventW(nullptr, FALSE, TRUE, L"Dorv Test Event");
  ASSERT_TRUE(second);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_NE(first, second);
  EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_TIMEOUT);  // the existing event's state holds
  SetEvent(second);
  EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0);
  HANDLE opened = OpenEventW(EVENT_ALL_ACCESS, FALSE, L"Dorv Test Event");
  EXPECT_EQ(WaitForSingleObject(opened, 0), WAIT_OBJECT_0);
  // A name serves one kind of object.
  EXPECT_EQ(CreateMutexW(nullptr, FALSE, L"Dorv Test Event"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  // Names are exact: another case is another name.
  Handle other(CreateEventW(nullptr, TRUE, FALSE, L"dorv test event"));
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

  CloseHandle(first);
  CloseHandle(second);
  CloseHandle(opened);
  EXPECT_EQ(OpenEventW(SYNCHRONIZE, FALSE, L"Dorv Test Event"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  Handle again(CreateEventW(nullptr, TRUE, FALSE, L"Dorv Test Event"));
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}

TEST(NamedEvents, OddAndLongNamesStayApart) {
  std::wstring longA(300, L'a'), longB = longA;
  longB.back() = L'b';
  const std::wstring names[] = {L"Global\\x/y", L"Global\\x%2Fy", L"名字", longA, longB};
  std::vector<Handle> handles;
  for (const auto& name : names) {
    HANDLE h = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    ASSERT_TRUE(h);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS) << handles.size();
    handles.emplace_back(h);
  }
}

}  // namespace
