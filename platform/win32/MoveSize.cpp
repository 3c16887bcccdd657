// Moving and sizing a window with the pointer, as DefWindowProcW does when the left button
// goes down on its caption or an edge of its frame (by the window's own WM_NCHITTEST): a
// loop of its own that follows the pointer until the button comes up; Escape puts the
// window back.
#include "win32/MoveSize.h"

#include "win32/KeyState.h"

namespace win32 {
namespace {

// The rectangle after dragging the edges `edge` (a WMSZ_* value) by (dx, dy).
RECT Dragged(RECT r, WPARAM edge, int dx, int dy) {
  const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
  const bool right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
  const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
  const bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
  if (left) r.left += dx;
  if (right) r.right += dx;
  if (top) r.top += dy;
  if (bottom) r.bottom += dy;
  return r;
}

void Place(HWND hwnd, const RECT& origin, WPARAM command, POINT start, POINT at) {
  const int dx = at.x - start.x, dy = at.y - start.y;
  if ((command & 0xFFF0) == SC_MOVE) {
    SetWindowPos(hwnd, nullptr, origin.left + dx, origin.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  const WPARAM edge = command & 0xF;
  RECT r = Dragged(origin, edge, dx, dy);
  SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  // Held at its smallest or largest size, the window keeps the edge opposite the one dragged.
  RECT now;
  GetWindowRect(hwnd, &now);
  POINT keep{now.left, now.top};
  if (r.left != origin.left) keep.x = r.right - (now.right - now.left);
  if (r.top != origin.top) keep.y = r.bottom - (now.bottom - now.top);
  if (keep.x != now.left || keep.y != now.top)
    SetWindowPos(hwnd, nullptr, keep.x, keep.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

WPARAM MoveSizeCommand(LRESULT hit) {
  if (hit == HTCAPTION) return SC_MOVE | HTCAPTION;
  if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) return SC_SIZE | static_cast<WPARAM>(hit - HTLEFT + WMSZ_LEFT);
  return 0;
}

void MoveSizeLoop(HWND hwnd, WPARAM command, POINT start) {
  if (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) return;  // top-level windows only
  if ((command & 0xFFF0) == SC_SIZE && !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_THICKFRAME)) return;
  RECT origin;
  if (!GetWindowRect(hwnd, &origin)) return;
  SendMessageW(hwnd, WM_ENTERSIZEMOVE, 0, 0);
  SetCapture(hwnd);
  bool done = false;
  while (!done) {
    MSG msg;
    while (!done && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE: Place(hwnd, origin, command, start, msg.pt); break;
        case WM_LBUTTONUP:
        case WM_NCLBUTTONUP:
          Place(hwnd, origin, command, start, msg.pt);
          done = true;
          break;
        case WM_KEYDOWN:
          if (msg.wParam == VK_ESCAPE) {
            Place(hwnd, origin, command, start, start);
            done = true;
          }
          break;
        case WM_QUIT:
          PostQuitMessage(static_cast<int>(msg.wParam));
          done = true;
          break;
        default:
          TranslateMessage(&msg);
          DispatchMessageW(&msg);
      }
    }
    // Ends too when the capture went elsewhere or the button is up with nothing left to read.
    if (done || GetCapture() != hwnd || GetAsyncKeyState(VK_LBUTTON) >= 0 || !IsWindow(hwnd)) break;
    WaitMessage();
  }
  if (GetCapture() == hwnd) ReleaseCapture();
  if (IsWindow(hwnd)) SendMessageW(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

}  // namespace win32
