#include "win32/GdiPen.h"

#include <cstring>

#include "win32/GdiDraw.h"
#include "win32/WinError.h"

namespace win32 {

namespace {

// LOGPEN's layout: style, width (as a point), colour.
struct PenDescription {
  UINT style;
  POINT width;
  COLORREF colour;
};

}  // namespace

int GdiPen::Describe(int size, void* buffer) const {
  if (!buffer) return sizeof(PenDescription);
  if (size < static_cast<int>(sizeof(PenDescription))) return 0;
  PenDescription d{static_cast<UINT>(m_style), POINT{m_width, 0}, m_colour};
  std::memcpy(buffer, &d, sizeof d);
  return sizeof d;
}

bool GdiPen::Null() const { return m_style == PS_NULL; }

}  // namespace win32

HPEN CreatePen(int style, int width, COLORREF colour) {
  if (style < PS_SOLID || style > 6) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return static_cast<HPEN>(win32::AddGdiObject(std::make_unique<win32::GdiPen>(style, width, colour & 0xFFFFFF)));
}
