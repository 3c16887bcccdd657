#include "win32/DialogManager.h"

#include <algorithm>
#include <string>
#include <vector>

#include "win32/DialogControls.h"
#include "win32/KeyState.h"

namespace {

// The dialog's controls in z-order, the tab order: a control made later starts below the
// earlier ones, so this is the template's order unless someone restacked them.
std::vector<HWND> Controls(HWND dialog) {
  std::vector<HWND> order;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) order.push_back(c);
  return order;
}

bool Takes(HWND control) {
  return (GetWindowLongPtrW(control, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(control) && IsWindowEnabled(control);
}

bool IsPushButton(HWND control) {
  wchar_t name[16] = L"";
  GetClassNameW(control, name, 16);
  return std::wstring(name) == WC_BUTTONW;
}

HWND DefaultButton(HWND dialog) {
  for (HWND c : Controls(dialog))
    if (IsPushButton(c) && (GetWindowLongPtrW(c, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON && IsWindowVisible(c)) return c;
  return nullptr;
}

void Command(HWND dialog, int id, HWND control) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

}  // namespace

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  std::vector<HWND> order = Controls(dialog);
  if (order.empty()) return nullptr;
  auto at = std::find(order.begin(), order.end(), control);
  size_t start = at == order.end() ? (previous ? 0 : order.size() - 1) : static_cast<size_t>(at - order.begin());
  for (size_t step = 1; step <= order.size(); ++step) {
    size_t i = previous ? (start + order.size() * 2 - step) % order.size() : (start + step) % order.size();
    if (Takes(order[i])) return order[i];
  }
  return nullptr;
}

BOOL IsDialogMessageW(HWND dialog, LPMSG msg) {
  if (!msg || !dialog || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd))) return FALSE;
  HWND focus = msg->hwnd;  // the control the key came to
  if (msg->message == WM_KEYDOWN) {
    switch (msg->wParam) {
      case VK_TAB: {
        HWND next = GetNextDlgTabItem(dialog, focus, GetKeyState(VK_SHIFT) < 0);
        if (next) SetFocus(next);
        return TRUE;
      }
      case VK_RETURN: {
        HWND button = focus && IsChild(dialog, focus) && IsPushButton(focus) ? focus : DefaultButton(dialog);
        Command(dialog, button ? GetDlgCtrlID(button) : IDOK, button);
        return TRUE;
      }
      case VK_ESCAPE: Command(dialog, IDCANCEL, GetDlgItem(dialog, IDCANCEL)); return TRUE;
      case VK_SPACE:
        if (focus && IsChild(dialog, focus) && IsPushButton(focus)) {
          SendMessageW(focus, BM_CLICK, 0, 0);
          return TRUE;
        }
        break;
    }
  }
  // The characters of the keys taken above make nothing more.
  if (msg->message == WM_CHAR && (msg->wParam == L'\t' || msg->wParam == L'\r' || msg->wParam == 0x1B)) return TRUE;
  TranslateMessage(msg);
  DispatchMessageW(msg);
  return TRUE;
}
