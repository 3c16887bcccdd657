#pragma once
// Pointer shapes: the system's shared cursors (LoadCursorW with an IDC_* id), the one
// shown now (SetCursor), and the rectangle the pointer is confined to (ClipCursor).
// A display shows the shape and keeps the pointer inside the rectangle; headless, both are
// only state the tests read.
#include "win32/WinUser.h"

inline LPCWSTR MakeCursorId(WORD id) { return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(id)); }
#define IDC_ARROW MakeCursorId(32512)
#define IDC_IBEAM MakeCursorId(32513)
#define IDC_WAIT MakeCursorId(32514)
#define IDC_CROSS MakeCursorId(32515)
#define IDC_UPARROW MakeCursorId(32516)
#define IDC_SIZENWSE MakeCursorId(32642)
#define IDC_SIZENESW MakeCursorId(32643)
#define IDC_SIZEWE MakeCursorId(32644)
#define IDC_SIZENS MakeCursorId(32645)
#define IDC_SIZEALL MakeCursorId(32646)
#define IDC_NO MakeCursorId(32648)
#define IDC_HAND MakeCursorId(32649)
#define IDC_APPSTARTING MakeCursorId(32650)
#define IDC_HELP MakeCursorId(32651)

// A system cursor (module null, name an IDC_* id): shared, never to be destroyed. Anything
// else: null with ERROR_RESOURCE_NAME_NOT_FOUND (the program has no cursor resources).
HCURSOR LoadCursorW(HINSTANCE module, LPCWSTR name);
// Shows `cursor` (null: no pointer shape) and returns the one shown before.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
BOOL DestroyCursor(HCURSOR cursor);
// Confines the pointer to a screen rectangle (null: frees it).
BOOL ClipCursor(const RECT* rect);
BOOL GetClipCursor(LPRECT rect);

namespace win32 {

// The IDC_* id of a system cursor (32512 for IDC_ARROW), 0 for any other handle.
WORD CursorShape(HCURSOR cursor);
// Whether ClipCursor confines the pointer now, and to which screen rectangle.
bool CursorClip(RECT* rect);

}  // namespace win32
