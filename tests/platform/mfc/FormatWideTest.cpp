#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "mfc/CString.h"
#include "mfc/FormatWide.h"
#include "win32/CodePage.h"

namespace {

template <class... Args>
std::wstring F(const wchar_t* format, const Args&... args) {
  CString s;
  s.Format(format, args...);
  return s.GetString();
}

std::string N(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out = FormatNarrow(format, args);
  va_end(args);
  return out;
}

}  // namespace

TEST(FormatWide, WindowsSpecifiers) {
  struct Row { std::wstring got, want; };
  const Row rows[] = {
      {F(L"%s|%ls|%ws", L"wide", L"l", L"w"), L"wide|l|w"},
      {F(L"%S|%hs", "narrow", "h"), L"narrow|h"},
      {F(L"%S", "\xE4\xB8\xAD"), L"\u4E2D"},
      {F(L"%c%c%C%hc", L'\u4E2D', L'b', 'c', 'd'), L"\u4E2Dbcd"},
      {F(L"%I64d %I64u %I64x %I64X", INT64_MIN, UINT64_MAX, 0xABCDEFull, 255ull),
       L"-9223372036854775808 18446744073709551615 abcdef FF"},
      {F(L"%I32d %lld %llu", -5, -1ll, 1ull << 63), L"-5 -1 9223372036854775808"},
      {F(L"%d %i %u %x %X %o", -42, 7, 4294967295u, 255, 255, 8), L"-42 7 4294967295 ff FF 10"},
      {F(L"%ld %lu", -1, 4000000000u), L"-1 4000000000"},
      {F(L"%hd %hu %hhd", 70000, 70000, 300), L"4464 4464 44"},
      {F(L"%Iu %zu", size_t{12}, size_t{13}), L"12 13"},
      {F(L"%f %.1lf %g %e", 1.5, 2.25, 0.0001, 12345.678), L"1.500000 2.2 0.0001 1.234568e+04"},
      {F(L"%.1f", 1.5f), L"1.5"},
      {F(L"%5d|%-5d|%05d|%+d|% d", 42, 42, 42, 42, 42), L"   42|42   |00042|+42| 42"},
      {F(L"%*d|%-*d|%.*f", 4, 7, 3, 8, 2, 3.14159), L"   7|8  |3.14"},
      {F(L"%08I64x|%#x", 0xBEEFull, 255), L"0000beef|0xff"},
      {F(L"%6s|%-6s|%.2s|%.2S", L"ab", L"ab", L"abcdef", "xyz"), L"    ab|ab    |ab|xy"},
      {F(L"%%|100%%"), L"%|100%"},
      {F(L"%s", static_cast<const wchar_t*>(nullptr)), L"(null)"},
      {F(L"%p", reinterpret_cast<void*>(0x1234)), L"0000000000001234"},
      {F(L"%02X%02X%02X", 0x11, 0xA, 0xFF), L"110AFF"},
      {F(L"tail %"), L"tail %"},
      {F(L"%y|%d", 3), L"%y|3"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(rows[i].got, rows[i].want) << "row " << i;
}

TEST(FormatWide, CStringArgumentsAndLongOutput) {
  CString name(L"\u4E2D\u6587");
  CString s;
  s.Format(L"<%s> <%s>", name, (LPCTSTR)name);
  EXPECT_EQ(s, L"<\u4E2D\u6587> <\u4E2D\u6587>");

  CString big(L'x', 100000);
  s.Format(L"[%s]", big);
  EXPECT_EQ(s.GetLength(), 100002);

  s.Format(L"%s", s);  // formatting from its own text
  EXPECT_EQ(s.GetLength(), 100002);

  s = L"a";
  s.AppendFormat(L"%d%s", 1, CString(L"b"));
  EXPECT_EQ(s, L"a1b");

  wchar_t buffer[8] = L"arr";
  s.Format(L"%s", buffer);
  EXPECT_EQ(s, L"arr");
}

TEST(FormatWide, NarrowFormatsMirrorTheWideOnes) {
  EXPECT_EQ(N("%s|%S|%ls|%I64d|%c", "n", L"\u4E2D", L"w", -7ll, 'c'), "n|\xE4\xB8\xAD|w|-7|c");
}

TEST(FormatWide, NarrowTextFollowsTheAnsiCodePage) {
  ASSERT_TRUE(SetAnsiCodePage(936));
  std::wstring got = F(L"%S", "\xD6\xD0");
  std::string narrow = N("%ls", L"\u4E2D\uD55C");
  SetAnsiCodePage(CP_UTF8);
  EXPECT_EQ(got, L"\u4E2D");
  EXPECT_EQ(narrow, "\xD6\xD0?");
}
