#pragma once
// Brush objects: a solid colour, or the hollow brush that paints nothing.
#include "win32/GdiObject.h"

namespace win32 {

class GdiBrush : public GdiObject {
 public:
  // hollow: BS_NULL, the brush that leaves the pixels alone.
  GdiBrush(COLORREF colour, bool hollow) : m_colour(colour), m_hollow(hollow) {}
  DWORD Type() const override { return OBJ_BRUSH; }
  int Describe(int size, void* buffer) const override;
  COLORREF Colour() const { return m_colour; }
  bool Hollow() const { return m_hollow; }

 private:
  COLORREF m_colour;
  bool m_hollow;
};

// The stock brush or pen of a GetStockObject index, or null when the index names neither.
HGDIOBJ StockBrushOrPen(int index);

}  // namespace win32
