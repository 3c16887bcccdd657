#include "win32/GdiBrush.h"

#include <cstring>

#include "win32/GdiDraw.h"
#include "win32/GdiPen.h"
#include "win32/WinError.h"

namespace win32 {

namespace {

// LOGBRUSH's layout: style, colour, hatch.
struct BrushDescription {
  UINT style;
  COLORREF colour;
  ULONG_PTR hatch;
};

}  // namespace

int GdiBrush::Describe(int size, void* buffer) const {
  if (!buffer) return sizeof(BrushDescription);
  if (size < static_cast<int>(sizeof(BrushDescription))) return 0;
  BrushDescription d{m_hollow ? 1u : 0u, m_colour, 0};
  std::memcpy(buffer, &d, sizeof d);
  return sizeof d;
}

HGDIOBJ StockBrushOrPen(int index) {
  static HGDIOBJ objects[NULL_PEN + 1] = {
      AddStockGdiObject(std::make_unique<GdiBrush>(RGB(255, 255, 255), false)),
      AddStockGdiObject(std::make_unique<GdiBrush>(RGB(192, 192, 192), false)),
      AddStockGdiObject(std::make_unique<GdiBrush>(RGB(128, 128, 128), false)),
      AddStockGdiObject(std::make_unique<GdiBrush>(RGB(64, 64, 64), false)),
      AddStockGdiObject(std::make_unique<GdiBrush>(RGB(0, 0, 0), false)),
      AddStockGdiObject(std::make_unique<GdiBrush>(RGB(0, 0, 0), true)),
      AddStockGdiObject(std::make_unique<GdiPen>(PS_SOLID, 1, RGB(255, 255, 255))),
      AddStockGdiObject(std::make_unique<GdiPen>(PS_SOLID, 1, RGB(0, 0, 0))),
      AddStockGdiObject(std::make_unique<GdiPen>(PS_NULL, 1, RGB(0, 0, 0))),
  };
  return index >= 0 && index <= NULL_PEN ? objects[index] : nullptr;
}

}  // namespace win32

HBRUSH CreateSolidBrush(COLORREF colour) {
  return static_cast<HBRUSH>(win32::AddGdiObject(std::make_unique<win32::GdiBrush>(colour & 0xFFFFFF, false)));
}
