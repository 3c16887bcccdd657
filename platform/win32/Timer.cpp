// Window and thread timers: they belong to the thread that sets them and arrive as
// WM_TIMER when that thread looks for messages, never more than one per timer.
#include "win32/MessageQueue.h"
#include "win32/WinError.h"
#include "win32/WindowTable.h"

namespace {

// A window's timers can be set only by its own thread, as on Windows.
bool OwnWindow(HWND hwnd) {
  if (!hwnd) return true;
  win32::WindowRef ref = win32::ResolveWindow(hwnd);
  if (!ref) return false;
  if (ref.threadId != GetCurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return true;
}

}  // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  if (!OwnWindow(hwnd)) return 0;
  auto queue = win32::MessageQueue::Current();
  UINT_PTR result = queue->SetTimer(hwnd, id, elapseMs, proc);
  queue->Wake();  // a thread waiting in its own loop takes the new deadline
  return result;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto queue = win32::MessageQueue::CurrentIfAny();
  if (!queue || !queue->KillTimer(hwnd, id)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}
