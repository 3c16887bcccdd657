#pragma once
// Light path tests of the shell: what a folder holds, and how much room the
// volume under a path has left.
#include "win32/WinDef.h"

// TRUE for a folder without entries; FALSE for a folder with entries, a file, a
// missing path or one that can't be read.
BOOL PathIsDirectoryEmptyW(LPCWSTR path);

namespace win32 {

// GetDiskFreeSpaceExW for the volume that holds path, asked at its nearest
// existing folder (the path itself or an ancestor), so a path that is still
// to be made can be measured. FALSE with the last error when no ancestor can
// be asked (an empty or relative path is measured at the working folder).
BOOL GetFreeSpaceOfPath(LPCWSTR path, ULARGE_INTEGER* freeToCaller);

}  // namespace win32
