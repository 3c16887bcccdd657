#include "win32/Metrics.h"

#include <atomic>

#include "display/Desktop.h"
#include "win32/WinError.h"

namespace {

constexpr int kBorder = 1;
constexpr int kEdge = 2;
constexpr int kFixedFrame = 3;
constexpr int kSizeFrame = 4;
constexpr int kPaddedBorder = 4;
constexpr int kCaption = 22;
constexpr int kSmallCaption = 16;
constexpr int kMenu = 20;

std::atomic<int> g_keyboardDelay{1};
std::atomic<int> g_keyboardSpeed{31};

HMONITOR const kMonitor = reinterpret_cast<HMONITOR>(0x1001);

bool Inside(POINT p, const RECT& r) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

}  // namespace

namespace win32 {

RECT FrameInsets(DWORD style, DWORD exStyle) {
  int frame = 0;
  if (style & WS_THICKFRAME) {
    frame = kSizeFrame + kPaddedBorder;
  } else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
    frame = kFixedFrame;
  } else if (style & WS_BORDER) {
    frame = kBorder;
  }
  if (exStyle & WS_EX_CLIENTEDGE) frame += kEdge;
  int caption = 0;
  if ((style & WS_CAPTION) == WS_CAPTION) caption = (exStyle & WS_EX_TOOLWINDOW) ? kSmallCaption : kCaption;
  return RECT{frame, frame + caption, frame, frame};
}

}  // namespace win32

int GetSystemMetrics(int index) {
  RECT screen = display::Desktop::Get().ScreenRect();
  RECT work = display::Desktop::Get().WorkArea();
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN: return screen.right - screen.left;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN: return screen.bottom - screen.top;
    case SM_XVIRTUALSCREEN: return screen.left;
    case SM_YVIRTUALSCREEN: return screen.top;
    case SM_CXFULLSCREEN: return work.right - work.left;
    case SM_CYFULLSCREEN: return work.bottom - work.top - kCaption;
    case SM_CXMAXIMIZED: return work.right - work.left + 2 * (kSizeFrame + kPaddedBorder);
    case SM_CYMAXIMIZED: return work.bottom - work.top + 2 * (kSizeFrame + kPaddedBorder);
    case SM_CXMAXTRACK: return screen.right - screen.left + 24;
    case SM_CYMAXTRACK: return screen.bottom - screen.top + 24;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 17;
    case SM_CYCAPTION: return kCaption;
    case SM_CYSMCAPTION: return kSmallCaption;
    case SM_CXBORDER:
    case SM_CYBORDER: return kBorder;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return kFixedFrame;
    case SM_CXFRAME:
    case SM_CYFRAME: return kSizeFrame;
    case SM_CXPADDEDBORDER: return kPaddedBorder;
    case SM_CXEDGE:
    case SM_CYEDGE: return kEdge;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK: return 15;
    case SM_CYMENU: return kMenu;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXMINTRACK: return 136;
    case SM_CYMINTRACK: return 39;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    case SM_MOUSEPRESENT:
    case SM_CMONITORS: return 1;
    case SM_SWAPBUTTON: return 0;
  }
  return 0;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECT in = win32::FrameInsets(style, exStyle);
  rect->left -= in.left;
  rect->top -= in.top + (menu ? kMenu : 0);
  rect->right += in.right;
  rect->bottom += in.bottom;
  return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) { return AdjustWindowRectEx(rect, style, menu, 0); }

BOOL SystemParametersInfoW(UINT action, UINT param, PVOID data, UINT) {
  switch (action) {
    case SPI_GETWORKAREA:
      if (!data) break;
      *static_cast<RECT*>(data) = display::Desktop::Get().WorkArea();
      return TRUE;
    case SPI_GETKEYBOARDDELAY:
      if (!data) break;
      *static_cast<int*>(data) = g_keyboardDelay;
      return TRUE;
    case SPI_SETKEYBOARDDELAY:
      if (param > 3) break;
      g_keyboardDelay = static_cast<int>(param);
      return TRUE;
    case SPI_GETKEYBOARDSPEED:
      if (!data) break;
      *static_cast<DWORD*>(data) = static_cast<DWORD>(g_keyboardSpeed.load());
      return TRUE;
    case SPI_SETKEYBOARDSPEED:
      if (param > 31) break;
      g_keyboardSpeed = static_cast<int>(param);
      return TRUE;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
  if (Inside(point, display::Desktop::Get().ScreenRect()) || flags != MONITOR_DEFAULTTONULL) return kMonitor;
  return nullptr;
}

HMONITOR MonitorFromRect(LPCRECT rect, DWORD flags) {
  if (!rect) return nullptr;
  RECT s = display::Desktop::Get().ScreenRect();
  bool meets = rect->left < s.right && rect->right > s.left && rect->top < s.bottom && rect->bottom > s.top;
  return meets || flags != MONITOR_DEFAULTTONULL ? kMonitor : nullptr;
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return flags == MONITOR_DEFAULTTONULL ? nullptr : kMonitor;
  return MonitorFromRect(&r, flags);
}

BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) {
  if (monitor != kMonitor || !info || info->cbSize < sizeof(MONITORINFO)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->rcMonitor = display::Desktop::Get().ScreenRect();
  info->rcWork = display::Desktop::Get().WorkArea();
  info->dwFlags = MONITORINFOF_PRIMARY;
  return TRUE;
}
