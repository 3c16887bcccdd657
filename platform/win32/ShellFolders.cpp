#include "win32/ShellFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

#include "win32/NativePath.h"

namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "";
}

std::string FromEnvironment(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && value[0] == '/' ? value : fallback;  // relative values are ignored
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The documents line of user-dirs.dirs: XDG_DOCUMENTS_DIR="$HOME/Documents".
std::string DocumentsFolder(const std::string& home) {
  std::string config = FromEnvironment("XDG_CONFIG_HOME", home.empty() ? "" : home + "/.config");
  std::ifstream dirs(config + "/user-dirs.dirs");
  std::string line;
  const std::string key = "XDG_DOCUMENTS_DIR=";
  while (std::getline(dirs, line)) {
    if (line.compare(0, key.size(), key) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
    if (!value.empty() && value[0] == '/') return value;
  }
  if (!home.empty() && IsFolder(home + "/Documents")) return home + "/Documents";
  return home;
}

bool CreateFolders(const std::string& path) {
  for (std::string::size_type i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    std::string part = path.substr(0, i);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return IsFolder(path);
}

}  // namespace

HRESULT SHGetFolderPathW(HWND, int folder, HANDLE, DWORD, LPWSTR path) {
  if (!path) return E_INVALIDARG;
  path[0] = L'\0';
  std::string home = HomeFolder();
  std::string native;
  switch (folder & ~CSIDL_FLAG_CREATE) {
    case CSIDL_APPDATA:
    case CSIDL_LOCAL_APPDATA:
      native = FromEnvironment("XDG_DATA_HOME", home.empty() ? "" : home + "/.local/share");
      break;
    case CSIDL_PERSONAL: native = DocumentsFolder(home); break;
    default: return E_INVALIDARG;
  }
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  if (native.empty()) return E_FAIL;
  if ((folder & CSIDL_FLAG_CREATE) && !CreateFolders(native)) return E_FAIL;
  std::wstring wide = WidePath(native.c_str());
  if (wide.size() >= MAX_PATH) return E_FAIL;
  wide.copy(path, wide.size());
  path[wide.size()] = L'\0';
  return S_OK;
}

BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int folder, BOOL create) {
  return SUCCEEDED(SHGetFolderPathW(owner, folder | (create ? CSIDL_FLAG_CREATE : 0), nullptr, SHGFP_TYPE_CURRENT, path))
             ? TRUE
             : FALSE;
}
