#pragma once
// Icons of one colour for the tray tests, loaded as the program loads its own.
#include <cstdint>

#include "win32/Windows.h"

namespace wintest {

// A 32 x 32 icon filled with `argb`, registered under `id` in the test program's resources.
HICON SolidIcon(WORD id, uint32_t argb);

}  // namespace wintest
