#pragma once
// Local memory blocks, as CommandLineToArgvW and FormatMessageW hand them out.
#include "win32/WinDef.h"

using HLOCAL = void*;
constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

// Fixed blocks only: the handle is the address.
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
// Null on success; the block otherwise.
HLOCAL LocalFree(HLOCAL block);
