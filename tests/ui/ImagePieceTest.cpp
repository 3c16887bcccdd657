// Image pieces: the clip arithmetic, 3- and 9-slice geometry, drawing into a
// real target through the cache, and pieces of pixels held in memory.
#include <gtest/gtest.h>

#include "ImageFiles.h"
#include "TempDir.h"
#include "UiTestSupport.h"
#include "ui/cximage/CxImage.h"
#include "ui/image/ImageConfig.h"
#include "ui/image/ImageConfigCxImage.h"
#include "ui/render/DXCore.h"

namespace {

using UI::RectF;

CString W(const std::filesystem::path& p) { return CString(p.wstring().c_str()); }

TEST(ImagePieceTest, AClipMovesTheSourceByTheCutOverTheScale) {
  RectF dest(0, 0, 100, 10), source(0, 0, 50, 10);
  ASSERT_TRUE(UI::ClipSource(dest, source, CRect(25, 0, 100, 10)));
  EXPECT_EQ(dest, RectF(25, 0, 100, 10));
  EXPECT_FLOAT_EQ(source.left, 12.5f);
  EXPECT_FLOAT_EQ(source.right, 50.0f);
  RectF d2(0, 0, 10, 10), s2(0, 0, 10, 10);
  EXPECT_FALSE(UI::ClipSource(d2, s2, CRect(20, 20, 30, 30)));
}

TEST(ImagePieceTest, SlicesKeepTheirEndsAndANarrowMiddleIsEmpty) {
  UI::CEdge edge;
  edge.m_first = CRect(0, 0, 4, 8);
  edge.m_middle = CRect(4, 0, 6, 8);
  edge.m_last = CRect(6, 0, 12, 8);
  CRect out[3];
  UI::DivideEdge(CRect(10, 0, 18, 8), edge, 1, out);
  EXPECT_EQ(out[0], CRect(10, 0, 14, 8));
  EXPECT_TRUE(out[1].IsRectEmpty());  // 8 pixels for 4 + 6
  EXPECT_EQ(out[2], CRect(12, 0, 18, 8));
  UI::DivideEdge(CRect(0, 0, 5, 40), edge, 0, out);
  EXPECT_EQ(out[0], CRect(0, 0, 5, 8));
  EXPECT_EQ(out[1], CRect(0, 8, 5, 32));
  EXPECT_EQ(out[2], CRect(0, 32, 5, 40));

  UI::_ImageEdgeConfig piece;
  piece.m_edge = edge;
  piece.Caculate();
  EXPECT_EQ(piece.m_rcSource, RectF(0, 0, 12, 8));
  piece.m_bHorizontal = 0;
  piece.Caculate();
  EXPECT_EQ(piece.m_rcSource, RectF(0, 0, 6, 24));

  UI::_ImageBorderConfig border;
  border.m_top.m_first = CRect(0, 0, 3, 6);
  border.m_bottom.m_last = CRect(0, 0, 3, 5);
  CRect dest(0, 0, 20, 10), bands[3];
  border.DivideWindow(dest, bands);
  EXPECT_EQ(bands[0], CRect(0, 0, 20, 6));
  EXPECT_TRUE(bands[1].IsRectEmpty());  // 6 + 5 is taller than 10
  EXPECT_EQ(bands[2], CRect(0, 5, 20, 10));
}

TEST(ImagePieceTest, CopyKeepsTheFrameAndTheCopyConstructorTakesIt) {
  UI::_ImageConfig a;
  a.m_strFile = L"x.png";
  a.m_nFrame = 3;
  a.m_color = 0x80FFFFFF;
  UI::_ImageConfig b;
  b.Copy(&a);
  EXPECT_EQ(b.m_strFile, CString(L"x.png"));
  EXPECT_EQ(b.m_color, 0x80FFFFFFu);
  EXPECT_EQ(b.m_nFrame, 0);
  UI::_ImageConfig c(a);
  EXPECT_EQ(c.m_nFrame, 3);
  b.Copy(nullptr);
  EXPECT_EQ(b.m_strFile, CString(L"x.png"));
  EXPECT_EQ(b.LoadImageW(L""), 0);
  EXPECT_EQ(b.m_strFile, CString(L"x.png"));
}

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Left half red, right half blue.
    juce::Image image(juce::Image::ARGB, 10, 10, true);
    juce::Graphics g(image);
    g.setColour(juce::Colours::red);
    g.fillRect(0, 0, 5, 10);
    g.setColour(juce::Colours::blue);
    g.fillRect(5, 0, 5, 10);
    uitest::WritePng(dir / "rb.png", image);
    core.SetTarget(juce::Image(juce::Image::ARGB, 40, 20, true));
  }
  void TearDown() override { UI::DXCore::s_rscc.ReleaseAll(); }
  juce::Colour At(int x, int y) { return core.GetTarget().getPixelAt(x, y); }

  dorvtest::TempDir dir{"dorv-piece"};
  UI::DXCore core;
};

TEST_F(DrawTest, PiecesDrawTheirSourceAndEmptyFilesDrawNothing) {
  UI::_ImageConfig empty;
  CRect dest(0, 0, 40, 20);
  empty.Render(&core, dest, nullptr);
  EXPECT_EQ(At(10, 10).getAlpha(), 0);

  UI::_ImageConfig right;
  right.m_strFile = W(dir / "rb.png");
  right.m_rcSource = RectF(5, 0, 10, 10);  // the blue half only
  right.Render(&core, dest, nullptr);
  EXPECT_EQ(At(2, 10).getARGB(), 0xFF0000FFu);

  UI::_ImageConfig whole;
  whole.m_strFile = W(dir / "rb.png");
  CRect clip(20, 0, 40, 20);
  whole.Render(&core, dest, &clip);  // the whole image squeezed into the right half
  EXPECT_EQ(At(22, 10).getARGB(), 0xFFFF0000u);
  EXPECT_EQ(At(38, 10).getARGB(), 0xFF0000FFu);
  EXPECT_EQ(At(2, 10).getARGB(), 0xFF0000FFu);  // outside the clip: unchanged
}

TEST_F(DrawTest, ASourceOutsideTheImageIsClampedInPlaceAndTheSizeIsKnown) {
  UI::tagImageItem* item = UI::DXCore::s_rscc.GetImageItem(W(dir / "rb.png"));
  ASSERT_NE(item, nullptr);
  UI::DXCore paint;
  paint.ResetD3DSize(40, 20);
  UI::RectF source(-5, -5, 20, 20), dest(0, 0, 40, 20);
  EXPECT_EQ(paint.DrawImage(item, &dest, &source, 0xFFFFFFFF), E_FAIL);  // no paint
  ASSERT_EQ(paint.BeginPaint(), S_OK);
  EXPECT_EQ(paint.DrawImage(item, &dest, &source, 0xFFFFFFFF), 0);
  EXPECT_EQ(source, UI::RectF(0, 0, 10, 10));
  EXPECT_EQ(paint.GetTarget().getPixelAt(2, 10).getARGB(), 0xFFFF0000u);
  EXPECT_EQ(paint.GetTarget().getPixelAt(38, 10).getARGB(), 0xFF0000FFu);
  UI::RectF nothing(3, 3, 3, 8);  // no width: the whole image
  EXPECT_EQ(paint.DrawImage(W(dir / "rb.png"), &dest, &nothing, 0xFFFFFFFF, 0), 0);
  EXPECT_EQ(paint.DrawImage(W(dir / "rb.png"), &dest, &nothing, 0xFFFFFFFF, 1), E_FAIL);  // one frame only
  EXPECT_EQ(paint.DrawImage(W(dir / "missing.png"), &dest, nullptr, 0xFFFFFFFF, 0), E_FAIL);
  paint.EndPaint(nullptr, 0, 0, 40, 20);

  UI::_COREIMAGE_INFO first, second;
  EXPECT_EQ(paint.GetTextureInfo(W(dir / "rb.png"), &first, nullptr), 0);
  EXPECT_EQ(first.width, 10);
  EXPECT_EQ(first.height, 10);
  EXPECT_EQ(paint.GetTextureInfo(W(dir / "missing.png"), &first, &second), E_FAIL);
  paint.ReleaseTexture(W(dir / "rb.png"));
  EXPECT_EQ(UI::DXCore::s_rscc.SearchImageItem(W(dir / "rb.png")), nullptr);
}

TEST_F(DrawTest, DrawingShowsOnlyWhereTheClipImageIsOpaque) {
  // The left half of the mask is opaque, the right half clear.
  juce::Image half(juce::Image::ARGB, 10, 10, true);
  juce::Graphics(half).fillAll(juce::Colours::transparentBlack);
  {
    juce::Graphics g(half);
    g.setColour(juce::Colours::white);
    g.fillRect(0, 0, 5, 10);
  }
  uitest::WritePng(dir / "half.png", half);
  UI::DXCore paint;
  paint.ResetD3DSize(40, 20);
  ASSERT_EQ(paint.BeginPaint(), S_OK);
  UI::RectF dest(0, 0, 40, 20);
  paint.SetClipToImageAlpha(W(dir / "half.png"), &dest, nullptr);
  paint.FillRectangle(CRect(0, 0, 40, 20), 0xFF00FF00);
  EXPECT_EQ(paint.GetTarget().getPixelAt(5, 10).getARGB(), 0xFF00FF00u);
  EXPECT_EQ(paint.GetTarget().getPixelAt(35, 10).getARGB(), 0xFF000000u);
  paint.EndPaint(nullptr, 0, 0, 40, 20);
}

TEST_F(DrawTest, PureColoursReplaceTheImageOnlyWithAlpha) {
  UI::_ImageEdgeConfig edge;
  edge.m_strFile = W(dir / "rb.png");
  edge.m_edge.m_first = CRect(0, 0, 2, 10);
  edge.m_edge.m_middle = CRect(2, 0, 8, 10);
  edge.m_edge.m_last = CRect(8, 0, 10, 10);
  edge.m_edge.m_pureColor = 0x00FF0000;  // no alpha: the image is drawn
  edge.Render(&core, CRect(0, 0, 40, 20));
  EXPECT_EQ(At(1, 5).getARGB(), 0xFFFF0000u);
  EXPECT_EQ(At(37, 5).getARGB(), 0xFF0000FFu);
  edge.m_edge.m_pureColor = 0xFF00FF00;
  edge.Render(&core, CRect(0, 0, 40, 20));
  EXPECT_EQ(At(1, 5).getARGB(), 0xFF00FF00u);
  EXPECT_EQ(At(20, 5).getARGB(), 0xFF00FF00u);
}

TEST_F(DrawTest, InMemoryPiecesPublishRotateShareAndReleaseTheirEntry) {
  uitest::WritePng(dir / "photo.jpg", uitest::Pattern(4, 2));  // a PNG behind a JPEG name
  CString key;
  {
    UI::_ImageConfigCxImage piece;
    ASSERT_EQ(piece.LoadImageW(&core, W(dir / "photo.jpg")), 1);  // found by detection
    key = piece.m_strFile;
    ASSERT_FALSE(key.IsEmpty());
    ASSERT_NE(UI::DXCore::s_rscc.SearchImageItem(key), nullptr);
    ASSERT_TRUE(piece.RotateLeft());
    EXPECT_EQ(UI::DXCore::s_rscc.SearchImageItem(key)->GetWidth(), 2);  // republished under the same key

    auto* copy = new UI::_ImageConfigCxImage;
    copy->Copy(&piece);
    EXPECT_EQ(copy->GetCxImage(), piece.GetCxImage());
    delete copy;  // the piece still shares the image and the entry
    EXPECT_NE(UI::DXCore::s_rscc.SearchImageItem(key), nullptr);
    EXPECT_EQ(piece.GetCxImage()->GetWidth(), 2u);
  }
  EXPECT_EQ(UI::DXCore::s_rscc.SearchImageItem(key), nullptr);  // the last one took it out

  UI::_ImageConfigCxImage given;
  auto* image = new CxImage;
  image->FromJuceImage(uitest::Pattern(3, 3));
  CString named;
  ASSERT_EQ(given.LoadImageW(&core, image, named), 1);
  EXPECT_EQ(named, given.m_strFile);
  ASSERT_EQ(given.LoadImageW(&core, W(dir / "photo.jpg")), 1);  // a second load drops the first entry
  EXPECT_EQ(UI::DXCore::s_rscc.SearchImageItem(named), nullptr);
  named = given.m_strFile;
  given.Reset();
  EXPECT_EQ(UI::DXCore::s_rscc.SearchImageItem(named), nullptr);
  EXPECT_TRUE(given.m_strFile.IsEmpty());
  EXPECT_FALSE(given.RotateRight());  // nothing held

  UI::_ImageConfigCxImage broken;
  dorvtest::WriteFile(dir / "bad.png", "nope");
  EXPECT_EQ(broken.LoadImageW(&core, W(dir / "bad.png")), 0);
  EXPECT_TRUE(broken.m_strFile.IsEmpty());
  CString none;
  EXPECT_EQ(broken.LoadImageW(&core, nullptr, none), 0);
}

}  // namespace
