#include "win32/TempFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <random>
#include <string>

#include "win32/NativePath.h"
#include "win32/WinError.h"

namespace {

std::wstring NameFor(const std::wstring& folder, const std::wstring& prefix, UINT number) {
  wchar_t digits[8];
  std::swprintf(digits, 8, L"%X", number & 0xFFFF);
  std::wstring name = folder;
  if (!name.empty() && name.back() != L'/' && name.back() != L'\\') name += L'/';
  return name + prefix.substr(0, 3) + digits + L".tmp";
}

bool Store(const std::wstring& name, LPWSTR buffer) {
  if (name.size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  std::wmemcpy(buffer, name.c_str(), name.size() + 1);
  return true;
}

}  // namespace

UINT GetTempFileNameW(LPCWSTR folder, LPCWSTR prefix, UINT unique, LPWSTR buffer) {
  if (!folder || !buffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::wstring dir = folder, pre = prefix ? prefix : L"";
  if (unique != 0) return Store(NameFor(dir, pre, unique), buffer) ? (unique & 0xFFFF) : 0;

  static thread_local std::mt19937 random{std::random_device{}()};
  UINT start = (random() % 0xFFFF) + 1;
  for (UINT i = 0; i < 0xFFFF; ++i) {
    UINT number = (start + i - 1) % 0xFFFF + 1;
    std::wstring name = NameFor(dir, pre, number);
    if (name.size() >= MAX_PATH) return Store(name, buffer) ? 0 : 0;
    std::string native = NativePath(name.c_str());
    int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      Store(name, buffer);
      return number;
    }
    if (errno != EEXIST) {
      SetLastErrorForPath(errno, native);
      return 0;
    }
  }
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}
