// Keyboard focus and mouse capture, one of each per thread. They are held by HWND and
// looked at again on every use: a window that went away has neither.
#include "display/Desktop.h"
#include "win32/WinError.h"
#include "win32/WinUser.h"

namespace {

thread_local HWND t_focus = nullptr;
thread_local HWND t_capture = nullptr;

HWND Alive(HWND hwnd) { return hwnd && IsWindow(hwnd) ? hwnd : nullptr; }

bool OfThisThread(HWND hwnd) { return GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId(); }

// A window that cannot take the keyboard: it or an ancestor is disabled or minimised.
bool Refuses(HWND hwnd) {
  for (HWND w = hwnd; w; w = GetAncestor(w, GA_PARENT) == GetDesktopWindow() ? nullptr : GetAncestor(w, GA_PARENT)) {
    if (GetWindowLongPtrW(w, GWL_STYLE) & (WS_DISABLED | WS_MINIMIZE)) return true;
  }
  return false;
}

}  // namespace

HWND SetFocus(HWND hwnd) {
  HWND old = Alive(t_focus);
  if (hwnd) {
    if (!IsWindow(hwnd)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    if (!OfThisThread(hwnd)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    if (Refuses(hwnd)) return nullptr;
    if (hwnd == old) return old;
    HWND root = GetAncestor(hwnd, GA_ROOT);
    if (GetActiveWindow() != root) SetActiveWindow(root);  // the keyboard goes with activation
  }
  t_focus = hwnd;
  if (old) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd && Alive(t_focus) == hwnd) SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND GetFocus() { return Alive(t_focus); }

HWND SetCapture(HWND hwnd) {
  HWND old = Alive(t_capture);
  if (!hwnd || !IsWindow(hwnd) || !OfThisThread(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  t_capture = hwnd;
  if (old && old != hwnd) SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  if (old != hwnd) display::Desktop::Get().CaptureChanged(hwnd);
  return old;
}

BOOL ReleaseCapture() {
  HWND old = Alive(t_capture);
  t_capture = nullptr;
  if (old) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
  if (old) display::Desktop::Get().CaptureChanged(nullptr);
  return TRUE;
}

HWND GetCapture() { return Alive(t_capture); }
