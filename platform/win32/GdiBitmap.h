#pragma once
// Bitmap objects: device-independent pixel memory in the Windows layout (rows of whole 32-bit
// words, bottom-up unless the height was negative, blue first), with a colour table for 1, 4
// and 8 bits per pixel. 24- and 32-bit bitmaps are also JUCE images over that same memory, so
// that drawing with juce::Graphics and writing through the DIB pointer meet.
#include <juce_graphics/juce_graphics.h>

#include <memory>
#include <vector>

#include "win32/GdiObject.h"

namespace win32 {

class GdiBitmap : public GdiObject {
 public:
  // Checks the header (see CreateDIBSection) and allocates cleared pixels; null with the last
  // error set when the layout is not supported or memory is short.
  static std::unique_ptr<GdiBitmap> Create(const BITMAPINFOHEADER& header, const RGBQUAD* colours, bool isSection);
  // The largest pixel block made (bytes).
  static constexpr LONGLONG kMaxPixelBytes = 512LL << 20;

  DWORD Type() const override { return OBJ_BITMAP; }
  int Describe(int size, void* buffer) const override;

  int Width() const { return m_header.biWidth; }
  int Height() const { return m_header.biHeight < 0 ? -m_header.biHeight : m_header.biHeight; }
  int BitCount() const { return m_header.biBitCount; }
  bool BottomUp() const { return m_header.biHeight > 0; }
  LONG RowBytes() const { return m_rowBytes; }
  BYTE* Bits() { return m_pixels->data(); }
  const std::vector<RGBQUAD>& Colours() const { return m_colours; }
  // The colour of a pixel, y counted from the top; the reserved byte is 0.
  RGBQUAD Pixel(int x, int y) const;
  // Writes a pixel of a 24- or 32-bit bitmap (a 32-bit one becomes opaque, as JUCE's drawing
  // leaves it); other depths are left alone.
  void SetPixel(int x, int y, RGBQUAD colour);
  // A JUCE image over the pixels (ARGB for 32 bits, RGB for 24); a null image for other depths.
  juce::Image Image();

 private:
  GdiBitmap() = default;
  const BYTE* Row(int y) const;  // y from the top

  BITMAPINFOHEADER m_header{};
  LONG m_rowBytes = 0;
  bool m_isSection = false;
  std::vector<RGBQUAD> m_colours;
  std::shared_ptr<std::vector<BYTE>> m_pixels;  // shared with the JUCE image views
};

}  // namespace win32
