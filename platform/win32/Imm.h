#pragma once
// The input method as a per-window switch: a window has the default input context until
// ImmAssociateContext gives it another or none (none: typed text comes as plain keys,
// without the input method's composition). A display reads the switch of the focus window.
#include "win32/WinUser.h"

DORV_DECLARE_HANDLE(HIMC);

// The window's input context, null when it has none (or the window is gone).
HIMC ImmGetContext(HWND hwnd);
BOOL ImmReleaseContext(HWND hwnd, HIMC context);
// Gives the window `context` (null: none) and returns the one it had.
HIMC ImmAssociateContext(HWND hwnd, HIMC context);

namespace win32 {

// Whether the window takes text through the input method.
bool ImeEnabled(HWND hwnd);

}  // namespace win32
