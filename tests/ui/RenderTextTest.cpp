// Text, clip regions, DCs and off-screen paints of the render context. Text is
// measured in the test font: a cell as high as the font, half of it per Latin
// character, each glyph a box from one pixel inside its cell.
#include <gtest/gtest.h>

#include "ui/render/DXCore.h"
#include "win32/GdiDraw.h"
#include "win32/GdiText.h"
#include "win32/TextMetrics.h"
#include "win32/Windows.h"

namespace {

constexpr DWORD kRed = 0xFFFF0000, kBlue = 0xFF0000FF;
constexpr uint32_t kBlack = 0xFF000000;

class RenderTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    core.ResetD3DSize(100, 60);
    ASSERT_EQ(core.BeginPaint(), S_OK);
  }
  void TearDown() override { UI::DXCore::SetSystemFontName(L"Simsun"); }
  // Text in the 10-pixel test font: each character 5 wide, its box 3 wide
  // from one pixel into the cell, 7 high from one pixel below the line's top.
  long Text(const wchar_t* text, long x, long y, long width, long height, DWORD format,
            const wchar_t* face = win32::kTestFontFace) {
    return core.DrawTextW(text, -1, y, x, width, height, 10, FW_NORMAL, 0, 0, face, format, kRed);
  }
  uint32_t At(int x, int y) { return core.GetTarget().getPixelAt(x, y).getARGB(); }

  UI::DXCore core;
};

TEST_F(RenderTextTest, TextLandsInThePaintImageAtItsLayoutPosition) {
  EXPECT_EQ(Text(L"ab", 10, 20, 80, 30, DT_LEFT | DT_VCENTER), 0);
  // Centred: the 10-pixel line starts at 20 + (30 - 10) / 2 = 30.
  EXPECT_EQ(At(11, 31), kRed);
  EXPECT_EQ(At(13, 37), kRed);
  EXPECT_EQ(At(14, 31), kBlack);  // between the boxes
  EXPECT_EQ(At(16, 31), kRed);    // the second character's box
  EXPECT_EQ(At(11, 30), kBlack);
  EXPECT_EQ(At(11, 29), kBlack);
  // Right-aligned at the top.
  EXPECT_EQ(Text(L"x", 0, 0, 100, 20, DT_RIGHT), 0);
  EXPECT_EQ(At(96, 1), kRed);
  EXPECT_EQ(At(94, 1), kBlack);
  // Nothing to draw, or no paint: 1.
  EXPECT_EQ(Text(L"", 0, 0, 100, 20, DT_LEFT), 1);
  core.EndPaint(nullptr, 0, 0, 100, 60);
  EXPECT_EQ(Text(L"x", 0, 0, 100, 20, DT_LEFT), 1);
  EXPECT_EQ(core.GetHDC(), nullptr);
}

TEST_F(RenderTextTest, VerticalCentringAndBottomDrawOneLine) {
  EXPECT_EQ(Text(L"a\nb", 0, 0, 100, 60, DT_LEFT | DT_BOTTOM), 0);
  EXPECT_EQ(At(1, 51), kRed);  // the one line sits on the bottom
  EXPECT_EQ(At(1, 1), kBlack);
  EXPECT_EQ(At(1, 11), kBlack);
  EXPECT_EQ(Text(L"a\nb", 0, 0, 100, 20, DT_LEFT), 0);  // without: two lines
  EXPECT_EQ(At(1, 11), kRed);
}

TEST_F(RenderTextTest, TheSystemFaceNameStandsForTheSetFace) {
  UI::DXCore::SetSystemFontName(win32::kTestFontFace);
  EXPECT_EQ(Text(L"ab", 0, 0, 100, 20, DT_LEFT, L"SystemFontName"), 0);
  EXPECT_EQ(At(1, 1), kRed);
  EXPECT_EQ(At(4, 1), kBlack);  // a test-font gap, not a real glyph
  EXPECT_EQ(At(6, 1), kRed);
}

TEST_F(RenderTextTest, TheClipCutsTextAndFillsAndIsRestoredAroundAControl) {
  const UI::DXCore::ClipState saved = core.SaveClip();
  core.SetClipRgn(CRect(0, 0, 12, 60));
  EXPECT_EQ(Text(L"ab", 10, 0, 80, 20, DT_LEFT), 0);
  EXPECT_EQ(At(11, 1), kRed);
  EXPECT_EQ(At(12, 1), kBlack);  // the rest of the box is cut
  EXPECT_EQ(core.FillRectangle(CRect(0, 40, 100, 60), kBlue), 0);
  EXPECT_EQ(At(11, 50), 0xFF0000FFu);
  EXPECT_EQ(At(12, 50), kBlack);
  core.RestoreClip(saved);
  EXPECT_EQ(Text(L"c", 50, 0, 40, 20, DT_LEFT), 0);
  EXPECT_EQ(At(51, 1), kRed);
  core.FillRectangle(CRect(0, 40, 100, 60), kBlue);
  EXPECT_EQ(At(60, 50), 0xFF0000FFu);
}

TEST_F(RenderTextTest, ARegionCombinedIntoTheDcClipCutsOnlyText) {
  HRGN hole = CreateRectRgn(0, 0, 50, 60);
  core.SetHDCClipRgn(hole, RGN_DIFF);
  DeleteObject(hole);
  EXPECT_EQ(Text(L"aaaaaaaaaaaaaaaaaaaa", 0, 0, 100, 20, DT_LEFT), 0);
  EXPECT_EQ(At(1, 1), kBlack);
  EXPECT_EQ(At(51, 1), kRed);
  core.FillRectangle(CRect(0, 40, 100, 60), kBlue);  // the renderer's clip is its own
  EXPECT_EQ(At(1, 50), 0xFF0000FFu);
}

TEST_F(RenderTextTest, AnOffScreenPaintSetsTheWindowsPaintAsideUntilItEnds) {
  core.FillRectangle(CRect(0, 0, 100, 60), kRed);
  HDC windowPaint = core.GetHDC();
  HBITMAP windowBitmap = core.GetRenderBitmap();
  ASSERT_NE(windowPaint, nullptr);
  CSize size(8, 4);
  EXPECT_EQ(core.BeginVirtualPaint(&size), 0);
  EXPECT_NE(core.GetHDC(), windowPaint);
  EXPECT_NE(core.GetRenderBitmap(), windowBitmap);
  EXPECT_EQ(core.GetTarget().getWidth(), 8);
  EXPECT_EQ(At(1, 1), kBlack);  // a fresh image
  core.FillRectangle(CRect(0, 0, 8, 4), kBlue);
  BITMAP info{};
  ASSERT_EQ(GetObjectW(core.GetRenderBitmap(), sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 8);
  EXPECT_EQ(core.EndVirtualPaint(), 0);
  EXPECT_EQ(core.GetHDC(), windowPaint);
  EXPECT_EQ(core.GetRenderBitmap(), windowBitmap);
  EXPECT_EQ(At(1, 1), kRed);
  core.EndPaint(nullptr, 0, 0, 100, 60);
  EXPECT_EQ(core.GetBackBuffer().getPixelAt(1, 1).getARGB(), kRed);
}

TEST_F(RenderTextTest, TransformsOpacityFocusFramesAndCircles) {
  const juce::AffineTransform shift = juce::AffineTransform::translation(50, 0);
  EXPECT_EQ(core.SetWorldTransform(&shift), 1);
  core.FillRectangle(CRect(0, 0, 10, 10), kBlue);
  EXPECT_EQ(At(55, 5), 0xFF0000FFu);
  EXPECT_EQ(At(5, 5), kBlack);
  EXPECT_EQ(core.SetWorldTransform(nullptr), 1);
  EXPECT_TRUE(core.GetWorldTransform().isIdentity());

  core.SetGlobalOpacity(0.5f);
  core.SetGlobalOpacity(1.5f);  // ignored
  EXPECT_EQ(core.GetGlobalOpacity(), 0.5f);

  RECT focus{0, 20, 10, 30};
  EXPECT_EQ(core.DrawRectDottedOutline(&focus), 0);
  EXPECT_EQ(At(0, 20), 0xFFFFFFFFu);  // every other pixel inverted
  EXPECT_EQ(At(1, 20), kBlack);
  UI::CPointF centre(30, 30);
  EXPECT_EQ(core.DrawCircle(&centre, 5, kRed), 0);
  EXPECT_EQ(At(30, 30), kBlack);

  core.EndPaint(nullptr, 0, 0, 100, 60);
  EXPECT_EQ(core.SetWorldTransform(&shift), 0);
}

}  // namespace
