#include "win32/GdiRegion.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "win32/Gdi.h"

#include "win32/WinError.h"

namespace win32 {

int GdiRegion::Complexity() const {
  if (m_area.isEmpty()) return NULLREGION;
  juce::RectangleList<int> merged(m_area);
  merged.consolidate();
  return merged.getNumRectangles() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace win32

namespace {

juce::Rectangle<int> FromEdges(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return {};
  return juce::Rectangle<int>::leftTopRightBottom(left, top, right, bottom);
}

juce::RectangleList<int> Subtract(const juce::RectangleList<int>& a, const juce::RectangleList<int>& b) {
  juce::RectangleList<int> out(a);
  out.subtract(b);
  return out;
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  juce::RectangleList<int> area;
  area.add(FromEdges(left, top, right, bottom));
  return static_cast<HRGN>(win32::AddGdiObject(std::make_unique<win32::GdiRegion>(std::move(area))));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  // As the system's: the right and bottom edges lie outside the region (callers that want
  // them add one), unlike a rectangle region's.
  right = std::max(left, right - 1);
  bottom = std::max(top, bottom - 1);
  const double rx = std::min(std::abs(ellipseWidth), right - left) / 2.0;
  const double ry = std::min(std::abs(ellipseHeight), bottom - top) / 2.0;
  juce::RectangleList<int> area;
  for (int y = top; y < bottom; ++y) {
    // How far the row's ends step in: the corner ellipse at the row's middle.
    double fromEdge = std::min(y - top, bottom - 1 - y) + 0.5;
    int inset = 0;
    if (ry > 0 && fromEdge < ry) {
      double dy = (ry - fromEdge) / ry;
      inset = static_cast<int>(std::lround(rx - rx * std::sqrt(std::max(0.0, 1 - dy * dy))));
    }
    if (right - inset > left + inset) area.add(juce::Rectangle<int>(left + inset, y, right - left - 2 * inset, 1));
  }
  return static_cast<HRGN>(win32::AddGdiObject(std::make_unique<win32::GdiRegion>(std::move(area))));
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
  auto* r = win32::FindGdi<win32::GdiRegion>(region);
  if (!r) return FALSE;
  r->Area().clear();
  r->Area().add(FromEdges(left, top, right, bottom));
  return TRUE;
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  auto* d = win32::FindGdi<win32::GdiRegion>(dest);
  auto* a = win32::FindGdi<win32::GdiRegion>(src1);
  auto* b = mode == RGN_COPY ? a : win32::FindGdi<win32::GdiRegion>(src2);
  if (!d || !a || !b) return ERROR;
  juce::RectangleList<int> result;
  switch (mode) {
    case RGN_AND:
      result = a->Area();
      result.clipTo(b->Area());
      break;
    case RGN_OR:
      result = a->Area();
      result.add(b->Area());
      break;
    case RGN_XOR:
      result = Subtract(a->Area(), b->Area());
      result.add(Subtract(b->Area(), a->Area()));
      break;
    case RGN_DIFF: result = Subtract(a->Area(), b->Area()); break;
    case RGN_COPY: result = a->Area(); break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return ERROR;
  }
  d->Area().swapWith(result);
  return d->Complexity();
}

int OffsetRgn(HRGN region, int dx, int dy) {
  auto* r = win32::FindGdi<win32::GdiRegion>(region);
  if (!r) return ERROR;
  r->Area().offsetAll(dx, dy);
  return r->Complexity();
}

BOOL PtInRegion(HRGN region, int x, int y) {
  auto* r = win32::FindGdi<win32::GdiRegion>(region);
  return r && r->Area().containsPoint(juce::Point<int>(x, y)) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN region, const RECT* rect) {
  auto* r = win32::FindGdi<win32::GdiRegion>(region);
  if (!r || !rect) return FALSE;
  return r->Area().intersectsRectangle(FromEdges(rect->left, rect->top, rect->right, rect->bottom)) ? TRUE : FALSE;
}

BOOL EqualRgn(HRGN a, HRGN b) {
  auto* ra = win32::FindGdi<win32::GdiRegion>(a);
  auto* rb = win32::FindGdi<win32::GdiRegion>(b);
  if (!ra || !rb) return ERROR;
  return Subtract(ra->Area(), rb->Area()).isEmpty() && Subtract(rb->Area(), ra->Area()).isEmpty() ? TRUE : FALSE;
}

int GetRgnBox(HRGN region, LPRECT box) {
  auto* r = win32::FindGdi<win32::GdiRegion>(region);
  if (!r || !box) return ERROR;
  juce::Rectangle<int> bounds = r->Area().getBounds();
  *box = r->Area().isEmpty() ? RECT{0, 0, 0, 0} : RECT{bounds.getX(), bounds.getY(), bounds.getRight(), bounds.getBottom()};
  return r->Complexity();
}
