#pragma once
// The pointer tracking of TrackMouseEvent, told of every pointer move by the input path.
#include "win32/WinUser.h"

namespace win32 {

// The pointer moved to `screen`, over `target` (null: no window) with hit-test `hit`.
void PointerMoved(HWND target, LRESULT hit, POINT screen);

constexpr UINT kDefaultHoverMs = 400;

}  // namespace win32
