// The GDI subset: regions, DIB sections seen through pointers and JUCE images, pixel reads,
// fonts, device contexts and global memory.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "win32/GdiBitmap.h"
#include "mfc/CRect.h"
#include "win32/Windows.h"

namespace {

using Inside = std::function<bool(int, int)>;

// Every point of a 12 x 12 grid is in the region exactly when inside says so.
void ExpectRegion(HRGN region, const Inside& inside) {
  for (int y = -1; y < 11; ++y)
    for (int x = -1; x < 11; ++x)
      ASSERT_EQ(PtInRegion(region, x, y) != FALSE, inside(x, y)) << "at " << x << "," << y;
}

bool InA(int x, int y) { return x >= 0 && x < 6 && y >= 0 && y < 4; }       // (0,0)-(6,4)
bool InB(int x, int y) { return x >= 3 && x < 9 && y >= 2 && y < 8; }       // (3,2)-(9,8)

BITMAPINFO* Header(std::vector<BYTE>& storage, int width, int height, int bits, std::vector<RGBQUAD> colours = {}) {
  storage.assign(sizeof(BITMAPINFOHEADER) + std::max<size_t>(colours.size(), 1) * sizeof(RGBQUAD), 0);
  auto* info = reinterpret_cast<BITMAPINFO*>(storage.data());
  info->bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0,
                     static_cast<DWORD>(colours.size()), 0};
  if (!colours.empty()) std::memcpy(info->bmiColors, colours.data(), colours.size() * sizeof(RGBQUAD));
  return info;
}

// A bitmap's pixels as 0x00RRGGBB words, top row first, read with GetDIBits.
std::vector<DWORD> ReadTopDown(HBITMAP bitmap, int width, int height) {
  HDC screen = GetDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
  EXPECT_EQ(GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS), height);
  ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace

TEST(GdiRegion, CombineModesMatchTheirSetOperations) {
  struct Row { int mode; Inside inside; int complexity; };
  const Row rows[] = {
      {RGN_AND, [](int x, int y) { return InA(x, y) && InB(x, y); }, SIMPLEREGION},
      {RGN_OR, [](int x, int y) { return InA(x, y) || InB(x, y); }, COMPLEXREGION},
      {RGN_XOR, [](int x, int y) { return InA(x, y) != InB(x, y); }, COMPLEXREGION},
      {RGN_DIFF, [](int x, int y) { return InA(x, y) && !InB(x, y); }, COMPLEXREGION},
      {RGN_COPY, [](int x, int y) { return InA(x, y); }, SIMPLEREGION},
  };
  for (const Row& r : rows) {
    HRGN a = CreateRectRgn(0, 0, 6, 4), b = CreateRectRgn(3, 2, 9, 8), out = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(out, a, b, r.mode), r.complexity) << r.mode;
    ExpectRegion(out, r.inside);
    // The destination may be a source.
    EXPECT_EQ(CombineRgn(a, a, b, r.mode), r.complexity);
    EXPECT_TRUE(EqualRgn(a, out));
    for (HRGN h : {a, b, out}) EXPECT_TRUE(DeleteObject(h));
  }
}

TEST(GdiRegion, BoxesOffsetsAndEmptiness) {
  HRGN region = CreateRectRgn(2, 3, 5, 7);
  RECT box;
  EXPECT_EQ(GetRgnBox(region, &box), SIMPLEREGION);
  EXPECT_EQ(CRect(box), CRect(2, 3, 5, 7));
  EXPECT_EQ(OffsetRgn(region, -2, 1), SIMPLEREGION);
  GetRgnBox(region, &box);
  EXPECT_EQ(CRect(box), CRect(0, 4, 3, 8));
  RECT touching{3, 4, 5, 5}, overlapping{2, 7, 4, 9};
  EXPECT_FALSE(RectInRegion(region, &touching));
  EXPECT_TRUE(RectInRegion(region, &overlapping));
  // Two halves side by side are one rectangle again.
  HRGN right = CreateRectRgn(3, 4, 6, 8);
  EXPECT_EQ(CombineRgn(region, region, right, RGN_OR), SIMPLEREGION);
  EXPECT_EQ(CombineRgn(region, region, region, RGN_DIFF), NULLREGION);
  EXPECT_EQ(GetRgnBox(region, &box), NULLREGION);
  EXPECT_EQ(CRect(box), CRect(0, 0, 0, 0));
  HRGN inverted = CreateRectRgn(5, 5, 1, 1);
  EXPECT_EQ(GetRgnBox(inverted, &box), NULLREGION);
  EXPECT_TRUE(EqualRgn(region, inverted));
  for (HRGN h : {region, right, inverted}) DeleteObject(h);
}

TEST(GdiObjects, DeadAndWrongHandlesAreRefused) {
  HRGN region = CreateRectRgn(0, 0, 1, 1);
  ASSERT_TRUE(DeleteObject(region));
  SetLastError(0);
  EXPECT_FALSE(DeleteObject(region));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(CombineRgn(region, region, region, RGN_OR), ERROR);
  EXPECT_FALSE(PtInRegion(region, 0, 0));
  EXPECT_EQ(GetObjectType(region), 0u);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetObjectType(dc), OBJ_MEMDC);
  EXPECT_FALSE(DeleteObject(dc));  // a DC ends with DeleteDC
  EXPECT_EQ(OffsetRgn(reinterpret_cast<HRGN>(dc), 1, 1), ERROR);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
}

TEST(GdiFont, StockGuiFontAndCreatedFonts) {
  HGDIOBJ gui = GetStockObject(DEFAULT_GUI_FONT);
  ASSERT_NE(gui, nullptr);
  EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), gui);
  EXPECT_EQ(GetObjectType(gui), OBJ_FONT);
  LOGFONTW font{};
  ASSERT_EQ(GetObjectW(gui, sizeof(font), &font), static_cast<int>(sizeof(font)));
  EXPECT_EQ(font.lfHeight, -12);
  EXPECT_EQ(font.lfWeight, FW_NORMAL);
  EXPECT_STREQ(font.lfFaceName, L"MS Shell Dlg");
  EXPECT_TRUE(DeleteObject(gui));  // stock objects survive
  EXPECT_EQ(GetObjectType(gui), OBJ_FONT);

  font.lfWeight = FW_BOLD;
  HFONT bold = CreateFontIndirectW(&font);
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(SelectObject(dc, bold), gui);
  EXPECT_EQ(SelectObject(dc, gui), bold);
  LOGFONTW back{};
  GetObjectW(bold, sizeof(back), &back);
  EXPECT_EQ(back.lfWeight, FW_BOLD);
  EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
  DeleteObject(bold);
}

TEST(GdiBitmap, SectionRowsAreBottomUpInWholeWords) {
  std::vector<BYTE> storage;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, Header(storage, 3, 2, 24), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  DIBSECTION section{};
  ASSERT_EQ(GetObjectW(bitmap, sizeof(section), &section), static_cast<int>(sizeof(section)));
  EXPECT_EQ(section.dsBm.bmWidthBytes, 12);  // 9 bytes rounded up to a word
  EXPECT_EQ(section.dsBm.bmHeight, 2);
  EXPECT_EQ(section.dsBm.bmBits, bits);
  EXPECT_EQ(section.dsBmih.biSizeImage, 24u);
  BITMAP plain{};
  EXPECT_EQ(GetObjectW(bitmap, sizeof(plain), &plain), static_cast<int>(sizeof(plain)));

  // The first stored row is the bottom one: blue, green, red bytes.
  BYTE* b = static_cast<BYTE*>(bits);
  b[0] = 0x11; b[1] = 0x22; b[2] = 0x33;        // bottom-left
  b[12 + 6] = 0xAA; b[12 + 7] = 0xBB; b[12 + 8] = 0xCC;  // top-right
  std::vector<DWORD> pixels = ReadTopDown(bitmap, 3, 2);
  EXPECT_EQ(pixels, (std::vector<DWORD>{0, 0, 0xCCBBAA, 0x332211, 0, 0}));
  DeleteObject(bitmap);
}

TEST(GdiBitmap, PaletteDepthsReadThroughTheirColourTable) {
  const std::vector<RGBQUAD> colours = {{0, 0, 0, 0}, {0xFF, 0, 0, 0}, {0, 0xFF, 0, 0}, {0, 0, 0xFF, 0}};
  struct Row { int bits; std::vector<BYTE> bottomRow; std::vector<DWORD> expected; };
  const Row rows[] = {
      {1, {0xA0, 0, 0, 0}, {0x0000FF, 0, 0x0000FF, 0}},
      {4, {0x12, 0x30, 0, 0}, {0x0000FF, 0x00FF00, 0xFF0000, 0}},
      {8, {3, 2, 1, 0}, {0xFF0000, 0x00FF00, 0x0000FF, 0}},
  };
  for (const Row& r : rows) {
    std::vector<BYTE> storage;
    std::vector<RGBQUAD> table(colours.begin(), colours.begin() + (r.bits == 1 ? 2 : 4));
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, Header(storage, 4, 1, r.bits, table), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr) << r.bits;
    std::memcpy(bits, r.bottomRow.data(), r.bottomRow.size());
    EXPECT_EQ(ReadTopDown(bitmap, 4, 1), r.expected) << r.bits;
    DeleteObject(bitmap);
  }
}

TEST(GdiBitmap, JuceDrawingLandsInTheDibMemory) {
  for (int bitsPerPixel : {24, 32}) {
    for (int height : {3, -3}) {
      std::vector<BYTE> storage;
      void* bits = nullptr;
      HBITMAP bitmap = CreateDIBSection(nullptr, Header(storage, 4, height, bitsPerPixel), DIB_RGB_COLORS, &bits,
                                        nullptr, 0);
      ASSERT_NE(bitmap, nullptr);
      juce::Image image = win32::FindGdi<win32::GdiBitmap>(bitmap)->Image();
      ASSERT_TRUE(image.isValid());
      {
        juce::Graphics g(image);
        g.setColour(juce::Colour(0xFF, 0x80, 0x01));
        g.fillRect(1, 0, 2, 1);  // the top row, columns 1 and 2
      }
      std::vector<DWORD> pixels = ReadTopDown(bitmap, 4, 3);
      EXPECT_EQ(pixels, (std::vector<DWORD>{0, 0xFF8001, 0xFF8001, 0, 0, 0, 0, 0, 0, 0, 0, 0}))
          << bitsPerPixel << " " << height;
      // Writing through the pointer shows in the image: the first stored row. (JUCE reads the
      // fourth byte of a 32-bit pixel as its alpha.)
      static_cast<BYTE*>(bits)[2] = 0x7F;
      if (bitsPerPixel == 32) static_cast<BYTE*>(bits)[3] = 0xFF;
      EXPECT_EQ(image.getPixelAt(0, height > 0 ? 2 : 0).getRed(), 0x7F);
      DeleteObject(bitmap);
      EXPECT_EQ(image.getPixelAt(1, 0).getGreen(), 0x80);  // the view keeps the pixels
    }
  }
}

TEST(GdiBitmap, JuceRenderingMatchesAPlainJuceImage) {
  // Anti-aliased edges, gradients and image blits through a bottom-up DIB give the pixels a
  // plain JUCE image gets.
  auto paint = [](juce::Image& target) {
    juce::Image sprite(juce::Image::ARGB, 7, 5, true);
    juce::Graphics(sprite).fillAll(juce::Colours::orange.withAlpha(0.5f));
    juce::Graphics g(target);
    g.fillAll(juce::Colours::white);
    g.setGradientFill(juce::ColourGradient(juce::Colours::red, 0, 0, juce::Colours::blue, 30, 20, false));
    g.fillEllipse(2.5f, 1.5f, 21.0f, 13.0f);
    g.drawImageAt(sprite, 15, 9);
    g.setColour(juce::Colours::green);
    g.drawLine(0, 19, 29, 0, 1.5f);
  };
  for (int bitsPerPixel : {24, 32}) {
    std::vector<BYTE> storage;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, Header(storage, 30, 20, bitsPerPixel), DIB_RGB_COLORS, &bits, nullptr, 0);
    juce::Image dib = win32::FindGdi<win32::GdiBitmap>(bitmap)->Image();
    juce::Image plain(bitsPerPixel == 32 ? juce::Image::ARGB : juce::Image::RGB, 30, 20, true);
    paint(dib);
    paint(plain);
    int differences = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x)
        if (dib.getPixelAt(x, y) != plain.getPixelAt(x, y)) ++differences;
    EXPECT_EQ(differences, 0) << bitsPerPixel;
    DeleteObject(bitmap);
  }
}

TEST(GdiBitmap, UnsupportedOrHugeLayoutsAreRefused) {
  struct Row { const char* name; LONG width, height; WORD planes, bits; DWORD compression, clrUsed, error; };
  const Row rows[] = {
      {"no width", 0, 4, 1, 24, BI_RGB, 0, ERROR_INVALID_PARAMETER},
      {"no height", 4, 0, 1, 24, BI_RGB, 0, ERROR_INVALID_PARAMETER},
      {"two planes", 4, 4, 2, 24, BI_RGB, 0, ERROR_INVALID_PARAMETER},
      {"7 bits", 4, 4, 1, 7, BI_RGB, 0, ERROR_INVALID_PARAMETER},
      {"run-length", 4, 4, 1, 8, BI_RLE8, 0, ERROR_INVALID_PARAMETER},
      {"too many colours", 4, 4, 1, 4, BI_RGB, 17, ERROR_INVALID_PARAMETER},
      {"huge", 100000, 100000, 1, 32, BI_RGB, 0, ERROR_NOT_ENOUGH_MEMORY},
      {"widest", 0x7FFFFFFF, 1, 1, 32, BI_RGB, 0, ERROR_NOT_ENOUGH_MEMORY},
  };
  std::vector<RGBQUAD> colours(256);
  for (const Row& r : rows) {
    std::vector<BYTE> storage;
    BITMAPINFO* info = Header(storage, 1, 1, 8, colours);
    info->bmiHeader = {sizeof(BITMAPINFOHEADER), r.width, r.height, r.planes, r.bits, r.compression, 0, 0, 0,
                       r.clrUsed, 0};
    void* bits = reinterpret_cast<void*>(1);
    SetLastError(0);
    EXPECT_EQ(CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr) << r.name;
    EXPECT_EQ(bits, nullptr) << r.name;
    EXPECT_EQ(GetLastError(), r.error) << r.name;
  }
}

TEST(GdiDc, MemoryDcsHoldOneBitmapAtATime) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP a = CreateCompatibleBitmap(dc, 2, 2), b = CreateCompatibleBitmap(dc, 3, 3);
  BITMAP info{};
  ASSERT_EQ(GetObjectW(a, sizeof(info), &info), static_cast<int>(sizeof(info)));
  EXPECT_EQ(info.bmBits, nullptr);  // not a section
  EXPECT_EQ(info.bmBitsPixel, 32);
  HGDIOBJ original = SelectObject(dc, a);
  ASSERT_NE(original, nullptr);
  EXPECT_EQ(GetObjectType(original), OBJ_BITMAP);
  EXPECT_EQ(SelectObject(dc, b), a);
  EXPECT_EQ(SelectObject(dc, original), b);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(SelectObject(screen, a), nullptr);  // bitmaps go into memory DCs only
  EXPECT_EQ(GetDC(reinterpret_cast<HWND>(1)), nullptr);
  ReleaseDC(nullptr, screen);
  DeleteDC(dc);
  DeleteObject(a);
  DeleteObject(b);
}

TEST(GlobalMemory, BlocksKnowTheirSizeAndForeignPointersAreRefused) {
  HGLOBAL block = GlobalAlloc(GHND, 10);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 10u);
  auto* bytes = static_cast<BYTE*>(GlobalLock(block));
  EXPECT_EQ(bytes[9], 0);
  GlobalUnlock(block);
  int local = 0;
  EXPECT_EQ(GlobalSize(&local), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GlobalLock(&local), nullptr);
  EXPECT_EQ(GlobalFree(&local), &local);
  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GlobalSize(block), 0u);
}
