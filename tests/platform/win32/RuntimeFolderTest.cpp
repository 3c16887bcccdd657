// The runtime folder holds this user's named objects: another local user must
// not be able to own it, open it up, or redirect its files through links.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "TempDir.h"
#include "win32/NamedObject.h"
#include "win32/RuntimeName.h"
#include "win32/Windows.h"

namespace {

namespace fs = std::filesystem;

// Points XDG_RUNTIME_DIR at a fresh folder for one test and puts it back after.
class RuntimeFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    m_saved = std::getenv("XDG_RUNTIME_DIR");
    setenv("XDG_RUNTIME_DIR", m_dir.path().c_str(), 1);
  }
  void TearDown() override { setenv("XDG_RUNTIME_DIR", m_saved.c_str(), 1); }
  fs::path Folder() const { return m_dir / "dorv"; }

  dorvtest::TempDir m_dir;
  std::string m_saved;
};

TEST_F(RuntimeFolderTest, IsCreatedPrivateWhateverTheUmask) {
  const mode_t old = umask(0);
  const std::string folder = win32::RuntimeFolder();
  umask(old);
  EXPECT_EQ(folder, Folder().string());
  struct stat info {};
  ASSERT_EQ(lstat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(RuntimeFolderTest, AFolderOthersCouldUseIsRefused) {
  fs::create_directories(m_dir / "elsewhere");
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"open to others", [&] { fs::create_directory(Folder()); chmod(Folder().c_str(), 0777); }},
      {"readable by the group", [&] { fs::create_directory(Folder()); chmod(Folder().c_str(), 0750); }},
      {"a link to a folder", [&] { fs::create_directory_symlink(m_dir / "elsewhere", Folder()); }},
      {"a file", [&] { dorvtest::WriteFile(Folder(), "x"); }},
      {"another user's", [&] {
         fs::create_directory(Folder());
         chmod(Folder().c_str(), 0700);
         if (chown(Folder().c_str(), 65534, 65534) != 0) GTEST_SKIP() << "needs root to give a folder away";
       }},
  };
  for (const auto& [name, plant] : cases) {
    SCOPED_TRACE(name);
    fs::remove_all(Folder());
    plant();
    if (IsSkipped()) return;
    EXPECT_EQ(win32::RuntimeFolder(), "");
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, L"RefusedFolderEvent");
    EXPECT_EQ(event, nullptr);
    if (event) CloseHandle(event);
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, L"RefusedFolderMap");
    EXPECT_EQ(mapping, nullptr);
    if (mapping) CloseHandle(mapping);
    EXPECT_TRUE(fs::is_empty(m_dir / "elsewhere"));
  }
}

TEST_F(RuntimeFolderTest, ObjectsAreNeverOpenedThroughALink) {
  ASSERT_FALSE(win32::RuntimeFolder().empty());
  dorvtest::WriteFile(m_dir / "victim", "precious");
  const std::string mapFile = win32::RuntimeFileName("map", L"LinkedMap");
  fs::create_symlink(m_dir / "victim", mapFile);
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"LinkedMap");
  EXPECT_EQ(mapping, nullptr);
  if (mapping) CloseHandle(mapping);
  EXPECT_EQ(dorvtest::ReadFile(m_dir / "victim"), "precious");

  fs::create_symlink(m_dir / "victim", Folder() / "messages");
  EXPECT_EQ(RegisterWindowMessageW(L"LinkedMessage"), 0u);
  EXPECT_EQ(dorvtest::ReadFile(m_dir / "victim"), "precious");

  // A link or a fifo in place of a name's file does not stand for the name.
  fs::create_symlink(m_dir / "victim", Folder() / "names.lock");
  EXPECT_EQ(CreateEventW(nullptr, TRUE, FALSE, L"LinkedLockEvent"), nullptr);
  EXPECT_EQ(dorvtest::ReadFile(m_dir / "victim"), "precious");
}

}  // namespace
