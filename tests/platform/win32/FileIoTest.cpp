// Open files behind handles.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "win32/NativePath.h"
#include "win32/Windows.h"

namespace fs = std::filesystem;
using dorvtest::ReadFile;
using dorvtest::TempDir;
using dorvtest::WriteFile;

namespace {

std::wstring W(const fs::path& p) { return WidePath(p.c_str()); }

HANDLE Open(const fs::path& p, DWORD access, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  return CreateFileW(W(p).c_str(), access, FILE_SHARE_READ, nullptr, disposition, flags, nullptr);
}

}  // namespace

TEST(CreateFile, DispositionsFollowWindows) {
  TempDir dir;
  WriteFile(dir / "old", "content");
  HANDLE h = Open(dir / "old", GENERIC_WRITE, CREATE_NEW);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);

  h = Open(dir / "old", GENERIC_READ, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  CloseHandle(h);
  EXPECT_EQ(ReadFile(dir / "old"), "content");

  h = Open(dir / "old", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  CloseHandle(h);
  EXPECT_EQ(ReadFile(dir / "old"), "");

  h = Open(dir / "fresh", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  CloseHandle(h);

  EXPECT_EQ(Open(dir / "none", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(dir / "no" / "none", GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(CreateFile, FoldersOpenOnlyWithBackupSemantics) {
  TempDir dir;
  EXPECT_EQ(Open(dir.path(), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  HANDLE h = Open(dir.path(), 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(h));
}

TEST(ReadWrite, RoundTripWithPositionsAndSizes) {
  TempDir dir;
  HANDLE h = Open(dir / "f", GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, "hello world", 11, &n, nullptr));
  EXPECT_EQ(n, 11u);
  LARGE_INTEGER size{};
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size.QuadPart, 11);

  LARGE_INTEGER to{};
  to.QuadPart = 6;
  LARGE_INTEGER at{};
  ASSERT_TRUE(SetFilePointerEx(h, to, &at, FILE_BEGIN));
  EXPECT_EQ(at.QuadPart, 6);
  char buffer[32] = {};
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), "world");
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &n, nullptr));  // end of file: success, no bytes
  EXPECT_EQ(n, 0u);

  to.QuadPart = -20;
  EXPECT_FALSE(SetFilePointerEx(h, to, &at, FILE_END));
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  to.QuadPart = 5;
  ASSERT_TRUE(SetFilePointerEx(h, to, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(h));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(ReadFile(dir / "f"), "hello");
}

TEST(Handles, ClosedOrForeignHandlesAreRefused) {
  TempDir dir;
  WriteFile(dir / "f", "x");
  HANDLE h = Open(dir / "f", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FindClose(h));  // a file is no search
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  DWORD n = 0;
  EXPECT_FALSE(WriteFile(h, "y", 1, &n, nullptr));  // opened for reading only
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  ASSERT_TRUE(CloseHandle(h));
  char c;
  n = 7;
  EXPECT_FALSE(ReadFile(h, &c, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(n, 0u);
}

TEST(GetFileTime, IsTheLastWriteTimeOnDisk) {
  TempDir dir;
  WriteFile(dir / "f", "x");
  struct stat st;
  ASSERT_EQ(stat((dir / "f").c_str(), &st), 0);
  chmod((dir / "f").c_str(), 0);  // asking about a file needs no right to read it
  HANDLE h = Open(dir / "f", 0, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FILETIME write{};
  ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &write));
  CloseHandle(h);
  timespec back = TimespecFromFileTime(write);
  EXPECT_EQ(back.tv_sec, st.st_mtim.tv_sec);
  EXPECT_EQ(back.tv_nsec / 100, st.st_mtim.tv_nsec / 100);
}

TEST(FileTime, ConvertsCalendarDates) {
  struct Row { SYSTEMTIME time; ULONGLONG ticks; };
  const Row rows[] = {
      {{1601, 1, 1, 1, 0, 0, 0, 0}, 0ull},
      {{1970, 1, 0, 4, 0, 0, 0, 0}, 116447328000000000ull},
      {{2000, 2, 2, 29, 12, 34, 56, 789}, 125963012967890000ull},
      {{2026, 12, 4, 10, 23, 59, 59, 0}, 134414207990000000ull},
  };
  for (const Row& r : rows) {
    FILETIME ft{};
    ASSERT_TRUE(SystemTimeToFileTime(&r.time, &ft)) << r.time.wYear;
    EXPECT_EQ((static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime, r.ticks) << r.time.wYear;
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ(back.wYear, r.time.wYear);
    EXPECT_EQ(back.wMonth, r.time.wMonth);
    EXPECT_EQ(back.wDay, r.time.wDay);
    EXPECT_EQ(back.wDayOfWeek, r.time.wDayOfWeek) << r.time.wYear;
    EXPECT_EQ(back.wSecond, r.time.wSecond);
    EXPECT_EQ(back.wMilliseconds, r.time.wMilliseconds);
  }
  SYSTEMTIME bad{2023, 2, 0, 29, 0, 0, 0, 0};
  FILETIME ft{};
  EXPECT_FALSE(SystemTimeToFileTime(&bad, &ft));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}
