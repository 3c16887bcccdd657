#include "win32/FullPathName.h"

#include <unistd.h>

#include <cerrno>
#include <cwchar>
#include <string>
#include <vector>

#include "win32/NativePath.h"
#include "win32/WinError.h"

DWORD GetFullPathNameW(LPCWSTR fileName, DWORD size, LPWSTR buffer, LPWSTR* filePart) {
  if (!fileName || !*fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::wstring name = fileName;
  if (name[0] != L'/') {
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) {
      SetLastError(ErrnoToWin32(errno));
      return 0;
    }
    name = WidePath(cwd) + L"/" + name;
  }
  const bool trailing = name.back() == L'/';
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find(L'/', start);
    if (end == std::wstring::npos) end = name.size();
    std::wstring part = name.substr(start, end - start);
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::wstring full;
  for (const std::wstring& part : parts) full += L"/" + part;
  if (full.empty() || trailing) full += L"/";
  if (full.size() + 1 > size || !buffer) return static_cast<DWORD>(full.size() + 1);
  std::wmemcpy(buffer, full.c_str(), full.size() + 1);
  if (filePart) {
    size_t last = full.rfind(L'/');
    *filePart = last + 1 < full.size() ? buffer + last + 1 : nullptr;
  }
  return static_cast<DWORD>(full.size());
}
