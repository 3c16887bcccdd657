#pragma once
// Listing a folder by pattern. The pattern is the last part of the name: '*'
// matches any run of characters, '?' one character, letters match without regard
// to case, and a trailing ".*" also matches names without a dot (so "*.*" lists
// everything). "." and ".." are listed as on Windows. The listing is taken when
// the search starts, sorted by name; later changes to the folder don't show.
#include "win32/Files.h"
#include "win32/Handle.h"

struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;

// INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND when nothing matches,
// ERROR_PATH_NOT_FOUND when the folder is missing.
HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data);
// FALSE with ERROR_NO_MORE_FILES after the last entry.
BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data);
BOOL FindClose(HANDLE find);

// The matching rule above, on its own.
bool MatchesFilePattern(const wchar_t* pattern, const wchar_t* name);
