// Numbers, colours and speeds as text.
#include <gtest/gtest.h>

#include <climits>

#include "common/NumberText.h"
#include "common/StringConvert.h"

using namespace Common;

TEST(NumberText, DecimalParsing) {
  struct Row { const wchar_t* text; int value; };
  for (Row r : {Row{L" 42x", 42}, Row{L"-7", -7}, Row{L"+5", 5}, Row{L"abc", 0}, Row{L"", 0},
                Row{L"99999999999", INT_MAX}, Row{L"-99999999999", INT_MIN}}) {
    EXPECT_EQ(CString2Int(r.text), r.value) << r.text;
  }
  EXPECT_FLOAT_EQ(CSring2Float(L" 1.5e2kg"), 150.0f);
  EXPECT_FLOAT_EQ(CSring2Float(L"x"), 0.0f);
  EXPECT_EQ(CString2DWORD64(L"-1"), 0xFFFFFFFFFFFFFFFFull);
  EXPECT_EQ(CString2DWORD64(L"9223372036854775807"), 9223372036854775807ull);
  struct URow { const wchar_t* text; unsigned long long value; };
  for (URow r : {URow{L"0x1F", 31}, URow{L"0X1f", 31}, URow{L"010", 8}, URow{L"10", 10}, URow{L"z", 0},
                 URow{L"18446744073709551615", 0xFFFFFFFFFFFFFFFFull}}) {
    EXPECT_EQ(CString2UInt(r.text), r.value) << r.text;
  }
}

TEST(NumberText, Printing) {
  EXPECT_EQ(Int2CString(-12), CString(L"-12"));
  EXPECT_EQ(Int2Utf8(INT_MIN), "-2147483648");
  EXPECT_EQ(DWORD642CString(9223372036854775808ull), CString(L"-9223372036854775808"));  // signed, as stored texts expect
  EXPECT_EQ(UInt2CString(9223372036854775808ull), CString(L"9223372036854775808"));
  EXPECT_EQ(UInt2CString(0xFFFFFFFFFFFFFFFFull), CString(L"18446744073709551615"));
}

TEST(NumberText, HexDigitsFromTheRight) {
  struct Row { const wchar_t* text; int value; };
  for (Row r : {Row{L"ff", 255}, Row{L"0x10", 16}, Row{L"0x1A", 26}, Row{L"12G4", 4}, Row{L"", 0}, Row{L"G", 0},
                Row{L"FFFFFFFF", -1}, Row{L"1FFFFFFFF", -1}, Row{L"123456789", 0x23456789}}) {
    EXPECT_EQ(HexStringToInt(r.text), r.value) << r.text;
  }
}

TEST(NumberText, IsInteger) {
  struct Row { const wchar_t* text; int value; };
  for (Row r : {Row{L"", 1}, Row{L"0", 1}, Row{L"-12", 1}, Row{L"-", 0}, Row{L"+1", 0}, Row{L"1.0", 0},
                Row{L" 1", 0}, Row{L"--1", 0}}) {
    EXPECT_EQ(IsInteger(r.text), r.value) << r.text;
  }
  EXPECT_EQ(IsInteger(nullptr), 0);
}

TEST(NumberText, Colours) {
  EXPECT_EQ(ColorRefToCString_Hex(0x00123456), CString(L"0x123456"));
  EXPECT_EQ(ColorRefToCString_Hex(0xFF0000AB), CString(L"0x0000AB"));
  EXPECT_EQ(ColorRefToCString_Dec(0x00123456), CString(L"1193046"));
  struct Row { const char* text; unsigned long value; };
  for (Row r : {Row{"0", 0}, Row{"1000000", 0xFFFFFFFF}, Row{"ff", 255}, Row{"0x123456", 0x123456},
                Row{" 0xFFFFFF", 0xFFFFFF}, Row{"ffffffff", 0}, Row{"123456789ab", 0}, Row{"zz", 0}}) {
    EXPECT_EQ(StringToColorRef(r.text), r.value) << r.text;
  }
  EXPECT_EQ(StringToColorRef(CString_to_utf8(ColorRefToCString_Hex(0x00ABCDEF))), 0x00ABCDEFul);  // reads back
}

TEST(NumberText, Speeds) {
  struct Row { long v; const wchar_t* text; };
  for (Row r : {Row{1000000, L"1.0MB/S"}, Row{2550000, L"2.5MB/S"}, Row{1000, L"1.0KB/S"}, Row{1500, L"1.5KB/S"},
                Row{999, L"999.0B/S"}, Row{0, L"0.0B/S"}, Row{-5, L"-5.0B/S"}}) {
    EXPECT_EQ(SpeedToCString(r.v), CString(r.text)) << r.v;
  }
}
