#include <gtest/gtest.h>

#include <vector>

#include "mfc/CMapStringToString.h"
#include "mfc/CPtrArray.h"
#include "mfc/CPtrList.h"
#include "mfc/CStringArray.h"
#include "mfc/CStringList.h"

namespace {
std::vector<CString> Items(const CStringList& list) {
  std::vector<CString> out;
  for (POSITION pos = list.GetHeadPosition(); pos;) out.push_back(list.GetNext(pos));
  return out;
}
}  // namespace

TEST(CStringList, HeadTailAndPositions) {
  CStringList list;
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.RemoveHead(), L"");  // empty: a default value, no crash
  list.AddTail(L"b");
  list.AddTail(L"c");
  list.AddHead(L"a");
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(Items(list), (std::vector<CString>{L"a", L"b", L"c"}));

  POSITION b = list.Find(L"b");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(list.GetAt(b), L"b");
  list.SetAt(b, L"B");
  list.InsertAfter(b, L"b2");
  list.InsertBefore(list.GetHeadPosition(), L"0");
  EXPECT_EQ(Items(list), (std::vector<CString>{L"0", L"a", L"B", L"b2", L"c"}));
  EXPECT_EQ(list.Find(L"x"), nullptr);
  EXPECT_EQ(list.Find(L"a", list.Find(L"a")), nullptr);  // search starts after the position

  list.RemoveAt(list.Find(L"B"));
  EXPECT_EQ(list.RemoveHead(), L"0");
  EXPECT_EQ(list.RemoveTail(), L"c");
  EXPECT_EQ(Items(list), (std::vector<CString>{L"a", L"b2"}));
  EXPECT_EQ(list.GetHead(), L"a");
  EXPECT_EQ(list.GetTail(), L"b2");

  // Removing the current element while walking with GetNext is safe.
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    POSITION cur = pos;
    if (list.GetNext(pos) == L"a") list.RemoveAt(cur);
  }
  EXPECT_EQ(Items(list), (std::vector<CString>{L"b2"}));

  CStringList copy(list);
  list.AddTail(&list);  // appending a list to itself doubles it once
  EXPECT_EQ(Items(list), (std::vector<CString>{L"b2", L"b2"}));
  EXPECT_EQ(copy.GetCount(), 1);
  list.RemoveAll();
  EXPECT_EQ(list.GetHeadPosition(), nullptr);
  EXPECT_EQ(list.GetCount(), 0);
}

TEST(CPtrList, HoldsPointers) {
  int a = 1, b = 2;
  CPtrList list;
  list.AddTail(&a);
  list.AddTail(&b);
  EXPECT_EQ(list.FindIndex(1), list.Find(&b));
  EXPECT_EQ(*static_cast<int*>(list.RemoveHead()), 1);
  EXPECT_EQ(list.FindIndex(5), nullptr);
}

TEST(CStringArray, GrowInsertRemove) {
  CStringArray arr;
  EXPECT_EQ(arr.Add(L"a"), 0);
  EXPECT_EQ(arr.Add(L"c"), 1);
  arr.InsertAt(1, L"b");
  arr.InsertAt(5, L"f");  // beyond the end: grows with empty texts
  ASSERT_EQ(arr.GetSize(), 6);
  EXPECT_EQ(arr[1], L"b");
  EXPECT_EQ(arr.GetAt(3), L"");
  EXPECT_EQ(arr.GetAt(5), L"f");
  arr.RemoveAt(3, 99);  // removes to the end
  EXPECT_EQ(arr.GetCount(), 3);
  arr.RemoveAt(99);
  EXPECT_EQ(arr.GetCount(), 3);
  arr.SetAt(0, L"A");
  arr.ElementAt(2) = L"C";
  arr[1] += L"!";
  EXPECT_EQ(arr[0] + arr[1] + arr[2], L"Ab!C");
  arr.SetAtGrow(4, L"e");
  EXPECT_EQ(arr.GetUpperBound(), 4);
  EXPECT_THROW(arr.GetAt(5), std::out_of_range);
  EXPECT_THROW(arr.GetAt(-1), std::out_of_range);
  arr.Append(arr);
  EXPECT_EQ(arr.GetSize(), 10);
  arr.SetSize(2);
  EXPECT_EQ(arr.GetSize(), 2);
  arr.RemoveAll();
  EXPECT_TRUE(arr.IsEmpty());

  CPtrArray ptrs;
  int x = 0;
  ptrs.Add(&x);
  ptrs.Add(nullptr);
  EXPECT_EQ(ptrs[0], &x);
  EXPECT_EQ(ptrs.GetAt(1), nullptr);
}

TEST(CMapStringToString, SetLookupRemoveIterate) {
  CMapStringToString map;
  CString value = L"unchanged";
  EXPECT_FALSE(map.Lookup(L"k", value));
  EXPECT_EQ(value, L"unchanged");
  EXPECT_EQ(map.GetStartPosition(), nullptr);

  map.SetAt(L"b", L"2");
  map.SetAt(L"a", L"1");
  map.SetAt(L"a", L"one");  // replaces
  map[L"c"] = L"3";
  EXPECT_EQ(map[L"d"], L"");  // created empty
  EXPECT_EQ(map.GetCount(), 4);
  EXPECT_TRUE(map.Lookup(L"a", value));
  EXPECT_EQ(value, L"one");
  EXPECT_FALSE(map.Lookup(L"A", value));  // keys compare exactly
  EXPECT_TRUE(map.RemoveKey(L"d"));
  EXPECT_FALSE(map.RemoveKey(L"d"));

  CString key, joined;
  for (POSITION pos = map.GetStartPosition(); pos;) {
    map.GetNextAssoc(pos, key, value);
    joined += key + L"=" + value + L";";
  }
  EXPECT_EQ(joined, L"a=one;b=2;c=3;");
  map.RemoveAll();
  EXPECT_TRUE(map.IsEmpty());
}
