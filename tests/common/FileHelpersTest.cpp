// File and folder helpers on a real temporary folder.
#include <gtest/gtest.h>

#include <juce_core/juce_core.h>
#include <juce_cryptography/juce_cryptography.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>

#include "TempDir.h"
#include "common/FileHelpers.h"
#include "common/StringConvert.h"

using namespace Common;
using dorvtest::ReadFile;
using dorvtest::TempDir;
using dorvtest::WriteFile;
namespace fs = std::filesystem;

namespace {

CString C(const fs::path& p) {
  CString out;
  utf8_to_CString(p.string(), out);
  return out;
}

}  // namespace

TEST(FileHelpers, ExistenceKindAndSize) {
  TempDir dir;
  WriteFile(dir / "f", std::string(3000, 'a'));
  EXPECT_EQ(IsFileExist(C(dir / "f")), 1);
  EXPECT_EQ(IsFileExist(C(dir.path())), 1);
  EXPECT_EQ(IsFileExist(C(dir / "none")), 0);
  EXPECT_EQ(IsDirectory(C(dir.path())), 1);
  EXPECT_EQ(IsDirectory(C(dir / "f")), 0);
  EXPECT_EQ(IsDirectory(C(dir / "none")), 0);
  EXPECT_EQ(GetFileSize(C(dir / "f")), 3000u);
  EXPECT_EQ(GetFileSize(C(dir.path()) + L"//f"), 3000u);  // normalised first
  EXPECT_EQ(GetFileSize(C(dir / "none")), 0u);
}

TEST(FileHelpers, LastWriteTimeInLocalTime) {
  TempDir dir;
  WriteFile(dir / "f", "x");
  // 2012-03-05 07:08:09 in the zone's current offset, which is what is written.
  std::tm wanted{};
  wanted.tm_year = 112, wanted.tm_mon = 2, wanted.tm_mday = 5, wanted.tm_hour = 7, wanted.tm_min = 8, wanted.tm_sec = 9;
  std::time_t now = std::time(nullptr);
  std::tm nowLocal{};
  localtime_r(&now, &nowLocal);
  const timespec times[2] = {{timegm(&wanted) - nowLocal.tm_gmtoff, 0}, {timegm(&wanted) - nowLocal.tm_gmtoff, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, (dir / "f").c_str(), times, 0), 0);
  std::string out = "stale";
  ASSERT_EQ(GetFileLastWriteTime(C(dir / "f"), out), 1);
  EXPECT_EQ(out, "2012/03/5-07:08:09");
  EXPECT_EQ(GetFileLastWriteTime(C(dir / "none"), out), 0);
  EXPECT_EQ(out, "");
}

TEST(FileHelpers, Md5CoversEveryByteIncludingAShortLastPiece) {
  TempDir dir;
  for (size_t size : {size_t{0}, size_t{5}, size_t{4096}, size_t{4096 * 2 + 5}}) {
    std::string bytes;
    for (size_t i = 0; i < size; ++i) bytes += static_cast<char>(i * 7 + 3);
    WriteFile(dir / "f", bytes);
    CString md5;
    ASSERT_EQ(GetFileMd5(C(dir / "f"), md5), 1) << size;
    EXPECT_EQ(CString_to_utf8(md5), juce::MD5(bytes.data(), bytes.size()).toHexString().toStdString()) << size;
  }
  CString md5(L"stale");
  EXPECT_EQ(GetFileMd5(C(dir / "none"), md5), 0);
  EXPECT_TRUE(md5.IsEmpty());
}

TEST(FileHelpers, LoadFileAppends) {
  TempDir dir;
  WriteFile(dir / "f", std::string("b\0c", 3));
  std::string out = "a";
  ASSERT_EQ(LoadFile(C(dir / "f"), out), 1);
  EXPECT_EQ(out, std::string("ab\0c", 4));
  EXPECT_EQ(LoadFile(C(dir / "none"), out), 0);
  EXPECT_EQ(LoadFile(C(dir.path()), out), 0);
  EXPECT_EQ(out, std::string("ab\0c", 4));
}

TEST(EmptyFolder, EmptiesTheTreeButNeverFollowsLinks) {
  TempDir dir;
  WriteFile(dir / "outside" / "keep", "k");
  WriteFile(dir / "victim" / "f", "1");
  WriteFile(dir / "victim" / "sub" / "deep" / "g", "2");
  fs::create_directory_symlink(dir / "outside", dir / "victim" / "sub" / "link");
  fs::create_symlink(dir / "outside" / "keep", dir / "victim" / "filelink");

  EXPECT_EQ(EmptyFolder(C(dir / "victim"), 0), 1);
  EXPECT_TRUE(fs::is_directory(dir / "victim"));
  EXPECT_TRUE(fs::is_empty(dir / "victim"));
  EXPECT_EQ(ReadFile(dir / "outside" / "keep"), "k");

  WriteFile(dir / "victim" / "f", "1");
  EXPECT_EQ(EmptyFolder(C(dir / "victim"), 1), 1);
  EXPECT_FALSE(fs::exists(dir / "victim"));
  EXPECT_EQ(EmptyFolder(C(dir / "victim"), 1), 0);  // nothing left to remove
  EXPECT_EQ(EmptyFolder(C(dir / "victim"), 0), 1);
}

TEST(CopyFolder, CopiesFilesOnlyAndOverwrites) {
  TempDir dir;
  WriteFile(dir / "from" / "a", "new a");
  WriteFile(dir / "from" / "b.txt", "b");
  WriteFile(dir / "from" / "sub" / "c", "c");
  WriteFile(dir / "to" / "a", "old a");
  EXPECT_EQ(CopyFolder(C(dir / "from") + L"/", C(dir / "to") + L"/"), 1);
  EXPECT_EQ(ReadFile(dir / "to" / "a"), "new a");
  EXPECT_EQ(ReadFile(dir / "to" / "b.txt"), "b");
  EXPECT_FALSE(fs::exists(dir / "to" / "sub"));

  fs::create_directories(dir / "only" / "sub");
  EXPECT_EQ(CopyFolder(C(dir / "only") + L"/", C(dir / "elsewhere") + L"/"), 1);
  EXPECT_FALSE(fs::exists(dir / "elsewhere"));
  EXPECT_EQ(CopyFolder(C(dir / "from") + L"/", C(dir / "missing") + L"/"), 0);
}

TEST(CreateDirRecursive, MakesEveryMissingLevel) {
  TempDir dir;
  EXPECT_EQ(CreateDirRecursive(C(dir / "a" / "b" / "c")), 1);
  EXPECT_TRUE(fs::is_directory(dir / "a" / "b" / "c"));
  EXPECT_EQ(CreateDirRecursive(C(dir / "a" / "b" / "c")), 1);
  EXPECT_EQ(CreateDirRecursive(C(dir / "x" / "y") + L"/"), 1);
  EXPECT_TRUE(fs::is_directory(dir / "x" / "y"));
  WriteFile(dir / "file", "f");
  EXPECT_EQ(CreateDirRecursive(C(dir / "file" / "sub")), 0);
}

TEST(SafeCopyFile, ReplacesTheTargetOnlyWhenTheCopyWorked) {
  TempDir dir;
  WriteFile(dir / "from", "new");
  WriteFile(dir / "to", "old");
  EXPECT_EQ(SafeCopyFile(C(dir / "from"), C(dir / "to")), 1);
  EXPECT_EQ(ReadFile(dir / "to"), "new");
  EXPECT_EQ(ReadFile(dir / "from"), "new");
  EXPECT_EQ(SafeCopyFile(C(dir / "from"), C(dir / "fresh")), 1);
  EXPECT_EQ(ReadFile(dir / "fresh"), "new");

  // A failed copy once cost the target: it was deleted first.
  EXPECT_EQ(SafeCopyFile(C(dir / "none"), C(dir / "to")), 0);
  EXPECT_EQ(ReadFile(dir / "to"), "new");
  EXPECT_EQ(SafeCopyFile(C(dir / "to"), C(dir / "to")), 1);  // onto itself
  EXPECT_EQ(ReadFile(dir / "to"), "new");
  size_t entries = 0;
  for (auto& e : fs::directory_iterator(dir.path())) (void)e, ++entries;
  EXPECT_EQ(entries, 3u);  // no staging copy left behind
}

TEST(SafeRenameFile, ReplacesInOneStepAndKeepsBothOnFailure) {
  TempDir dir;
  WriteFile(dir / "from", "new");
  WriteFile(dir / "to", "old");
  EXPECT_EQ(SafeRenameFile(C(dir / "from"), C(dir / "to")), 1);
  EXPECT_FALSE(fs::exists(dir / "from"));
  EXPECT_EQ(ReadFile(dir / "to"), "new");

  EXPECT_EQ(SafeRenameFile(C(dir / "none"), C(dir / "to")), 0);
  EXPECT_EQ(ReadFile(dir / "to"), "new");
  EXPECT_EQ(SafeRenameFile(C(dir / "to"), C(dir / "to")), 1);
  EXPECT_EQ(ReadFile(dir / "to"), "new");
  fs::create_directory(dir / "folder");
  EXPECT_EQ(SafeRenameFile(C(dir / "to"), C(dir / "folder")), 0);
  EXPECT_EQ(ReadFile(dir / "to"), "new");
  SafeDeleteFile(C(dir / "to"));
  EXPECT_FALSE(fs::exists(dir / "to"));
  SafeDeleteFile(C(dir / "to"));  // a missing file is no error
}
