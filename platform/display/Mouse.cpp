// Pointer input of the headless desktop, and the Win32 functions of the pointer.
#include <algorithm>
#include <cstdlib>

#include "display/Desktop.h"
#include "win32/Clock.h"
#include "win32/Cursor.h"
#include "win32/KeyState.h"
#include "win32/Metrics.h"
#include "win32/MouseTracking.h"
#include "win32/WindowClass.h"
#include "win32/WindowOps.h"
#include "win32/WindowSurface.h"
#include "win32/WindowTable.h"

namespace display {
namespace {

constexpr UINT kDoubleClickMs = 500;

LPARAM Pack(LONG x, LONG y) { return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y))); }

UINT ClassStyle(HWND hwnd) {
  std::lock_guard guard(win32::WindowLock());
  win32::Window* w = win32::LookupWindowLocked(hwnd);
  return w ? w->cls->style : 0;
}

// A window that lets input through to what lies below it.
bool Transparent(HWND hwnd, POINT p) { return SendMessageW(hwnd, WM_NCHITTEST, 0, Pack(p.x, p.y)) == HTTRANSPARENT; }

HWND DeepestChild(HWND parent, POINT p) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    if (!IsWindowVisible(child) || !GetWindowRect(child, &r) || !PtInRect(&r, p)) continue;
    if (!win32::InWindowRegion(child, p)) continue;
    if (!IsWindowEnabled(child)) return parent;  // a disabled child's input goes to its parent
    if (Transparent(child, p)) continue;
    return DeepestChild(child, p);
  }
  return parent;
}

}  // namespace

POINT Desktop::CursorPos() const {
  std::lock_guard guard(m_lock);
  return m_cursor;
}

void Desktop::SetCursorPosition(int x, int y) {
  RECT clip;  // the screen, or the rectangle ClipCursor keeps the pointer in
  GetClipCursor(&clip);
  std::lock_guard guard(m_lock);
  m_cursor = POINT{std::clamp(x, static_cast<int>(clip.left), std::max(static_cast<int>(clip.left), static_cast<int>(clip.right) - 1)),
                   std::clamp(y, static_cast<int>(clip.top), std::max(static_cast<int>(clip.top), static_cast<int>(clip.bottom) - 1))};
}

void Desktop::PostMouse(UINT clientMessage, UINT nonClientMessage, POINT at) {
  WPARAM buttons;
  {
    std::lock_guard guard(m_lock);
    buttons = m_buttons;
  }
  HWND target = GetCapture();
  LRESULT hit = HTCLIENT;
  if (!target) {
    target = WindowFromPoint(at);
    hit = target ? SendMessageW(target, WM_NCHITTEST, 0, Pack(at.x, at.y)) : HTNOWHERE;
  }
  if (clientMessage == WM_MOUSEMOVE) win32::PointerMoved(target, hit, at);
  if (!target) return;
  if (clientMessage == WM_MOUSEMOVE) {
    SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELONG(static_cast<WORD>(hit), WM_MOUSEMOVE));
  }
  if (hit == HTCLIENT) {
    POINT client = at;
    ScreenToClient(target, &client);
    win32::PostInput(target, clientMessage, buttons, Pack(client.x, client.y), at);
  } else if (nonClientMessage) {
    win32::PostInput(target, nonClientMessage, static_cast<WPARAM>(hit), Pack(at.x, at.y), at);
  }
}

void Desktop::MouseMove(int x, int y) {
  SetCursorPosition(x, y);
  PostMouse(WM_MOUSEMOVE, WM_NCMOUSEMOVE, CursorPos());
}

void Desktop::MouseDown(Button button, int x, int y) {
  SetCursorPosition(x, y);
  POINT at = CursorPos();
  static const UINT kDown[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  static const WPARAM kFlag[] = {MK_LBUTTON, MK_RBUTTON, MK_MBUTTON};
  const int b = static_cast<int>(button);
  UINT message = kDown[b];
  HWND target = GetCapture() ? GetCapture() : WindowFromPoint(at);
  // A press on none of the program's windows gives the activation away, as a click on
  // the desktop or on another program does.
  if (!target) win32::ActivateNone();
  if (target && !GetCapture()) {
    // The press activates the top-level window first, unless the window declines.
    HWND top = GetAncestor(target, GA_ROOT);
    if (top && GetForegroundWindow() != top) {
      LRESULT hit = SendMessageW(target, WM_NCHITTEST, 0, Pack(at.x, at.y));
      LRESULT answer = SendMessageW(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), MAKELONG(static_cast<WORD>(hit), message));
      if (answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) SetForegroundWindow(top);
      if (answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT) return;  // the press is eaten
    }
  }
  // Looked up before taking the desktop's lock, which these take too.
  const bool wantsDouble = target && (ClassStyle(target) & CS_DBLCLKS);
  const int slackX = GetSystemMetrics(SM_CXDOUBLECLK) / 2, slackY = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
  const ULONGLONG now = win32::CurrentClock().NowMs();
  bool dbl;
  static const UINT kKey[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
  win32::SetKeyDown(kKey[b], true);
  {
    std::lock_guard guard(m_lock);
    m_buttons |= kFlag[b];
    dbl = wantsDouble && m_lastClick.hwnd == target && m_lastClick.message == message &&
          now - m_lastClick.timeMs <= kDoubleClickMs && std::abs(at.x - m_lastClick.at.x) <= slackX &&
          std::abs(at.y - m_lastClick.at.y) <= slackY;
    m_lastClick = dbl ? LastClick{} : LastClick{target, message, at, now};
  }
  if (dbl) message += 2;  // WM_xBUTTONDBLCLK follows WM_xBUTTONDOWN by two
  PostMouse(message, b == 0 ? (dbl ? WM_NCLBUTTONDBLCLK : WM_NCLBUTTONDOWN) : 0, at);
}

void Desktop::MouseUp(Button button, int x, int y) {
  SetCursorPosition(x, y);
  static const UINT kUp[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
  static const WPARAM kFlag[] = {MK_LBUTTON, MK_RBUTTON, MK_MBUTTON};
  const int b = static_cast<int>(button);
  static const UINT kKey[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
  win32::SetKeyDown(kKey[b], false);
  {
    std::lock_guard guard(m_lock);
    m_buttons &= ~kFlag[b];
  }
  PostMouse(kUp[b], b == 0 ? WM_NCLBUTTONUP : 0, CursorPos());
}

void Desktop::MouseWheel(int delta, int x, int y) {
  SetCursorPosition(x, y);
  HWND focus = GetFocus();
  if (!focus) return;
  WPARAM buttons;
  {
    std::lock_guard guard(m_lock);
    buttons = m_buttons;
  }
  POINT at = CursorPos();
  win32::PostInput(focus, WM_MOUSEWHEEL,
                   MAKELONG(static_cast<WORD>(buttons), static_cast<WORD>(static_cast<SHORT>(delta))), Pack(at.x, at.y),
                   at);
}

}  // namespace display

HWND WindowFromPoint(POINT point) {
  for (HWND top : win32::TopLevelWindows()) {
    RECT r;
    if (!IsWindowVisible(top) || !GetWindowRect(top, &r) || !PtInRect(&r, point)) continue;
    if (!win32::InWindowRegion(top, point)) continue;
    if (display::Transparent(top, point)) continue;
    return IsWindowEnabled(top) ? display::DeepestChild(top, point) : top;
  }
  return nullptr;
}

BOOL GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  *point = display::Desktop::Get().CursorPos();
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  display::Desktop::Get().SetCursorPosition(x, y);
  return TRUE;
}

UINT GetDoubleClickTime() { return display::kDoubleClickMs; }
