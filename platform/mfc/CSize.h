#pragma once
// CSize: a SIZE with arithmetic.
#include "win32/WinDef.h"

class CSize : public SIZE {
 public:
  CSize() : SIZE{0, 0} {}
  CSize(int x, int y) : SIZE{x, y} {}
  CSize(SIZE s) : SIZE(s) {}
  explicit CSize(POINT p) : SIZE{p.x, p.y} {}

  friend bool operator==(const SIZE& a, const SIZE& b) { return a.cx == b.cx && a.cy == b.cy; }
  void operator+=(SIZE s) { cx += s.cx; cy += s.cy; }
  void operator-=(SIZE s) { cx -= s.cx; cy -= s.cy; }
  void SetSize(int x, int y) { cx = x; cy = y; }
  CSize operator+(SIZE s) const { return CSize(cx + s.cx, cy + s.cy); }
  CSize operator-(SIZE s) const { return CSize(cx - s.cx, cy - s.cy); }
  CSize operator-() const { return CSize(-cx, -cy); }
};
