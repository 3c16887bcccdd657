#include "win32/GdiDc.h"

#include "display/Desktop.h"
#include "win32/Gdi.h"
#include "win32/GdiBitmap.h"
#include "win32/GdiBrush.h"
#include "win32/GdiDraw.h"
#include "win32/GdiFont.h"
#include "win32/GdiPen.h"
#include "win32/GdiRegion.h"
#include "win32/WinError.h"

namespace win32 {

namespace {

// What a new memory DC holds before a bitmap is selected: one black pixel.
HBITMAP DefaultBitmap() {
  static HBITMAP stock = [] {
    BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), 1, 1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return static_cast<HBITMAP>(AddStockGdiObject(GdiBitmap::Create(header, nullptr, false)));
  }();
  return stock;
}

}  // namespace

GdiDc::GdiDc(HWND window, std::shared_ptr<GdiBitmap> surface, POINT offset, juce::RectangleList<int> bounds)
    : m_memory(false), m_window(window), m_surface(std::move(surface)), m_offset(offset), m_bounds(bounds) {}

HBITMAP GdiDc::SelectBitmap(HBITMAP bitmap) {
  HBITMAP previous = m_state.bitmap ? m_state.bitmap : DefaultBitmap();
  m_state.bitmap = bitmap == DefaultBitmap() ? nullptr : bitmap;
  return previous;
}

HFONT GdiDc::SelectFont(HFONT font) {
  HFONT previous = m_state.font ? m_state.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  m_state.font = font;
  return previous;
}

int GdiDc::Save() {
  m_saved.push_back(m_state);
  return static_cast<int>(m_saved.size());
}

bool GdiDc::Restore(int level) {
  int depth = static_cast<int>(m_saved.size());
  if (level < 0) level = depth + 1 + level;
  if (level <= 0 || level > depth) return false;
  m_state = m_saved[level - 1];
  m_saved.resize(level - 1);
  return true;
}

GdiBitmap* GdiDc::Target() const {
  if (m_surface) return m_surface.get();
  if (!m_memory) return nullptr;
  return FindGdi<GdiBitmap>(m_state.bitmap ? m_state.bitmap : DefaultBitmap());
}

juce::RectangleList<int> GdiDc::Area() const {
  if (m_surface) {
    juce::RectangleList<int> area = m_bounds;
    area.offsetAll(-m_offset.x, -m_offset.y);
    return area;
  }
  GdiBitmap* target = Target();
  if (target) return juce::Rectangle<int>(0, 0, target->Width(), target->Height());
  return juce::Rectangle<int>(0, 0, GetDeviceCaps(nullptr, HORZRES), GetDeviceCaps(nullptr, VERTRES));
}

juce::RectangleList<int> GdiDc::Visible() const {
  juce::RectangleList<int> visible = Area();
  if (m_state.clip) visible.clipTo(*m_state.clip);
  return visible;
}

POINT GdiDc::ToDevice(int x, int y) const {
  return POINT{x - m_state.windowOrigin.x + m_state.viewportOrigin.x, y - m_state.windowOrigin.y + m_state.viewportOrigin.y};
}

RECT GdiDc::ToDevice(const RECT& r) const {
  POINT a = ToDevice(r.left, r.top), b = ToDevice(r.right, r.bottom);
  return RECT{a.x, a.y, b.x, b.y};
}

}  // namespace win32

int ReleaseDC(HWND window, HDC dc) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  if (!found || found->IsMemory() || found->Window() != window) return 0;
  if (!win32::RemoveGdiObject(dc)) return 0;
  if (window) display::Desktop::Get().WindowChanged(window);  // what it drew shows
  return 1;
}

HDC CreateCompatibleDC(HDC dc) {
  if (dc && !win32::FindGdi<win32::GdiDc>(dc)) return nullptr;
  return static_cast<HDC>(win32::AddGdiObject(std::make_unique<win32::GdiDc>(true)));
}

BOOL DeleteDC(HDC dc) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  return found && win32::RemoveGdiObject(dc) ? TRUE : FALSE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  auto* target = win32::FindGdi<win32::GdiDc>(dc);
  win32::GdiObject* selected = win32::FindGdiObject(object);
  if (!target || !selected) return nullptr;
  win32::DcState& state = target->State();
  switch (selected->Type()) {
    case OBJ_BITMAP:
      if (target->IsMemory()) return target->SelectBitmap(static_cast<HBITMAP>(object));
      break;
    case OBJ_FONT: return target->SelectFont(static_cast<HFONT>(object));
    case OBJ_BRUSH: {
      HGDIOBJ previous = state.brush ? state.brush : GetStockObject(WHITE_BRUSH);
      state.brush = object;
      return previous;
    }
    case OBJ_PEN: {
      HGDIOBJ previous = state.pen ? state.pen : GetStockObject(BLACK_PEN);
      state.pen = object;
      return previous;
    }
    case OBJ_REGION: {  // as SelectClipRgn; the result is the region's complexity
      int complexity = SelectClipRgn(dc, static_cast<HRGN>(object));
      return complexity == ERROR ? nullptr : reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(complexity));
    }
    default: break;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}
