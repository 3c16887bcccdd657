#include "win32/NonClient.h"

#include <algorithm>

#include "win32/DialogControls.h"
#include "win32/Gdi.h"
#include "win32/GdiBlit.h"
#include "win32/GdiDraw.h"
#include "win32/GdiText.h"
#include "win32/Icon.h"
#include "win32/Metrics.h"
#include "win32/WindowClass.h"
#include "win32/WindowTable.h"

namespace win32 {
namespace {

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)); }

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

// The icon a caption shows: the window's small one (WM_SETICON), else its big one, else
// its class's.
HICON CaptionIcon(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* w = LookupWindowLocked(hwnd);
  if (!w) return nullptr;
  if (w->icons[ICON_SMALL]) return w->icons[ICON_SMALL];
  if (w->icons[ICON_BIG]) return w->icons[ICON_BIG];
  return w->cls ? w->cls->icon : nullptr;
}

// Draws the icon at the left of the caption bar, at the small icon size, over the bar's
// colour; returns the width it took (0: none drawn).
int DrawCaptionIcon(HDC dc, HICON icon, const RECT& bar, COLORREF back) {
  const int size = std::min(GetSystemMetrics(SM_CXSMICON), static_cast<int>(bar.bottom - bar.top) - 2);
  if (!icon || size <= 0) return 0;
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, size, size);
  HGDIOBJ old = SelectObject(memory, bitmap);
  RECT all{0, 0, size, size};
  Fill(memory, all, back);  // the icon's transparent pixels show the bar
  const bool drawn = DrawIconEx(memory, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  if (drawn) BitBlt(dc, bar.left + 3, bar.top + (bar.bottom - bar.top - size) / 2, size, size, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return drawn ? size + 3 : 0;
}

}  // namespace

bool CloseBoxRect(HWND hwnd, RECT* box) {
  const DWORD style = StyleOf(hwnd);
  if ((style & WS_CAPTION) != WS_CAPTION || !(style & WS_SYSMENU)) return false;
  RECT window;
  if (!GetWindowRect(hwnd, &window)) return false;
  RECT in = FrameInsets(style, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
  const int frame = in.left, caption = in.top - in.left;
  const int size = caption - 4;
  *box = RECT{window.right - frame - 2 - size, window.top + frame + 2, window.right - frame - 2, window.top + frame + 2 + size};
  return size > 0;
}

void PaintNonClient(HWND hwnd) {
  RECT window;
  if (!GetWindowRect(hwnd, &window)) return;
  const DWORD style = StyleOf(hwnd);
  RECT in = FrameInsets(style, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
  if (in.left == 0 && in.top == 0) return;
  HDC dc = GetWindowDC(hwnd);
  if (!dc) return;
  const int width = window.right - window.left, height = window.bottom - window.top;
  // The frame: the face colour with a dark outline.
  RECT all{0, 0, width, height};
  RECT client{in.left, in.top, width - in.right, height - in.bottom};
  HRGN frame = CreateRectRgnIndirect(&all);
  HRGN inner = CreateRectRgnIndirect(&client);
  CombineRgn(frame, frame, inner, RGN_DIFF);
  HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  FillRgn(dc, frame, face);
  DeleteObject(face);
  DeleteObject(frame);
  DeleteObject(inner);
  HBRUSH dark = CreateSolidBrush(GetSysColor(COLOR_WINDOWFRAME));
  FrameRect(dc, &all, dark);
  DeleteObject(dark);
  if ((style & WS_CAPTION) == WS_CAPTION) {
    const bool active = GetForegroundWindow() == hwnd;
    RECT bar{in.left, in.left, width - in.right, in.top};
    const COLORREF barColour = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_BTNSHADOW);
    Fill(dc, bar, barColour);
    const int iconWidth = (style & WS_SYSMENU) ? DrawCaptionIcon(dc, CaptionIcon(hwnd), bar, barColour) : 0;
    wchar_t title[256] = L"";
    GetWindowTextW(hwnd, title, 256);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
    RECT text = bar;
    text.left += 6 + iconWidth;
    RECT box;
    if (CloseBoxRect(hwnd, &box)) {
      OffsetRect(&box, -window.left, -window.top);
      text.right = box.left - 4;
      DrawTextW(dc, L"\u00D7", 1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    DrawTextW(dc, title, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
  }
  ReleaseDC(hwnd, dc);
}

}  // namespace win32
