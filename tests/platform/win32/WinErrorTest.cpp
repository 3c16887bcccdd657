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
