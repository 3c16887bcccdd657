// Paths as text.
#include <gtest/gtest.h>

#include <juce_core/juce_core.h>

#include "common/PathText.h"

using namespace Common;

TEST(ReparsePath, UsesOneSeparatorAndHalvesDoubledOnes) {
  struct Row { const wchar_t* in; const wchar_t* out; };
  for (Row r : {Row{L"/a//b", L"/a/b"}, Row{L"\\a\\\\b", L"/a/b"}, Row{L"//server/share", L"/server/share"},
                Row{L"a///b", L"a//b"}, Row{L"a////b", L"a//b"}, Row{L"", L""}, Row{L"a\\b/c", L"a/b/c"}}) {
    EXPECT_EQ(ReparsePath(r.in), CString(r.out)) << r.in;
  }
}

TEST(PathParts, FolderFileAndParent) {
  struct Row { const wchar_t* path; const wchar_t* dir; const wchar_t* name; int hasParent; const wchar_t* parent; };
  const Row rows[] = {
      {L"/dir/file.txt", L"/dir/", L"file.txt", 1, L"/dir"},
      {L"/dir/sub/", L"/dir/sub/", L"sub", 1, L"/dir/sub"},
      {L"C:file.txt", L"C:", L"C:file.txt", 0, nullptr},
      {L"name", L"", L"name", 0, nullptr},
      {L"file/", L"file/", L"file/", 1, L"file"},
      {L"\\dir\\x", L"/dir/", L"x", 1, L"/dir"},
      {L"/top", L"/", L"top", 1, L""},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(GetFileDirFromPath(r.path), CString(r.dir)) << r.path;
    EXPECT_EQ(GetFileNameFromPath(r.path), CString(r.name)) << r.path;
    CString parent(L"untouched");
    EXPECT_EQ(GetParentDir(r.path, parent), r.hasParent) << r.path;
    EXPECT_EQ(parent, CString(r.hasParent ? r.parent : L"untouched")) << r.path;
  }
}

TEST(PathParts, JuceStringForms) {
  struct Row { const char* path; const char* parent; const char* name; };
  for (Row r : {Row{"/a/b/", "/a", "b"}, Row{"/a/b", "/a", "b"}, Row{"C:", "C:", ""}, Row{"b", "b", ""},
                Row{"", "", ""}, Row{"/a", "/a", ""}, Row{"a/b//", "a/b", ""}}) {
    EXPECT_EQ(String_GetParentPath(r.path), juce::String(r.parent)) << r.path;
    EXPECT_EQ(String_GetFileName(r.path), juce::String(r.name)) << r.path;
  }
}

TEST(PathParts, SmallTests) {
  EXPECT_EQ(HasBackslash(L"/a/"), 1);
  EXPECT_EQ(HasBackslash(L"/a"), 0);
  EXPECT_EQ(HasBackslash(CString()), 0);
  EXPECT_EQ(IsEmptyString(nullptr), 1);
  EXPECT_EQ(IsEmptyString(L""), 1);
  EXPECT_EQ(IsEmptyString(L" "), 0);
}
