#include "win32/DialogControls.h"
#include "win32/DialogManager.h"

#include <algorithm>
#include <mutex>

#include "win32/ControlPaint.h"
#include "win32/Gdi.h"
#include "win32/Icon.h"
#include "win32/Library.h"
#include "win32/GdiTypes.h"
#include "win32/WinError.h"

namespace {

// What a control keeps, in its window's extra bytes (the user data stays the program's).
struct ControlState {
  HFONT font = nullptr;
  HANDLE image = nullptr;  // a static's picture
  bool ownsImage = false;  // loaded from the resource its text named, freed with the control
  bool pressed = false;    // a button between the press and the release
  int low = 0, high = 100, pos = 0, step = 10;  // a progress bar
};

ControlState* State(HWND hwnd) { return reinterpret_cast<ControlState*>(GetWindowLongPtrW(hwnd, 0)); }

void Redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, TRUE); }

// The messages every control answers alike; true when `message` was one of them.
bool Common(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  ControlState* state = State(hwnd);
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(new ControlState));
      *result = DefWindowProcW(hwnd, message, wParam, lParam);
      return true;
    case WM_NCDESTROY:
      if (state && state->ownsImage) {
        if ((GetWindowLongPtrW(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) DestroyIcon(static_cast<HICON>(state->image));
        else DeleteObject(state->image);
      }
      delete state;
      SetWindowLongPtrW(hwnd, 0, 0);
      *result = DefWindowProcW(hwnd, message, wParam, lParam);
      return true;
    case WM_SETFONT:
      if (state) state->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) Redraw(hwnd);
      *result = 0;
      return true;
    case WM_GETFONT:
      *result = state ? reinterpret_cast<LRESULT>(state->font) : 0;
      return true;
    case WM_SETTEXT:
    case WM_ENABLE:
      *result = DefWindowProcW(hwnd, message, wParam, lParam);
      Redraw(hwnd);
      return true;
  }
  return false;
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (Common(hwnd, message, wParam, lParam, &result)) return result;
  ControlState* state = State(hwnd);
  switch (message) {
    case WM_CREATE: {
      // A picture's static names its bitmap or icon resource by the ordinal in its text.
      const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      const DWORD kind = static_cast<DWORD>(cs->style) & SS_TYPEMASK;
      if (state && cs->lpszName && IS_INTRESOURCE(cs->lpszName) && (kind == SS_BITMAP || kind == SS_ICON)) {
        HINSTANCE module = cs->hInstance ? cs->hInstance : GetModuleHandleW(nullptr);
        state->image = kind == SS_BITMAP ? static_cast<HANDLE>(LoadBitmapW(module, cs->lpszName))
                                         : static_cast<HANDLE>(LoadIconW(module, cs->lpszName));
        state->ownsImage = state->image != nullptr;
      }
      return 0;
    }
    case WM_PAINT: win32::PaintStatic(hwnd, state ? state->image : nullptr); return 0;
    case STM_SETIMAGE:
    case STM_SETICON: {
      if (!state) return 0;
      HANDLE old = state->image;
      state->image = reinterpret_cast<HANDLE>(message == STM_SETICON ? wParam : lParam);
      state->ownsImage = false;  // the old picture is the caller's now
      Redraw(hwnd);
      return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETIMAGE:
    case STM_GETICON: return state ? reinterpret_cast<LRESULT>(state->image) : 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void Click(HWND button) {
  SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (Common(hwnd, message, wParam, lParam, &result)) return result;
  ControlState* state = State(hwnd);
  if (!state) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: win32::PaintButton(hwnd, state->pressed); return 0;
    case WM_LBUTTONDOWN:
      state->pressed = true;
      SetCapture(hwnd);
      // A press takes the focus, as with the system's buttons.
      if (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_TABSTOP) SetFocus(hwnd);
      Redraw(hwnd);
      return 0;
    case WM_LBUTTONUP: {
      const bool pressed = state->pressed;
      state->pressed = false;
      if (GetCapture() == hwnd) ReleaseCapture();
      Redraw(hwnd);
      RECT client;
      GetClientRect(hwnd, &client);
      const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (pressed && PtInRect(&client, at)) Click(hwnd);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: Redraw(hwnd); return 0;
    case BM_CLICK:
      if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) Click(hwnd);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

// Sets the position within the range; returns the previous one.
LRESULT Move(HWND hwnd, ControlState* bar, int pos) {
  const int previous = bar->pos;
  bar->pos = std::clamp(pos, bar->low, std::max(bar->low, bar->high));
  if (bar->pos != previous) Redraw(hwnd);
  return previous;
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (Common(hwnd, message, wParam, lParam, &result)) return result;
  ControlState* bar = State(hwnd);
  if (!bar) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: win32::PaintProgress(hwnd, bar->low, bar->high, bar->pos); return 0;
    case PBM_SETRANGE: {
      const LRESULT previous = MAKELPARAM(bar->low, bar->high);
      bar->low = static_cast<SHORT>(LOWORD(lParam));
      bar->high = static_cast<SHORT>(HIWORD(lParam));
      Move(hwnd, bar, bar->pos);
      Redraw(hwnd);
      return previous;
    }
    case PBM_SETPOS: return Move(hwnd, bar, static_cast<int>(wParam));
    case PBM_DELTAPOS: return Move(hwnd, bar, bar->pos + static_cast<int>(wParam));
    case PBM_SETSTEP: {
      const int previous = bar->step;
      bar->step = static_cast<int>(wParam);
      return previous;
    }
    case PBM_STEPIT: {
      // Stepping past the end starts again from the beginning, as the system's bar does.
      const int next = bar->pos + bar->step;
      return Move(hwnd, bar, next > bar->high ? bar->low + (next - bar->high) : next);
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
      wc.cbWndExtra = sizeof(LONG_PTR);
      wc.lpszClassName = c.name;
      RegisterClassW(&wc);
    }
  });
}

}  // namespace win32
