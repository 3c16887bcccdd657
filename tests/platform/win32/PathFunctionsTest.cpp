#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "win32/Windows.h"

namespace {

std::wstring W(const std::filesystem::path& path) { return path.wstring(); }

TEST(PathFunctionsTest, DirectoryEmptyOnlyForAFolderWithoutEntries) {
  dorvtest::TempDir dir;
  std::filesystem::create_directories(dir / "empty");
  dorvtest::WriteFile(dir / "full" / ".hidden", "x");
  dorvtest::WriteFile(dir / "file.txt", "x");
  EXPECT_TRUE(PathIsDirectoryEmptyW(W(dir / "empty").c_str()));
  EXPECT_FALSE(PathIsDirectoryEmptyW(W(dir / "full").c_str()));
  EXPECT_FALSE(PathIsDirectoryEmptyW(W(dir / "file.txt").c_str()));
  EXPECT_FALSE(PathIsDirectoryEmptyW(W(dir / "missing").c_str()));
  EXPECT_FALSE(PathIsDirectoryEmptyW(L""));
}

TEST(PathFunctionsTest, FreeSpaceOfAPathNotMadeYetIsItsNearestFoldersVolume) {
  dorvtest::TempDir dir;
  ULARGE_INTEGER atFolder{}, atMissing{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(W(dir.path()).c_str(), &atFolder, nullptr, nullptr));
  ASSERT_TRUE(win32::GetFreeSpaceOfPath(W(dir / "not" / "yet" / "file.bin").c_str(), &atMissing));
  // The same volume; other programs may write meanwhile, so allow some drift.
  EXPECT_NEAR(static_cast<double>(atMissing.QuadPart), static_cast<double>(atFolder.QuadPart), 64.0 * 1048576);
  EXPECT_GT(atMissing.QuadPart, 0u);
}

TEST(ShellChangeNotifyTest, NoticesAreRecordedWithTheirPaths) {
  win32::ClearShellNotifications();
  SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_PATHW | SHCNF_FLUSHNOWAIT, L"/root/a.txt", nullptr);
  SHChangeNotify(SHCNE_RENAMEITEM, SHCNF_PATHA, "/root/\xE4\xB8\xAD.txt", "/root/b.txt");
  std::vector<win32::ShellNotification> changes = win32::ShellNotifications();
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].event, SHCNE_UPDATEITEM);
  EXPECT_EQ(changes[0].path1, L"/root/a.txt");
  EXPECT_EQ(changes[0].path2, L"");
  EXPECT_EQ(changes[1].path1, L"/root/\x4E2D.txt");
  EXPECT_EQ(changes[1].path2, L"/root/b.txt");
  win32::ClearShellNotifications();
  EXPECT_TRUE(win32::ShellNotifications().empty());
}

TEST(ShellChangeNotifyTest, OnlyTheNewestNoticesAreKept) {
  win32::ClearShellNotifications();
  for (int i = 0; i < 5000; ++i) {
    std::wstring path = L"/root/" + std::to_wstring(i);
    SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_PATHW, path.c_str(), nullptr);
  }
  std::vector<win32::ShellNotification> changes = win32::ShellNotifications();
  ASSERT_EQ(changes.size(), 4096u);
  EXPECT_EQ(changes.front().path1, L"/root/904");
  EXPECT_EQ(changes.back().path1, L"/root/4999");
  win32::ClearShellNotifications();
}

class ProfileStringsTest : public ::testing::Test {
 protected:
  dorvtest::TempDir m_dir;
  std::wstring m_file = W(m_dir / "desktop.ini");

  std::wstring Get(const wchar_t* section, const wchar_t* key, const wchar_t* fallback = L"none") {
    wchar_t buffer[256];
    DWORD n = GetPrivateProfileStringW(section, key, fallback, buffer, 256, m_file.c_str());
    return std::wstring(buffer, n);
  }
};

TEST_F(ProfileStringsTest, WritesCreateTheFileAndReadBackWithoutRegardToCase) {
  ASSERT_TRUE(WritePrivateProfileStringW(L".ShellClassInfo", L"IconResource", L"/app/icon.ico,0", m_file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L".ShellClassInfo", L"InfoTip", L"同步文件夹", m_file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L".shellclassinfo", L"iconresource", L"/app/other.ico,1", m_file.c_str()));
  EXPECT_EQ(Get(L".SHELLCLASSINFO", L"IconResource"), L"/app/other.ico,1");
  EXPECT_EQ(Get(L".ShellClassInfo", L"InfoTip"), L"同步文件夹");
  EXPECT_EQ(Get(L".ShellClassInfo", L"Missing", L"fallback  "), L"fallback");
  EXPECT_EQ(Get(L"NoSection", L"InfoTip"), L"none");
  EXPECT_EQ(dorvtest::ReadFile(m_dir / "desktop.ini"),
            "[.ShellClassInfo]\r\niconresource=/app/other.ico,1\r\nInfoTip=\xE5\x90\x8C\xE6\xAD\xA5\xE6\x96\x87"
            "\xE4\xBB\xB6\xE5\xA4\xB9\r\n");
}

TEST_F(ProfileStringsTest, KeepsOtherSectionsAndRemovesKeysAndSections) {
  dorvtest::WriteFile(m_dir / "desktop.ini", "; comment\n[A]\nx = \"quoted\" \n\n[B]\ny=2\n");
  EXPECT_EQ(Get(L"A", L"x"), L"quoted");
  ASSERT_TRUE(WritePrivateProfileStringW(L"A", L"z", L"3", m_file.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"B", L"y", nullptr, m_file.c_str()));
  EXPECT_EQ(dorvtest::ReadFile(m_dir / "desktop.ini"), "; comment\r\n[A]\r\nx = \"quoted\" \r\nz=3\r\n\r\n[B]\r\n");
  ASSERT_TRUE(WritePrivateProfileStringW(L"A", nullptr, nullptr, m_file.c_str()));
  EXPECT_EQ(dorvtest::ReadFile(m_dir / "desktop.ini"), "; comment\r\n[B]\r\n");
}

TEST_F(ProfileStringsTest, AWriteMakesAFileOfTheUsersAloneAndFollowsNoPlantedLink) {
  const std::filesystem::path victim = m_dir / "victim";
  dorvtest::WriteFile(victim, "untouched");
  // A link under the name the writer uses for its temporary file.
  std::filesystem::create_symlink(victim, m_dir / ("desktop.ini.tmp-" + std::to_string(getpid())));
  const mode_t old = umask(022);
  const bool written = WritePrivateProfileStringW(L"A", L"k", L"v", m_file.c_str());
  umask(old);
  ASSERT_TRUE(written);
  EXPECT_EQ(dorvtest::ReadFile(victim), "untouched");
  EXPECT_EQ(std::filesystem::status(m_dir / "desktop.ini").permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(ProfileStringsTest, ListsNamesAndCutsToTheBuffer) {
  dorvtest::WriteFile(m_dir / "desktop.ini", "[One]\na=1\nbb=2\n[Two]\n");
  wchar_t buffer[16];
  DWORD n = GetPrivateProfileStringW(nullptr, nullptr, L"", buffer, 16, m_file.c_str());
  EXPECT_EQ(std::wstring(buffer, n), std::wstring(L"One\0Two\0", 8));
  EXPECT_EQ(buffer[n], L'\0');
  n = GetPrivateProfileStringW(L"One", nullptr, L"", buffer, 16, m_file.c_str());
  EXPECT_EQ(std::wstring(buffer, n), std::wstring(L"a\0bb\0", 5));
  n = GetPrivateProfileStringW(L"One", L"bb", L"", buffer, 1, m_file.c_str());
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(buffer[0], L'\0');
  wchar_t small[4];
  n = GetPrivateProfileStringW(nullptr, nullptr, L"", small, 4, m_file.c_str());
  EXPECT_EQ(n, 2u);
}

TEST_F(ProfileStringsTest, AMissingFolderIsReportedAndNothingIsMade) {
  std::wstring file = W(m_dir / "missing" / "desktop.ini");
  EXPECT_FALSE(WritePrivateProfileStringW(L"A", L"b", L"c", file.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(std::filesystem::exists(m_dir / "missing"));
}

}  // namespace
