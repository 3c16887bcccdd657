#pragma once
// An icon's pixels for showing it elsewhere (a display's tray), free of the drawing
// library's headers.
#include <vector>

#include "win32/WinUser.h"

namespace win32 {

// The icon scaled to size x size over `background`, as top-down rows of blue, green, red and
// one unused byte; false for an unknown icon.
bool IconPixels(HICON icon, int size, COLORREF background, std::vector<BYTE>* pixels);
// The icon scaled to size x size with its transparency, as top-down rows of alpha, red, green
// and blue bytes (not premultiplied); false for an unknown icon.
bool IconArgbPixels(HICON icon, int size, std::vector<BYTE>* pixels);

}  // namespace win32
