// The two folder calls the crash handler makes its dump folder with.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "TempDir.h"
#include "win32/Windows.h"

namespace {

namespace fs = std::filesystem;

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

TEST(DirectoryCallsTest, FullPathNameResolvesInText) {
  struct Case {
    std::wstring in, out;
  };
  const std::wstring cwd = Wide(fs::current_path().string());
  for (const Case& c : {Case{L"/a/b/../c/./d/", L"/a/c/d/"}, Case{L"/a//b", L"/a/b"}, Case{L"/..", L"/"},
                        Case{L"x/y", cwd + L"/x/y"}}) {
    wchar_t buffer[MAX_PATH] = {};
    LPWSTR part = nullptr;
    DWORD length = ::GetFullPathNameW(c.in.c_str(), MAX_PATH, buffer, &part);
    EXPECT_EQ(std::wstring(buffer), c.out);
    EXPECT_EQ(length, c.out.size());
  }
  wchar_t small[4] = {};
  EXPECT_EQ(::GetFullPathNameW(L"/abc/def", 4, small, nullptr), 9u);  // the size needed, NUL included
  EXPECT_EQ(::GetFullPathNameW(L"", 4, small, nullptr), 0u);
  EXPECT_EQ(::GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(DirectoryCallsTest, CreateDirectoryWithParents) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "file", "x");
  const std::string deep = (dir / "a" / "b" / "c").string() + "/";
  EXPECT_EQ(::SHCreateDirectoryExW(nullptr, Wide(deep).c_str(), nullptr), static_cast<int>(ERROR_SUCCESS));
  EXPECT_TRUE(fs::is_directory(deep));
  EXPECT_EQ(::SHCreateDirectoryExW(nullptr, Wide(deep).c_str(), nullptr), static_cast<int>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(::SHCreateDirectoryExW(nullptr, Wide((dir / "file").string()).c_str(), nullptr),
            static_cast<int>(ERROR_FILE_EXISTS));
  EXPECT_EQ(::SHCreateDirectoryExW(nullptr, Wide((dir / "file" / "sub").string()).c_str(), nullptr),
            static_cast<int>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(::SHCreateDirectoryExW(nullptr, L"relative/dir", nullptr), static_cast<int>(ERROR_BAD_PATHNAME));
}

}  // namespace
