#pragma once
// File names cross into the system as UTF-8 bytes and come back as wide text.
#include <string>

#include "win32/WinDef.h"

std::string NativePath(LPCWSTR path);
std::wstring WidePath(const char* native);

// The last error after a system call on a path failed with errno err: a missing
// entry is ERROR_FILE_NOT_FOUND when its folder exists, else ERROR_PATH_NOT_FOUND.
void SetLastErrorForPath(int err, const std::string& native);
