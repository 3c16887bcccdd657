// Completion ports, process privileges.
#include <gtest/gtest.h>

#include <thread>

#include "TempDir.h"
#include "win32/ManualClock.h"
#include "win32/NativePath.h"
#include "win32/Windows.h"

TEST(CompletionPort, PostedPacketsComeBackInOrderWithTheirKeys) {
  HANDLE port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
  ASSERT_NE(port, nullptr);
  OVERLAPPED first{}, second{};
  ASSERT_TRUE(PostQueuedCompletionStatus(port, 4, 11, &first));
  ASSERT_TRUE(PostQueuedCompletionStatus(port, 0, 22, &second));
  DWORD bytes = 0;
  ULONG_PTR key = 0;
  OVERLAPPED* overlapped = nullptr;
  ASSERT_TRUE(GetQueuedCompletionStatus(port, &bytes, &key, &overlapped, 0));
  EXPECT_EQ(bytes, 4u);
  EXPECT_EQ(key, 11u);
  EXPECT_EQ(overlapped, &first);
  ASSERT_TRUE(GetQueuedCompletionStatus(port, &bytes, &key, &overlapped, INFINITE));
  EXPECT_EQ(key, 22u);
  EXPECT_EQ(overlapped, &second);

  EXPECT_FALSE(GetQueuedCompletionStatus(port, &bytes, &key, &overlapped, 0));
  EXPECT_EQ(GetLastError(), WAIT_TIMEOUT);
  EXPECT_EQ(overlapped, nullptr);
  CloseHandle(port);
  EXPECT_FALSE(PostQueuedCompletionStatus(port, 0, 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(CompletionPort, TimedWaitFollowsTheClockAndClosingThePortEndsAWait) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  HANDLE port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 0);
  DWORD result = 0, error = 0;
  std::thread waiter([&] {
    DWORD bytes;
    ULONG_PTR key;
    OVERLAPPED* overlapped;
    result = GetQueuedCompletionStatus(port, &bytes, &key, &overlapped, 5000);
    error = GetLastError();
  });
  clock.WaitForWaiters(1);
  clock.Advance(5000);
  waiter.join();
  EXPECT_FALSE(result);
  EXPECT_EQ(error, WAIT_TIMEOUT);

  std::thread blocked([&] {
    DWORD bytes;
    ULONG_PTR key;
    OVERLAPPED* overlapped;
    result = GetQueuedCompletionStatus(port, &bytes, &key, &overlapped, 60000);
    error = GetLastError();
  });
  clock.WaitForWaiters(1);
  CloseHandle(port);
  blocked.join();
  EXPECT_FALSE(result);
  EXPECT_EQ(error, ERROR_ABANDONED_WAIT_0);
}

TEST(CompletionPort, OnlyOverlappedFoldersBindAndOnlyOnce) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "file", "x");
  std::wstring folder = WidePath(dir.path().c_str());
  std::wstring file = WidePath((dir / "file").c_str());

  HANDLE plainFile = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OVERLAPPED, nullptr);
  HANDLE plainFolder = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  HANDLE watched = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  ASSERT_NE(plainFile, INVALID_HANDLE_VALUE);
  ASSERT_NE(plainFolder, INVALID_HANDLE_VALUE);
  ASSERT_NE(watched, INVALID_HANDLE_VALUE);

  EXPECT_EQ(CreateIoCompletionPort(plainFile, nullptr, 1, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(CreateIoCompletionPort(plainFolder, nullptr, 1, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(CreateIoCompletionPort(reinterpret_cast<HANDLE>(0x7ff0), nullptr, 1, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  HANDLE port = CreateIoCompletionPort(watched, nullptr, 7, 0);
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(CreateIoCompletionPort(watched, port, 8, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  // A second folder joins the existing port and gets it back.
  HANDLE other = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  EXPECT_EQ(CreateIoCompletionPort(other, port, 9, 0), port);

  for (HANDLE h : {plainFile, plainFolder, watched, other, port}) CloseHandle(h);
}

TEST(Privileges, EnablingAKnownPrivilegeSucceedsAndUnknownOnesFailAsOnWindows) {
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
  for (const wchar_t* name : {SE_BACKUP_NAME, SE_RESTORE_NAME, SE_CHANGE_NOTIFY_NAME, L"sebackupprivilege"}) {
    SCOPED_TRACE(testing::Message() << WideToUtf8(name));
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    ASSERT_TRUE(LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid));
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    SetLastError(ERROR_INVALID_FUNCTION);
    EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  }
  LUID luid{};
  EXPECT_FALSE(LookupPrivilegeValueW(nullptr, L"SeNoSuchPrivilege", &luid));
  EXPECT_EQ(GetLastError(), ERROR_NO_SUCH_PRIVILEGE);

  TOKEN_PRIVILEGES unknown{1, {{{4242, 0}, SE_PRIVILEGE_ENABLED}}};
  EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &unknown, sizeof unknown, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_NOT_ALL_ASSIGNED);
  CloseHandle(token);
  EXPECT_FALSE(AdjustTokenPrivileges(token, FALSE, &unknown, sizeof unknown, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}
