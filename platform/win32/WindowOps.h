#pragma once
// Operations shared by the window functions' source files (not part of the API).
#include "win32/WinUser.h"

namespace win32 {

struct Window;

// Asks a top-level window for its size limits (WM_GETMINMAXINFO) and keeps its size within them.
void ApplyMinMax(HWND hwnd);

// Forgets a window that is going away as the active (foreground) window. Callers hold WindowLock().
void ForgetActivationLocked(HWND hwnd);

// Adds a rectangle (client coordinates; null: the whole client area) to a window's update
// region. Callers hold WindowLock() and wake the window's queue afterwards.
void InvalidateLocked(Window& w, const RECT* rect, bool erase);

// A window's visibility including its ancestors. Callers hold WindowLock().
bool IsVisibleLocked(const Window& w);

}  // namespace win32
