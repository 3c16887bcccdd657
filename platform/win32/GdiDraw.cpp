#include "win32/GdiDraw.h"

#include <atomic>

#include "win32/Gdi.h"
#include "win32/GdiBrush.h"
#include "win32/GdiCanvas.h"
#include "win32/GdiPen.h"
#include "win32/GdiRegion.h"
#include "win32/Metrics.h"
#include "win32/WinError.h"
#include "win32/WinUser.h"

using win32::GdiCanvas;

namespace {

std::atomic<int> g_screenBits{32};

juce::Rectangle<int> Box(int left, int top, int right, int bottom) {
  return juce::Rectangle<int>(left, top, right - left, bottom - top);
}

juce::Rectangle<int> Box(const RECT& r) { return Box(r.left, r.top, r.right, r.bottom); }

// The colour a brush handle paints with: a brush object, or a system colour index plus one
// as window classes give their background.
bool BrushColour(HBRUSH brush, COLORREF* colour, bool* hollow) {
  auto value = reinterpret_cast<UINT_PTR>(brush);
  *hollow = false;
  if (value > 0 && value <= 31) {
    *colour = GetSysColor(static_cast<int>(value - 1));
    return true;
  }
  auto* found = win32::FindGdi<win32::GdiBrush>(brush);
  if (!found) return false;
  *colour = found->Colour();
  *hollow = found->Hollow();
  return true;
}

juce::RectangleList<int> ClipOrArea(win32::GdiDc& dc) {
  return dc.State().clip ? *dc.State().clip : dc.Area();
}

int ComplexityOf(const juce::RectangleList<int>& area) {
  return area.isEmpty() ? NULLREGION : area.getNumRectangles() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace

DWORD GetSysColor(int index) {
  static const COLORREF colours[] = {
      RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219), RGB(240, 240, 240),
      RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),
      RGB(180, 180, 180), RGB(244, 247, 252), RGB(171, 171, 171), RGB(0, 120, 215),   RGB(255, 255, 255),
      RGB(240, 240, 240), RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(67, 78, 84),
      RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),       RGB(255, 255, 225),
  };
  if (index < 0 || index >= static_cast<int>(sizeof colours / sizeof colours[0])) return 0;
  return colours[index];
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  GdiCanvas canvas(dc);
  COLORREF colour;
  bool hollow;
  if (!canvas || !rect || !BrushColour(brush, &colour, &hollow)) return 0;
  if (hollow || !canvas.Drawable()) return 1;
  canvas.Graphics().setColour(win32::ToJuce(colour));
  canvas.Graphics().fillRect(Box(*rect));
  return 1;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) {
  GdiCanvas canvas(dc);
  COLORREF colour;
  bool hollow;
  if (!canvas || !rect || !BrushColour(brush, &colour, &hollow)) return 0;
  if (hollow || !canvas.Drawable() || IsRectEmpty(rect)) return 1;
  canvas.Graphics().setColour(win32::ToJuce(colour));
  canvas.Graphics().drawRect(Box(*rect), 1);
  return 1;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  GdiCanvas canvas(dc);
  if (!canvas) return FALSE;
  if (!canvas.Drawable() || right <= left || bottom <= top) return TRUE;
  const win32::DcState& state = canvas.Dc().State();
  auto* pen = win32::FindGdi<win32::GdiPen>(state.pen ? state.pen : GetStockObject(BLACK_PEN));
  auto* brush = win32::FindGdi<win32::GdiBrush>(state.brush ? state.brush : GetStockObject(WHITE_BRUSH));
  int inset = pen && !pen->Null() ? 1 : 0;  // the null pen leaves the interior one pixel larger
  juce::Graphics& g = canvas.Graphics();
  if (brush && !brush->Hollow()) {
    g.setColour(win32::ToJuce(brush->Colour()));
    g.fillRect(Box(left + inset, top + inset, right - inset, bottom - inset));
  }
  if (pen && !pen->Null()) {
    g.setColour(win32::ToJuce(pen->Colour()));
    g.drawRect(Box(left, top, right, bottom), pen->Width());
  }
  return TRUE;
}

BOOL DrawFocusRect(HDC dc, const RECT* rect) {
  GdiCanvas canvas(dc);
  if (!canvas || !rect) return FALSE;
  if (!canvas.Drawable() || IsRectEmpty(rect)) return TRUE;
  RECT r = canvas.Dc().ToDevice(*rect);
  canvas.ForEachPixel(r, [&](int x, int y) {
    bool edge = x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1;
    if (!edge || (x + y) % 2 != 0) return;
    RGBQUAD p = canvas.Pixel(x, y);
    canvas.SetPixel(x, y, RGBQUAD{static_cast<BYTE>(~p.rgbBlue), static_cast<BYTE>(~p.rgbGreen), static_cast<BYTE>(~p.rgbRed), 0});
  });
  return TRUE;
}

BOOL InvertRect(HDC dc, const RECT* rect) {
  GdiCanvas canvas(dc);
  if (!canvas || !rect) return FALSE;
  if (!canvas.Drawable()) return TRUE;
  canvas.ForEachPixel(canvas.Dc().ToDevice(*rect), [&](int x, int y) {
    RGBQUAD p = canvas.Pixel(x, y);
    canvas.SetPixel(x, y, RGBQUAD{static_cast<BYTE>(~p.rgbBlue), static_cast<BYTE>(~p.rgbGreen), static_cast<BYTE>(~p.rgbRed), 0});
  });
  return TRUE;
}

BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush) {
  GdiCanvas canvas(dc);
  auto* area = win32::FindGdi<win32::GdiRegion>(region);
  COLORREF colour;
  bool hollow;
  if (!canvas || !area || !BrushColour(brush, &colour, &hollow)) return FALSE;
  if (hollow || !canvas.Drawable()) return TRUE;
  canvas.Graphics().setColour(win32::ToJuce(colour));
  canvas.Graphics().fillRectList(area->Area());
  return TRUE;
}

COLORREF GetPixel(HDC dc, int x, int y) {
  GdiCanvas canvas(dc);
  if (!canvas || !canvas.Drawable()) return CLR_INVALID;
  POINT p = canvas.Dc().ToDevice(x, y);
  if (!canvas.Dc().Visible().containsPoint(juce::Point<int>(p.x, p.y))) return CLR_INVALID;
  return win32::FromQuad(canvas.Pixel(p.x, p.y));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) {
  GdiCanvas canvas(dc);
  if (!canvas || !canvas.Drawable()) return CLR_INVALID;
  POINT p = canvas.Dc().ToDevice(x, y);
  if (!canvas.Dc().Visible().containsPoint(juce::Point<int>(p.x, p.y))) return CLR_INVALID;
  canvas.SetPixel(p.x, p.y, win32::ToQuad(colour));
  return colour & 0xFFFFFF;
}

int SetBkMode(HDC dc, int mode) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  if (!found) return 0;
  if (mode != TRANSPARENT && mode != OPAQUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int previous = found->State().backgroundMode;
  found->State().backgroundMode = mode;
  return previous;
}

int GetBkMode(HDC dc) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  return found ? found->State().backgroundMode : 0;
}

int SelectClipRgn(HDC dc, HRGN region) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  if (!found) return ERROR;
  if (!region) {
    found->State().clip.reset();
    return SIMPLEREGION;
  }
  auto* area = win32::FindGdi<win32::GdiRegion>(region);
  if (!area) return ERROR;
  found->State().clip = area->Area();
  return ComplexityOf(*found->State().clip);
}

int ExtSelectClipRgn(HDC dc, HRGN region, int mode) {
  if (mode == RGN_COPY) return SelectClipRgn(dc, region);
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  if (!found) return ERROR;
  if (!region) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return ERROR;
  }
  HRGN current = CreateRectRgn(0, 0, 0, 0);
  win32::FindGdi<win32::GdiRegion>(current)->Area() = ClipOrArea(*found);
  int result = CombineRgn(current, current, region, mode);
  if (result != ERROR) result = SelectClipRgn(dc, current);
  DeleteObject(current);
  return result;
}

int SetMapMode(HDC dc, int mode) {
  if (!win32::FindGdi<win32::GdiDc>(dc) || mode != MM_TEXT) return 0;
  return MM_TEXT;
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  if (!found) return ERROR;
  juce::RectangleList<int> clip = ClipOrArea(*found);
  RECT device = found->ToDevice(RECT{left, top, right, bottom});
  clip.clipTo(Box(device));
  found->State().clip = clip;
  return ComplexityOf(clip);
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  if (!found) return ERROR;
  juce::RectangleList<int> clip = ClipOrArea(*found);
  RECT device = found->ToDevice(RECT{left, top, right, bottom});
  if (device.right > device.left && device.bottom > device.top) clip.subtract(Box(device));
  found->State().clip = clip;
  return ComplexityOf(clip);
}

int GetClipBox(HDC dc, LPRECT rect) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  if (!found || !rect) return ERROR;
  juce::RectangleList<int> visible = found->Visible();
  juce::Rectangle<int> box = visible.getBounds();
  POINT zero = found->ToDevice(0, 0);
  *rect = visible.isEmpty() ? RECT{} : RECT{box.getX() - zero.x, box.getY() - zero.y, box.getRight() - zero.x, box.getBottom() - zero.y};
  return ComplexityOf(visible);
}

int GetClipRgn(HDC dc, HRGN region) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  auto* area = win32::FindGdi<win32::GdiRegion>(region);
  if (!found || !area) return -1;
  if (!found->State().clip) return 0;
  area->Area() = *found->State().clip;
  return 1;
}

int SaveDC(HDC dc) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  return found ? found->Save() : 0;
}

BOOL RestoreDC(HDC dc, int savedDc) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  if (!found) return FALSE;
  if (!found->Restore(savedDc)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

namespace {

BOOL SetOrigin(HDC dc, POINT win32::DcState::*field, int x, int y, bool offset, LPPOINT previous) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  if (!found) return FALSE;
  POINT& origin = found->State().*field;
  if (previous) *previous = origin;
  origin = offset ? POINT{origin.x + x, origin.y + y} : POINT{x, y};
  return TRUE;
}

BOOL GetOrigin(HDC dc, POINT win32::DcState::*field, LPPOINT origin) {
  auto* found = win32::FindGdi<win32::GdiDc>(dc);
  if (!found || !origin) return FALSE;
  *origin = found->State().*field;
  return TRUE;
}

}  // namespace

BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous) {
  return SetOrigin(dc, &win32::DcState::viewportOrigin, x, y, false, previous);
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT previous) {
  return SetOrigin(dc, &win32::DcState::viewportOrigin, dx, dy, true, previous);
}
BOOL GetViewportOrgEx(HDC dc, LPPOINT origin) { return GetOrigin(dc, &win32::DcState::viewportOrigin, origin); }
BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous) {
  return SetOrigin(dc, &win32::DcState::windowOrigin, x, y, false, previous);
}
BOOL GetWindowOrgEx(HDC dc, LPPOINT origin) { return GetOrigin(dc, &win32::DcState::windowOrigin, origin); }

int GetDeviceCaps(HDC dc, int index) {
  if (dc && !win32::FindGdi<win32::GdiDc>(dc)) return 0;
  int bits = g_screenBits.load();
  switch (index) {
    case HORZRES: return GetSystemMetrics(SM_CXSCREEN);
    case VERTRES: return GetSystemMetrics(SM_CYSCREEN);
    case BITSPIXEL: return bits;
    case PLANES: return 1;
    case NUMCOLORS: return bits <= 8 ? 1 << bits : -1;
    case SIZEPALETTE: return bits <= 8 ? 1 << bits : 0;
    case RASTERCAPS: return RC_BITBLT | RC_STRETCHBLT | RC_STRETCHDIB | (bits <= 8 ? RC_PALETTE : 0);
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
  }
}

namespace win32 {
void SetScreenBitsPerPixel(int bits) { g_screenBits = bits; }
}  // namespace win32
