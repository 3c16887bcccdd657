#include "win32/GdiDc.h"

#include "win32/Gdi.h"
#include "win32/GdiBitmap.h"
#include "win32/GdiFont.h"
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

HBITMAP GdiDc::SelectBitmap(HBITMAP bitmap) {
  HBITMAP previous = m_bitmap ? m_bitmap : DefaultBitmap();
  m_bitmap = bitmap == DefaultBitmap() ? nullptr : bitmap;
  return previous;
}

HFONT GdiDc::SelectFont(HFONT font) {
  HFONT previous = m_font ? m_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  m_font = font;
  return previous;
}

}  // namespace win32

HDC GetDC(HWND window) {
  if (window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return static_cast<HDC>(win32::AddGdiObject(std::make_unique<win32::GdiDc>(false)));
}

int ReleaseDC(HWND window, HDC dc) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  if (window || !found || found->IsMemory()) return 0;
  return win32::RemoveGdiObject(dc) ? 1 : 0;
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
  if (selected->Type() == OBJ_BITMAP && target->IsMemory()) return target->SelectBitmap(static_cast<HBITMAP>(object));
  if (selected->Type() == OBJ_FONT) return target->SelectFont(static_cast<HFONT>(object));
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}
