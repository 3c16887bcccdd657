// Splitting, joining and looking up text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/TextSplit.h"

using namespace Common;

namespace {

std::vector<std::wstring> Items(const CStringArray& a) {
  std::vector<std::wstring> out;
  for (INT_PTR i = 0; i < a.GetSize(); ++i) out.push_back(a[i].GetString());
  return out;
}

std::vector<std::wstring> Items(const CStringList& l) {
  std::vector<std::wstring> out;
  for (POSITION pos = l.GetHeadPosition(); pos;) out.push_back(l.GetNext(pos).GetString());
  return out;
}

using Pieces = std::vector<std::wstring>;

}  // namespace

TEST(AnalyzeString, KeepsEmptyPiecesInAllFourForms) {
  struct Row { const wchar_t* source; const wchar_t* separator; Pieces pieces; };
  const Row rows[] = {
      {L"a;b;", L";", {L"a", L"b", L""}},
      {L"a,,b", L",", {L"a", L"", L"b"}},
      {L"abc", L",", {L"abc"}},
      {L";", L";", {L"", L""}},
      {L"a<>b<>", L"<>", {L"a", L"b", L""}},
      {L"a<><>b", L"<>", {L"a", L"", L"b"}},
  };
  for (const Row& r : rows) {
    CStringArray array;
    CStringList list;
    EXPECT_EQ(AnalyzeString(CString(r.source), CString(r.separator), array), 1);
    EXPECT_EQ(AnalyzeString(CString(r.source), CString(r.separator), list), 1);
    EXPECT_EQ(Items(array), r.pieces) << r.source;
    EXPECT_EQ(Items(list), r.pieces) << r.source;
    if (r.separator[1] == L'\0') {
      EXPECT_EQ(AnalyzeString(CString(r.source), r.separator[0], array), 1);
      EXPECT_EQ(AnalyzeString(CString(r.source), r.separator[0], list), 1);
      EXPECT_EQ(Items(array), r.pieces) << r.source;
      EXPECT_EQ(Items(list), r.pieces) << r.source;
    }
  }
}

TEST(AnalyzeString, EmptySourceOrSeparatorGivesZeroAndAnEmptyContainer) {
  CStringArray array;
  array.Add(L"stale");
  CStringList list;
  list.AddTail(L"stale");
  EXPECT_EQ(AnalyzeString(CString(), L';', array), 0);
  EXPECT_EQ(AnalyzeString(CString(), CString(L";"), list), 0);
  EXPECT_EQ(array.GetSize(), 0);
  EXPECT_TRUE(list.IsEmpty());
  // An empty separator once looped forever.
  EXPECT_EQ(AnalyzeString(CString(L"abc"), CString(), array), 0);
  EXPECT_EQ(AnalyzeString(CString(L"abc"), CString(), list), 0);
  EXPECT_EQ(AnalyzeString(CString(L"abc"), L'\0', array), 0);
}

TEST(AnalyzeStringTable, TrimsCutsAtSemicolonAndLetsLaterLinesWin) {
  CStringList lines;
  for (const wchar_t* line : {L"k = v = w ; note", L" x=a b ;c", L"no equals sign", L"dup=1", L"dup = 2", L" empty = "})
    lines.AddTail(line);
  CMapStringToString map;
  EXPECT_EQ(AnalyzeStringTable(lines, map), 1);
  CString value;
  ASSERT_TRUE(map.Lookup(L"k", value));
  EXPECT_EQ(value, CString(L"v"));
  ASSERT_TRUE(map.Lookup(L"x", value));
  EXPECT_EQ(value, CString(L"a b "));
  ASSERT_TRUE(map.Lookup(L"dup", value));
  EXPECT_EQ(value, CString(L"2"));
  ASSERT_TRUE(map.Lookup(L"empty", value));
  EXPECT_EQ(value, CString());
  EXPECT_EQ(map.GetCount(), 4);
  EXPECT_EQ(AnalyzeStringTable(CStringList(), map), 0);
}

TEST(CombineString, JoinsWithoutATrailingSeparator) {
  CStringArray items;
  EXPECT_EQ(CombineString(items, L", "), CString());
  items.Add(L"a");
  EXPECT_EQ(CombineString(items, L", "), CString(L"a"));
  items.Add(L"");
  items.Add(L"c");
  EXPECT_EQ(CombineString(items, L", "), CString(L"a, , c"));
}

TEST(Splite, CutsAtSetsAndStrings) {
  struct Row { const wchar_t* source; const wchar_t* separators; Pieces pieces; };
  const Row rows[] = {
      {L"a,b;c", L",;", {L"a", L"b", L"c"}},
      {L"a,", L",", {L"a", L""}},
      {L"", L",", {L""}},
      {L",,", L",", {L"", L"", L""}},
      {L"abc", L",", {L"abc"}},
  };
  for (const Row& r : rows) {
    Pieces out{L"kept"};
    SpliteTstring(r.source, r.separators, &out);
    Pieces expected{L"kept"};
    expected.insert(expected.end(), r.pieces.begin(), r.pieces.end());
    EXPECT_EQ(out, expected) << r.source;
    if (r.separators[1] == L'\0') {  // one character: the string form agrees
      std::vector<CString> cout;
      SpliteCString(r.source, r.separators, &cout);
      Pieces got;
      for (const CString& s : cout) got.push_back(s.GetString());
      EXPECT_EQ(got, r.pieces) << r.source;
    }
  }
  SpliteTstring(L"a", L",", nullptr);
  SpliteCString(L"a", L",", nullptr);
  std::vector<CString> whole;
  SpliteCString(L"a,b", L"", &whole);  // an empty separator cuts nothing
  ASSERT_EQ(whole.size(), 1u);
  EXPECT_EQ(whole[0], CString(L"a,b"));
}

TEST(Lookups, ListIgnoresCaseArrayDoesNot) {
  std::list<CString> list{L"Alpha", L"beta"};
  EXPECT_EQ(IsStringInList(list, L"ALPHA"), 1);
  EXPECT_EQ(IsStringInList(list, L"gamma"), 0);
  CStringArray array;
  array.Add(L"Alpha");
  EXPECT_EQ(IsStringInArray(array, L"Alpha"), 1);
  EXPECT_EQ(IsStringInArray(array, L"alpha"), 0);
}
