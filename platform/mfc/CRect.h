#pragma once
// CRect: a RECT with MFC's operations. right and bottom lie outside the rectangle.
#include "mfc/CPoint.h"
#include "mfc/CSize.h"
#include "win32/WinDef.h"

class CRect : public RECT {
 public:
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
  CRect(const RECT& r) : RECT(r) {}
  CRect(LPCRECT r) : RECT(r ? *r : RECT{0, 0, 0, 0}) {}
  CRect(POINT topLeft, SIZE size) : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}
  CRect(POINT topLeft, POINT bottomRight) : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  // The corners as points inside this rectangle, so that writing to them moves the edges.
  CPoint& TopLeft() { return *reinterpret_cast<CPoint*>(&left); }
  const CPoint& TopLeft() const { return *reinterpret_cast<const CPoint*>(&left); }
  CPoint& BottomRight() { return *reinterpret_cast<CPoint*>(&right); }
  const CPoint& BottomRight() const { return *reinterpret_cast<const CPoint*>(&right); }
  CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }

  bool IsRectEmpty() const { return Width() <= 0 || Height() <= 0; }
  bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  bool PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  bool EqualRect(LPCRECT r) const;

  void SetRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
  void SetRect(POINT topLeft, POINT bottomRight) { SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y); }
  void SetRectEmpty() { SetRect(0, 0, 0, 0); }
  void CopyRect(LPCRECT r) { if (r) *static_cast<RECT*>(this) = *r; }

  void OffsetRect(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
  void OffsetRect(POINT p) { OffsetRect(p.x, p.y); }
  void OffsetRect(SIZE s) { OffsetRect(s.cx, s.cy); }
  void MoveToX(int x) { right = x + Width(); left = x; }
  void MoveToY(int y) { bottom = y + Height(); top = y; }
  void MoveToXY(int x, int y) { MoveToX(x); MoveToY(y); }
  void MoveToXY(POINT p) { MoveToXY(p.x, p.y); }

  void InflateRect(int dx, int dy) { InflateRect(dx, dy, dx, dy); }
  void InflateRect(SIZE s) { InflateRect(s.cx, s.cy); }
  void InflateRect(LPCRECT r) { if (r) InflateRect(r->left, r->top, r->right, r->bottom); }
  void InflateRect(int l, int t, int r, int b) { left -= l; top -= t; right += r; bottom += b; }
  void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
  void DeflateRect(SIZE s) { InflateRect(-s.cx, -s.cy); }
  void DeflateRect(LPCRECT r) { if (r) InflateRect(-r->left, -r->top, -r->right, -r->bottom); }
  void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }

  // Makes width and height non-negative by swapping edges.
  void NormalizeRect();
  // Both set this rectangle and return whether it is not empty; an empty intersection is
  // (0,0,0,0). UnionRect ignores an empty operand.
  bool IntersectRect(LPCRECT a, LPCRECT b);
  bool UnionRect(LPCRECT a, LPCRECT b);

  friend bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
  void operator+=(POINT p) { OffsetRect(p); }
  void operator+=(SIZE s) { OffsetRect(s); }
  void operator+=(LPCRECT r) { InflateRect(r); }
  void operator-=(POINT p) { OffsetRect(-p.x, -p.y); }
  void operator-=(SIZE s) { OffsetRect(-s.cx, -s.cy); }
  void operator-=(LPCRECT r) { DeflateRect(r); }
  void operator&=(const RECT& r) { IntersectRect(this, &r); }
  void operator|=(const RECT& r) { UnionRect(this, &r); }
  CRect operator+(POINT p) const { CRect c(*this); c.OffsetRect(p); return c; }
  CRect operator+(SIZE s) const { CRect c(*this); c.OffsetRect(s); return c; }
  CRect operator-(POINT p) const { CRect c(*this); c.OffsetRect(-p.x, -p.y); return c; }
  CRect operator-(SIZE s) const { CRect c(*this); c.OffsetRect(-s.cx, -s.cy); return c; }
  CRect operator&(const RECT& r) const { CRect c; c.IntersectRect(this, &r); return c; }
  CRect operator|(const RECT& r) const { CRect c; c.UnionRect(this, &r); return c; }
};

static_assert(sizeof(CRect) == sizeof(RECT) && sizeof(CPoint) == sizeof(POINT), "layout of the Win32 records");
