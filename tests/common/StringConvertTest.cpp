// Conversions between CString, std::string and juce::String.
#include <gtest/gtest.h>

#include <juce_core/juce_core.h>

#include "common/StringConvert.h"
#include "common/NumberText.h"
#include "win32/CodePage.h"

using namespace Common;

namespace {

std::string Hex(const std::string& bytes) {
  std::string out;
  char buffer[4];
  for (unsigned char c : bytes) snprintf(buffer, sizeof buffer, "%02X ", c), out += buffer;
  return out;
}

}  // namespace

TEST(Utf8ToCString, MalformedBytesBecomeReplacementCharacters) {
  struct Row { const char* name; std::string utf8; std::wstring wide; };
  const Row rows[] = {
      {"empty", "", L""},
      {"ascii", "abc", L"abc"},
      {"chinese", "\xE4\xB8\xAD\xE6\x96\x87", L"\u4E2D\u6587"},
      {"astral", "\xF0\x9F\x98\x80", L"\U0001F600"},
      {"stray byte", "a\xFF" "b", L"a\uFFFD" L"b"},
      {"cut sequence", "a\xE4\xB8", L"a\uFFFD"},
      {"lone continuation", "\x80z", L"\uFFFDz"},
      {"encoded surrogate", "\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},
      {"embedded NUL ends", std::string("ab\0cd", 5), L"ab"},
  };
  for (const Row& r : rows) {
    CString out(L"old");
    int count = utf8_to_CString(r.utf8, out);
    EXPECT_EQ(std::wstring(out.GetString()), r.wide) << r.name;
    EXPECT_EQ(count, static_cast<int>(r.wide.size()) + 1) << r.name;
  }
}

TEST(CStringToUtf8, UnpairedSurrogatesAndNul) {
  struct Row { const char* name; CString wide; std::string utf8; };
  const Row rows[] = {
      {"empty", CString(), ""},
      {"chinese", CString(L"\u4E2D"), "\xE4\xB8\xAD"},
      {"astral", CString(L"\U0001F600"), "\xF0\x9F\x98\x80"},
      {"unpaired surrogate", CString(L"a\xD800" L"b"), "a\xEF\xBF\xBD" "b"},
      {"embedded NUL ends", CString(L"ab\0cd", 5), "ab"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Hex(CString_to_utf8(r.wide)), Hex(r.utf8)) << r.name;
    EXPECT_EQ(Hex(WString_to_utf8(r.wide.GetString())), Hex(r.utf8)) << r.name;
  }
  EXPECT_EQ(WString_to_utf8(nullptr), "");
}

TEST(Utf8ToWString, NeverWritesPastTheBuffer) {
  wchar_t buffer[8];
  std::fill(std::begin(buffer), std::end(buffer), L'#');
  EXPECT_EQ(utf8_to_WString("abcdefghijk", buffer, 4), 4);
  EXPECT_EQ(std::wstring(buffer), L"abc");
  EXPECT_EQ(buffer[4], L'#');
  EXPECT_EQ(utf8_to_WString("\xE4\xB8\xAD", buffer, 8), 2);
  EXPECT_EQ(std::wstring(buffer), L"\u4E2D");
  EXPECT_EQ(utf8_to_WString("", buffer, 8), 1);
  EXPECT_EQ(buffer[0], L'\0');
  EXPECT_EQ(utf8_to_WString("abc", buffer, 0), 0);
  EXPECT_EQ(utf8_to_WString("abc", nullptr, 8), 0);
}

// The ANSI conversions under both code pages the program meets.
class AnsiCodePage : public testing::TestWithParam<UINT> {
 protected:
  void SetUp() override { ASSERT_TRUE(SetAnsiCodePage(GetParam())); }
  void TearDown() override { SetAnsiCodePage(CP_UTF8); }
};

TEST_P(AnsiCodePage, MissingCharactersBecomeQuestionMarks) {
  const bool gbk = GetParam() == 936;
  std::string out = "stale";
  EXPECT_EQ(CString_to_MBCS(CString(L"\u4E2D1"), out), gbk ? 4 : 5);
  EXPECT_EQ(Hex(out), Hex(gbk ? "\xD6\xD0" "1" : "\xE4\xB8\xAD" "1"));
  // Thai is missing from GBK.
  EXPECT_EQ(Hex(CString_to_MBCS(CString(L"a\u0E01"))), Hex(gbk ? "a?" : "a\xE0\xB8\x81"));
  EXPECT_EQ(CString_to_MBCS(CString(), out), 1);
  EXPECT_EQ(out, "");

  CString back;
  EXPECT_EQ(MBCS_to_CString(gbk ? "\xD6\xD0\xCE\xC4" : "\xE4\xB8\xAD\xE6\x96\x87", back), 3);
  EXPECT_EQ(back, CString(L"\u4E2D\u6587"));
  EXPECT_EQ(MBCS_to_CString(nullptr, back), 1);
  EXPECT_TRUE(back.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Utf8AndGbk, AnsiCodePage, testing::Values(65001u, 936u));

TEST(JuceString, ConvertsBothWaysAndMendsBrokenText) {
  CString text(L"\u4E2D\u6587 \U0001F600");
  juce::String j = CString_to_String(text);
  EXPECT_EQ(j, juce::String(juce::CharPointer_UTF8("\xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80")));
  EXPECT_EQ(String_To_CString(j), text);
  EXPECT_EQ(String_ToStdString(j), "\xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80");
  EXPECT_EQ(String_To_CString(CString_to_String(CString(L"a\xDC00"))), CString(L"a\uFFFD"));
  EXPECT_EQ(Stdstring_To_String("a\xFF"), juce::String(L"a\uFFFD"));
  EXPECT_EQ(Stdstring_To_String(std::string("ab\0c", 4)), juce::String("ab"));
}

TEST(Utf16Bytes, AreLittleEndianUnitsWithoutTerminator) {
  EXPECT_EQ(Hex(CString_to_Bytes(CString(L"A\u4E2D"))), Hex(std::string("A\0\x2D\x4E", 4)));
  EXPECT_EQ(Hex(CString_to_Bytes(CString(L"\U0001F600"))), Hex(std::string("\x3D\xD8\x00\xDE", 4)));
  EXPECT_EQ(CString_to_Bytes(CString(L"a\0b", 3)).size(), 6u);
  EXPECT_EQ(Bytes_to_CString(std::string("A\0\x2D\x4E", 4)), CString(L"A\u4E2D"));
  EXPECT_EQ(Bytes_to_CString(std::string("A\0B", 3)), CString(L"A"));  // an odd last byte is dropped
  EXPECT_EQ(Bytes_to_CString(std::string("A\0\0\0B\0", 6)), CString(L"A"));
  EXPECT_EQ(Bytes_to_CString(std::string("\x3D\xD8\x00\xDE", 4)), CString(L"\U0001F600"));

  EXPECT_EQ(Bytes2Int(Int2Bytes(-12345)), -12345);
  EXPECT_EQ(Hex(Int2Bytes(12)), Hex(std::string("1\0" "2\0", 4)));
  EXPECT_EQ(Bytes2DWORD64(DWORD642Bytes(0xFFFFFFFFFFFFFFFFull)), 0xFFFFFFFFFFFFFFFFull);
  EXPECT_EQ(Bytes2DWORD64(DWORD642Bytes(1234567890123ull)), 1234567890123ull);
}
