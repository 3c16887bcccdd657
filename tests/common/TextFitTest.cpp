// Text sizes and paths shortened to a width.
#include <gtest/gtest.h>

#include <cwchar>

#include "common/TextFit.h"

namespace {

LOGFONTW Font(LONG height, LONG weight = FW_NORMAL, const wchar_t* face = L"DejaVu Sans") {
  LOGFONTW font{};
  font.lfHeight = height;
  font.lfWeight = weight;
  std::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  return font;
}

int Width(const CString& text, LOGFONTW font) {
  CString copy = text;
  return Common::GetTextSize(nullptr, copy, font).cx;
}

TEST(TextFit, SizesGrowWithTheTextAndTheFont) {
  LOGFONTW small = Font(-12), large = Font(-24), bold = Font(-12, FW_BOLD);
  CString narrow(L"iiii"), wide(L"WWWW"), empty;
  EXPECT_LT(Width(narrow, small), Width(wide, small));
  EXPECT_GT(Width(wide, large), Width(wide, small) * 3 / 2);
  EXPECT_GE(Width(wide, bold), Width(wide, small));
  CSize none = Common::GetTextSize(nullptr, empty, small);
  EXPECT_EQ(none.cx, 0);
  EXPECT_GE(none.cy, 12);  // a line of the font, taller than its characters
  EXPECT_LT(none.cy, 20);

  LOGFONTW missingFace = Font(-12, FW_NORMAL, L"No Such Face");
  CString chinese(L"同步文件夹");
  EXPECT_NEAR(Width(chinese, missingFace), 60, 3);  // square characters, about one em each
}

TEST(TextFit, PathsKeepTheirNameAndLoseTheirMiddle) {
  LOGFONTW font = Font(-12);
  const CString path(L"/home/someone/Documents/Projects/2026/quarterly-report.txt");
  int full = Width(path, font);

  CString fits = path;
  Common::PathCompactPathInCommon(nullptr, fits, font, full);
  EXPECT_EQ(fits, path);

  int target = Width(L"/home/some.../quarterly-report.txt", font);
  CString shortened = path;
  Common::PathCompactPathInCommon(nullptr, shortened, font, target);
  EXPECT_LE(Width(shortened, font), target);
  EXPECT_EQ(shortened.Right(21), L"/quarterly-report.txt");
  EXPECT_EQ(shortened.Left(6), L"/home/");
  EXPECT_GE(shortened.Find(L".../"), 0);

  CString tiny = path;  // not even ".../name" fits: the name's beginning
  Common::PathCompactPathInCommon(nullptr, tiny, font, Width(L"quart...", font));
  EXPECT_EQ(tiny, L"quart...");

  CString nothing = path;
  Common::PathCompactPathInCommon(nullptr, nothing, font, 0);
  EXPECT_EQ(nothing, L"");
}

}  // namespace
