#pragma once
// Unique names for temporary files.
#include "win32/WinDef.h"

// buffer (MAX_PATH characters) receives the folder, a '/' when it has none, the first
// three characters of the prefix, the number in upper-case hexadecimal (at most four
// digits) and ".tmp". With unique 0 a number is chosen for which no file exists and
// the empty file is created (the caller deletes it); otherwise the name is only made.
// Returns the number used, 0 on failure (the folder's error, ERROR_FILENAME_EXCED_RANGE).
UINT GetTempFileNameW(LPCWSTR folder, LPCWSTR prefix, UINT unique, LPWSTR buffer);
