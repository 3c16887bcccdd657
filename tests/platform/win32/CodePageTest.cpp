#include <gtest/gtest.h>

#include <string>

#include "win32/CodePage.h"
#include "win32/WinError.h"

namespace {

// Converts with an explicit byte count through the size query, as callers do.
std::wstring ToWide(UINT cp, const std::string& bytes) {
  int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  EXPECT_EQ(MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n), n);
  return out;
}

std::string ToBytes(UINT cp, const std::wstring& text, BOOL* usedDefault = nullptr) {
  int n = WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, usedDefault);
  std::string out(n, '\0');
  EXPECT_EQ(WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                                usedDefault),
            n);
  return out;
}

// Restores the UTF-8 ANSI code page whatever a test did.
struct AnsiCodePage {
  explicit AnsiCodePage(UINT cp) { EXPECT_TRUE(SetAnsiCodePage(cp)); }
  ~AnsiCodePage() { SetAnsiCodePage(CP_UTF8); }
};

}  // namespace

TEST(CodePage, Utf8DecodingReplacesEachMaximalSubpart) {
  struct Row { const char* name; std::string in; std::wstring out; };
  const Row rows[] = {
      {"ascii", "abc", L"abc"},
      {"two, three and four bytes", "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", L"\u00E9\u4E2D\U0001F600"},
      {"stray byte", "a\xFF" "b", L"a\uFFFDb"},
      {"lone continuation", "\x80\xBF", L"\uFFFD\uFFFD"},
      {"overlong slash", "\xC0\xAF", L"\uFFFD\uFFFD"},
      {"overlong three-byte", "\xE0\x80\xAF", L"\uFFFD\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"truncated three-byte", "\xE4\xB8" "a", L"\uFFFDa"},
      {"truncated four-byte at end", "a\xF0\x9F\x98", L"a\uFFFD"},
      {"lead byte then lead byte", "\xE4\xE4\xB8\xAD", L"\uFFFD\u4E2D"},
      {"F5 and above", "\xF5\xFE", L"\uFFFD\uFFFD"},
      {"embedded NUL kept with a count", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
  };
  for (const Row& r : rows) EXPECT_EQ(ToWide(CP_UTF8, r.in), r.out) << r.name;
}

TEST(CodePage, Utf8EncodingReplacesUnpairedSurrogates) {
  struct Row { const char* name; std::wstring in; std::string out; };
  const Row rows[] = {
      {"astral", L"\U0001F600", "\xF0\x9F\x98\x80"},
      {"lone high", std::wstring(1, wchar_t(0xD83D)) + L"x", "\xEF\xBF\xBDx"},
      {"lone low", std::wstring(1, wchar_t(0xDE00)), "\xEF\xBF\xBD"},
      {"pair in two units", std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}, "\xF0\x9F\x98\x80"},
      {"beyond Unicode", std::wstring(1, wchar_t(0x110000)), "\xEF\xBF\xBD"},
      {"embedded NUL", std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
  };
  for (const Row& r : rows) EXPECT_EQ(ToBytes(CP_UTF8, r.in), r.out) << r.name;
}

TEST(CodePage, MinusOneCountsTheTerminatorAndStopsAtNul) {
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\0b", -1, nullptr, 0), 2);
  wchar_t w[4] = {L'x', L'x', L'x', L'x'};
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xE4\xB8\xAD", -1, w, 4), 2);
  EXPECT_EQ(w[0], L'\u4E2D');
  EXPECT_EQ(w[1], L'\0');
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u4E2D", -1, nullptr, 0, nullptr, nullptr), 4);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"", -1, nullptr, 0, nullptr, nullptr), 1);
}

TEST(CodePage, ContractErrors) {
  wchar_t w[2];
  char b[2];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, w, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u4E2D", 1, b, 2, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  struct Row { const char* name; int result; };
  BOOL used = FALSE;
  const Row rows[] = {
      {"zero-length input", MultiByteToWideChar(CP_UTF8, 0, "a", 0, w, 2)},
      {"null input", MultiByteToWideChar(CP_UTF8, 0, nullptr, -1, w, 2)},
      {"count below -1", MultiByteToWideChar(CP_UTF8, 0, "a", -2, w, 2)},
      {"null output with a size", MultiByteToWideChar(CP_UTF8, 0, "a", 1, nullptr, 2)},
      {"unknown code page", MultiByteToWideChar(1252, 0, "a", 1, w, 2)},
      {"default char with UTF-8", WideCharToMultiByte(CP_UTF8, 0, L"a", 1, b, 2, "?", nullptr)},
      {"used flag with UTF-8", WideCharToMultiByte(CP_UTF8, 0, L"a", 1, b, 2, nullptr, &used)},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.result, 0) << r.name;
  }
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a", 0, w, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, w, 2), 0);
  EXPECT_EQ(GetLastError(), 1113u);  // ERROR_NO_UNICODE_TRANSLATION
}

TEST(CodePage, AnsiIsUtf8ByDefault) {
  EXPECT_EQ(GetACP(), CP_UTF8);
  EXPECT_EQ(ToWide(CP_ACP, "\xE4\xB8\xAD"), L"\u4E2D");
  BOOL used = TRUE;
  EXPECT_EQ(ToBytes(CP_ACP, L"\u4E2D", &used), "\xE4\xB8\xAD");
  EXPECT_FALSE(used);
  EXPECT_FALSE(SetAnsiCodePage(1252));
  EXPECT_EQ(GetACP(), CP_UTF8);
}

TEST(CodePage, GbkRoundTripAndMissingCharacters) {
  AnsiCodePage gbk(936);
  EXPECT_EQ(GetACP(), 936u);
  // "中文" in GBK is D6 D0 CE C4.
  BOOL used = TRUE;
  EXPECT_EQ(ToBytes(CP_ACP, L"\u4E2D\u6587a", &used), "\xD6\xD0\xCE\xC4" "a");
  EXPECT_FALSE(used);
  EXPECT_EQ(ToWide(CP_ACP, "\xD6\xD0\xCE\xC4" "a"), L"\u4E2D\u6587a");

  // A Korean syllable and an emoji are not in GBK.
  EXPECT_EQ(ToBytes(CP_ACP, L"a\uD55C\U0001F600b", &used), "a??b");
  EXPECT_TRUE(used);
  char buf[8] = {};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"\uD55C", -1, buf, 8, "*", &used), 2);
  EXPECT_STREQ(buf, "*");

  EXPECT_EQ(WideToAnsi(std::wstring(L"\u4E2D\0\uD55C", 3)), std::string("\xD6\xD0\0?", 4));
  EXPECT_EQ(AnsiToWide("\xCE\xC4"), L"\u6587");

  // A lead byte without its trail byte.
  EXPECT_EQ(ToWide(CP_ACP, "a\xD6"), L"a\uFFFD");
}

TEST(CodePage, Utf16Helpers) {
  std::wstring text = L"A\u4E2D\U0001F600";
  std::u16string units = WideToUtf16(text);
  EXPECT_EQ(units, u"A\u4E2D\U0001F600");
  EXPECT_EQ(Utf16ToWide(units), text);
  EXPECT_EQ(Utf16ToWide(std::u16string(1, char16_t(0xD800)) + u"x"), L"\uFFFDx");

  std::string le = WideToUtf16LE(L"A\u4E2D");
  EXPECT_EQ(le, std::string("A\0\x2D\x4E", 4));
  EXPECT_EQ(Utf16LEToWide(le.data(), le.size()), L"A\u4E2D");
  EXPECT_EQ(Utf16LEToWide(le.data(), 3), L"A");  // an odd byte is dropped

  EXPECT_EQ(WideToUtf8(L"\u00E9"), "\xC3\xA9");
  EXPECT_EQ(Utf8ToWide("\xC3"), L"\uFFFD");
}
