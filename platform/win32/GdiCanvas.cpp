#include "win32/GdiCanvas.h"

#include "win32/WinError.h"

namespace win32 {

GdiCanvas::GdiCanvas(HDC dc) : m_dc(FindGdi<GdiDc>(dc)) {
  if (!m_dc) return;
  m_target = m_dc->Target();
  if (m_target) m_image = m_target->Image();
}

juce::Graphics& GdiCanvas::Graphics() {
  if (!m_graphics) {
    m_graphics = std::make_unique<juce::Graphics>(m_image);
    POINT offset = m_dc->Offset();
    juce::RectangleList<int> visible = m_dc->Visible();
    visible.offsetAll(offset.x, offset.y);
    m_graphics->reduceClipRegion(visible);
    POINT origin = m_dc->ToDevice(0, 0);
    m_graphics->setOrigin(origin.x + offset.x, origin.y + offset.y);
  }
  return *m_graphics;
}

void GdiCanvas::ForEachPixel(const RECT& device, const std::function<void(int, int)>& visit) {
  if (!m_target) return;
  juce::RectangleList<int> area = m_dc->Visible();
  area.clipTo(juce::Rectangle<int>(device.left, device.top, device.right - device.left, device.bottom - device.top));
  for (const auto& r : area)
    for (int y = r.getY(); y < r.getBottom(); ++y)
      for (int x = r.getX(); x < r.getRight(); ++x) visit(x, y);
}

RGBQUAD GdiCanvas::Pixel(int x, int y) const {
  POINT offset = m_dc->Offset();
  return m_target->Pixel(x + offset.x, y + offset.y);
}

void GdiCanvas::SetPixel(int x, int y, RGBQUAD colour) {
  POINT offset = m_dc->Offset();
  m_target->SetPixel(x + offset.x, y + offset.y, colour);
}

BYTE* GdiCanvas::PixelBytes(int x, int y) {
  int bytes = BytesPerPixel();
  if (!bytes) return nullptr;
  POINT offset = m_dc->Offset();
  int row = y + offset.y;
  if (m_target->BottomUp()) row = m_target->Height() - 1 - row;
  return m_target->Bits() + static_cast<size_t>(row) * m_target->RowBytes() + static_cast<size_t>(x + offset.x) * bytes;
}

int GdiCanvas::BytesPerPixel() const {
  if (!m_target) return 0;
  return m_target->BitCount() == 32 ? 4 : m_target->BitCount() == 24 ? 3 : 0;
}

juce::Colour ToJuce(COLORREF c) { return juce::Colour(GetRValue(c), GetGValue(c), GetBValue(c)); }
RGBQUAD ToQuad(COLORREF c) { return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0}; }
COLORREF FromQuad(RGBQUAD q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }

}  // namespace win32
