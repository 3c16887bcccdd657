#include "win32/GdiBitmap.h"

#include <cstring>
#include <new>

#include "win32/Gdi.h"
#include "win32/GdiDc.h"
#include "win32/WinError.h"

namespace win32 {

namespace {

// JUCE pixel data over a DIB's memory: a bottom-up DIB is seen through a negative line stride.
class DibPixelData : public juce::ImagePixelData {
 public:
  DibPixelData(std::shared_ptr<std::vector<BYTE>> pixels, juce::Image::PixelFormat format, int width, int height,
               int rowBytes, bool bottomUp)
      : juce::ImagePixelData(format, width, height),
        m_pixels(std::move(pixels)),
        m_pixelStride(format == juce::Image::ARGB ? 4 : 3),
        m_rowBytes(rowBytes),
        m_bottomUp(bottomUp) {}

  std::unique_ptr<juce::LowLevelGraphicsContext> createLowLevelContext() override {
    sendDataChangeMessage();
    return std::make_unique<juce::LowLevelGraphicsSoftwareRenderer>(juce::Image(*this));
  }

  void initialiseBitmapData(juce::Image::BitmapData& bitmap, int x, int y,
                            juce::Image::BitmapData::ReadWriteMode mode) override {
    const int stride = m_bottomUp ? -m_rowBytes : m_rowBytes;
    BYTE* top = m_pixels->data() + (m_bottomUp ? static_cast<size_t>(height - 1) * m_rowBytes : 0);
    bitmap.data = top + static_cast<ptrdiff_t>(y) * stride + static_cast<ptrdiff_t>(x) * m_pixelStride;
    bitmap.size = static_cast<size_t>(height - y) * m_rowBytes - static_cast<size_t>(x) * m_pixelStride;
    bitmap.pixelFormat = pixelFormat;
    bitmap.lineStride = stride;
    bitmap.pixelStride = m_pixelStride;
    if (mode != juce::Image::BitmapData::readOnly) sendDataChangeMessage();
  }

  Ptr clone() override {
    juce::Image copy(pixelFormat, width, height, false);
    juce::Image::BitmapData to(copy, juce::Image::BitmapData::writeOnly);
    juce::Image::BitmapData from(juce::Image(*this), juce::Image::BitmapData::readOnly);
    for (int y = 0; y < height; ++y)
      std::memcpy(to.getLinePointer(y), from.getLinePointer(y), static_cast<size_t>(width) * m_pixelStride);
    return copy.getPixelData();
  }

  std::unique_ptr<juce::ImageType> createType() const override { return std::make_unique<juce::SoftwareImageType>(); }

 private:
  std::shared_ptr<std::vector<BYTE>> m_pixels;
  int m_pixelStride;
  int m_rowBytes;
  bool m_bottomUp;
};

bool SupportedDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

}  // namespace

std::unique_ptr<GdiBitmap> GdiBitmap::Create(const BITMAPINFOHEADER& header, const RGBQUAD* colours, bool isSection) {
  const LONGLONG rows = header.biHeight < 0 ? -static_cast<LONGLONG>(header.biHeight) : header.biHeight;
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biWidth <= 0 || rows == 0 || header.biPlanes != 1 ||
      !SupportedDepth(header.biBitCount) || header.biCompression != BI_RGB) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const LONGLONG rowBytes = DibRowBytes(header.biWidth, header.biBitCount);
  if (rowBytes > kMaxPixelBytes || rowBytes * rows > kMaxPixelBytes) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  size_t colourCount = 0;
  if (header.biBitCount <= 8) {
    const size_t most = size_t{1} << header.biBitCount;
    colourCount = header.biClrUsed == 0 ? most : header.biClrUsed;
    if (colourCount > most || !colours) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
  }
  std::unique_ptr<GdiBitmap> bitmap(new GdiBitmap());
  bitmap->m_header = header;
  bitmap->m_header.biSize = sizeof(BITMAPINFOHEADER);
  bitmap->m_header.biSizeImage = static_cast<DWORD>(rowBytes * rows);
  bitmap->m_header.biClrUsed = static_cast<DWORD>(colourCount);
  bitmap->m_rowBytes = static_cast<LONG>(rowBytes);
  bitmap->m_isSection = isSection;
  try {
    bitmap->m_colours.assign(colours, colours + colourCount);
    bitmap->m_pixels = std::make_shared<std::vector<BYTE>>(static_cast<size_t>(rowBytes * rows), BYTE{0});
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return bitmap;
}

int GdiBitmap::Describe(int size, void* buffer) const {
  DIBSECTION section{};
  section.dsBm.bmType = 0;
  section.dsBm.bmWidth = Width();
  section.dsBm.bmHeight = Height();
  section.dsBm.bmWidthBytes = m_rowBytes;
  section.dsBm.bmPlanes = 1;
  section.dsBm.bmBitsPixel = m_header.biBitCount;
  section.dsBm.bmBits = m_isSection ? m_pixels->data() : nullptr;
  const bool whole = m_isSection && size >= static_cast<int>(sizeof(DIBSECTION));
  if (!buffer) return m_isSection ? sizeof(DIBSECTION) : sizeof(BITMAP);
  if (whole) {
    section.dsBmih = m_header;
    std::memcpy(buffer, &section, sizeof(section));
    return sizeof(DIBSECTION);
  }
  if (size < static_cast<int>(sizeof(BITMAP))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::memcpy(buffer, &section.dsBm, sizeof(BITMAP));
  return sizeof(BITMAP);
}

const BYTE* GdiBitmap::Row(int y) const {
  return m_pixels->data() + static_cast<size_t>(BottomUp() ? Height() - 1 - y : y) * m_rowBytes;
}

RGBQUAD GdiBitmap::Pixel(int x, int y) const {
  const BYTE* row = Row(y);
  auto fromTable = [&](unsigned index) { return index < m_colours.size() ? m_colours[index] : RGBQUAD{0, 0, 0, 0}; };
  RGBQUAD colour{0, 0, 0, 0};
  switch (m_header.biBitCount) {
    case 1: colour = fromTable((row[x / 8] >> (7 - x % 8)) & 1); break;
    case 4: colour = fromTable((row[x / 2] >> (x % 2 ? 0 : 4)) & 15); break;
    case 8: colour = fromTable(row[x]); break;
    case 16: {
      const unsigned word = row[x * 2] | (row[x * 2 + 1] << 8);  // 5-5-5
      auto expand = [](unsigned five) { return static_cast<BYTE>((five << 3) | (five >> 2)); };
      colour = RGBQUAD{expand(word & 31), expand((word >> 5) & 31), expand((word >> 10) & 31), 0};
      break;
    }
    case 24: colour = RGBQUAD{row[x * 3], row[x * 3 + 1], row[x * 3 + 2], 0}; break;
    case 32: colour = RGBQUAD{row[x * 4], row[x * 4 + 1], row[x * 4 + 2], 0}; break;
  }
  colour.rgbReserved = 0;
  return colour;
}

void GdiBitmap::SetPixel(int x, int y, RGBQUAD colour) {
  BYTE* row = const_cast<BYTE*>(Row(y));
  if (m_header.biBitCount == 24) {
    row[x * 3] = colour.rgbBlue;
    row[x * 3 + 1] = colour.rgbGreen;
    row[x * 3 + 2] = colour.rgbRed;
  } else if (m_header.biBitCount == 32) {
    row[x * 4] = colour.rgbBlue;
    row[x * 4 + 1] = colour.rgbGreen;
    row[x * 4 + 2] = colour.rgbRed;
    row[x * 4 + 3] = 0xFF;
  }
}

juce::Image GdiBitmap::Image() {
  if (m_header.biBitCount != 24 && m_header.biBitCount != 32) return {};
  const auto format = m_header.biBitCount == 32 ? juce::Image::ARGB : juce::Image::RGB;
  return juce::Image(juce::ImagePixelData::Ptr(
      new DibPixelData(m_pixels, format, Width(), Height(), m_rowBytes, BottomUp())));
}

}  // namespace win32

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
  if (bits) *bits = nullptr;
  if (dc && !win32::FindGdi<win32::GdiDc>(dc)) return nullptr;
  if (!info || usage != DIB_RGB_COLORS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (section) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  auto bitmap = win32::GdiBitmap::Create(info->bmiHeader, info->bmiColors, true);
  if (!bitmap) return nullptr;
  BYTE* pixels = bitmap->Bits();
  HBITMAP handle = static_cast<HBITMAP>(win32::AddGdiObject(std::move(bitmap)));
  if (bits) *bits = pixels;
  return handle;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (!win32::FindGdi<win32::GdiDc>(dc)) return nullptr;
  BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  auto bitmap = win32::GdiBitmap::Create(header, nullptr, false);
  return bitmap ? static_cast<HBITMAP>(win32::AddGdiObject(std::move(bitmap))) : nullptr;
}

int GetDIBits(HDC dc, HBITMAP handle, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info, UINT usage) {
  if (!win32::FindGdi<win32::GdiDc>(dc)) return 0;
  auto* bitmap = win32::FindGdi<win32::GdiBitmap>(handle);
  if (!bitmap) return 0;
  if (!info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || usage != DIB_RGB_COLORS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  BITMAPINFOHEADER& want = info->bmiHeader;
  if (!bits && want.biBitCount == 0) {
    want.biWidth = bitmap->Width();
    want.biHeight = bitmap->BottomUp() ? bitmap->Height() : -bitmap->Height();
    want.biPlanes = 1;
    want.biBitCount = static_cast<WORD>(bitmap->BitCount());
    want.biCompression = BI_RGB;
    want.biSizeImage = static_cast<DWORD>(bitmap->RowBytes() * bitmap->Height());
    return bitmap->Height();
  }
  if ((want.biBitCount != 24 && want.biBitCount != 32) || want.biCompression != BI_RGB || want.biWidth <= 0 ||
      want.biHeight == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const bool bottomUp = want.biHeight > 0;
  const LONGLONG wantRows = bottomUp ? want.biHeight : -static_cast<LONGLONG>(want.biHeight);
  const LONGLONG rowBytes = DibRowBytes(want.biWidth, want.biBitCount);
  want.biSizeImage = static_cast<DWORD>(rowBytes * wantRows);
  if (!bits) return static_cast<int>(wantRows);
  const int height = bitmap->Height();
  const int columns = std::min(static_cast<int>(want.biWidth), bitmap->Width());
  const int bytesPerPixel = want.biBitCount / 8;
  int copied = 0;
  for (LONGLONG line = start; line < static_cast<LONGLONG>(start) + lines && line < height; ++line) {
    // Scan line 0 is the bitmap's bottom line in a bottom-up layout, its top line otherwise.
    const int top = static_cast<int>(bottomUp ? height - 1 - line : line);
    BYTE* out = static_cast<BYTE*>(bits) + (line - start) * rowBytes;
    std::memset(out, 0, static_cast<size_t>(rowBytes));
    for (int x = 0; x < columns; ++x) {
      RGBQUAD c = bitmap->Pixel(x, top);
      out[x * bytesPerPixel] = c.rgbBlue;
      out[x * bytesPerPixel + 1] = c.rgbGreen;
      out[x * bytesPerPixel + 2] = c.rgbRed;
    }
    ++copied;
  }
  return copied;
}
