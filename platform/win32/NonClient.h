#pragma once
// The frame the system draws around a window: its border and, with WS_CAPTION, the caption
// bar with the title and, with WS_SYSMENU, the close box.
#include "win32/WinUser.h"

namespace win32 {

// Draws the window's non-client area (WM_NCPAINT's default).
void PaintNonClient(HWND hwnd);
// The close box of a window with a caption and WS_SYSMENU, in screen coordinates; false for
// a window without one.
bool CloseBoxRect(HWND hwnd, RECT* box);

}  // namespace win32
