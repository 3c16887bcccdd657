// Drawing on memory DCs: brushes, pens, clips, saved states, origins and the one blit path,
// read back from the bitmaps' own memory.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "win32/Windows.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 128, 0);

// A memory DC drawing into a top-down 24-bit section whose bytes the test reads.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill = kWhite) : m_width(width) {
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
    m_dc = CreateCompatibleDC(nullptr);
    m_old = SelectObject(m_dc, m_bitmap);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT all{0, 0, width, height};
    FillRect(m_dc, &all, brush);
    DeleteObject(brush);
  }
  ~Canvas() {
    SelectObject(m_dc, m_old);
    DeleteDC(m_dc);
    DeleteObject(m_bitmap);
  }
  HDC dc() const { return m_dc; }
  COLORREF At(int x, int y) const {
    const BYTE* p = m_bits + y * DibRowBytes(m_width, 24) + x * 3;
    return RGB(p[2], p[1], p[0]);
  }
  int Count(COLORREF colour, RECT area) const {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) n += At(x, y) == colour;
    return n;
  }

 private:
  int m_width;
  HBITMAP m_bitmap = nullptr;
  BYTE* m_bits = nullptr;
  HDC m_dc = nullptr;
  HGDIOBJ m_old = nullptr;
};

TEST(GdiDraw, FillFrameAndRectangleCoverExactlyTheirPixels) {
  Canvas c(20, 20);
  HBRUSH red = CreateSolidBrush(kRed);
  RECT fill{2, 3, 6, 8};
  EXPECT_EQ(FillRect(c.dc(), &fill, red), 1);
  EXPECT_EQ(c.Count(kRed, RECT{0, 0, 20, 20}), 4 * 5);
  EXPECT_EQ(c.Count(kRed, fill), 4 * 5);

  RECT frame{10, 10, 15, 14};
  HBRUSH blue = CreateSolidBrush(kBlue);
  EXPECT_EQ(FrameRect(c.dc(), &frame, blue), 1);
  EXPECT_EQ(c.Count(kBlue, frame), 2 * 5 + 2 * 2);
  EXPECT_EQ(c.At(12, 12), kWhite);

  // Rectangle: the pen's border, the brush's inside; the hollow brush leaves the inside.
  HPEN green = CreatePen(PS_SOLID, 1, kGreen);
  HGDIOBJ oldPen = SelectObject(c.dc(), green);
  HGDIOBJ oldBrush = SelectObject(c.dc(), red);
  EXPECT_TRUE(Rectangle(c.dc(), 0, 12, 6, 18));
  EXPECT_EQ(c.At(0, 12), kGreen);
  EXPECT_EQ(c.At(5, 17), kGreen);
  EXPECT_EQ(c.At(3, 15), kRed);
  EXPECT_EQ(c.At(6, 15), kWhite);
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  EXPECT_TRUE(Rectangle(c.dc(), 14, 0, 20, 6));
  EXPECT_EQ(c.At(14, 0), kGreen);
  EXPECT_EQ(c.At(17, 3), kWhite);
  EXPECT_EQ(SelectObject(c.dc(), oldBrush), GetStockObject(NULL_BRUSH));
  EXPECT_EQ(SelectObject(c.dc(), oldPen), green);

  // A system colour index plus one paints that colour, as class backgrounds do.
  RECT corner{18, 18, 20, 20};
  FillRect(c.dc(), &corner, reinterpret_cast<HBRUSH>(static_cast<UINT_PTR>(COLOR_BTNFACE + 1)));
  EXPECT_EQ(c.At(19, 19), GetSysColor(COLOR_BTNFACE));

  EXPECT_EQ(FillRect(c.dc(), &fill, reinterpret_cast<HBRUSH>(0x123458)), 0);  // no such brush
  DeleteObject(red);
  DeleteObject(blue);
  DeleteObject(green);
}

TEST(GdiDraw, ClipsSavedStatesAndOriginsLimitWhereDrawingLands) {
  Canvas c(20, 20);
  HBRUSH red = CreateSolidBrush(kRed);
  RECT all{0, 0, 20, 20};
  RECT box;
  EXPECT_EQ(GetClipBox(c.dc(), &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 20);

  int saved = SaveDC(c.dc());
  EXPECT_EQ(saved, 1);
  EXPECT_EQ(IntersectClipRect(c.dc(), 5, 5, 15, 15), SIMPLEREGION);
  EXPECT_EQ(ExcludeClipRect(c.dc(), 8, 8, 10, 10), COMPLEXREGION);
  FillRect(c.dc(), &all, red);
  EXPECT_EQ(c.Count(kRed, all), 100 - 4);
  EXPECT_EQ(c.At(8, 8), kWhite);
  EXPECT_EQ(c.At(4, 5), kWhite);

  // Logical coordinates move with the viewport origin; the clip stays on the device.
  SetViewportOrgEx(c.dc(), 10, 10, nullptr);
  EXPECT_EQ(GetClipBox(c.dc(), &box), COMPLEXREGION);
  EXPECT_EQ(box.left, -5);
  EXPECT_EQ(box.bottom, 5);
  EXPECT_TRUE(RestoreDC(c.dc(), -1));
  EXPECT_FALSE(RestoreDC(c.dc(), 1));  // nothing saved any more

  // A selected region is copied: changing it afterwards changes nothing.
  HRGN region = CreateRectRgn(0, 0, 2, 2);
  EXPECT_EQ(SelectClipRgn(c.dc(), region), SIMPLEREGION);
  SetRectRgn(region, 0, 0, 20, 20);
  HBRUSH blue = CreateSolidBrush(kBlue);
  FillRect(c.dc(), &all, blue);
  EXPECT_EQ(c.Count(kBlue, all), 4);
  EXPECT_EQ(GetClipRgn(c.dc(), region), 1);
  RECT rbox;
  GetRgnBox(region, &rbox);
  EXPECT_EQ(rbox.right, 2);
  EXPECT_EQ(SelectClipRgn(c.dc(), nullptr), SIMPLEREGION);
  EXPECT_EQ(GetClipRgn(c.dc(), region), 0);
  DeleteObject(region);
  DeleteObject(red);
  DeleteObject(blue);
}

TEST(GdiDraw, ExtSelectClipRgnCombinesWithTheClipOrTheWholeArea) {
  Canvas c(20, 20);
  const RECT all{0, 0, 20, 20};
  HRGN left = CreateRectRgn(0, 0, 10, 20);
  HRGN top = CreateRectRgn(0, 0, 20, 10);
  // Without a clip region the whole area is the start: DIFF leaves the right half.
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), left, RGN_DIFF), SIMPLEREGION);
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), top, RGN_AND), SIMPLEREGION);
  HBRUSH red = CreateSolidBrush(kRed);
  FillRect(c.dc(), &all, red);
  EXPECT_EQ(c.Count(kRed, all), 100);
  EXPECT_EQ(c.At(15, 5), kRed);
  EXPECT_EQ(c.At(5, 5), kWhite);
  // OR adds, XOR leaves what only one has, COPY replaces, a null COPY removes the clip.
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), left, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), top, RGN_XOR), SIMPLEREGION);  // the lower left quarter
  HBRUSH blue = CreateSolidBrush(kBlue);
  FillRect(c.dc(), &all, blue);
  EXPECT_EQ(c.Count(kBlue, all), 100);
  EXPECT_EQ(c.At(5, 15), kBlue);
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), top, RGN_COPY), SIMPLEREGION);
  RECT box;
  GetClipBox(c.dc(), &box);
  EXPECT_EQ(box.bottom, 10);
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), nullptr, RGN_COPY), SIMPLEREGION);
  EXPECT_EQ(GetClipRgn(c.dc(), top), 0);
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), nullptr, RGN_AND), ERROR);
  EXPECT_EQ(ExtSelectClipRgn(nullptr, top, RGN_AND), ERROR);
  DeleteObject(left);
  DeleteObject(top);
  DeleteObject(red);
  DeleteObject(blue);
}

TEST(GdiDraw, FocusRectangleInvertsEveryOtherBorderPixelAndUndoesItself) {
  Canvas c(10, 10);
  RECT r{1, 1, 9, 9};
  EXPECT_TRUE(DrawFocusRect(c.dc(), &r));
  EXPECT_EQ(c.At(1, 1), RGB(0, 0, 0));
  EXPECT_EQ(c.At(2, 1), kWhite);
  EXPECT_EQ(c.At(3, 1), RGB(0, 0, 0));
  EXPECT_EQ(c.At(4, 4), kWhite);
  EXPECT_EQ(c.Count(RGB(0, 0, 0), RECT{0, 0, 10, 10}), 14);
  DrawFocusRect(c.dc(), &r);
  EXPECT_EQ(c.Count(kWhite, RECT{0, 0, 10, 10}), 100);
}

TEST(GdiBlit, CopiesStretchesAndMirrorsThroughOnePath) {
  Canvas source(4, 4);
  HBRUSH red = CreateSolidBrush(kRed), blue = CreateSolidBrush(kBlue);
  RECT left{0, 0, 2, 4}, topRight{2, 0, 4, 2};
  FillRect(source.dc(), &left, red);
  FillRect(source.dc(), &topRight, blue);

  Canvas dest(10, 10);
  EXPECT_TRUE(BitBlt(dest.dc(), 1, 1, 4, 4, source.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(dest.At(1, 1), kRed);
  EXPECT_EQ(dest.At(3, 1), kBlue);
  EXPECT_EQ(dest.At(4, 4), kWhite);
  EXPECT_EQ(dest.At(5, 5), kWhite);

  // Twice the size; a negative width mirrors.
  Canvas big(8, 8);
  EXPECT_TRUE(StretchBlt(big.dc(), 0, 0, 8, 8, source.dc(), 0, 0, 4, 4, SRCCOPY));
  EXPECT_EQ(big.Count(kRed, RECT{0, 0, 4, 8}), 32);
  EXPECT_EQ(big.Count(kBlue, RECT{4, 0, 8, 4}), 16);
  EXPECT_TRUE(StretchBlt(big.dc(), 8, 0, -8, 8, source.dc(), 0, 0, 4, 4, SRCCOPY));
  EXPECT_EQ(big.Count(kRed, RECT{4, 0, 8, 8}), 32);

  // Clipped on the destination; pixels outside the source are left alone.
  Canvas clipped(6, 6);
  IntersectClipRect(clipped.dc(), 0, 0, 3, 3);
  BitBlt(clipped.dc(), 0, 0, 6, 6, source.dc(), 2, 2, SRCCOPY);
  EXPECT_EQ(clipped.Count(kWhite, RECT{0, 0, 6, 6}), 36);  // (2,2)-(4,4) of the source is white
  BitBlt(clipped.dc(), 0, 0, 6, 6, source.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(clipped.Count(kRed, RECT{0, 0, 6, 6}), 6);
  EXPECT_EQ(clipped.Count(kBlue, RECT{0, 0, 6, 6}), 2);

  // Scrolling within one bitmap, both ways: every pixel moves as a whole picture.
  Canvas scroll(4, 8);
  RECT top{0, 0, 4, 1}, second{0, 1, 4, 2};
  FillRect(scroll.dc(), &top, red);
  FillRect(scroll.dc(), &second, blue);
  BitBlt(scroll.dc(), 0, 2, 4, 6, scroll.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(scroll.At(0, 2), kRed);
  EXPECT_EQ(scroll.At(0, 3), kBlue);
  EXPECT_EQ(scroll.At(0, 4), kWhite);  // what row 2 held before the copy, not the red copied there
  BitBlt(scroll.dc(), 0, 0, 4, 6, scroll.dc(), 0, 2, SRCCOPY);
  EXPECT_EQ(scroll.At(0, 0), kRed);
  EXPECT_EQ(scroll.At(0, 1), kBlue);
  EXPECT_EQ(scroll.At(0, 2), kWhite);

  EXPECT_TRUE(BitBlt(dest.dc(), 0, 0, 10, 10, nullptr, 0, 0, WHITENESS));
  EXPECT_EQ(dest.Count(kWhite, RECT{0, 0, 10, 10}), 100);
  EXPECT_FALSE(BitBlt(dest.dc(), 0, 0, 2, 2, source.dc(), 0, 0, 0x00123456));
  DeleteObject(red);
  DeleteObject(blue);
}

TEST(GdiBlit, DibSourcesCountBottomUpRowsFromTheBottom) {
  // A 2x2 bottom-up palette bitmap: bottom row red, blue; top row green, white.
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[4];
  } info{{sizeof(BITMAPINFOHEADER), 2, 2, 1, 8, BI_RGB, 0, 0, 0, 4, 0},
         {{0, 0, 255, 0}, {255, 0, 0, 0}, {0, 128, 0, 0}, {255, 255, 255, 0}}};
  const BYTE bits[8] = {0, 1, 0, 0, 2, 3, 0, 0};  // rows of whole words, bottom first
  auto* bmi = reinterpret_cast<BITMAPINFO*>(&info);

  Canvas c(4, 4, RGB(1, 2, 3));
  EXPECT_EQ(StretchDIBits(c.dc(), 0, 0, 4, 4, 0, 0, 2, 2, bits, bmi, DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(c.At(0, 0), kGreen);
  EXPECT_EQ(c.At(3, 0), kWhite);
  EXPECT_EQ(c.At(0, 3), kRed);
  EXPECT_EQ(c.At(3, 3), kBlue);

  // The bottom row alone: source y 0 is the bottom.
  Canvas row(2, 1);
  StretchDIBits(row.dc(), 0, 0, 2, 1, 0, 0, 2, 1, bits, bmi, DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(row.At(0, 0), kRed);
  EXPECT_EQ(row.At(1, 0), kBlue);

  // DrawDibDraw takes the same path, -1 meaning the source's size.
  Canvas dib(2, 2);
  HDRAWDIB dd = DrawDibOpen();
  EXPECT_TRUE(DrawDibDraw(dd, dib.dc(), 0, 0, -1, -1, &info.header, const_cast<BYTE*>(bits), 0, 0, -1, -1, 0));
  EXPECT_EQ(dib.At(0, 0), kGreen);
  EXPECT_EQ(dib.At(1, 1), kBlue);
  EXPECT_TRUE(DrawDibClose(dd));

  EXPECT_EQ(StretchDIBits(c.dc(), 0, 0, 4, 4, 0, 0, 2, 2, nullptr, bmi, DIB_RGB_COLORS, SRCCOPY), 0);
  EXPECT_EQ(StretchDIBits(c.dc(), 0, 0, 4, 4, 0, 0, 2, 2, bits, bmi, DIB_PAL_COLORS, SRCCOPY), 0);
}

TEST(GdiDraw, DeviceCapsReportTheScreenAndItsSettableDepth) {
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(screen, HORZRES), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE, 0);
  win32::SetScreenBitsPerPixel(8);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 8);
  EXPECT_NE(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE, 0);
  win32::SetScreenBitsPerPixel(32);
  // Drawing on the screen DC keeps nothing and fails nothing.
  RECT r{0, 0, 5, 5};
  EXPECT_EQ(FillRect(screen, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

}  // namespace
