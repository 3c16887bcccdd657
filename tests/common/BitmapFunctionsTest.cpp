// Bitmap files, packed bitmaps, bitmap headers, the default font and regions from bitmaps.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <vector>

#include "TempDir.h"
#include "common/BitmapFunctions.h"

using namespace Common;

namespace {

// A bitmap file; the fields can be made to lie after the fact.
struct BmpFile {
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  std::vector<RGBQUAD> colours;
  std::vector<BYTE> pixels;

  BmpFile(int width, int height, int bits, std::vector<RGBQUAD> table = {}) : colours(std::move(table)) {
    info = {sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0, 0, 0};
    pixels.assign(static_cast<size_t>(DibRowBytes(width, bits) * std::abs(height)), 0);
    file.bfType = 0x4D42;
    file.bfOffBits = static_cast<DWORD>(14 + 40 + 4 * colours.size());
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
  }
  std::string Bytes() const {
    std::string out(reinterpret_cast<const char*>(&file), 14);
    out.append(reinterpret_cast<const char*>(&info), 40);
    out.append(reinterpret_cast<const char*>(colours.data()), colours.size() * 4);
    out.append(reinterpret_cast<const char*>(pixels.data()), pixels.size());
    return out;
  }
};

// 0x00RRGGBB words, top row first.
std::vector<DWORD> Pixels(HBITMAP bitmap, int width, int height) {
  HDC screen = GetDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<DWORD> out(static_cast<size_t>(width) * height);
  GetDIBits(screen, bitmap, 0, height, out.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return out;
}

// A 32-bit top-down section holding the given 0x00RRGGBB pixels.
HBITMAP Section(int width, int height, const std::vector<DWORD>& topDown) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::memcpy(bits, topDown.data(), topDown.size() * 4);
  return bitmap;
}

CString Path(const std::filesystem::path& p) { return CString(p.wstring()); }

}  // namespace

TEST(GetDefaultLOGFONT, IsTheGuiFontAt12PixelsInSimSun) {
  LOGFONTW gui{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui);
  LOGFONTW font{};
  font.lfItalic = 1;
  GetDefaultLOGFONT(font);
  EXPECT_EQ(font.lfHeight, 12);
  EXPECT_STREQ(font.lfFaceName, L"SimSun");
  EXPECT_EQ(font.lfWeight, gui.lfWeight);
  EXPECT_EQ(font.lfCharSet, gui.lfCharSet);
  EXPECT_EQ(font.lfItalic, gui.lfItalic);
}

TEST(PrepareRGBBitmapInfo, ImageSizeIsWholeWordsPerRowTimesRows) {
  struct Row { int width, height, bits; DWORD size; };
  const Row rows[] = {
      {10, 10, 24, 320}, {10, -10, 24, 320}, {-10, 10, 24, 320},
      {1, 1, 32, 4}, {2, 3, 8, 12}, {9, 2, 1, 8}, {3, 1, 16, 8},
      // Sizes past what the header's 32 bits hold are left 0, never wrapped.
      {70000, 70000, 24, 0}, {INT_MAX, INT_MAX, 32, 0}, {INT_MIN + 1, INT_MIN + 1, 32, 0}, {5, 5, -8, 0},
  };
  for (const Row& r : rows) {
    BITMAPINFO* info = PrepareRGBBitmapInfo(r.width, r.height, r.bits);
    EXPECT_EQ(info->bmiHeader.biSizeImage, r.size) << r.width << "x" << r.height << "x" << r.bits;
    EXPECT_EQ(info->bmiHeader.biSize, 40u);
    EXPECT_EQ(info->bmiHeader.biHeight, r.height);
    EXPECT_EQ(info->bmiHeader.biPlanes, 1);
    EXPECT_EQ(info->bmiHeader.biCompression, BI_RGB);
    EXPECT_EQ(info->bmiColors[0].rgbRed, 0);
    delete info;
  }
}

TEST(LoadBitmapFromFile, LoadsUncompressedDepths) {
  dorvtest::TempDir dir;
  // 24 bits, 3 x 2, bottom-up: the first stored row is the bottom one.
  BmpFile rgb(3, 2, 24);
  rgb.pixels[0] = 0x11; rgb.pixels[1] = 0x22; rgb.pixels[2] = 0x33;
  rgb.pixels[12 + 6] = 0xAA;
  // 8 bits, 2 x 2, top-down, two colours.
  BmpFile indexed(2, -2, 8, {{0, 0, 0xFF, 0}, {0xFF, 0, 0, 0}});
  indexed.info.biClrUsed = 2;
  indexed.pixels = {1, 0, 0, 0, 0, 1, 0, 0};
  struct Row { const char* name; BmpFile bmp; int width, height; std::vector<DWORD> pixels; };
  const Row rows[] = {
      {"24-bit", rgb, 3, 2, {0, 0, 0x0000AA, 0x332211, 0, 0}},
      {"8-bit", indexed, 2, 2, {0x0000FF, 0xFF0000, 0xFF0000, 0x0000FF}},
  };
  for (const Row& r : rows) {
    dorvtest::WriteFile(dir / "a.bmp", r.bmp.Bytes());
    CBitmap bitmap;
    ASSERT_EQ(LoadBitmapFromFile(&bitmap, Path(dir / "a.bmp")), 1) << r.name;
    BITMAP info{};
    bitmap.GetBitmap(&info);
    EXPECT_EQ(info.bmWidth, r.width);
    EXPECT_EQ(info.bmHeight, r.height);
    EXPECT_EQ(Pixels(bitmap, r.width, r.height), r.pixels) << r.name;
  }
}

TEST(LoadBitmapFromFile, FilesThatLieOrFallShortFailAndLeaveNoBitmap) {
  dorvtest::TempDir dir;
  // Each row changes the header fields of a good 4 x 4 24-bit file, or its bytes.
  using Fields = std::function<void(BmpFile&)>;
  using Cut = std::function<void(std::string&)>;
  struct Row { const char* name; Fields fields; Cut cut; int result; };
  const Fields same = [](BmpFile&) {};
  const Cut whole = [](std::string&) {};
  const Row rows[] = {
      {"unchanged", same, whole, 1},
      {"size field larger", [](BmpFile& b) { b.file.bfSize += 1; }, whole, 0},
      {"size field smaller", [](BmpFile& b) { b.file.bfSize -= 1; }, whole, 0},
      {"not BM", [](BmpFile& b) { b.file.bfType = 0x4142; }, whole, 0},
      {"offset past the end", [](BmpFile& b) { b.file.bfOffBits = b.file.bfSize + 1; }, whole, 0},
      {"offset inside the header", [](BmpFile& b) { b.file.bfOffBits = 30; }, whole, 0},
      {"core header", [](BmpFile& b) { b.info.biSize = 12; }, whole, 0},
      {"v5 header", [](BmpFile& b) { b.info.biSize = 124; }, whole, 0},
      {"negative width", [](BmpFile& b) { b.info.biWidth = -4; }, whole, 0},
      {"zero height", [](BmpFile& b) { b.info.biHeight = 0; }, whole, 0},
      {"run-length", [](BmpFile& b) { b.info.biCompression = BI_RLE8; }, whole, 0},
      {"odd depth", [](BmpFile& b) { b.info.biBitCount = 12; }, whole, 0},
      {"too large", [](BmpFile& b) { b.info.biWidth = 100000; b.info.biHeight = 100000; }, whole, 0},
      {"widest", [](BmpFile& b) { b.info.biWidth = 0x7FFFFFFF; }, whole, 0},
      {"size past 63 bits", [](BmpFile& b) { b.info.biWidth = 0x7FFFFFFF; b.info.biHeight = -0x7FFFFFFF; b.info.biBitCount = 0xFFFF; }, whole, 0},
      {"lowest", [](BmpFile& b) { b.info.biHeight = -2147483647 - 1; }, whole, 0},
      {"rows missing", [](BmpFile& b) { b.info.biHeight = 5; }, whole, 0},
      {"colour table past the pixels", [](BmpFile& b) { b.info.biBitCount = 8; }, whole, 0},
      {"more colours than the depth", [](BmpFile& b) { b.info.biBitCount = 1; b.info.biClrUsed = 3; }, whole, 0},
      {"pixels cut off", [](BmpFile& b) { b.pixels.pop_back(); b.file.bfSize -= 1; }, whole, 0},
      {"header cut off", same, [](std::string& bytes) { bytes.resize(30); }, 0},
      {"empty file", same, [](std::string& bytes) { bytes.clear(); }, 0},
  };
  for (const Row& r : rows) {
    BmpFile bmp(4, 4, 24);
    r.fields(bmp);
    std::string bytes = bmp.Bytes();
    r.cut(bytes);
    dorvtest::WriteFile(dir / "bad.bmp", bytes);
    // A bitmap is held before, so that a failed load is seen to leave nothing behind.
    CBitmap bitmap;
    bitmap.Attach(Section(1, 1, {0}));
    EXPECT_EQ(LoadBitmapFromFile(&bitmap, Path(dir / "bad.bmp")), r.result) << r.name;
    EXPECT_EQ(bitmap.GetSafeHandle() != nullptr, r.result == 1) << r.name;
  }
  CBitmap bitmap;
  EXPECT_EQ(LoadBitmapFromFile(&bitmap, Path(dir / "missing.bmp")), 0);
}

TEST(DIBToStream, WritesAFileHeaderBeforeThePackedBitmap) {
  struct Row { WORD bits; DWORD clrUsed; size_t colours; DWORD offset; };
  const Row rows[] = {
      {8, 0, 256, 1078},
      {4, 0, 16, 118},
      {8, 2, 2, 62},   // the colour table the packed bitmap holds
      {24, 0, 0, 54},
      {32, 0, 0, 54},
  };
  for (const Row& r : rows) {
    const size_t size = 40 + 4 * r.colours + 16;
    HGLOBAL block = GlobalAlloc(GHND, size);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    *header = {40, 4, 4, 1, r.bits, BI_RGB, 0, 0, 0, r.clrUsed, 0};
    static_cast<BYTE*>(GlobalLock(block))[size - 1] = 0x5A;
    std::string out = "prefix";
    ASSERT_EQ(DIBToStream(block, out), 1);
    ASSERT_EQ(out.size(), 6 + 14 + size);
    BITMAPFILEHEADER file;
    std::memcpy(&file, out.data() + 6, 14);
    EXPECT_EQ(file.bfType, 0x4D42);
    EXPECT_EQ(file.bfSize, size + 14);
    EXPECT_EQ(file.bfReserved1 | file.bfReserved2, 0);
    EXPECT_EQ(file.bfOffBits, r.offset) << r.bits << "/" << r.clrUsed;
    EXPECT_EQ(out.back(), 0x5A);
    GlobalFree(block);
  }
}

TEST(DIBToStream, RefusesWhatIsNotAPackedBitmap) {
  std::string out;
  EXPECT_EQ(DIBToStream(nullptr, out), 0);
  BITMAPINFOHEADER onTheStack{40, 1, 1, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  EXPECT_EQ(DIBToStream(&onTheStack, out), 0);
  HGLOBAL small = GlobalAlloc(GHND, 20);
  EXPECT_EQ(DIBToStream(small, out), 0);
  GlobalFree(small);
  HGLOBAL lying = GlobalAlloc(GHND, 40);
  static_cast<BITMAPINFOHEADER*>(GlobalLock(lying))->biSize = 4000;
  EXPECT_EQ(DIBToStream(lying, out), 0);
  GlobalFree(lying);
  EXPECT_TRUE(out.empty());
}

TEST(BitmapToRegion, RegionHoldsExactlyTheOpaquePixels) {
  const DWORD key = 0xFF00FF;             // magenta pixels are transparent
  const COLORREF colour = RGB(0xFF, 0, 0xFF);
  const DWORD o = 0x123456;
  // A 5 x 4 picture.
  const std::vector<DWORD> picture = {
      key, o,   o,   key, o,
      o,   key, key, key, o,
      key, key, key, key, key,
      o,   o,   o,   o,   o,
  };
  HBITMAP bitmap = Section(5, 4, picture);
  for (CRect area : {CRect(0, 0, 5, 4), CRect(1, 1, 4, 4), CRect(-3, -3, 3, 2), CRect(2, 0, 50, 50)}) {
    HRGN region = BitmapToRegion(bitmap, area, colour);
    ASSERT_NE(region, nullptr);
    for (int y = -1; y <= 4; ++y)
      for (int x = -1; x <= 5; ++x) {
        bool opaque = x >= 0 && x < 5 && y >= 0 && y < 4 && picture[y * 5 + x] != key && area.PtInRect(CPoint(x, y));
        EXPECT_EQ(PtInRegion(region, x, y) != FALSE, opaque) << x << "," << y;
      }
    DeleteObject(region);
  }
  EXPECT_EQ(BitmapToRegion(bitmap, CRect(5, 0, 9, 4), colour), nullptr);  // misses the bitmap
  EXPECT_EQ(BitmapToRegion(nullptr, CRect(0, 0, 5, 4), colour), nullptr);
  DeleteObject(bitmap);
  EXPECT_EQ(BitmapToRegion(bitmap, CRect(0, 0, 5, 4), colour), nullptr);  // deleted
}

TEST(BitmapToRegion, RunsAndEmptyRegions) {
  const DWORD key = 0x0000FF;  // blue
  HBITMAP run = Section(4, 1, {key, 0, 0, key});
  HRGN region = BitmapToRegion(run, CRect(0, 0, 4, 1), RGB(0, 0, 0xFF));
  RECT box;
  EXPECT_EQ(GetRgnBox(region, &box), SIMPLEREGION);
  EXPECT_EQ(CRect(box), CRect(1, 0, 3, 1));
  DeleteObject(region);

  HBITMAP clear = Section(3, 2, {key, key, key, key, key, key});
  region = BitmapToRegion(clear, CRect(0, 0, 3, 2), RGB(0, 0, 0xFF));
  ASSERT_NE(region, nullptr);
  EXPECT_EQ(GetRgnBox(region, &box), NULLREGION);
  DeleteObject(region);
  DeleteObject(run);
  DeleteObject(clear);
}

TEST(EvalRgnFromDIBits32, RefusesRangesOutsideThePixels) {
  std::vector<BYTE> bits(4 * 3 * 2, 0);  // 3 x 2, all black
  struct Row { const char* name; int left, right, top, bottom; bool made; };
  const Row rows[] = {
      {"whole", 0, 3, 0, 2, true},
      {"no rows", 0, 3, 1, 1, false},
      {"no columns", 2, 2, 0, 2, false},
      {"negative left", -1, 3, 0, 2, false},
      {"past the right", 0, 4, 0, 2, false},
      {"above the top", 0, 3, -1, 2, false},
      {"below the bottom", 0, 3, 0, 3, false},
  };
  for (const Row& r : rows) {
    HRGN region = EvalRgnFromDIBits32(bits.data(), r.left, r.right, r.top, r.bottom, 12, 2, RGB(1, 2, 3));
    EXPECT_EQ(region != nullptr, r.made) << r.name;
    if (region) {
      RECT box;
      GetRgnBox(region, &box);
      EXPECT_EQ(CRect(box), CRect(0, 0, 3, 2));
      DeleteObject(region);
    }
  }
  EXPECT_EQ(EvalRgnFromDIBits32(nullptr, 0, 3, 0, 2, 12, 2, 0), nullptr);
}
