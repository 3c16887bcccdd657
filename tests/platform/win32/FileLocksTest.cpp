// Occupied files: a lock held by another process makes the file functions
// refuse the file as Windows refuses one that another program holds open.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "LockHolderProcess.h"
#include "TempDir.h"
#include "win32/Windows.h"

namespace {

using wintest::LockHolderProcess;

std::wstring W(const std::filesystem::path& path) { return path.wstring(); }

HANDLE OpenExclusive(const std::filesystem::path& path) {
  return CreateFileW(W(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

class FileLocksTest : public ::testing::Test {
 protected:
  dorvtest::TempDir m_dir;
  std::filesystem::path m_file = m_dir / "held.txt";
  void SetUp() override { dorvtest::WriteFile(m_file, "content"); }
};

TEST_F(FileLocksTest, EveryKindOfLockMakesAnExclusiveOpenASharingViolation) {
  for (const char* mode : {"ofd-shared", "ofd-exclusive", "flock-shared", "flock-exclusive"}) {
    SCOPED_TRACE(mode);
    LockHolderProcess holder(m_file.string(), mode);
    SetLastError(0);
    EXPECT_EQ(OpenExclusive(m_file), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    holder.Release();
    HANDLE handle = OpenExclusive(m_file);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
  }
}

TEST_F(FileLocksTest, ASharedLockStillLetsOthersReadWithSharing) {
  LockHolderProcess holder(m_file.string(), "ofd-shared");
  HANDLE reader = CreateFileW(W(m_file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  CloseHandle(reader);
  HANDLE writer = CreateFileW(W(m_file).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
}

TEST_F(FileLocksTest, AnExclusiveLockRefusesEvenASharingReader) {
  LockHolderProcess holder(m_file.string(), "flock-exclusive");
  HANDLE reader = CreateFileW(W(m_file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
}

TEST_F(FileLocksTest, ALockedFileCanNotBeDeletedMovedOrCopiedOver) {
  std::filesystem::path other = m_dir / "other.txt";
  dorvtest::WriteFile(other, "other");
  {
    LockHolderProcess holder(m_file.string(), "ofd-exclusive");
    EXPECT_FALSE(DeleteFileW(W(m_file).c_str()));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(MoveFileW(W(m_file).c_str(), W(m_dir / "moved.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(CopyFileW(W(other).c_str(), W(m_file).c_str(), FALSE));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(MoveFileExW(W(other).c_str(), W(m_file).c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(dorvtest::ReadFile(m_file), "content");
    EXPECT_EQ(dorvtest::ReadFile(other), "other");
  }
  // Released: everything goes through.
  EXPECT_TRUE(MoveFileW(W(m_file).c_str(), W(m_dir / "moved.txt").c_str()));
  EXPECT_TRUE(DeleteFileW(W(m_dir / "moved.txt").c_str()));
}

TEST_F(FileLocksTest, ASharedLockOnTheSourceStillLetsItBeCopied) {
  LockHolderProcess holder(m_file.string(), "flock-shared");
  EXPECT_TRUE(CopyFileW(W(m_file).c_str(), W(m_dir / "copy.txt").c_str(), TRUE));
  EXPECT_EQ(dorvtest::ReadFile(m_dir / "copy.txt"), "content");
}

TEST_F(FileLocksTest, AFolderWithALockedFileDeepBelowCanNotBeMoved) {
  std::filesystem::path deep = m_dir / "top" / "a" / "b" / "deep.txt";
  dorvtest::WriteFile(deep, "x");
  dorvtest::WriteFile(m_dir / "top" / "free.txt", "y");
  {
    LockHolderProcess holder(deep.string(), "ofd-shared");
    EXPECT_FALSE(MoveFileW(W(m_dir / "top").c_str(), W(m_dir / "renamed").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(std::filesystem::exists(deep));
    // A sibling folder without locked files moves.
    dorvtest::WriteFile(m_dir / "free" / "f.txt", "z");
    EXPECT_TRUE(MoveFileW(W(m_dir / "free").c_str(), W(m_dir / "free2").c_str()));
  }
  EXPECT_TRUE(MoveFileW(W(m_dir / "top").c_str(), W(m_dir / "renamed").c_str()));
  EXPECT_TRUE(std::filesystem::exists(m_dir / "renamed" / "a" / "b" / "deep.txt"));
}

TEST_F(FileLocksTest, AnUnlockedOpenFileIsNotOccupied) {
  // Our own plain handle takes no lock: deleting and moving go on as on Linux.
  HANDLE handle = CreateFileW(W(m_file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  HANDLE second = OpenExclusive(m_file);
  EXPECT_NE(second, INVALID_HANDLE_VALUE);
  CloseHandle(second);
  EXPECT_TRUE(MoveFileW(W(m_file).c_str(), W(m_dir / "moved.txt").c_str()));
  CloseHandle(handle);
}

}  // namespace
