#pragma once
// The virtual key of an X key symbol, as a US keyboard gives it on Windows.
#include "win32/WinDef.h"

namespace display {

// The key's unshifted symbol in; 0 for a symbol no virtual key stands for (text alone).
UINT VirtualKeyOfKeySym(unsigned long keysym);

}  // namespace display
