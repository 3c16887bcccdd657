#include "common/WindowFunctions.h"

#include <cstdlib>

namespace Common {
namespace {

constexpr unsigned kHotKeyShift = 1;
constexpr unsigned kHotKeyCtrl = 2;
constexpr unsigned kHotKeyAlt = 4;

int Jitter() {
  int r1 = std::rand();
  int r2 = std::rand();
  return r1 % 10 - r2 % 10;
}

void ShakeRound(HWND hwnd, const RECT& start, int count) {
  std::srand(GetTickCount());
  for (int i = 0; i < count; ++i) {
    int dx = Jitter();
    int dy = Jitter();
    SetWindowPos(hwnd, HWND_TOP, start.left + dx, start.top + dy, 0, 0, SWP_NOSIZE);
  }
}

}  // namespace

HWND GetClassNamedWindow(HWND parent, HWND after, const CString& className) {
  if (className.IsEmpty()) return nullptr;
  return FindWindowExW(parent, after, className, nullptr);
}

int IsWndMinimized(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_MINIMIZE) ? 1 : 0; }

int IsWndMaximized(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_MAXIMIZE) ? 1 : 0; }

int ForceForegroundWindow(HWND hwnd) {
  if (reinterpret_cast<HANDLE>(hwnd) == INVALID_HANDLE_VALUE) return 0;
  if (GetForegroundWindow() == hwnd) return 1;
  BOOL brought = SetForegroundWindow(hwnd);
  ShowWindow(hwnd, IsIconic(hwnd) ? SW_RESTORE : SW_SHOW);
  return brought ? 1 : 0;
}

void ShakeWindow(HWND hwnd, int count) {
  RECT start{};
  if (!GetWindowRect(hwnd, &start)) return;
  ShakeRound(hwnd, start, count);
  ShakeRound(hwnd, start, count);
  SetWindowPos(hwnd, HWND_TOP, start.left, start.top, 0, 0, SWP_NOSIZE);
}

int RegisterHotKey(HWND hwnd, unsigned int id, unsigned long hotKey) {
  if (!hwnd) return 0;
  if (hotKey == 0) {
    ::UnregisterHotKey(hwnd, static_cast<int>(id));
    return 1;
  }
  unsigned flags = (hotKey >> 16) & 0xFF;
  UINT modifiers = 0;
  if (flags & kHotKeyAlt) modifiers |= MOD_ALT;
  if (flags & kHotKeyCtrl) modifiers |= MOD_CONTROL;
  if (flags & kHotKeyShift) modifiers |= MOD_SHIFT;
  return ::RegisterHotKey(hwnd, static_cast<int>(id), modifiers, hotKey & 0xFFFF) ? 1 : 0;
}

CString GetHotKeyString(unsigned long hotKey) {
  unsigned flags = (hotKey >> 16) & 0xFF;
  CString text;
  auto add = [&text](const wchar_t* part) {
    if (!text.IsEmpty()) text += L"+";
    text += part;
  };
  if (flags & kHotKeyCtrl) add(L"Ctrl");
  if (flags & kHotKeyShift) add(L"Shift");
  if (flags & kHotKeyAlt) add(L"Alt");
  UINT scan = MapVirtualKeyW(hotKey & 0xFFFF, MAPVK_VK_TO_VSC);
  wchar_t name[64] = {};
  if (scan && GetKeyNameTextW(static_cast<LONG>(scan << 16), name, 64) > 0) add(name);
  return text;
}

}  // namespace Common
