// The text buffer over the script library: growth and limits of the text,
// caret geometry and word stops in the 10-pixel test font (5 pixels per Latin
// character or UTF-16 unit, 10 per Chinese character), and the answers without
// the library.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "ui/controls/UniscribeBuffer.h"
#include "win32/ComInterfaces.h"
#include "win32/TextMetrics.h"
#include "win32/Windows.h"

namespace {

using UI::CUniscribeBuffer;

// "a", U+1F600 as a surrogate pair in two units, "b".
const std::wstring kPair = std::wstring(L"a") + wchar_t(0xD83D) + wchar_t(0xDE00) + L"b";

class UniscribeBufferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CUniscribeBuffer::LoadUniscribe();
    m_dc = CreateCompatibleDC(nullptr);
  }
  void TearDown() override { DeleteDC(m_dc); }
  // A buffer as an owner sets it up, holding `text`.
  std::unique_ptr<CUniscribeBuffer> Buffer(const std::wstring& text) {
    auto buffer = std::make_unique<CUniscribeBuffer>(1);
    buffer->m_hDC = m_dc;
    buffer->m_font.lfHeight = -10;
    std::wcsncpy(buffer->m_font.lfFaceName, win32::kTestFontFace, LF_FACESIZE - 1);
    EXPECT_TRUE(buffer->AssignText(text.c_str()));
    return buffer;
  }
  HDC m_dc = nullptr;
};

TEST_F(UniscribeBufferTest, GrowthDoublesFromTwoUpToTheLimit) {
  CUniscribeBuffer buffer(1);
  EXPECT_EQ(buffer.GetCapacity(), 2);
  EXPECT_EQ(buffer.GetLength(), 0);
  EXPECT_TRUE(buffer.InsertCharAt(0, L'a'));
  EXPECT_EQ(buffer.GetCapacity(), 2);
  EXPECT_TRUE(buffer.InsertCharAt(1, L'b'));
  EXPECT_EQ(buffer.GetCapacity(), 4);
  int expected = 4;
  while (buffer.GetCapacity() < CUniscribeBuffer::kMaxUnits) {
    ASSERT_TRUE(buffer.Grow(-1));
    expected = std::min(2 * expected, CUniscribeBuffer::kMaxUnits);
    EXPECT_EQ(buffer.GetCapacity(), expected);
  }
  EXPECT_FALSE(buffer.Grow(-1));
  EXPECT_STREQ(buffer.GetText(), L"ab");  // growth keeps the text
}

TEST_F(UniscribeBufferTest, ChangesStopShortOfSixtyFiveThousandFiveHundredThirtyFiveUnits) {
  CUniscribeBuffer buffer(1);
  const std::wstring limit(65533, L'x');
  EXPECT_TRUE(buffer.AssignText(limit.c_str()));
  EXPECT_FALSE(buffer.AssignText((limit + L"y").c_str()));
  EXPECT_EQ(buffer.GetLength(), 65533);  // the old text stays
  EXPECT_TRUE(buffer.InsertCharAt(0, L'y'));
  EXPECT_EQ(buffer.GetLength(), 65534);
  EXPECT_FALSE(buffer.InsertCharAt(0, L'z'));
  EXPECT_EQ(buffer.GetText()[0], L'y');

  CUniscribeBuffer text(1);
  ASSERT_TRUE(text.AssignText(std::wstring(65530, L'x').c_str()));
  EXPECT_FALSE(text.InsertTextAt(3, L"abcde"));  // 65535
  EXPECT_TRUE(text.InsertTextAt(3, L"abcd"));    // 65534
  EXPECT_EQ(std::wstring(text.GetText(), 8), L"xxxabcdx");

  CUniscribeBuffer small(1);
  ASSERT_TRUE(small.AssignText(L"ab"));
  EXPECT_FALSE(small.RemoveCharAt(2));
  EXPECT_FALSE(small.RemoveCharAt(-1));
  EXPECT_FALSE(small.InsertCharAt(-1, L'c'));
  EXPECT_FALSE(small.InsertCharAt(3, L'c'));
  EXPECT_FALSE(small.InsertTextAt(-1, L"c"));
  EXPECT_TRUE(small.RemoveCharAt(0));
  EXPECT_STREQ(small.GetText(), L"b");
  EXPECT_TRUE(small.InsertTextAt(1, L"cd"));
  EXPECT_STREQ(small.GetText(), L"bcd");
  small.ClearText();
  EXPECT_EQ(small.GetLength(), 0);
  EXPECT_FALSE(small.RemoveCharAt(0));
}

struct CaretCase {
  const char* name;
  std::wstring text;
  int cp;
  BOOL trailing;
  int x;
};

TEST_F(UniscribeBufferTest, CaretToXFollowsEachCharactersWidth) {
  const CaretCase cases[] = {
      {"AsciiLeading", L"abc", 1, 0, 5},
      {"AsciiTrailing", L"abc", 2, 1, 15},
      {"AtTheEndIsTheWidth", L"abc", 3, 0, 15},
      {"ChineseIsFullWidth", L"中文a", 1, 1, 20},
      {"AfterChinese", L"中文a", 2, 0, 20},
      {"PairLeadingFromItsLowHalf", kPair, 2, 0, 5},
      {"PairTrailing", kPair, 1, 1, 15},
      {"AfterThePair", kPair, 3, 0, 15},
      {"OneUnitAstralCharacter", L"a\U0001F600b", 1, 1, 15},
      {"LabelWidthFromTheLastCharacter", L"标签 text", 6, 1, 45},
  };
  for (const CaretCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto buffer = Buffer(c.text);
    int x = -1;
    EXPECT_EQ(buffer->CaretToX(c.cp, c.trailing, &x), S_OK);
    EXPECT_EQ(x, c.x);
  }
}

struct HitCase {
  const char* name;
  std::wstring text;
  int x;
  int cp;
  BOOL trailing;
};

TEST_F(UniscribeBufferTest, XToCaretFindsTheCharacterAndItsHalf) {
  const HitCase cases[] = {
      {"LeftOfTheTextIsTheStart", L"abc", -3, 0, 0},
      {"LeadingHalf", L"abc", 1, 0, 0},
      {"TrailingHalf", L"abc", 3, 0, 1},
      {"SecondCharacter", L"abc", 7, 1, 0},
      {"RightOfTheTextIsTheEnd", L"abc", 100, 3, 1},
      {"ChineseLeadingHalf", L"中文", 14, 1, 0},
      {"ChineseTrailingHalf", L"中文", 16, 1, 1},
      {"PairLeadingHalf", kPair, 6, 1, 0},
      {"PairTrailingHalfStepsOverBothUnits", kPair, 12, 1, 2},
      {"EmptyText", L"", 4, 0, 1},
  };
  for (const HitCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto buffer = Buffer(c.text);
    int cp = -5;
    BOOL trailing = -5;
    EXPECT_EQ(buffer->XToCaret(c.x, &cp, &trailing), S_OK);
    EXPECT_EQ(cp, c.cp);
    EXPECT_EQ(trailing, c.trailing);
  }
}

struct StopCase {
  const char* name;
  std::wstring text;
  int cp;
  int previous;
  int next;
};

TEST_F(UniscribeBufferTest, WordStopsComeFromWhiteSpaceWordsAndIdeographs) {
  const StopCase cases[] = {
      {"StartOfTheText", L"hello world", 0, 0, 6},
      {"SecondCharacter", L"hello world", 1, 0, 6},
      {"InsideTheSecondWord", L"hello world", 8, 6, 11},
      {"AtAWordStart", L"hello world", 6, 0, 11},
      {"EndOfTheText", L"hello world", 11, 6, 11},
      {"EveryChineseCharacterIsAStop", L"中文字", 1, 0, 2},
      {"LatinThenChinese", L"ab中文 cd", 2, 0, 3},
      {"ChineseThenSpace", L"ab中文 cd", 3, 2, 5},
      {"PunctuationEndsAWord", L"foo, bar", 0, 0, 3},
      {"AfterPunctuation", L"foo, bar", 3, 0, 5},
      {"ThePairIsPartOfItsWord", kPair + L" c", 0, 0, 5},
      {"TrailingSpacesRunToTheEnd", L"ab  ", 1, 0, 4},
      {"BeyondTheEnd", L"ab cd", 9, 3, 5},
      {"BeforeTheStart", L"ab cd", -4, 0, 0},
  };
  for (const StopCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto buffer = Buffer(c.text);
    int previous = -1, next = -1;
    buffer->PrevWordStop(c.cp, &previous);
    buffer->NextWordStop(c.cp, &next);
    EXPECT_EQ(previous, c.previous);
    EXPECT_EQ(next, c.next);
  }
}

TEST_F(UniscribeBufferTest, AChangedTextIsMeasuredAgainButANewFontWaitsForAChange) {
  auto buffer = Buffer(L"ab");
  int x = 0;
  buffer->CaretToX(1, 1, &x);
  EXPECT_EQ(x, 10);
  buffer->m_font.lfHeight = -20;  // not yet: the analysis stays
  buffer->CaretToX(1, 1, &x);
  EXPECT_EQ(x, 10);
  EXPECT_TRUE(buffer->InsertCharAt(2, L'c'));
  buffer->CaretToX(1, 1, &x);
  EXPECT_EQ(x, 20);
}

TEST_F(UniscribeBufferTest, WithoutADcNothingIsMeasured) {
  auto buffer = Buffer(L"ab");
  buffer->m_hDC = nullptr;
  int x = 7;
  EXPECT_EQ(buffer->CaretToX(1, 1, &x), E_FAIL);
  EXPECT_EQ(x, 0);
  int cp = 3;
  BOOL trailing = 1;
  EXPECT_EQ(buffer->XToCaret(7, &cp, &trailing), E_FAIL);
  EXPECT_EQ(cp, 0);
  EXPECT_EQ(trailing, 0);
}

TEST_F(UniscribeBufferTest, WithoutTheLibraryMeasurementsAnswerNotImplemented) {
  CUniscribeBuffer::UnloadUniscribe();
  CUniscribeBuffer::LoadUniscribeFrom(L"no-such-usp10.dll");
  auto buffer = Buffer(L"hello world");
  EXPECT_TRUE(buffer->InsertCharAt(0, L'>'));  // text changes still work
  int x = 7;
  EXPECT_EQ(buffer->CaretToX(3, 1, &x), E_NOTIMPL);
  EXPECT_EQ(x, 0);
  int cp = 3;
  BOOL trailing = 1;
  EXPECT_EQ(buffer->XToCaret(40, &cp, &trailing), E_NOTIMPL);
  EXPECT_EQ(cp, 0);
  EXPECT_EQ(trailing, 0);
  int stop = 0;
  buffer->PrevWordStop(8, &stop);
  EXPECT_EQ(stop, 8);
  buffer->NextWordStop(2, &stop);
  EXPECT_EQ(stop, 2);
  // A later load finds the library, and the same buffer measures.
  CUniscribeBuffer::LoadUniscribe();
  EXPECT_EQ(buffer->CaretToX(3, 1, &x), S_OK);
  EXPECT_EQ(x, 20);
}

}  // namespace
