#pragma once
// Creating a folder together with every missing parent, as the shell does.
#include "win32/WinDef.h"

// Returns ERROR_SUCCESS when the folder was made, ERROR_ALREADY_EXISTS when it
// was there already (a folder), ERROR_FILE_EXISTS when a file of that name is
// in the way, ERROR_BAD_PATHNAME for a relative name, ERROR_FILENAME_EXCED_RANGE
// for a name too long, otherwise the Win32 error of the failed step. The window
// and the security attributes are ignored.
int SHCreateDirectoryExW(HWND window, LPCWSTR path, const SECURITY_ATTRIBUTES* security);
