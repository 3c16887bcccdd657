#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <vector>

#include "mfc/CString.h"
#include "win32/CodePage.h"

TEST(CString, ConstructionAndValueSemantics) {
  CString a(L"abc");
  CString b = a;
  b.SetAt(0, L'x');
  EXPECT_EQ(a, L"abc");
  EXPECT_EQ(b, L"xbc");
  EXPECT_EQ(CString(static_cast<LPCTSTR>(nullptr)), L"");
  EXPECT_EQ(CString(L"abcdef", 3), L"abc");
  EXPECT_EQ(CString(L'z', 3), L"zzz");
  EXPECT_EQ(CString("\xE4\xB8\xAD"), L"\u4E2D");  // narrow text is ANSI: UTF-8 here
  CString n;
  n = "a\xFF";
  EXPECT_EQ(n, L"a\uFFFD");

  CString s = L"ab";
  s += L"cd";
  s += L'e';
  s += CString(L"f");
  EXPECT_EQ(s, L"abcdef");
  EXPECT_EQ(L"<" + s + L'>', L"<abcdef>");
  EXPECT_TRUE(L"abcdef" == s);
  EXPECT_TRUE(s != L"abc");
  EXPECT_LT(CString(L"a"), CString(L"b"));
  EXPECT_TRUE(s > L"abc" && L"b" > s && s <= L"abcdef");
  EXPECT_EQ(std::wcslen(static_cast<LPCTSTR>(s)), 6u);
  EXPECT_EQ(s[1], L'b');
  EXPECT_EQ(s.GetAt(99), L'\0');

  ASSERT_TRUE(SetAnsiCodePage(936));
  CString gbk("\xD6\xD0");
  SetAnsiCodePage(CP_UTF8);
  EXPECT_EQ(gbk, L"\u4E2D");

  std::map<CString, int> m{{L"k", 1}};
  EXPECT_EQ(m[L"k"], 1);
}

TEST(CString, SubstringsClampLikeMfc) {
  CString s(L"hello");
  struct Row { CString got; const wchar_t* want; };
  const Row rows[] = {
      {s.Left(2), L"he"}, {s.Left(-1), L""}, {s.Left(99), L"hello"},
      {s.Mid(1), L"ello"}, {s.Mid(1, 2), L"el"}, {s.Mid(-3, 2), L"he"}, {s.Mid(5), L""},
      {s.Mid(9, 2), L""}, {s.Mid(2, -1), L""}, {s.Mid(3, 99), L"lo"},
      {s.Right(3), L"llo"}, {s.Right(0), L""}, {s.Right(99), L"hello"},
      {s.SpanIncluding(L"leh"), L"hell"}, {s.SpanExcluding(L"lo"), L"he"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(rows[i].got, rows[i].want) << "row " << i;
}

TEST(CString, Find) {
  CString s(L"a.b.c");
  EXPECT_EQ(s.Find(L'.'), 1);
  EXPECT_EQ(s.Find(L'.', 2), 3);
  EXPECT_EQ(s.Find(L'.', 4), -1);
  EXPECT_EQ(s.Find(L'.', 99), -1);
  EXPECT_EQ(s.Find(L'.', -1), -1);
  EXPECT_EQ(s.Find(L"b.c"), 2);
  EXPECT_EQ(s.Find(L"b", 3), -1);
  EXPECT_EQ(s.Find(L""), 0);
  EXPECT_EQ(s.ReverseFind(L'.'), 3);
  EXPECT_EQ(s.ReverseFind(L'x'), -1);
  EXPECT_EQ(s.FindOneOf(L"cb"), 2);
  EXPECT_EQ(s.FindOneOf(L""), -1);
}

TEST(CString, ReplaceRemoveInsertDelete) {
  CString s(L"aXbXc");
  EXPECT_EQ(s.Replace(L'X', L'-'), 2);
  EXPECT_EQ(s, L"a-b-c");
  EXPECT_EQ(s.Replace(L"-", L"--"), 2);  // replacement text is not searched again
  EXPECT_EQ(s, L"a--b--c");
  EXPECT_EQ(s.Replace(L"--", nullptr), 2);
  EXPECT_EQ(s, L"abc");
  EXPECT_EQ(s.Replace(L"", L"x"), 0);
  EXPECT_EQ(s.Replace(L"zz", L"x"), 0);
  CString aaa(L"aaa");
  EXPECT_EQ(aaa.Replace(L"aa", L"b"), 1);
  EXPECT_EQ(aaa, L"ba");

  CString r(L"a,b,,c");
  EXPECT_EQ(r.Remove(L','), 3);
  EXPECT_EQ(r, L"abc");
  EXPECT_EQ(r.Insert(1, L'-'), 4);
  EXPECT_EQ(r.Insert(99, L"!!"), 6);
  EXPECT_EQ(r.Insert(-5, L"<"), 7);
  EXPECT_EQ(r, L"<a-bc!!");
  EXPECT_EQ(r.Delete(1, 2), 5);
  EXPECT_EQ(r, L"<bc!!");
  EXPECT_EQ(r.Delete(3, 99), 3);
  EXPECT_EQ(r.Delete(99), 3);
  EXPECT_EQ(r, L"<bc");
}

TEST(CString, Trim) {
  struct Row { CString got; const wchar_t* want; };
  const Row rows[] = {
      {CString(L" \t a b \r\n").Trim(), L"a b"},
      {CString(L"  a ").TrimLeft(), L"a "},
      {CString(L"  a ").TrimRight(), L"  a"},
      {CString(L"xxaxx").Trim(L'x'), L"a"},
      {CString(L"xxaxx").TrimLeft(L'x'), L"axx"},
      {CString(L";,a,;").Trim(L",;"), L"a"},
      {CString(L";,a,;").TrimRight(L",;"), L";,a"},
      {CString(L"   ").Trim(), L""},
      {CString(L"").Trim(L"x"), L""},
      {CString(L"\u3000\u00A0a\u3000").Trim(), L"a"},  // ideographic and no-break spaces
  };
  for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(rows[i].got, rows[i].want) << "row " << i;
}

TEST(CString, CaseAndCompare) {
  CString s(L"MiXed.TXT");
  EXPECT_EQ(CString(s).MakeLower(), L"mixed.txt");
  EXPECT_EQ(CString(s).MakeUpper(), L"MIXED.TXT");
  EXPECT_EQ(CString(L"abc").MakeReverse(), L"cba");
  EXPECT_EQ(s.CompareNoCase(L"mixed.txt"), 0);
  EXPECT_LT(s.CompareNoCase(L"mixed.txu"), 0);
  EXPECT_GT(CString(L"b").Compare(L"a"), 0);
  EXPECT_LT(CString(L"a").Compare(L"ab"), 0);
  EXPECT_EQ(CString(L"").Compare(nullptr), 0);
}

TEST(CString, TokenizeSkipsDelimitersAndEndsWithMinusOne) {
  struct Row { const wchar_t* text; const wchar_t* delims; std::vector<CString> tokens; };
  const Row rows[] = {
      {L"a,b", L",", {L"a", L"b"}},
      {L",,a,,b,,", L",", {L"a", L"b"}},
      {L"a b;c", L" ;", {L"a", L"b", L"c"}},
      {L"", L",", {}},
      {L",,,", L",", {}},
      {L"whole", L"", {L"whole"}},
  };
  for (const Row& r : rows) {
    CString s(r.text);
    std::vector<CString> got;
    int pos = 0;
    for (int guard = 0; guard < 10; ++guard) {
      CString token = s.Tokenize(r.delims, pos);
      if (pos == -1) {
        EXPECT_TRUE(token.IsEmpty());
        break;
      }
      got.push_back(token);
    }
    EXPECT_EQ(pos, -1) << r.text;
    EXPECT_EQ(got, r.tokens) << r.text;
  }
}

TEST(CString, GetBufferAndReleaseBuffer) {
  CString s(L"ab");
  wchar_t* p = s.GetBuffer(10);
  EXPECT_EQ(p[0], L'a');
  std::wcscpy(p, L"hello");
  s.ReleaseBuffer();
  EXPECT_EQ(s, L"hello");
  EXPECT_EQ(s.GetLength(), 5);

  p = s.GetBuffer();
  p[1] = L'E';
  s.ReleaseBuffer(2);
  EXPECT_EQ(s, L"hE");

  p = s.GetBufferSetLength(4);
  std::wmemcpy(p, L"wxyz", 4);
  s.ReleaseBuffer(4);
  EXPECT_EQ(s, L"wxyz");

  // A Win32-style fill into a fixed buffer, then ReleaseBuffer(-1).
  CString path;
  int n = MultiByteToWideChar(CP_UTF8, 0, "/tmp/\xE4\xB8\xAD", -1, path.GetBuffer(260), 260);
  path.ReleaseBuffer();
  EXPECT_EQ(n, 7);
  EXPECT_EQ(path, L"/tmp/\u4E2D");
}
