#pragma once
// Full path names: a relative name is taken against the current folder and "."
// and ".." parts are resolved in the text alone (nothing needs to exist).
#include "win32/WinDef.h"

// Copies the full name into `buffer` and returns its length without the NUL;
// when the buffer is too short, returns the size needed including the NUL and
// copies nothing. `filePart`, when not null, receives the start of the last
// part in the buffer (null when the name ends in a separator). 0 with the last
// error set on failure (a null or empty name: ERROR_INVALID_PARAMETER).
DWORD GetFullPathNameW(LPCWSTR fileName, DWORD size, LPWSTR buffer, LPWSTR* filePart);
