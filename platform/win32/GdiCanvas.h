#pragma once
// What every drawing call does first: finds the DC and the pixels it draws on, and sets up
// JUCE drawing (or plain pixel access) clipped to what the DC may touch.
#include <juce_graphics/juce_graphics.h>

#include <functional>
#include <memory>

#include "win32/GdiBitmap.h"
#include "win32/GdiDc.h"

namespace win32 {

class GdiCanvas {
 public:
  // dc: a DC handle (ERROR_INVALID_HANDLE when it is none).
  explicit GdiCanvas(HDC dc);
  // The DC was found.
  explicit operator bool() const { return m_dc != nullptr; }
  GdiDc& Dc() { return *m_dc; }
  // Whether there are pixels to draw on (the screen DC has none).
  bool Drawable() const { return m_target && !m_image.isNull(); }
  // JUCE drawing in logical coordinates, clipped; only when Drawable().
  juce::Graphics& Graphics();
  // Calls visit(x, y) in device coordinates for every pixel of the device rectangle that
  // drawing may touch; Pixel/SetPixel reach it.
  void ForEachPixel(const RECT& device, const std::function<void(int, int)>& visit);
  RGBQUAD Pixel(int x, int y) const;
  void SetPixel(int x, int y, RGBQUAD colour);
  // The pixel's bytes (blue first) in a 24- or 32-bit target, for copying whole rows; null
  // for other depths.
  BYTE* PixelBytes(int x, int y);
  int BytesPerPixel() const;

 private:
  GdiDc* m_dc = nullptr;
  GdiBitmap* m_target = nullptr;
  juce::Image m_image;
  std::unique_ptr<juce::Graphics> m_graphics;
};

juce::Colour ToJuce(COLORREF colour);
RGBQUAD ToQuad(COLORREF colour);
COLORREF FromQuad(RGBQUAD colour);

}  // namespace win32
