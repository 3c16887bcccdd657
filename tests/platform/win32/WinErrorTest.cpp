#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "win32/WinError.h"

TEST(LastError, IsKeptPerThread) {
  SetLastError(ERROR_ACCESS_DENIED);
  std::thread([] {
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    SetLastError(ERROR_FILE_NOT_FOUND);
  }).join();
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(LastError, ErrnoMapsOntoWindowsNumbers) {
  struct Row { int err; DWORD code; };
  for (Row r : {Row{ENOENT, 2}, Row{ENOTDIR, 3}, Row{EACCES, 5}, Row{EEXIST, 183}, Row{ENOTEMPTY, 145}}) {
    EXPECT_EQ(ErrnoToWin32(r.err), r.code) << "errno " << r.err;
  }
}

#include "win32/Handle.h"

TEST(HandleTable, ClosedHandleNamesNothingButUsersKeepTheObject) {
  struct Probe : win32::KernelObject {};
  HANDLE h = win32::RegisterHandle(std::make_shared<Probe>());
  ASSERT_NE(h, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  auto held = win32::LookupHandleAs<Probe>(h);
  ASSERT_TRUE(held);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_FALSE(win32::LookupHandle(h));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(held.use_count(), 1);
}
