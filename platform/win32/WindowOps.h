#pragma once
// Operations shared by the window functions' source files (not part of the API).
#include "win32/WinUser.h"

namespace win32 {

struct Window;

// Windows that have tracking limits: those with a sizing frame, and overlapped ones.
bool HasTrackSize(DWORD style);
// Asks a window for its limits (WM_GETMINMAXINFO) and keeps a size within its tracking limits.
SIZE ClampToTrackSize(HWND hwnd, SIZE size);
// The same for a window being created, when it has tracking limits.
void ApplyMinMax(HWND hwnd);

// No window of the program is active any more (another program took the keyboard).
void ActivateNone();

// Forgets a window that is going away as the active (foreground) window. Callers hold WindowLock().
void ForgetActivationLocked(HWND hwnd);

// Adds a rectangle (client coordinates; null: the whole client area) to a window's update
// region. Callers hold WindowLock() and wake the window's queue afterwards.
void InvalidateLocked(Window& w, const RECT* rect, bool erase);

// A window's visibility including its ancestors. Callers hold WindowLock().
bool IsVisibleLocked(const Window& w);

// The client area in client coordinates, and the screen positions of the window's and the
// client area's top-left corners. Callers hold WindowLock().
RECT ClientRectLocked(const Window& w);
POINT WindowScreenOriginLocked(const Window& w);
POINT ClientScreenOriginLocked(const Window& w);

// Asks the window where its client area lies (WM_NCCALCSIZE) and keeps the thickness of
// the rest, the non-client area.
void RecalcNonClient(HWND hwnd);

}  // namespace win32
