#pragma once
// CPoint: a POINT with arithmetic.
#include "mfc/CSize.h"
#include "win32/WinDef.h"

class CPoint : public POINT {
 public:
  CPoint() : POINT{0, 0} {}
  CPoint(int x0, int y0) : POINT{x0, y0} {}
  CPoint(POINT p) : POINT(p) {}
  explicit CPoint(SIZE s) : POINT{s.cx, s.cy} {}

  void Offset(int dx, int dy) { x += dx; y += dy; }
  void Offset(POINT p) { Offset(p.x, p.y); }
  void Offset(SIZE s) { Offset(s.cx, s.cy); }
  void SetPoint(int x0, int y0) { x = x0; y = y0; }

  // A hidden friend over the base: C++20's reversed candidates stay unambiguous.
  friend bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }
  void operator+=(SIZE s) { Offset(s); }
  void operator-=(SIZE s) { Offset(-s.cx, -s.cy); }
  void operator+=(POINT p) { Offset(p); }
  void operator-=(POINT p) { Offset(-p.x, -p.y); }
  CPoint operator+(SIZE s) const { return CPoint(x + s.cx, y + s.cy); }
  CPoint operator-(SIZE s) const { return CPoint(x - s.cx, y - s.cy); }
  CPoint operator+(POINT p) const { return CPoint(x + p.x, y + p.y); }
  // The distance between two points.
  CSize operator-(POINT p) const { return CSize(x - p.x, y - p.y); }
  CPoint operator-() const { return CPoint(-x, -y); }
};
