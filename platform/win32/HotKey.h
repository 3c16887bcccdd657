#pragma once
// System-wide hot keys of the desktop: one registration per key combination. A
// pressed hot key posts WM_HOTKEY (wParam the id, lParam the modifiers in the low
// word and the virtual key in the high word) to the window, or to the registering
// thread for a null window.
#include "win32/WinDef.h"

constexpr UINT MOD_ALT = 0x0001;
constexpr UINT MOD_CONTROL = 0x0002;
constexpr UINT MOD_SHIFT = 0x0004;
constexpr UINT MOD_WIN = 0x0008;
constexpr UINT MOD_NOREPEAT = 0x4000;
constexpr UINT WM_HOTKEY = 0x0312;
constexpr DWORD ERROR_HOTKEY_ALREADY_REGISTERED = 1409;
constexpr DWORD ERROR_HOTKEY_NOT_REGISTERED = 1419;

// FALSE with ERROR_HOTKEY_ALREADY_REGISTERED when the combination or the window's id
// is taken, ERROR_INVALID_WINDOW_HANDLE for a window that does not exist.
BOOL RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT virtualKey);
BOOL UnregisterHotKey(HWND hwnd, int id);

namespace win32 {
// The desktop's input: the user pressed this combination. True when a hot key took it.
bool PressHotKey(UINT modifiers, UINT virtualKey);
}  // namespace win32
