#pragma once
// The caret: one per thread, owned by a window, shown once every HideCaret is matched by a
// ShowCaret (it starts hidden). While shown it blinks on a thread timer, so the replaceable
// clock drives it; the screen pictures (headless captures and a display's windows) show it
// lit as an inverted rectangle, clipped to its window's client area.
#include <vector>

#include "win32/GdiTypes.h"
#include "win32/WinUser.h"

// Replaces the thread's caret (width 0: a border's width). The bitmap is not drawn.
BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
// In the client coordinates of the caret's window; a move relights it.
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(LPPOINT point);
// `hwnd` is the caret's window, or null for the thread's caret wherever it is.
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
UINT GetCaretBlinkTime();
BOOL SetCaretBlinkTime(UINT ms);

namespace win32 {

// The carets lit at this moment (any thread's): their top-level windows and their
// rectangles on the screen, inside their windows' client areas.
struct LitCaret {
  HWND root;
  RECT screen;
};
std::vector<LitCaret> LitCarets();

}  // namespace win32
