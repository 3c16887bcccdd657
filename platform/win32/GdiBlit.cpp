#include "win32/GdiBlit.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <vector>

#include "win32/GdiCanvas.h"
#include "win32/WinError.h"

namespace {

using ReadPixel = std::function<bool(int, int, RGBQUAD*)>;  // false: outside the source

BYTE Op(DWORD rop, BYTE source, BYTE dest) {
  switch (rop) {
    case SRCPAINT: return source | dest;
    case SRCAND: return source & dest;
    case SRCINVERT: return source ^ dest;
    case NOTSRCCOPY: return static_cast<BYTE>(~source);
    case DSTINVERT: return static_cast<BYTE>(~dest);
    case BLACKNESS: return 0;
    case WHITENESS: return 0xFF;
    default: return source;
  }
}

bool KnownRop(DWORD rop) {
  return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT || rop == NOTSRCCOPY ||
         rop == DSTINVERT || rop == BLACKNESS || rop == WHITENESS;
}

// The one copy: the source rectangle (in the reader's pixels) onto the destination rectangle
// (logical), nearest pixel, mirrored where a width or height is negative.
void Copy(win32::GdiCanvas& dest, int x, int y, int width, int height, int sx, int sy, int sw, int sh, DWORD rop,
          const ReadPixel& read) {
  if (!width || !height || !dest.Drawable()) return;
  bool flipX = false, flipY = false;
  if (width < 0) x += width, width = -width, flipX = !flipX;
  if (height < 0) y += height, height = -height, flipY = !flipY;
  if (sw < 0) sx += sw, sw = -sw, flipX = !flipX;
  if (sh < 0) sy += sh, sh = -sh, flipY = !flipY;
  RECT device = dest.Dc().ToDevice(RECT{x, y, x + width, y + height});
  dest.ForEachPixel(device, [&](int dx, int dy) {
    int u = dx - device.left, v = dy - device.top;
    if (flipX) u = width - 1 - u;
    if (flipY) v = height - 1 - v;
    RGBQUAD s{0, 0, 0, 0};
    bool needsSource = rop != DSTINVERT && rop != BLACKNESS && rop != WHITENESS;
    if (needsSource && !read(sx + static_cast<int>(static_cast<long long>(u) * sw / width),
                             sy + static_cast<int>(static_cast<long long>(v) * sh / height), &s))
      return;
    RGBQUAD d = rop == SRCCOPY || rop == NOTSRCCOPY || rop == BLACKNESS || rop == WHITENESS ? RGBQUAD{} : dest.Pixel(dx, dy);
    dest.SetPixel(dx, dy, RGBQUAD{Op(rop, s.rgbBlue, d.rgbBlue), Op(rop, s.rgbGreen, d.rgbGreen), Op(rop, s.rgbRed, d.rgbRed), 0});
  });
}

ReadPixel FromBitmap(const win32::GdiBitmap& bitmap) {
  return [&bitmap](int x, int y, RGBQUAD* out) {
    if (x < 0 || y < 0 || x >= bitmap.Width() || y >= bitmap.Height()) return false;
    *out = bitmap.Pixel(x, y);
    return true;
  };
}

// The common case, a plain copy at the same size between 24- and 32-bit pixels, row by row.
void CopyRows(win32::GdiCanvas& dest, win32::GdiCanvas& source, const RECT& device, POINT from,
              const juce::RectangleList<int>& sourceArea) {
  juce::RectangleList<int> parts = dest.Dc().Visible();
  parts.clipTo(juce::Rectangle<int>(device.left, device.top, device.right - device.left, device.bottom - device.top));
  // Only where the source has pixels: its area moved to where it lands.
  juce::RectangleList<int> landing = sourceArea;
  landing.offsetAll(device.left - from.x, device.top - from.y);
  parts.clipTo(landing);
  const int in = source.BytesPerPixel(), out = dest.BytesPerPixel();
  // Within one bitmap (scrolling) the rows go in the order that reads each before it is
  // overwritten, and each row through a buffer.
  const bool upwards = device.top > from.y;
  std::vector<BYTE> row;
  for (const auto& r : parts)
    for (int i = 0; i < r.getHeight(); ++i) {
      int y = upwards ? r.getBottom() - 1 - i : r.getY() + i;
      const BYTE* at = source.PixelBytes(r.getX() - device.left + from.x, y - device.top + from.y);
      row.assign(at, at + static_cast<size_t>(r.getWidth()) * in);
      BYTE* to = dest.PixelBytes(r.getX(), y);
      const BYTE* p = row.data();
      for (int x = 0; x < r.getWidth(); ++x, to += out, p += in) {
        to[0] = p[0], to[1] = p[1], to[2] = p[2];
        if (out == 4) to[3] = 0xFF;
      }
    }
}

BOOL Stretch(HDC destDc, int x, int y, int width, int height, HDC sourceDc, int sx, int sy, int sw, int sh, DWORD rop) {
  win32::GdiCanvas dest(destDc);
  if (!dest) return FALSE;
  if (!KnownRop(rop)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  bool needsSource = rop != DSTINVERT && rop != BLACKNESS && rop != WHITENESS;
  if (!needsSource) {
    Copy(dest, x, y, width, height, 0, 0, width, height, rop, [](int, int, RGBQUAD*) { return true; });
    return TRUE;
  }
  win32::GdiCanvas source(sourceDc);
  if (!source) return FALSE;
  if (!source.Drawable()) return TRUE;  // the screen keeps no pixels to copy
  POINT origin = source.Dc().ToDevice(sx, sy);
  juce::RectangleList<int> area = source.Dc().Area();
  if (rop == SRCCOPY && width == sw && height == sh && width > 0 && height > 0 && dest.Drawable() &&
      dest.BytesPerPixel() && source.BytesPerPixel()) {
    CopyRows(dest, source, dest.Dc().ToDevice(RECT{x, y, x + width, y + height}), origin, area);
    return TRUE;
  }
  ReadPixel read = [&](int px, int py, RGBQUAD* out) {
    if (!area.containsPoint(juce::Point<int>(px, py))) return false;
    *out = source.Pixel(px, py);
    return true;
  };
  Copy(dest, x, y, width, height, origin.x, origin.y, sw, sh, rop, read);
  return TRUE;
}

int FromDib(HDC dc, int x, int y, int width, int height, int sx, int sy, int sw, int sh, const void* bits,
            const BITMAPINFOHEADER& header, const RGBQUAD* colours, DWORD rop) {
  win32::GdiCanvas dest(dc);
  if (!dest) return 0;
  if (!bits || !KnownRop(rop)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto bitmap = win32::GdiBitmap::Create(header, colours, false);
  if (!bitmap) return 0;
  std::memcpy(bitmap->Bits(), bits, static_cast<size_t>(bitmap->RowBytes()) * bitmap->Height());
  // A bottom-up bitmap's source rectangle counts its rows from the bottom.
  int top = bitmap->BottomUp() ? bitmap->Height() - sy - sh : sy;
  Copy(dest, x, y, width, height, sx, top, sw, sh, rop, FromBitmap(*bitmap));
  return sh < 0 ? -sh : sh;
}

}  // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop) {
  return Stretch(dest, x, y, width, height, source, sourceX, sourceY, width, height, rop);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, int sourceWidth,
                int sourceHeight, DWORD rop) {
  return Stretch(dest, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight, rop);
}

int SetStretchBltMode(HDC dc, int mode) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  if (!found) return 0;
  if (mode < BLACKONWHITE || mode > HALFTONE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int previous = found->State().stretchMode;
  found->State().stretchMode = mode;
  return previous;
}

int GetStretchBltMode(HDC dc) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  return found ? found->State().stretchMode : 0;
}

int StretchDIBits(HDC dc, int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth,
                  int sourceHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  if (!info || usage != DIB_RGB_COLORS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return FromDib(dc, x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight, bits, info->bmiHeader,
                 info->bmiColors, rop);
}

HDRAWDIB DrawDibOpen() {
  static std::atomic<UINT_PTR> next{0x7D000};
  return reinterpret_cast<HDRAWDIB>(next.fetch_add(4));
}

BOOL DrawDibClose(HDRAWDIB drawDib) { return drawDib ? TRUE : FALSE; }

BOOL DrawDibDraw(HDRAWDIB drawDib, HDC dc, int x, int y, int width, int height, BITMAPINFOHEADER* header, void* bits,
                 int sourceX, int sourceY, int sourceWidth, int sourceHeight, UINT) {
  if (!drawDib || !header) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int bitmapHeight = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  if (sourceWidth == -1) sourceWidth = header->biWidth;
  if (sourceHeight == -1) sourceHeight = bitmapHeight;
  if (width == -1) width = sourceWidth;
  if (height == -1) height = sourceHeight;
  auto* colours = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(header) + header->biSize);
  return FromDib(dc, x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight, bits, *header, colours,
                 SRCCOPY) != 0
             ? TRUE
             : FALSE;
}
