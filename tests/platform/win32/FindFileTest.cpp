// Listing folders by pattern.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"
#include "win32/NativePath.h"
#include "win32/Windows.h"

namespace fs = std::filesystem;

TEST(FilePattern, MatchesAsWindowsDoes) {
  struct Row { const wchar_t* pattern; const wchar_t* name; bool matches; };
  const Row rows[] = {
      {L"*.*", L"README", true},     {L"*.*", L"a.b.c", true},    {L"*", L"", true},
      {L"*.txt", L"a.TXT", true},    {L"*.txt", L"a.txt.bak", false}, {L"a?c", L"abc", true},
      {L"a?c", L"ac", false},        {L"*b*", L"abc", true},      {L"name.*", L"name", true},
      {L"x*y", L"xay", true},        {L"x*y", L"xya", false},     {L"\u6587*", L"\u6587\u4EF6", true},
  };
  for (const Row& r : rows) EXPECT_EQ(MatchesFilePattern(r.pattern, r.name), r.matches) << r.pattern << " " << r.name;
}

namespace {

std::vector<std::wstring> List(const std::wstring& pattern, DWORD* firstError = nullptr) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(pattern.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) {
    if (firstError) *firstError = GetLastError();
    return names;
  }
  do names.push_back(data.cFileName);
  while (FindNextFileW(h, &data));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(h));
  return names;
}

}  // namespace

TEST(FindFile, ListsAFolderWithDotsSortedAndDescribed) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "b.txt", "12345");
  dorvtest::WriteFile(dir / "a", "");
  fs::create_directory(dir / "sub");
  std::wstring folder = WidePath(dir.path().c_str());
  EXPECT_EQ(List(folder + L"/*.*"), (std::vector<std::wstring>{L".", L"..", L"a", L"b.txt", L"sub"}));
  EXPECT_EQ(List(folder + L"/*.TXT"), (std::vector<std::wstring>{L"b.txt"}));

  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW((folder + L"/b.txt").c_str(), &data);  // no wildcard: the entry itself
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
  FindClose(h);
  h = FindFirstFileW((folder + L"/s*").c_str(), &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  FindClose(h);
}

TEST(FindFile, ReportsNothingFoundAndMissingFolders) {
  dorvtest::TempDir dir;
  std::wstring folder = WidePath(dir.path().c_str());
  DWORD error = 0;
  EXPECT_TRUE(List(folder + L"/*.txt", &error).empty());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(List(folder + L"/missing/*.*", &error).empty());
  EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
  EXPECT_TRUE(List(folder + L"/missing.txt", &error).empty());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
}
