#include "win32/DialogControls.h"

#include <algorithm>
#include <mutex>

#include "win32/WinError.h"

namespace {

LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Click(HWND button) {
  SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

// A button is pressed (GWLP_USERDATA 1) between the press and the release.
LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 1);
      SetCapture(hwnd);
      return 0;
    case WM_LBUTTONUP: {
      const bool pressed = SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0) != 0;
      if (GetCapture() == hwnd) ReleaseCapture();
      RECT client;
      GetClientRect(hwnd, &client);
      const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (pressed && PtInRect(&client, at)) Click(hwnd);
      return 0;
    }
    case BM_CLICK:
      if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) Click(hwnd);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

struct ProgressState {
  int low = 0;
  int high = 100;
  int pos = 0;
  int step = 10;
};

ProgressState* Progress(HWND hwnd) { return reinterpret_cast<ProgressState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

// Sets the position within the range; returns the previous one.
LRESULT Move(ProgressState* bar, int pos) {
  const int previous = bar->pos;
  bar->pos = std::clamp(pos, bar->low, std::max(bar->low, bar->high));
  return previous;
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ProgressState* bar = Progress(hwnd);
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new ProgressState));
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_NCDESTROY:
      delete bar;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
      break;
  }
  if (!bar) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case PBM_SETRANGE: {
      const LRESULT previous = MAKELPARAM(bar->low, bar->high);
      bar->low = static_cast<SHORT>(LOWORD(lParam));
      bar->high = static_cast<SHORT>(HIWORD(lParam));
      Move(bar, bar->pos);
      return previous;
    }
    case PBM_SETPOS: return Move(bar, static_cast<int>(wParam));
    case PBM_DELTAPOS: return Move(bar, bar->pos + static_cast<int>(wParam));
    case PBM_SETSTEP: {
      const int previous = bar->step;
      bar->step = static_cast<int>(wParam);
      return previous;
    }
    case PBM_STEPIT: {
      // Stepping past the end starts again from the beginning, as the system's bar does.
      const int next = bar->pos + bar->step;
      return Move(bar, next > bar->high ? bar->low + (next - bar->high) : next);
    }
    case PBM_GETPOS: return bar->pos;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

namespace win32 {

void RegisterDialogControlClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    const struct {
      const wchar_t* name;
      WNDPROC proc;
    } classes[] = {{WC_STATICW, StaticProc}, {WC_BUTTONW, ButtonProc}, {PROGRESS_CLASSW, ProgressProc}};
    for (const auto& c : classes) {
      WNDCLASSW wc{};
      wc.style = CS_GLOBALCLASS;
      wc.lpfnWndProc = c.proc;
      wc.lpszClassName = c.name;
      RegisterClassW(&wc);
    }
  });
}

}  // namespace win32
