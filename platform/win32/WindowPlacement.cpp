// Position, size, visibility, z-order and activation of windows.
#include <algorithm>

#include "display/Desktop.h"
#include "win32/MessageQueue.h"
#include "win32/Metrics.h"
#include "win32/WinError.h"
#include "win32/WindowOps.h"
#include "win32/WindowTable.h"

using win32::Window;
using win32::WindowLock;

namespace {

HWND g_active = nullptr;  // guarded by WindowLock()

Window* Find(HWND hwnd) { return win32::LookupWindowLocked(hwnd); }

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }

void PlaceInZOrderLocked(Window& w, HWND after) {
  auto& siblings = win32::SiblingsLocked(w);
  siblings.erase(std::remove(siblings.begin(), siblings.end(), w.hwnd), siblings.end());
  if (after == HWND_TOPMOST) w.exStyle |= WS_EX_TOPMOST;
  if (after == HWND_NOTOPMOST) w.exStyle &= ~WS_EX_TOPMOST;
  auto isTopmost = [](HWND h) {
    Window* s = Find(h);
    return s && (s->exStyle & WS_EX_TOPMOST);
  };
  std::vector<HWND>::iterator at;
  if (after == HWND_BOTTOM) {
    at = siblings.end();
  } else if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
    // Top of its band: a topmost window above all, another just below the topmost ones.
    at = (w.exStyle & WS_EX_TOPMOST) ? siblings.begin()
                                     : std::find_if_not(siblings.begin(), siblings.end(), isTopmost);
  } else {
    at = std::find(siblings.begin(), siblings.end(), after);
    at = at == siblings.end() ? siblings.begin() : at + 1;
  }
  siblings.insert(at, w.hwnd);
}

// Makes a top-level window the active (foreground) one and tells both windows.
void Activate(HWND top) {
  HWND old;
  {
    std::lock_guard guard(WindowLock());
    old = g_active;
    if (old == top) return;
    g_active = top;
  }
  if (old && IsWindow(old)) SendNotifyMessageW(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(top));
  if (top) SendNotifyMessageW(top, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
  display::Desktop::Get().WindowActivated(top);  // a display gives it the keyboard
}


}  // namespace

namespace win32 {

void ActivateNone() { Activate(nullptr); }

SIZE ClampToTrackSize(HWND hwnd, SIZE size) {
  RECT work = display::Desktop::Get().WorkArea();
  DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  MINMAXINFO info{};
  info.ptMaxSize = POINT{Width(work), Height(work)};
  info.ptMaxPosition = POINT{work.left, work.top};
  // Windows with a caption or a sizing frame cannot shrink below the smallest tracking size.
  if ((style & WS_CAPTION) == WS_CAPTION || (style & WS_THICKFRAME))
    info.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  info.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  LONG maxX = std::max(info.ptMinTrackSize.x, info.ptMaxTrackSize.x);
  LONG maxY = std::max(info.ptMinTrackSize.y, info.ptMaxTrackSize.y);
  return SIZE{std::clamp(size.cx, info.ptMinTrackSize.x, maxX), std::clamp(size.cy, info.ptMinTrackSize.y, maxY)};
}

bool HasTrackSize(DWORD style) { return (style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD)); }


RECT ClientRectLocked(const Window& w) {
  return RECT{0, 0, std::max<LONG>(0, Width(w.rect) - w.insets.left - w.insets.right),
              std::max<LONG>(0, Height(w.rect) - w.insets.top - w.insets.bottom)};
}

POINT WindowScreenOriginLocked(const Window& w) {
  POINT p{w.rect.left, w.rect.top};
  if (w.parent && w.parent != HWND_MESSAGE) {
    if (const Window* parent = Find(w.parent)) {
      POINT origin = ClientScreenOriginLocked(*parent);
      p.x += origin.x;
      p.y += origin.y;
    }
  }
  return p;
}

POINT ClientScreenOriginLocked(const Window& w) {
  POINT p = WindowScreenOriginLocked(w);
  return POINT{p.x + w.insets.left, p.y + w.insets.top};
}

void RecalcNonClient(HWND hwnd) {
  RECT window;
  {
    std::lock_guard guard(WindowLock());
    Window* w = Find(hwnd);
    if (!w) return;
    window = w->rect;
  }
  RECT client = window;
  SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&client));
  std::lock_guard guard(WindowLock());
  if (Window* w = Find(hwnd)) {
    w->insets = RECT{std::max<LONG>(0, client.left - window.left), std::max<LONG>(0, client.top - window.top),
                     std::max<LONG>(0, window.right - client.right), std::max<LONG>(0, window.bottom - client.bottom)};
  }
}

void ForgetActivationLocked(HWND hwnd) {
  if (g_active == hwnd) g_active = nullptr;
}

bool IsVisibleLocked(const Window& w) {
  for (const Window* p = &w; p; p = p->parent && p->parent != HWND_MESSAGE ? Find(p->parent) : nullptr) {
    if (!(p->style & WS_VISIBLE)) return false;
  }
  return w.parent != HWND_MESSAGE;
}

void ApplyMinMax(HWND hwnd) {
  RECT rect{};
  {
    std::lock_guard guard(WindowLock());
    Window* w = Find(hwnd);
    if (!w || !HasTrackSize(w->style)) return;
    rect = w->rect;
  }
  SIZE size = ClampToTrackSize(hwnd, SIZE{Width(rect), Height(rect)});
  std::lock_guard guard(WindowLock());
  if (Window* w = Find(hwnd)) {
    w->rect.right = w->rect.left + size.cx;
    w->rect.bottom = w->rect.top + size.cy;
  }
}

}  // namespace win32

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  bool topLevel;
  {
    std::lock_guard guard(WindowLock());
    Window* w = win32::LookupWindowOrFailLocked(hwnd);
    if (!w) return FALSE;
    if (hwnd == win32::DesktopHandle()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    if (flags & SWP_NOMOVE) {
      x = w->rect.left;
      y = w->rect.top;
    }
    if (flags & SWP_NOSIZE) {
      cx = Width(w->rect);
      cy = Height(w->rect);
    }
    topLevel = !w->parent;
  }
  WINDOWPOS pos{hwnd, insertAfter, x, y, std::max(cx, 0), std::max(cy, 0), flags};
  // DefWindowProcW keeps the size within the window's tracking limits here.
  SendMessageW(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
  bool invalidate = false;
  bool frame = false;
  bool shown = false;
  {
    std::lock_guard guard(WindowLock());
    Window* w = win32::LookupWindowOrFailLocked(hwnd);
    if (!w) return FALSE;
    RECT old = w->rect;
    RECT now{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
    bool moved = now.left != old.left || now.top != old.top;
    bool sized = Width(now) != Width(old) || Height(now) != Height(old);
    if (!(pos.flags & SWP_NOMOVE) || !(pos.flags & SWP_NOSIZE)) w->rect = now;
    if (!(pos.flags & SWP_NOZORDER)) PlaceInZOrderLocked(*w, pos.hwndInsertAfter);
    if ((pos.flags & SWP_SHOWWINDOW) && !(w->style & WS_VISIBLE)) {
      w->style |= WS_VISIBLE;
      shown = true;
    }
    if ((pos.flags & SWP_HIDEWINDOW) && (w->style & WS_VISIBLE)) {
      w->style &= ~WS_VISIBLE;
      if (g_active == hwnd) g_active = nullptr;
    }
    if (!moved && !(pos.flags & SWP_FRAMECHANGED)) pos.flags |= SWP_NOMOVE;
    if (!sized && !(pos.flags & SWP_FRAMECHANGED)) pos.flags |= SWP_NOSIZE;
    frame = sized || (pos.flags & SWP_FRAMECHANGED);
    invalidate = (frame || shown) && !(pos.flags & SWP_NOREDRAW);
  }
  if (frame) win32::RecalcNonClient(hwnd);
  if (invalidate) InvalidateRect(hwnd, nullptr, TRUE);
  SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  if (topLevel && shown && !(flags & SWP_NOACTIVATE)) Activate(hwnd);
  if (topLevel) display::Desktop::Get().WindowChanged(hwnd);  // moved, shown or hidden on a display too
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL ShowWindow(HWND hwnd, int command) {
  DWORD style;
  bool topLevel;
  RECT normal, target;
  const RECT work = display::Desktop::Get().WorkArea();  // the desktop's lock is never taken inside ours
  {
    std::lock_guard guard(WindowLock());
    Window* w = win32::LookupWindowOrFailLocked(hwnd);
    if (!w) return FALSE;
    style = w->style;
    topLevel = !w->parent;
    normal = (style & (WS_MINIMIZE | WS_MAXIMIZE)) ? w->normalRect : w->rect;
    if (topLevel) {
      target = work;
    } else if (Window* p = Find(w->parent)) {
      target = win32::ClientRectLocked(*p);
    } else {
      target = w->rect;
    }
  }
  const bool wasVisible = (style & WS_VISIBLE) != 0;
  auto setState = [&](DWORD add, DWORD remove) {
    std::lock_guard guard(WindowLock());
    if (Window* w = Find(hwnd)) {
      if (!(w->style & (WS_MINIMIZE | WS_MAXIMIZE))) w->normalRect = w->rect;
      w->style = (w->style & ~remove) | add;
    }
  };
  auto showIfHidden = [&](UINT activate) {
    if (wasVisible) return;
    SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | activate);
  };
  switch (command) {
    case SW_HIDE:
      if (!wasVisible) return FALSE;
      SendMessageW(hwnd, WM_SHOWWINDOW, FALSE, 0);
      SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
      setState(WS_MINIMIZE, WS_MAXIMIZE);
      showIfHidden(SWP_NOACTIVATE);
      if (!(style & WS_MINIMIZE)) SendMessageW(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
      break;
    case SW_SHOWMAXIMIZED:
      setState(WS_MAXIMIZE, WS_MINIMIZE);
      if (!wasVisible) SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
      SetWindowPos(hwnd, HWND_TOP, target.left, target.top, Width(target), Height(target),
                   SWP_SHOWWINDOW | SWP_FRAMECHANGED);
      if (topLevel) Activate(hwnd);
      break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
    case SW_SHOWNOACTIVATE:
      if (style & (WS_MINIMIZE | WS_MAXIMIZE)) {
        setState(0, WS_MINIMIZE | WS_MAXIMIZE);
        if (!wasVisible) SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
        SetWindowPos(hwnd, nullptr, normal.left, normal.top, Width(normal), Height(normal),
                     SWP_SHOWWINDOW | SWP_FRAMECHANGED | SWP_NOZORDER |
                         (command == SW_SHOWNOACTIVATE ? SWP_NOACTIVATE : 0));
      } else {
        showIfHidden(command == SW_SHOWNOACTIVATE ? SWP_NOACTIVATE : 0);
      }
      if (topLevel && command != SW_SHOWNOACTIVATE) Activate(hwnd);
      break;
    case SW_SHOW:
      showIfHidden(0);
      if (topLevel) Activate(hwnd);
      break;
    case SW_SHOWNA:
      showIfHidden(SWP_NOACTIVATE);
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
  return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* w = Find(hwnd);
  return w && win32::IsVisibleLocked(*w) ? TRUE : FALSE;
}

BOOL IsIconic(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* w = Find(hwnd);
  return w && (w->style & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hwnd) {
  std::lock_guard guard(WindowLock());
  Window* w = Find(hwnd);
  return w && (w->style & WS_MAXIMIZE) ? TRUE : FALSE;
}

namespace {

enum class Area { Window, Client };

BOOL GetArea(HWND hwnd, LPRECT rect, Area area) {
  if (!rect) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  if (hwnd == win32::DesktopHandle()) {
    *rect = display::Desktop::Get().ScreenRect();
    return TRUE;
  }
  std::lock_guard guard(WindowLock());
  Window* w = win32::LookupWindowOrFailLocked(hwnd);
  if (!w) return FALSE;
  if (area == Area::Client) {
    *rect = win32::ClientRectLocked(*w);
    return TRUE;
  }
  POINT origin = win32::WindowScreenOriginLocked(*w);
  *rect = RECT{origin.x, origin.y, origin.x + Width(w->rect), origin.y + Height(w->rect)};
  return TRUE;
}

}  // namespace

BOOL GetWindowRect(HWND hwnd, LPRECT rect) { return GetArea(hwnd, rect, Area::Window); }

BOOL GetClientRect(HWND hwnd, LPRECT rect) { return GetArea(hwnd, rect, Area::Client); }

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
  std::lock_guard guard(WindowLock());
  Window* w = win32::LookupWindowOrFailLocked(hwnd);
  if (!w || !point) return FALSE;
  POINT origin = win32::ClientScreenOriginLocked(*w);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
  std::lock_guard guard(WindowLock());
  Window* w = win32::LookupWindowOrFailLocked(hwnd);
  if (!w || !point) return FALSE;
  POINT origin = win32::ClientScreenOriginLocked(*w);
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

BOOL SetForegroundWindow(HWND hwnd) {
  HWND root = GetAncestor(hwnd, GA_ROOT);
  if (!root) return FALSE;
  {
    std::lock_guard guard(WindowLock());
    if (Window* w = Find(root)) PlaceInZOrderLocked(*w, HWND_TOP);
  }
  Activate(root);
  return TRUE;
}

HWND GetForegroundWindow() {
  std::lock_guard guard(WindowLock());
  return g_active;
}

HWND SetActiveWindow(HWND hwnd) {
  HWND previous;
  {
    std::lock_guard guard(WindowLock());
    Window* w = win32::LookupWindowOrFailLocked(hwnd);
    if (!w) return nullptr;
    if (w->threadId != GetCurrentThreadId()) {
      SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
      return nullptr;
    }
    previous = g_active;
  }
  HWND root = GetAncestor(hwnd, GA_ROOT);
  Activate(root);
  return previous;
}

HWND GetActiveWindow() {
  std::lock_guard guard(WindowLock());
  Window* w = Find(g_active);
  return w && w->threadId == GetCurrentThreadId() ? g_active : nullptr;
}

BOOL BringWindowToTop(HWND hwnd) {
  return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}
