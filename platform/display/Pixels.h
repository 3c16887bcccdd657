#pragma once
// Pixels read back from the desktop: a window's client area or the whole screen, as the
// windows drew them. For tests to check, and to write as PNG for people to look at.
#include <string>
#include <vector>

#include "win32/WinDef.h"

namespace display {

class Pixels {
 public:
  Pixels() = default;
  Pixels(int width, int height, std::vector<COLORREF> colours)
      : m_width(width), m_height(height), m_colours(std::move(colours)) {}
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  bool Empty() const { return m_colours.empty(); }
  // The colour at (x, y); CLR_INVALID (0xFFFFFFFF) outside.
  COLORREF At(int x, int y) const;
  // How many pixels of the rectangle have the colour.
  int Count(const RECT& area, COLORREF colour) const;
  // Writes a PNG file; false when it cannot be written or there is nothing to write.
  bool WritePng(const std::string& path) const;

 private:
  int m_width = 0;
  int m_height = 0;
  std::vector<COLORREF> m_colours;  // rows from the top
};

}  // namespace display
