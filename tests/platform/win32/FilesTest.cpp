// Files and folders by name, on a real temporary folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "win32/Windows.h"
#include "win32/NativePath.h"

namespace fs = std::filesystem;
using dorvtest::ReadFile;
using dorvtest::TempDir;
using dorvtest::WriteFile;

namespace {

std::wstring W(const fs::path& p) { return WidePath(p.c_str()); }

}  // namespace

TEST(Folders, CreateAndRemoveReportWindowsErrors) {
  TempDir dir;
  std::wstring a = W(dir / "a");
  ASSERT_TRUE(CreateDirectoryW(a.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryW(a.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectoryW(W(dir / "missing" / "b").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  WriteFile(dir / "a" / "f", "x");
  EXPECT_FALSE(RemoveDirectoryW(a.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  EXPECT_FALSE(RemoveDirectoryW(W(dir / "a" / "f").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  EXPECT_FALSE(DeleteFileW(a.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(DeleteFileW(W(dir / "a" / "f").c_str()));
  EXPECT_FALSE(DeleteFileW(W(dir / "a" / "f").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(DeleteFileW(W(dir / "nowhere" / "f").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_TRUE(RemoveDirectoryW(a.c_str()));
  EXPECT_FALSE(fs::exists(dir / "a"));
}

TEST(Folders, RemovingALinkToAFolderLeavesTheFolder) {
  TempDir dir;
  WriteFile(dir / "real" / "keep", "k");
  fs::create_directory_symlink(dir / "real", dir / "link");
  EXPECT_TRUE(RemoveDirectoryW(W(dir / "link").c_str()));
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "link")));
  EXPECT_EQ(ReadFile(dir / "real" / "keep"), "k");
}

TEST(Files, NamesAreUtf8OnDisk) {
  TempDir dir;
  std::wstring name = W(dir.path()) + L"/\u6587\u4EF6.txt";
  HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_TRUE(fs::exists(dir.path() / "\xE6\x96\x87\xE4\xBB\xB6.txt"));
}

TEST(CopyFile, FailIfExistsKeepsTheTarget) {
  TempDir dir;
  WriteFile(dir / "from", "new");
  WriteFile(dir / "to", "old");
  EXPECT_FALSE(CopyFileW(W(dir / "from").c_str(), W(dir / "to").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(ReadFile(dir / "to"), "old");
  EXPECT_TRUE(CopyFileW(W(dir / "from").c_str(), W(dir / "to").c_str(), FALSE));
  EXPECT_EQ(ReadFile(dir / "to"), "new");
}

TEST(CopyFile, KeepsLastWriteTimeAndRefusesFoldersAndMissingSources) {
  TempDir dir;
  WriteFile(dir / "from", std::string(100000, 'z'));
  fs::file_time_type stamp = fs::last_write_time(dir / "from") - std::chrono::hours(50);
  fs::last_write_time(dir / "from", stamp);
  ASSERT_TRUE(CopyFileW(W(dir / "from").c_str(), W(dir / "copy").c_str(), TRUE));
  EXPECT_EQ(ReadFile(dir / "copy"), std::string(100000, 'z'));
  EXPECT_EQ(fs::last_write_time(dir / "copy"), stamp);

  fs::create_directory(dir / "folder");
  EXPECT_FALSE(CopyFileW(W(dir / "folder").c_str(), W(dir / "x").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(CopyFileW(W(dir / "none").c_str(), W(dir / "x").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(CopyFileW(W(dir / "from").c_str(), W(dir / "nowhere" / "x").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(fs::exists(dir / "x"));
}

TEST(MoveFile, RefusesAnExistingTarget) {
  TempDir dir;
  WriteFile(dir / "a", "a");
  WriteFile(dir / "b", "b");
  EXPECT_FALSE(MoveFileW(W(dir / "a").c_str(), W(dir / "b").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(ReadFile(dir / "a"), "a");
  EXPECT_EQ(ReadFile(dir / "b"), "b");

  EXPECT_TRUE(MoveFileExW(W(dir / "a").c_str(), W(dir / "b").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_FALSE(fs::exists(dir / "a"));
  EXPECT_EQ(ReadFile(dir / "b"), "a");

  EXPECT_FALSE(MoveFileW(W(dir / "gone").c_str(), W(dir / "c").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(MoveFileW(W(dir / "b").c_str(), W(dir / "nowhere" / "c").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(MoveFile, MovesFoldersButNeverOntoOne) {
  TempDir dir;
  WriteFile(dir / "src" / "inner", "i");
  fs::create_directory(dir / "empty");
  EXPECT_FALSE(MoveFileW(W(dir / "src").c_str(), W(dir / "empty").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  WriteFile(dir / "file", "f");
  EXPECT_FALSE(MoveFileExW(W(dir / "file").c_str(), W(dir / "empty").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(MoveFileW(W(dir / "src").c_str(), W(dir / "dst").c_str()));
  EXPECT_EQ(ReadFile(dir / "dst" / "inner"), "i");
  EXPECT_TRUE(MoveFileW(W(dir / "file").c_str(), W(dir / "file").c_str()));
  EXPECT_EQ(ReadFile(dir / "file"), "f");
}

TEST(Attributes, DescribeEntries) {
  TempDir dir;
  WriteFile(dir / "plain", "p");
  WriteFile(dir / ".hidden", "h");
  fs::create_directory(dir / "folder");
  fs::create_directory_symlink(dir / "folder", dir / "folderlink");
  fs::create_symlink(dir / "plain", dir / "filelink");
  struct Row { const char* name; DWORD attributes; };
  for (Row r : {Row{"plain", FILE_ATTRIBUTE_NORMAL}, Row{".hidden", FILE_ATTRIBUTE_HIDDEN},
                Row{"folder", FILE_ATTRIBUTE_DIRECTORY},
                Row{"folderlink", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT},
                Row{"filelink", FILE_ATTRIBUTE_REPARSE_POINT}}) {
    EXPECT_EQ(GetFileAttributesW(W(dir / r.name).c_str()), r.attributes) << r.name;
  }
  EXPECT_EQ(GetFileAttributesW(W(dir / "none").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesW(W(dir / "none" / "x").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  std::wstring plain = W(dir / "plain");
  ASSERT_TRUE(SetFileAttributesW(plain.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesW(plain.c_str()), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(access((dir / "plain").c_str(), W_OK) == 0, geteuid() == 0);  // root writes anyway
  ASSERT_TRUE(SetFileAttributesW(plain.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesW(plain.c_str()), FILE_ATTRIBUTE_NORMAL);
}

TEST(Stat, ReportsSizeAndKind) {
  TempDir dir;
  WriteFile(dir / "f", std::string(1234, 'a'));
  struct _stat64 st;
  ASSERT_EQ(_wstat64(W(dir / "f").c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 1234);
  EXPECT_EQ(st.st_mode & _S_IFMT, _S_IFREG);
  ASSERT_EQ(_wstat64(W(dir.path()).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & _S_IFMT, _S_IFDIR);
  EXPECT_EQ(_wstat64(W(dir / "none").c_str(), &st), -1);
  EXPECT_EQ(errno, ENOENT);
}

TEST(TempPath, EndsWithASeparator) {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, buffer);
  ASSERT_GT(n, 0u);
  ASSERT_LT(n, MAX_PATH);
  EXPECT_EQ(buffer[n - 1], L'/');
  EXPECT_GT(GetTempPathW(1, buffer), 1u);  // too short: the size needed
}

TEST(MoveFile, CrossesFileSystemsForFilesOnly) {
  TempDir here;
  struct stat a, b;
  if (stat(here.path().c_str(), &a) != 0 || stat("/dev/shm", &b) != 0 || a.st_dev == b.st_dev)
    GTEST_SKIP() << "needs /dev/shm on another file system than the temporary folder";
  TempDir there("/dev/shm/dorv-test");  // an absolute prefix replaces the temporary folder
  WriteFile(here / "f", "payload");
  fs::create_directory(here / "folder");
  EXPECT_FALSE(MoveFileExW(W(here / "f").c_str(), W(there.path() / "f").c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SAME_DEVICE);
  EXPECT_TRUE(MoveFileW(W(here / "f").c_str(), W(there.path() / "f").c_str()));
  EXPECT_FALSE(fs::exists(here / "f"));
  EXPECT_EQ(ReadFile(there.path() / "f"), "payload");
  EXPECT_FALSE(MoveFileW(W(here / "folder").c_str(), W(there.path() / "folder").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SAME_DEVICE);
  EXPECT_TRUE(fs::is_directory(here / "folder"));
}
