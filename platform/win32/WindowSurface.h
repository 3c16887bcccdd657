#pragma once
// Windows' pixels. Every top-level window has a surface as large as its window rectangle;
// its child windows draw into it at their place, clipped to their client areas and their
// ancestors', as on one screen. A window may have a region (SetWindowRgn) that shapes it for
// hit testing and compositing. The surfaces outlive paints, so what EndPaint last wrote can
// be read back.
#include <juce_graphics/juce_graphics.h>

#include <memory>
#include <optional>

#include "win32/GdiBitmap.h"
#include "win32/WindowPicture.h"
#include "win32/WinUser.h"

namespace win32 {

// A new DC on the window's client area (nonClient: on its whole window rectangle), or null
// with ERROR_INVALID_WINDOW_HANDLE.
HDC WindowDc(HWND hwnd, bool nonClient);
// The window's client area as its surface holds it (RGB); null when the window is unknown or
// has no area.
juce::Image CaptureClient(HWND hwnd);
// The screen: top-level windows from the bottom of the z-order up, each under its region,
// over the desktop's colour.
juce::Image CaptureScreenImage();
// Whether a screen point lies inside the window's region (always, for a window without one).
bool InWindowRegion(HWND hwnd, POINT screen);
// Forgets a destroyed window's surface and region. Safe under the window lock.
void DropWindowSurface(HWND hwnd);

}  // namespace win32
