#pragma once
// Module file names. A null module is the running program; any other module is
// a handle from dlopen (what LoadLibraryW gives).
#include "win32/WinDef.h"

// Copies the full file name; when the buffer is too short it is cut to size - 1
// characters plus NUL, the result is size and the last error ERROR_INSUFFICIENT_BUFFER.
// Returns 0 on failure.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
