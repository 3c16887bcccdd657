#include "win32/Module.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

#include "win32/NativePath.h"
#include "win32/WinError.h"

namespace {

bool ModulePath(HMODULE module, std::string& path) {
  link_map* map = nullptr;
  if (module && (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map)) return false;
  if (!module || !map->l_name || !*map->l_name) {  // the program itself has no name in the map
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof buffer)) return false;
    path.assign(buffer, static_cast<size_t>(n));
    return true;
  }
  char resolved[PATH_MAX];
  path = realpath(map->l_name, resolved) ? resolved : map->l_name;
  return true;
}

}  // namespace

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
  std::string native;
  if (!ModulePath(module, native)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  std::wstring path = WidePath(native.c_str());
  if (!buffer || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() >= size) {
    path.copy(buffer, size - 1);
    buffer[size - 1] = L'\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  path.copy(buffer, path.size());
  buffer[path.size()] = L'\0';
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(path.size());
}
