// What a window does with a message its procedure leaves to the system.
#include <algorithm>

#include "win32/Cursor.h"
#include "win32/GdiDraw.h"
#include "win32/Metrics.h"
#include "win32/MoveSize.h"
#include "win32/NonClient.h"
#include "win32/WinError.h"
#include "win32/WindowClass.h"
#include "win32/WindowOps.h"
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
  if (topLevel) win32::PaintNonClient(hwnd);  // the caption shows the new title
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

// WM_SETICON keeps the icon (the caller's: it stays theirs) and returns the one it
// replaces; WM_GETICON returns it. wParam: 0 small, 1 big.
LRESULT Icon(HWND hwnd, WPARAM which, HICON icon, bool set) {
  if (which > 1) return 0;
  HICON previous;
  bool topLevel;
  {
    std::lock_guard guard(win32::WindowLock());
    win32::Window* w = win32::LookupWindowLocked(hwnd);
    if (!w) return 0;
    previous = w->icons[which];
    if (set) w->icons[which] = icon;
    topLevel = !w->parent;
  }
  if (set && previous != icon && topLevel) win32::PaintNonClient(hwnd);  // the caption shows it
  return reinterpret_cast<LRESULT>(previous);
}

// Fills the client area with the class's background brush; 0 when the class has none.
LRESULT EraseBackground(HWND hwnd, HDC dc) {
  HBRUSH brush;
  {
    std::lock_guard guard(win32::WindowLock());
    win32::Window* w = win32::LookupWindowLocked(hwnd);
    brush = w ? w->cls->background : nullptr;
  }
  if (!brush) return 0;
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, brush);
  return 1;
}

// The pointer's shape over a window: a child's parent decides first; in the client area the
// class's cursor (none: left as it is), on the frame the sizing arrows, elsewhere the arrow.
LRESULT SetCursorFor(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) {
    HWND parent = GetAncestor(hwnd, GA_PARENT);
    if (parent && SendMessageW(parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
  }
  const LRESULT hit = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam)));
  LPCWSTR shape = IDC_ARROW;
  switch (hit) {
    case HTCLIENT: {
      HCURSOR own;
      {
        std::lock_guard guard(win32::WindowLock());
        win32::Window* w = win32::LookupWindowLocked(hwnd);
        own = w ? w->cls->cursor : nullptr;
      }
      if (!own) return FALSE;
      SetCursor(own);
      return TRUE;
    }
    case HTLEFT:
    case HTRIGHT: shape = IDC_SIZEWE; break;
    case HTTOP:
    case HTBOTTOM: shape = IDC_SIZENS; break;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: shape = IDC_SIZENWSE; break;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: shape = IDC_SIZENESW; break;
  }
  SetCursor(LoadCursorW(nullptr, shape));
  return TRUE;
}

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)); }

// Where a screen point lies on a window: the client area, the caption, an edge of the sizing
// frame, another part of the frame, or outside.
LRESULT HitTest(HWND hwnd, POINT p) {
  RECT window;
  if (!GetWindowRect(hwnd, &window)) return HTNOWHERE;
  if (p.x < window.left || p.x >= window.right || p.y < window.top || p.y >= window.bottom) return HTNOWHERE;
  POINT client{p.x, p.y};
  ScreenToClient(hwnd, &client);
  RECT area;
  GetClientRect(hwnd, &area);
  if (client.x >= 0 && client.x < area.right && client.y >= 0 && client.y < area.bottom) return HTCLIENT;
  DWORD style = StyleOf(hwnd);
  RECT in = win32::FrameInsets(style, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
  int frame = in.left;
  if (style & WS_THICKFRAME) {
    bool left = p.x < window.left + frame, right = p.x >= window.right - frame;
    bool top = p.y < window.top + frame, bottom = p.y >= window.bottom - frame;
    if (top) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
    if (bottom) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
  }
  RECT close;
  if (win32::CloseBoxRect(hwnd, &close) && PtInRect(&close, p)) return HTCLOSE;
  if ((style & WS_CAPTION) == WS_CAPTION && p.y < window.top + in.top && p.y >= window.top + frame) return HTCAPTION;
  return HTBORDER;
}

}  // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SETTEXT: return SetText(hwnd, reinterpret_cast<LPCWSTR>(lParam));
    case WM_GETTEXT: return GetText(hwnd, wParam, reinterpret_cast<LPWSTR>(lParam));
    case WM_GETTEXTLENGTH: return TextLength(hwnd);
    case WM_SETICON: return Icon(hwnd, wParam, reinterpret_cast<HICON>(lParam), true);
    case WM_GETICON: return Icon(hwnd, wParam, nullptr, false);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return EraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_NCHITTEST:
      return HitTest(hwnd, POINT{static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam))),
                                 static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lParam)))});
    case WM_NCCALCSIZE: {
      // The client area is what the frame and caption leave (lParam: the window rectangle in, the
      // client rectangle out; with wParam TRUE it is the first of NCCALCSIZE_PARAMS's rectangles).
      auto* rect = reinterpret_cast<RECT*>(lParam);
      DWORD style = StyleOf(hwnd);
      if (!rect || (style & WS_MINIMIZE)) return 0;
      RECT in = win32::FrameInsets(style, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
      rect->left += in.left;
      rect->top += in.top;
      rect->right = std::max(rect->left, rect->right - in.right);
      rect->bottom = std::max(rect->top, rect->bottom - in.bottom);
      return 0;
    }
    case WM_MOUSEACTIVATE: return MA_ACTIVATE;
    case WM_SETCURSOR: return SetCursorFor(hwnd, wParam, lParam);
    case WM_NCPAINT: win32::PaintNonClient(hwnd); return 0;
    case WM_NCLBUTTONUP:
      if (wParam == static_cast<WPARAM>(HTCLOSE)) SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, lParam);
      return 0;
    case WM_NCLBUTTONDOWN:
      // The caption moves the window, the frame's edges size it.
      if (WPARAM command = win32::MoveSizeCommand(static_cast<LRESULT>(wParam)))
        SendMessageW(hwnd, WM_SYSCOMMAND, command, lParam);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_MOVE:
        case SC_SIZE: {
          POINT start{static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam))),
                      static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lParam)))};
          win32::MoveSizeLoop(hwnd, wParam, start);
          return 0;
        }
        case SC_CLOSE: SendMessageW(hwnd, WM_CLOSE, 0, 0); return 0;
        case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); return 0;
        case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); return 0;
        case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); return 0;
      }
      return 0;
    case WM_WINDOWPOSCHANGING: {
      auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!pos || (pos->flags & SWP_NOSIZE) || !win32::HasTrackSize(StyleOf(hwnd))) return 0;
      SIZE size = win32::ClampToTrackSize(hwnd, SIZE{pos->cx, pos->cy});
      pos->cx = size.cx;
      pos->cy = size.cy;
      return 0;
    }
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
        // WM_MOVE tells where the client area is, in the parent's client coordinates.
        POINT origin{0, 0};
        ClientToScreen(hwnd, &origin);
        if (HWND parent = GetAncestor(hwnd, GA_PARENT); parent && parent != GetDesktopWindow())
          ScreenToClient(parent, &origin);
        SendMessageW(hwnd, WM_MOVE, 0,
                     static_cast<LPARAM>(MAKELONG(static_cast<WORD>(origin.x), static_cast<WORD>(origin.y))));
      }
      return 0;
    }
  }
  return 0;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}
