#pragma once
// Path helpers of the shell's light-weight utility library. Paths use '/' between
// folders (win32/Files.h).
#include "win32/WinDef.h"

// TRUE when the path names an existing folder (or a link to one).
BOOL PathIsDirectoryW(LPCWSTR path);
// Appends `more` to `path` (a buffer of MAX_PATH characters) with one '/' between
// them; FALSE, leaving path alone, when the result would not fit.
BOOL PathAppendW(LPWSTR path, LPCWSTR more);
