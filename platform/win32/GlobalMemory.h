#pragma once
// Global memory blocks, as the clipboard, packed bitmaps and WinINet's option texts hand
// them over. Every block is fixed in place: the handle is the address, GlobalLock returns it.
// The blocks are known by their handles, so GlobalSize and GlobalFree refuse anything else.
#include "win32/WinDef.h"

using HGLOBAL = void*;
constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// The block's address; null with ERROR_INVALID_HANDLE for an unknown handle.
LPVOID GlobalLock(HGLOBAL block);
// FALSE with the last error ERROR_SUCCESS: the block is no longer locked.
BOOL GlobalUnlock(HGLOBAL block);
// The size asked for at allocation; 0 with ERROR_INVALID_HANDLE for an unknown handle.
SIZE_T GlobalSize(HGLOBAL block);
// Null on success; the handle again (ERROR_INVALID_HANDLE) when it is not a block.
HGLOBAL GlobalFree(HGLOBAL block);
