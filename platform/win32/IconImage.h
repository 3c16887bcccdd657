#pragma once
// The pixels of icons (win32/Icon.h), for drawing code and tests.
#include <juce_graphics/juce_graphics.h>

#include "win32/WinUser.h"

namespace win32 {

// The image of an .ico file nearest to cx x cy, scaled to it (0: its own size);
// a null image when the data is no icon.
juce::Image DecodeIcon(const void* data, size_t size, int cx, int cy);
// The pixels of an icon, a null image for an unknown handle.
juce::Image IconImage(HICON icon);

}  // namespace win32
