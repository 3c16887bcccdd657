#include "win32/ShellPath.h"

#include <cwchar>
#include <string>

#include "win32/Files.h"

BOOL PathIsDirectoryW(LPCWSTR path) {
  if (!path || !*path) return FALSE;
  DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? TRUE : FALSE;
}

BOOL PathAppendW(LPWSTR path, LPCWSTR more) {
  if (!path || !more) return FALSE;
  std::wstring result = path;
  while (*more == L'/') ++more;
  if (*more) {
    if (!result.empty() && result.back() != L'/') result += L'/';
    result += more;
  }
  if (result.size() >= MAX_PATH) return FALSE;
  std::wmemcpy(path, result.c_str(), result.size() + 1);
  return TRUE;
}
