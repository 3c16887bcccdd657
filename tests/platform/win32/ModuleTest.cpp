// Module names and special folders.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "TempDir.h"
#include "win32/NativePath.h"
#include "win32/Windows.h"

namespace fs = std::filesystem;

TEST(ModuleFileName, IsTheRunningProgramAndCutsToTheBuffer) {
  char exe[PATH_MAX];
  ssize_t len = readlink("/proc/self/exe", exe, sizeof exe);
  ASSERT_GT(len, 0);
  std::wstring expected = WidePath(std::string(exe, static_cast<size_t>(len)).c_str());

  wchar_t buffer[PATH_MAX];
  DWORD n = GetModuleFileNameW(nullptr, buffer, PATH_MAX);
  EXPECT_EQ(std::wstring(buffer, n), expected);

  wchar_t small[5];
  EXPECT_EQ(GetModuleFileNameW(nullptr, small, 5), 5u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::wstring(small), expected.substr(0, 4));
}

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old, m_had = true;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (m_had) setenv(m_name, m_old.c_str(), 1);
    else unsetenv(m_name);
  }

 private:
  const char* m_name;
  std::string m_old;
  bool m_had = false;
};

std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : L"<failed>";
}

}  // namespace

TEST(ShellFolders, AppDataIsTheXdgDataFolder) {
  dorvtest::TempDir dir;
  ScopedEnv data("XDG_DATA_HOME", (dir / "data").string() + "/");
  EXPECT_EQ(Folder(CSIDL_APPDATA), WidePath((dir / "data").c_str()));
  EXPECT_FALSE(fs::exists(dir / "data"));
  EXPECT_EQ(Folder(CSIDL_APPDATA | CSIDL_FLAG_CREATE), WidePath((dir / "data").c_str()));
  EXPECT_TRUE(fs::is_directory(dir / "data"));

  ScopedEnv relative("XDG_DATA_HOME", "relative/data");  // ignored, as the XDG rules say
  ScopedEnv home("HOME", dir.path().string());
  EXPECT_EQ(Folder(CSIDL_APPDATA), WidePath((dir / ".local/share").c_str()));
  EXPECT_EQ(SHGetFolderPathW(nullptr, 0x7777, nullptr, 0, nullptr), E_INVALIDARG);
}

TEST(ShellFolders, DocumentsComeFromUserDirsThenHome) {
  dorvtest::TempDir dir;
  ScopedEnv home("HOME", dir.path().string());
  ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").string());
  EXPECT_EQ(Folder(CSIDL_PERSONAL), WidePath(dir.path().c_str()));
  fs::create_directory(dir / "Documents");
  EXPECT_EQ(Folder(CSIDL_PERSONAL), WidePath((dir / "Documents").c_str()));
  dorvtest::WriteFile(dir / "config" / "user-dirs.dirs", "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/\xE6\x96\x87\xE6\xA1\xA3\"\n");
  EXPECT_EQ(Folder(CSIDL_PERSONAL), WidePath(dir.path().c_str()) + L"/\u6587\u6863");
  wchar_t path[MAX_PATH];
  EXPECT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_PERSONAL, TRUE));
  EXPECT_TRUE(fs::is_directory(dir / "\xE6\x96\x87\xE6\xA1\xA3"));
}

TEST(ModuleFileName, NamesLoadedLibrariesAndTheProgramHandle) {
  void* libm = dlopen("libm.so.6", RTLD_NOW);
  ASSERT_NE(libm, nullptr);
  wchar_t buffer[PATH_MAX];
  DWORD n = GetModuleFileNameW(static_cast<HMODULE>(libm), buffer, PATH_MAX);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(fs::path(NativePath(buffer)).filename().string().rfind("libm", 0), 0u) << NativePath(buffer);
  EXPECT_EQ(buffer[0], L'/');
  dlclose(libm);

  void* self = dlopen(nullptr, RTLD_NOW);
  wchar_t program[PATH_MAX];
  ASSERT_GT(GetModuleFileNameW(static_cast<HMODULE>(self), buffer, PATH_MAX), 0u);
  ASSERT_GT(GetModuleFileNameW(nullptr, program, PATH_MAX), 0u);
  EXPECT_EQ(std::wstring(buffer), std::wstring(program));
}
