#pragma once
// Pen objects: solid lines of a width and colour, or the null pen that draws nothing. Other
// styles draw solid.
#include "win32/GdiObject.h"

namespace win32 {

class GdiPen : public GdiObject {
 public:
  GdiPen(int style, int width, COLORREF colour) : m_style(style), m_width(width < 1 ? 1 : width), m_colour(colour) {}
  DWORD Type() const override { return OBJ_PEN; }
  int Describe(int size, void* buffer) const override;
  int Style() const { return m_style; }
  int Width() const { return m_width; }
  COLORREF Colour() const { return m_colour; }
  bool Null() const;

 private:
  int m_style;
  int m_width;
  COLORREF m_colour;
};

}  // namespace win32
