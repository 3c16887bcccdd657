// The program's folder and the user's folders. The test main points
// XDG_DATA_HOME at a fresh temporary folder for this process.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

#include "TempDir.h"
#include "common/AppPaths.h"
#include "common/StringConvert.h"

using namespace Common;
namespace fs = std::filesystem;

TEST(AppPaths, ProgramFolderEndsWithASeparator) {
  char exe[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe);
  ASSERT_GT(n, 0);
  std::string folder = fs::path(std::string(exe, static_cast<size_t>(n))).parent_path().string() + "/";
  EXPECT_EQ(CString_to_utf8(GetAppPath()), folder);
}

TEST(AppPaths, DataFolderIsCreatedOnceAndCached) {
  const std::string data = std::getenv("XDG_DATA_HOME");
  CString first;
  const mode_t old = umask(0);
  ASSERT_EQ(GetAppDataPath(first), 1);
  umask(old);
  EXPECT_EQ(CString_to_utf8(first), data + "/Halvorn/dorv/");
  EXPECT_TRUE(fs::is_directory(data + "/Halvorn/dorv"));
  // The user's alone whatever the umask.
  EXPECT_EQ(fs::status(data + "/Halvorn").permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(data + "/Halvorn/dorv").permissions(), fs::perms::owner_all);

  fs::remove_all(data + "/Halvorn");
  CString second(L"junk");
  ASSERT_EQ(GetAppDataPath(second), 1);
  EXPECT_EQ(second, first);
  EXPECT_FALSE(fs::exists(data + "/Halvorn"));  // the cached answer is not tested again

  CString system;
  ASSERT_EQ(GetSystemAppDataPath(system), 1);
  EXPECT_EQ(CString_to_utf8(system), data);
}

TEST(AppPaths, DocumentsFolderEndsWithExactlyOneSeparator) {
  CString documents;
  ASSERT_EQ(GetMyDocumentsPath(documents), 1);
  ASSERT_GE(documents.GetLength(), 1);
  EXPECT_EQ(documents.Right(1), CString(L"/"));
  EXPECT_TRUE(documents.GetLength() == 1 || documents.Right(2) != CString(L"//")) << CString_to_utf8(documents);
}

TEST(AppPaths, DataFolderFallsBackToTheProgramFolder) {
  // In a fresh child process, whose cache is still empty: a data folder that
  // can't be created (its parent is a file) leaves the program's folder.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "file", "");
  EXPECT_EXIT(
      {
        setenv("XDG_DATA_HOME", (dir / "file" / "data").c_str(), 1);
        CString out;
        GetAppDataPath(out);
        std::exit(out == GetAppPath() && !out.IsEmpty() ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}
