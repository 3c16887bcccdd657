#include "win32/PathFunctions.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "win32/NativePath.h"
#include "win32/SystemInfo.h"
#include "win32/WinError.h"

BOOL PathIsDirectoryEmptyW(LPCWSTR path) {
  if (!path || !*path) return FALSE;
  DIR* folder = opendir(NativePath(path).c_str());
  if (!folder) return FALSE;
  BOOL empty = TRUE;
  while (dirent* entry = readdir(folder)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      empty = FALSE;
      break;
    }
  }
  closedir(folder);
  return empty;
}

namespace win32 {

BOOL GetFreeSpaceOfPath(LPCWSTR path, ULARGE_INTEGER* freeToCaller) {
  std::string native = path ? NativePath(path) : std::string();
  if (native.empty()) native = ".";
  for (;;) {
    struct stat st;
    if (stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) break;
    std::string::size_type slash = native.find_last_of('/');
    if (slash == std::string::npos) {
      native = ".";
      break;
    }
    native = slash == 0 ? "/" : native.substr(0, slash);
  }
  std::wstring folder = WidePath(native.c_str());
  return GetDiskFreeSpaceExW(folder.c_str(), freeToCaller, nullptr, nullptr);
}

}  // namespace win32
