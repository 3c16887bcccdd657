#include "win32/ShellDirectory.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <string>

#include "win32/NativePath.h"
#include "win32/WinError.h"

int SHCreateDirectoryExW(HWND, LPCWSTR path, const SECURITY_ATTRIBUTES*) {
  if (!path || path[0] != L'/') {
    SetLastError(ERROR_BAD_PATHNAME);
    return static_cast<int>(ERROR_BAD_PATHNAME);
  }
  std::string native = NativePath(path);
  if (native.size() >= PATH_MAX) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return static_cast<int>(ERROR_FILENAME_EXCED_RANGE);
  }
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  struct stat st;
  if (::stat(native.c_str(), &st) == 0) {
    DWORD result = S_ISDIR(st.st_mode) ? ERROR_ALREADY_EXISTS : ERROR_FILE_EXISTS;
    SetLastError(result);
    return static_cast<int>(result);
  }
  // Each missing folder along the way, parents first.
  for (size_t slash = native.find('/', 1);; slash = native.find('/', slash + 1)) {
    std::string step = slash == std::string::npos ? native : native.substr(0, slash);
    if (::mkdir(step.c_str(), 0777) != 0 && errno != EEXIST) {
      int err = errno;
      SetLastError(err == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrnoToWin32(err));
      return static_cast<int>(GetLastError());
    }
    if (slash == std::string::npos) break;
  }
  if (::stat(native.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return static_cast<int>(ERROR_PATH_NOT_FOUND);
  }
  SetLastError(ERROR_SUCCESS);
  return static_cast<int>(ERROR_SUCCESS);
}
