#pragma once
// Window states and movements, and hot keys.
#include "mfc/Afx.h"

namespace Common {

// The next child of the parent after `after` with that window class; null for an
// empty class name.
HWND GetClassNamedWindow(HWND parent, HWND after, const CString& className);
int IsWndMinimized(HWND hwnd);
int IsWndMaximized(HWND hwnd);
// Brings the window to the front and shows it (restored when minimised). 0 for
// INVALID_HANDLE_VALUE, 1 when it is in front already, else whether it came to the front.
int ForceForegroundWindow(HWND hwnd);
// Moves the window count times twice by up to 9 pixels each way, then back.
void ShakeWindow(HWND hwnd, int count);

// A hot key value: the virtual key in bits 0-15, modifiers in bits 16-23
// (1 Shift, 2 Ctrl, 4 Alt), as the hot-key control gives it.
// 0 for a null window; for the value 0 the id is unregistered (result 1).
int RegisterHotKey(HWND hwnd, unsigned int id, unsigned long hotKey);
// "Ctrl+Shift+A"; empty for 0.
CString GetHotKeyString(unsigned long hotKey);

}  // namespace Common
