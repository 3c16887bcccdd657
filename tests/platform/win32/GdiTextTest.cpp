// Text through the one metrics provider: layout numbers with the test font (6 pixels per
// Latin character, 12 per Chinese one, lines 12 high with 2 of external leading), and the
// desktop's real fonts for Latin and Chinese text.
#include <cmath>
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "win32/FontFile.h"
#include "win32/TextMetrics.h"
#include "win32/Windows.h"

namespace {

LOGFONTW Font(LONG height, const wchar_t* face, LONG weight = FW_NORMAL) {
  LOGFONTW font{};
  font.lfHeight = height;
  font.lfWeight = weight;
  std::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  return font;
}

SIZE Extent(HDC dc, const wchar_t* text) {
  SIZE size{};
  EXPECT_TRUE(GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &size));
  return size;
}

// A memory DC on a white 32-bit bitmap with a font selected.
class TextDc {
 public:
  TextDc(const LOGFONTW& font, int width = 200, int height = 100) : m_width(width), m_height(height) {
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = CreateCompatibleBitmap(m_dc, width, height);
    m_oldBitmap = SelectObject(m_dc, m_bitmap);
    m_font = CreateFontIndirectW(&font);
    m_oldFont = SelectObject(m_dc, m_font);
    RECT all{0, 0, width, height};
    FillRect(m_dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(m_dc, TRANSPARENT);
  }
  ~TextDc() {
    SelectObject(m_dc, m_oldFont);
    SelectObject(m_dc, m_oldBitmap);
    DeleteObject(m_font);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
  }
  HDC dc() const { return m_dc; }
  int Inked(RECT area) const {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) n += GetPixel(m_dc, x, y) != RGB(255, 255, 255);
    return n;
  }
  int Inked() const { return Inked(RECT{0, 0, m_width, m_height}); }
  RECT Calc(const std::wstring& text, UINT format, int width = 100) const {
    RECT r{0, 0, width, 0};
    DrawTextW(m_dc, text.c_str(), -1, &r, format | DT_CALCRECT);
    return r;
  }

 private:
  int m_width, m_height;
  HDC m_dc;
  HBITMAP m_bitmap;
  HGDIOBJ m_oldBitmap;
  HFONT m_font;
  HGDIOBJ m_oldFont;
};

TEST(GdiText, TestFontMetricsAndExtents) {
  TextDc t(Font(-12, win32::kTestFontFace));
  TEXTMETRICW tm{};
  ASSERT_TRUE(GetTextMetricsW(t.dc(), &tm));
  EXPECT_EQ(tm.tmHeight, 12);
  EXPECT_EQ(tm.tmAscent, 10);
  EXPECT_EQ(tm.tmDescent, 2);
  EXPECT_EQ(tm.tmExternalLeading, 2);
  EXPECT_EQ(tm.tmAveCharWidth, 6);
  SIZE size{};
  size = Extent(t.dc(), L"ab同步");
  EXPECT_EQ(size.cx, 6 + 6 + 12 + 12);
  EXPECT_EQ(size.cy, 12);
  ASSERT_TRUE(GetTextExtentPoint32W(t.dc(), L"abcdef", 2, &size));
  EXPECT_EQ(size.cx, 12);
  int fit = 0, ends[4] = {};
  ASSERT_TRUE(GetTextExtentExPointW(t.dc(), L"a同bc", 4, 20, &fit, ends, &size));
  EXPECT_EQ(fit, 2);
  EXPECT_EQ(ends[1], 18);
  EXPECT_EQ(ends[3], 30);
  EXPECT_FALSE(GetTextExtentPoint32W(t.dc(), nullptr, 3, &size));
  EXPECT_FALSE(GetTextExtentPoint32W(t.dc(), L"ab", -1, &size));
  EXPECT_FALSE(GetTextMetricsW(reinterpret_cast<HDC>(0x4242), &tm));
}

TEST(GdiText, CalcRectLaysOutLinesWordBreaksAndLeading) {
  TextDc t(Font(-12, win32::kTestFontFace));
  struct Case {
    const wchar_t* text;
    UINT format;
    int width;
    LONG right, bottom;
  } cases[] = {
      {L"hello", DT_SINGLELINE, 100, 30, 12},
      {L"one\ntwo three", 0, 100, 54, 24},                    // lines at their ends
      {L"one\r\ntwo", DT_SINGLELINE, 100, 48, 12},           // not broken: the ends are characters
      {L"aaa bbb ccc", DT_WORDBREAK, 50, 42, 24},             // "aaa bbb" (42) fits 50, "ccc" next
      {L"aaa bbb ccc", DT_WORDBREAK, 40, 18, 36},             // one word a line
      {L"abcdefghij xy", DT_WORDBREAK, 30, 60, 24},           // a long word stays whole
      {L"同步文件夹", DT_WORDBREAK, 30, 24, 36},               // Chinese breaks between characters
      {L"aaa bbb ccc", DT_WORDBREAK | DT_EXTERNALLEADING, 50, 42, 28},
      {L"&File", DT_SINGLELINE, 100, 24, 12},                 // the prefix mark takes no room
      {L"&File", DT_SINGLELINE | DT_NOPREFIX, 100, 30, 12},
      {L"a&&b", DT_SINGLELINE, 100, 18, 12},
      {L"", 0, 100, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "text " << testing::PrintToString(std::wstring(c.text)) << " format " << c.format);
    RECT r = t.Calc(c.text, c.format, c.width);
    EXPECT_EQ(r.right, c.right);
    EXPECT_EQ(r.bottom, c.bottom);
  }
}

TEST(GdiText, DrawnBoxesFollowAlignmentEllipsisAndPrefix) {
  TextDc t(Font(-12, win32::kTestFontFace));
  // Centred both ways in 100x40: "ab" is 12 wide and 12 high, at (44, 14).
  RECT r{0, 0, 100, 40};
  EXPECT_EQ(DrawTextW(t.dc(), L"ab", -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER), 14 + 12);
  EXPECT_EQ(t.Inked(), 2 * 4 * 9);  // two boxes of (6-2) by (10-1)
  EXPECT_EQ(t.Inked(RECT{45, 15, 49, 24}), 36);
  EXPECT_EQ(GetPixel(t.dc(), 44, 15), RGB(255, 255, 255));

  // The right end, in the text colour, clipped to the rectangle.
  TextDc right(Font(-12, win32::kTestFontFace));
  SetTextColor(right.dc(), RGB(255, 0, 0));
  RECT narrow{0, 0, 20, 12};
  DrawTextW(right.dc(), L"abcdef", -1, &narrow, DT_SINGLELINE | DT_RIGHT);
  EXPECT_EQ(right.Inked(RECT{20, 0, 200, 100}), 0);
  EXPECT_EQ(GetPixel(right.dc(), 19, 5), RGB(255, 255, 255));  // the last box ends a pixel early
  EXPECT_EQ(GetPixel(right.dc(), 18, 5), RGB(255, 0, 0));

  // The end ellipsis: "abcdefgh" (48) in 40 becomes "abc..." (36).
  TextDc dots(Font(-12, win32::kTestFontFace));
  RECT e{0, 0, 40, 12};
  DrawTextW(dots.dc(), L"abcdefgh", -1, &e, DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_EQ(dots.Inked(RECT{36, 0, 200, 12}), 0);
  EXPECT_GT(dots.Inked(RECT{30, 0, 36, 12}), 0);

  // The prefix underlines its character on the line below the baseline; DT_HIDEPREFIX not.
  TextDc prefix(Font(-12, win32::kTestFontFace));
  RECT p{0, 0, 100, 20};
  DrawTextW(prefix.dc(), L"a&bc", -1, &p, DT_SINGLELINE);
  EXPECT_EQ(prefix.Inked(RECT{0, 11, 100, 12}), 6);
  EXPECT_EQ(prefix.Inked(RECT{6, 11, 12, 12}), 6);
  TextDc hidden(Font(-12, win32::kTestFontFace));
  DrawTextW(hidden.dc(), L"a&bc", -1, &p, DT_SINGLELINE | DT_HIDEPREFIX);
  EXPECT_EQ(hidden.Inked(RECT{0, 11, 100, 12}), 0);

  // The opaque background mode fills the text's cells in the background colour.
  TextDc opaque(Font(-12, win32::kTestFontFace));
  SetBkMode(opaque.dc(), OPAQUE);
  SetBkColor(opaque.dc(), RGB(0, 0, 255));
  RECT o{0, 0, 100, 20};
  DrawTextW(opaque.dc(), L" ", -1, &o, DT_SINGLELINE);
  EXPECT_EQ(opaque.Inked(), 6 * 12);
}

TEST(GdiText, PathsShortenInTheirMiddle) {
  TextDc t(Font(-12, win32::kTestFontFace));
  wchar_t path[MAX_PATH] = L"/home/user/Documents/report.txt";  // 31 characters, 186 pixels
  EXPECT_TRUE(PathCompactPathW(t.dc(), path, 200));
  EXPECT_STREQ(path, L"/home/user/Documents/report.txt");
  EXPECT_TRUE(PathCompactPathW(t.dc(), path, 120));  // 20 characters
  EXPECT_STREQ(path, L"/home/.../report.txt");
  EXPECT_TRUE(PathCompactPathW(t.dc(), path, 48));
  EXPECT_STREQ(path, L"repor...");

  // DT_PATH_ELLIPSIS draws the same shortening.
  TextDc drawn(Font(-12, win32::kTestFontFace));
  RECT r{0, 0, 120, 12};
  DrawTextW(drawn.dc(), L"/home/user/Documents/report.txt", -1, &r, DT_SINGLELINE | DT_PATH_ELLIPSIS);
  EXPECT_GT(drawn.Inked(RECT{108, 0, 120, 12}), 0);
  EXPECT_EQ(drawn.Inked(RECT{120, 0, 200, 12}), 0);
}

TEST(GdiText, RealFontsMeasureAndDrawLatinAndChinese) {
  TextDc latin(Font(-16, L"DejaVu Sans"), 300, 60);
  SIZE narrow = Extent(latin.dc(), L"iiii"), wide = Extent(latin.dc(), L"WWWW");
  EXPECT_GT(narrow.cx, 0);
  EXPECT_GT(wide.cx, narrow.cx);
  TEXTMETRICW tm{};
  GetTextMetricsW(latin.dc(), &tm);
  EXPECT_GT(tm.tmHeight, 16);  // a negative height is the em: the cell is taller
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 16);
  RECT r{0, 0, 300, 60};
  DrawTextW(latin.dc(), L"Sync", -1, &r, DT_SINGLELINE);
  EXPECT_GT(latin.Inked(), 20);

  TextDc cell(Font(16, L"DejaVu Sans"));  // a positive height is the cell
  GetTextMetricsW(cell.dc(), &tm);
  EXPECT_NEAR(tm.tmHeight, 16, 1);

  TextDc bold(Font(-16, L"DejaVu Sans", 600));
  SIZE heavy = Extent(bold.dc(), L"WWWW");
  EXPECT_GT(heavy.cx, wide.cx);

  // Chinese faces map to the Chinese font, which has the glyphs; other faces fall back to it
  // for those characters.
  for (const wchar_t* face : {L"SimSun", L"宋体", L"微软雅黑", L"DejaVu Sans", L"No Such Face"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(face)));
    TextDc chinese(Font(-16, face), 200, 40);
    SIZE size = Extent(chinese.dc(), L"同步文件夹");
    EXPECT_NEAR(size.cx, 80, 5);  // square characters, about one em each
    RECT c{0, 0, 200, 40};
    DrawTextW(chinese.dc(), L"同步", -1, &c, DT_SINGLELINE);
    EXPECT_GT(chinese.Inked(RECT{0, 0, 16, 40}), 20);
    EXPECT_GT(chinese.Inked(RECT{16, 0, 32, 40}), 20);
  }
}

// The skin names a family that lives in a font collection; it, and any family not
// installed, must still lay Latin text out proportionally.
TEST(GdiText, FamiliesResolveThroughTheDesktopIncludingCollectionFaces) {
  const auto sharp = win32::MatchFontFile("WenQuanYi Zen Hei Sharp", win32::FontWeight::Regular,
                                          win32::FontSlant::Upright);
  ASSERT_TRUE(sharp.has_value());
  EXPECT_TRUE(juce::String(sharp->path).endsWithIgnoreCase(".ttc")) << sharp->path;
  EXPECT_GT(sharp->index, 0);  // not the collection's first face
  juce::Typeface::Ptr typeface = win32::LoadFontFace(*sharp);
  ASSERT_NE(typeface, nullptr);
  EXPECT_EQ(typeface->getName(), "WenQuanYi Zen Hei Sharp");

  // Text in the skin's family is laid out by that family's own face, not by a stand-in.
  const auto zenHei = win32::MatchFontFile("WenQuanYi Zen Hei", win32::FontWeight::Regular, win32::FontSlant::Upright);
  ASSERT_TRUE(zenHei.has_value());
  EXPECT_EQ(zenHei->family, "WenQuanYi Zen Hei");
  const juce::Font own = juce::Font(win32::LoadFontFace(*zenHei)).withPointHeight(12.0f);
  TextDc skin(Font(-12, L"WenQuanYi Zen Hei"), 300, 40), other(Font(-12, L"DejaVu Sans"), 300, 40);
  const wchar_t* text = L"Synchronised files";
  // Each character advances by its own advance in that face, in whole pixels.
  juce::Array<int> glyphs;
  juce::Array<float> offsets;
  own.getGlyphPositions(text, glyphs, offsets);
  int whole = 0;
  for (int i = 0; i + 1 < offsets.size(); ++i) whole += static_cast<int>(std::lround(offsets[i + 1] - offsets[i]));
  EXPECT_EQ(Extent(skin.dc(), text).cx, whole);
  EXPECT_NE(Extent(skin.dc(), text).cx, Extent(other.dc(), text).cx);

  for (const wchar_t* face : {L"WenQuanYi Zen Hei", L"No Such Face"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(face)));
    TextDc t(Font(-12, face), 300, 40);
    const SIZE narrow = Extent(t.dc(), L"iiiiiiii"), wide = Extent(t.dc(), L"WWWWWWWW");
    EXPECT_LT(narrow.cx * 2, wide.cx);  // a monospaced face gives both the same width
    RECT r{0, 0, 300, 40};
    DrawTextW(t.dc(), L"Sync", -1, &r, DT_SINGLELINE);
    EXPECT_GT(t.Inked(), 20);
  }
}

TEST(GdiText, TheTestFontCanStandInForEveryFont) {
  win32::UseTestFontEverywhere(true);
  TextDc t(Font(-12, L"DejaVu Sans"));
  EXPECT_EQ(Extent(t.dc(), L"abc同").cx, 30);
  win32::UseTestFontEverywhere(false);
  EXPECT_NE(Extent(t.dc(), L"abc同").cx, 30);
}

TEST(GdiText, ExtTextOutUsesTheSelectedFontAndSpacing) {
  TextDc t(Font(-12, win32::kTestFontFace));
  RECT opaque{0, 20, 10, 30};
  SetBkColor(t.dc(), RGB(0, 255, 0));
  EXPECT_TRUE(ExtTextOutW(t.dc(), 0, 0, ETO_OPAQUE, &opaque, L"ab", 2, nullptr));
  EXPECT_EQ(t.Inked(RECT{0, 20, 10, 30}), 100);
  EXPECT_EQ(t.Inked(RECT{0, 0, 12, 12}), 2 * 4 * 9);
  const INT spacing[] = {20, 20};
  TextDc spaced(Font(-12, win32::kTestFontFace));
  ExtTextOutW(spaced.dc(), 0, 0, 0, nullptr, L"ab", 2, spacing);
  EXPECT_EQ(spaced.Inked(RECT{20, 0, 26, 12}), 4 * 9);
}

}  // namespace

namespace {

TEST(GdiText, CreateFontWKeepsEveryFieldAndCutsALongFace) {
  HFONT font = CreateFontW(-14, 0, 0, 0, FW_BOLD, 1, 1, 0, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                           CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, L"A face name longer than thirty-one chars");
  ASSERT_NE(font, nullptr);
  LOGFONTW read{};
  ASSERT_EQ(GetObjectW(font, sizeof read, &read), static_cast<int>(sizeof read));
  EXPECT_EQ(read.lfHeight, -14);
  EXPECT_EQ(read.lfWeight, FW_BOLD);
  EXPECT_EQ(read.lfItalic, 1);
  EXPECT_EQ(read.lfUnderline, 1);
  EXPECT_EQ(read.lfOutPrecision, OUT_CHARACTER_PRECIS);
  EXPECT_EQ(read.lfQuality, PROOF_QUALITY);
  EXPECT_EQ(std::wcslen(read.lfFaceName), static_cast<size_t>(LF_FACESIZE - 1));
  DeleteObject(font);
}

}  // namespace
