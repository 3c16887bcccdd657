#pragma once
// The painting of the dialog controls (DialogControls.h), each in its WM_PAINT.
#include "win32/WinUser.h"

namespace win32 {

// A static: its text (wrapped), or its picture (SS_BITMAP, SS_ICON) filling it, or white
// (SS_WHITERECT); the background and text colour as its parent answers WM_CTLCOLORSTATIC.
void PaintStatic(HWND hwnd, HANDLE image);
// A push button: face, outline (a second one for the default button), centred text, and
// the focus rectangle while it has the focus; `pressed` shifts it down.
void PaintButton(HWND hwnd, bool pressed);
// A progress bar: the part done from the left in the highlight colour.
void PaintProgress(HWND hwnd, int low, int high, int pos);

}  // namespace win32
