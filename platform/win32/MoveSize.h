#pragma once
// Moving and sizing a top-level window by the pointer (DefWindowProcW's SC_MOVE and SC_SIZE).
#include "win32/WinUser.h"

constexpr UINT WM_ENTERSIZEMOVE = 0x0231;
constexpr UINT WM_EXITSIZEMOVE = 0x0232;
constexpr WPARAM WMSZ_LEFT = 1;
constexpr WPARAM WMSZ_RIGHT = 2;
constexpr WPARAM WMSZ_TOP = 3;
constexpr WPARAM WMSZ_TOPLEFT = 4;
constexpr WPARAM WMSZ_TOPRIGHT = 5;
constexpr WPARAM WMSZ_BOTTOM = 6;
constexpr WPARAM WMSZ_BOTTOMLEFT = 7;
constexpr WPARAM WMSZ_BOTTOMRIGHT = 8;

namespace win32 {

// The system command a left press at hit-test `hit` starts (SC_MOVE for the caption,
// SC_SIZE with the edge for the frame), 0 for none.
WPARAM MoveSizeCommand(LRESULT hit);
// Follows the pointer from screen point `start` until the left button comes up.
void MoveSizeLoop(HWND hwnd, WPARAM command, POINT start);

}  // namespace win32
