// What a window does with a message its procedure leaves to the system.
#include <algorithm>

#include "win32/WinError.h"
#include "win32/WindowClass.h"
#include "win32/WindowTable.h"

namespace {

LRESULT SetText(HWND hwnd, LPCWSTR text) {
  bool topLevel;
  {
    std::lock_guard guard(win32::WindowLock());
    win32::Window* w = win32::LookupWindowLocked(hwnd);
    if (!w) return FALSE;
    w->text = text ? text : L"";
    topLevel = !w->parent;
  }
  if (topLevel) win32::NotifyTopLevelChanged();
  return TRUE;
}

LRESULT GetText(HWND hwnd, WPARAM size, LPWSTR buffer) {
  if (!buffer || size == 0) return 0;
  std::lock_guard guard(win32::WindowLock());
  win32::Window* w = win32::LookupWindowLocked(hwnd);
  if (!w) return 0;
  size_t n = std::min(w->text.size(), static_cast<size_t>(size - 1));
  std::copy_n(w->text.data(), n, buffer);
  buffer[n] = L'\0';
  return static_cast<LRESULT>(n);
}

LRESULT TextLength(HWND hwnd) {
  std::lock_guard guard(win32::WindowLock());
  win32::Window* w = win32::LookupWindowLocked(hwnd);
  return w ? static_cast<LRESULT>(w->text.size()) : 0;
}

bool HasBackground(HWND hwnd) {
  std::lock_guard guard(win32::WindowLock());
  win32::Window* w = win32::LookupWindowLocked(hwnd);
  return w && w->cls->background;
}

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)); }

}  // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SETTEXT: return SetText(hwnd, reinterpret_cast<LPCWSTR>(lParam));
    case WM_GETTEXT: return GetText(hwnd, wParam, reinterpret_cast<LPWSTR>(lParam));
    case WM_GETTEXTLENGTH: return TextLength(hwnd);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return HasBackground(hwnd) ? 1 : 0;
    case WM_NCHITTEST: {
      RECT r;
      if (!GetWindowRect(hwnd, &r)) return HTNOWHERE;
      LONG x = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam)));
      LONG y = static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lParam)));
      return x >= r.left && x < r.right && y >= r.top && y < r.bottom ? HTCLIENT : HTNOWHERE;
    }
    case WM_MOUSEACTIVATE: return MA_ACTIVATE;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE: SendMessageW(hwnd, WM_CLOSE, 0, 0); return 0;
        case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); return 0;
        case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); return 0;
        case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); return 0;
      }
      return 0;
    case WM_WINDOWPOSCHANGED: {
      // Windows reports moves and sizes from here, so a procedure that handles this message
      // without passing it on gets neither.
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (!pos) return 0;
      RECT client;
      GetClientRect(hwnd, &client);
      if (!(pos->flags & SWP_NOSIZE)) {
        SendMessageW(hwnd, WM_SIZE, StyleOf(hwnd) & WS_MINIMIZE ? SIZE_MINIMIZED
                                    : StyleOf(hwnd) & WS_MAXIMIZE ? SIZE_MAXIMIZED : SIZE_RESTORED,
                     static_cast<LPARAM>(MAKELONG(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom))));
      }
      if (!(pos->flags & SWP_NOMOVE)) {
        SendMessageW(hwnd, WM_MOVE, 0,
                     static_cast<LPARAM>(MAKELONG(static_cast<WORD>(pos->x), static_cast<WORD>(pos->y))));
      }
      return 0;
    }
  }
  return 0;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}
