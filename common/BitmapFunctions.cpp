#include "common/BitmapFunctions.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

namespace Common {

namespace {

constexpr DWORD kFileHeaderSize = sizeof(BITMAPFILEHEADER);
constexpr DWORD kInfoHeaderSize = sizeof(BITMAPINFOHEADER);

// Entries of the colour table that follows a 40-byte header.
LONGLONG ColourEntries(const BITMAPINFOHEADER& header) {
  if (header.biClrUsed != 0) return header.biClrUsed;
  if (header.biBitCount <= 8) return LONGLONG{1} << header.biBitCount;
  return header.biCompression == BI_BITFIELDS ? 3 : 0;
}

bool ReadExactly(HANDLE file, void* buffer, DWORD count) {
  DWORD read = 0;
  return ReadFile(file, buffer, count, &read, nullptr) && read == count;
}

// Bytes of `rows` rows of `width` pixels at `bits` per pixel, rows padded to
// whole 32-bit words; false when an operand is negative or the size does not fit
// in 63 bits (headers from files can ask for anything).
bool PixelBytes(LONGLONG width, LONGLONG rows, LONGLONG bits, LONGLONG& out) {
  LONGLONG rowBits = 0, total = 0;
  if (width < 0 || rows < 0 || bits <= 0 || __builtin_mul_overflow(width, bits, &rowBits) ||
      rowBits > LLONG_MAX - 31 || __builtin_mul_overflow((rowBits + 31) / 32 * 4, rows, &total))
    return false;
  out = total;
  return true;
}

// Adds one rectangle to the region by union.
void AddRun(HRGN region, int left, int right, int y) {
  HRGN run = CreateRectRgn(left, y, right, y + 1);
  CombineRgn(region, region, run, RGN_OR);
  DeleteObject(run);
}

}  // namespace

void GetDefaultLOGFONT(LOGFONTW& out) {
  LOGFONTW font;
  HGDIOBJ gui = GetStockObject(DEFAULT_GUI_FONT);
  if (!gui || GetObjectW(gui, sizeof(font), &font) != sizeof(font)) return;
  font.lfHeight = 12;
  std::wcsncpy(font.lfFaceName, L"SimSun", LF_FACESIZE - 1);
  font.lfFaceName[LF_FACESIZE - 1] = L'\0';
  out = font;
}

BITMAPINFO* PrepareRGBBitmapInfo(int width, int height, int bitsPerPixel) {
  auto* info = new BITMAPINFO();
  BITMAPINFOHEADER& h = info->bmiHeader;
  h.biSize = kInfoHeaderSize;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bitsPerPixel);
  h.biCompression = BI_RGB;
  // A size that a DWORD cannot hold is left 0, which uncompressed pixels allow.
  LONGLONG size = 0;
  if (PixelBytes(std::llabs(static_cast<LONGLONG>(width)), std::llabs(static_cast<LONGLONG>(height)), bitsPerPixel,
                 size) &&
      size <= LONGLONG{0xFFFFFFFF})
    h.biSizeImage = static_cast<DWORD>(size);
  return info;
}

int LoadBitmapFromFile(CBitmap* bitmap, const CString& path) {
  if (!bitmap) return 0;
  bitmap->DeleteObject();
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  struct Closer {
    HANDLE h;
    ~Closer() { CloseHandle(h); }
  } closer{file};

  LARGE_INTEGER length{};
  if (!GetFileSizeEx(file, &length) || length.QuadPart >= (LONGLONG{1} << 32)) return 0;
  const LONGLONG fileLength = length.QuadPart;
  BITMAPFILEHEADER fileHeader{};
  if (fileLength < kFileHeaderSize + kInfoHeaderSize || !ReadExactly(file, &fileHeader, kFileHeaderSize)) return 0;
  if (fileHeader.bfType != 0x4D42 || fileHeader.bfSize != fileLength) return 0;  // "BM"
  if (fileHeader.bfOffBits < kFileHeaderSize + kInfoHeaderSize || fileHeader.bfOffBits > fileLength) return 0;

  // The header and colour table: everything between the file header and the pixels.
  const DWORD infoSize = fileHeader.bfOffBits - kFileHeaderSize;
  std::vector<BYTE> info(std::max<size_t>(infoSize, sizeof(BITMAPINFO)), 0);
  if (!ReadExactly(file, info.data(), infoSize)) return 0;
  BITMAPINFOHEADER header;
  std::memcpy(&header, info.data(), sizeof(header));
  if (header.biSize != kInfoHeaderSize || header.biWidth <= 0 || header.biHeight == 0 ||
      header.biHeight == LONG{-2147483647 - 1} || header.biPlanes != 1 || header.biCompression != BI_RGB)
    return 0;
  const LONGLONG colours = ColourEntries(header);
  if (header.biBitCount <= 8 && colours > (LONGLONG{1} << header.biBitCount)) return 0;
  if (kInfoHeaderSize + 4 * colours > infoSize) return 0;

  // The pixels must hold every row the header promises.
  const LONGLONG rows = header.biHeight < 0 ? -static_cast<LONGLONG>(header.biHeight) : header.biHeight;
  LONGLONG needed = 0;
  if (!PixelBytes(header.biWidth, rows, header.biBitCount, needed) || needed > fileLength - fileHeader.bfOffBits)
    return 0;

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  if (!memory) return 0;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(memory, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits,
                                     nullptr, 0);
  DeleteDC(memory);
  if (!section) return 0;
  DIBSECTION made{};
  if (GetObjectW(section, sizeof(made), &made) != sizeof(made) ||
      static_cast<LONGLONG>(made.dsBm.bmWidthBytes) * made.dsBm.bmHeight != needed ||
      !ReadExactly(file, bits, static_cast<DWORD>(needed))) {
    DeleteObject(section);
    return 0;
  }
  bitmap->Attach(section);
  return 1;
}

int DIBToStream(void* packedBitmap, std::string& out) {
  if (!packedBitmap) return 0;
  const SIZE_T size = GlobalSize(packedBitmap);
  const BYTE* packed = static_cast<const BYTE*>(GlobalLock(packedBitmap));
  if (!packed || size < kInfoHeaderSize || size > 0xFFFFFFFFu - kFileHeaderSize) {
    if (packed) GlobalUnlock(packedBitmap);
    return 0;
  }
  BITMAPINFOHEADER header;
  std::memcpy(&header, packed, sizeof(header));
  if (header.biSize < kInfoHeaderSize || header.biSize > size) {
    GlobalUnlock(packedBitmap);
    return 0;
  }
  BITMAPFILEHEADER fileHeader{};
  fileHeader.bfType = 0x4D42;
  fileHeader.bfSize = static_cast<DWORD>(size + kFileHeaderSize);
  LONGLONG colours = header.biBitCount <= 8 || header.biClrUsed != 0 ? ColourEntries(header) : 0;
  if (header.biCompression == BI_BITFIELDS && header.biSize == kInfoHeaderSize && header.biClrUsed == 0) colours = 3;
  fileHeader.bfOffBits = static_cast<DWORD>(std::min<LONGLONG>(kFileHeaderSize + header.biSize + 4 * colours,
                                                               kFileHeaderSize + static_cast<LONGLONG>(size)));
  out.append(reinterpret_cast<const char*>(&fileHeader), kFileHeaderSize);
  out.append(reinterpret_cast<const char*>(packed), size);
  GlobalUnlock(packedBitmap);
  return 1;
}

HRGN EvalRgnFromDIBits32(unsigned char* bits, int left, int right, int top, int bottom, int rowBytes, int rows,
                         unsigned long colour) {
  if (!bits || top >= bottom || left < 0 || left >= right) return nullptr;
  // The range must lie inside the pixels.
  if (top < 0 || bottom > rows || rowBytes <= 0 || right > rowBytes / 4) return nullptr;
  // COLORREF 0x00BBGGRR against pixels 0x00RRGGBB.
  const DWORD transparent = ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (!region) return nullptr;
  for (int y = top; y < bottom; ++y) {
    const BYTE* row = bits + static_cast<size_t>(rows - y - 1) * rowBytes;
    int x = left;
    while (x < right) {
      auto pixel = [&](int at) {
        const BYTE* p = row + at * 4;
        return static_cast<DWORD>(p[0] | (p[1] << 8) | (p[2] << 16));
      };
      while (x < right && pixel(x) == transparent) ++x;
      const int start = x;
      while (x < right && pixel(x) != transparent) ++x;
      if (x > start) AddRun(region, start, x, y);
    }
  }
  return region;
}

HRGN BitmapToRegion(HBITMAP bitmap, const CRect& area, unsigned long colour) {
  BITMAP description{};
  if (!bitmap || GetObjectW(bitmap, sizeof(description), &description) != sizeof(description)) return nullptr;
  CRect clipped;
  if (!clipped.IntersectRect(&area, CRect(0, 0, description.bmWidth, description.bmHeight))) return nullptr;

  HDC screen = GetDC(nullptr);
  if (!screen) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = kInfoHeaderSize;
  info.bmiHeader.biWidth = description.bmWidth;
  info.bmiHeader.biHeight = description.bmHeight;  // bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  LONGLONG rowBytes = 0, total = 0;
  if (!PixelBytes(description.bmWidth, 1, 32, rowBytes) || rowBytes > INT_MAX ||
      !PixelBytes(description.bmWidth, description.bmHeight, 32, total) ||
      static_cast<unsigned long long>(total) > SIZE_MAX) {
    ReleaseDC(nullptr, screen);
    return nullptr;
  }
  HRGN region = nullptr;
  try {
    std::vector<BYTE> pixels(static_cast<size_t>(total));
    if (GetDIBits(screen, bitmap, 0, description.bmHeight, pixels.data(), &info, DIB_RGB_COLORS) ==
        description.bmHeight)
      region = EvalRgnFromDIBits32(pixels.data(), clipped.left, clipped.right, clipped.top, clipped.bottom, static_cast<int>(rowBytes),
                                   description.bmHeight, colour);
  } catch (const std::bad_alloc&) {
  }
  ReleaseDC(nullptr, screen);
  return region;
}

}  // namespace Common
