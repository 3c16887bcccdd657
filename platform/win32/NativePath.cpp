#include "win32/NativePath.h"

#include <sys/stat.h>

#include <cerrno>

#include "win32/CodePage.h"
#include "win32/WinError.h"

std::string NativePath(LPCWSTR path) { return path ? WideToUtf8(path) : std::string(); }

std::wstring WidePath(const char* native) { return native ? Utf8ToWide(native) : std::wstring(); }

void SetLastErrorForPath(int err, const std::string& native) {
  if (err == ENOENT) {
    std::string::size_type slash = native.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : native.substr(0, slash);
    struct stat st;
    SetLastError(stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return;
  }
  SetLastError(ErrnoToWin32(err));
}
