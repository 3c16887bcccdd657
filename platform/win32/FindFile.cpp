#include "win32/FindFile.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

#include "win32/FileTime.h"
#include "win32/NativePath.h"
#include "win32/WinError.h"

namespace {

class FindObject : public win32::KernelObject {
 public:
  std::vector<WIN32_FIND_DATAW> entries;
  size_t next = 0;
};

std::shared_ptr<FindObject> Find(HANDLE handle) {
  std::shared_ptr<FindObject> find = win32::LookupHandleAs<FindObject>(handle);
  if (!find) SetLastError(ERROR_INVALID_HANDLE);
  return find;
}

bool Match(const wchar_t* p, const wchar_t* n) {
  for (; *p; ++p, ++n) {
    if (*p == L'*') {
      while (p[1] == L'*') ++p;
      if (!p[1]) return true;
      for (; *n; ++n)
        if (Match(p + 1, n)) return true;
      return Match(p + 1, n);
    }
    if (p[0] == L'.' && p[1] == L'*' && !p[2] && !*n) return true;  // "name.*" matches "name"
    if (!*n) return false;
    if (*p != L'?' && std::towlower(*p) != std::towlower(*n)) return false;
  }
  return !*n;
}

bool HasWildcard(const std::wstring& s) { return s.find_first_of(L"*?") != std::wstring::npos; }

bool FillEntry(const std::string& folder, const std::string& name, WIN32_FIND_DATAW& data) {
  std::string full = folder.empty() ? name : (folder == "/" ? "/" + name : folder + "/" + name);
  struct stat st;
  if (lstat(full.c_str(), &st) != 0) return false;  // vanished since it was listed
  std::wstring wide = WidePath(name.c_str());
  if (wide.size() >= MAX_PATH) return false;
  data = WIN32_FIND_DATAW{};
  data.dwFileAttributes = FileAttributesFromStat(st, name.c_str(), full.c_str());
  data.ftCreationTime = FileTimeFromTimespec(st.st_ctim);
  data.ftLastAccessTime = FileTimeFromTimespec(st.st_atim);
  data.ftLastWriteTime = FileTimeFromTimespec(st.st_mtim);
  if (!S_ISDIR(st.st_mode)) {
    auto size = static_cast<std::uint64_t>(st.st_size);
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFF);
  }
  wide.copy(data.cFileName, wide.size());
  return true;
}

}  // namespace

bool MatchesFilePattern(const wchar_t* pattern, const wchar_t* name) { return Match(pattern, name); }

HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
  if (!pattern || !data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::wstring text = pattern;
  std::wstring::size_type slash = text.find_last_of(L'/');
  std::wstring namePattern = slash == std::wstring::npos ? text : text.substr(slash + 1);
  std::string folder = slash == std::wstring::npos ? "" : slash == 0 ? "/" : NativePath(text.substr(0, slash).c_str());
  if (namePattern.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }

  auto find = std::make_shared<FindObject>();
  if (!HasWildcard(namePattern)) {
    WIN32_FIND_DATAW entry;
    std::string native = NativePath(namePattern.c_str());
    if (!FillEntry(folder, native, entry)) {
      SetLastErrorForPath(errno, NativePath(text.c_str()));
      return INVALID_HANDLE_VALUE;
    }
    find->entries.push_back(entry);
  } else {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
      SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrnoToWin32(errno));
      return INVALID_HANDLE_VALUE;
    }
    while (dirent* d = readdir(dir)) {
      std::wstring wide = WidePath(d->d_name);
      WIN32_FIND_DATAW entry;
      if (Match(namePattern.c_str(), wide.c_str()) && FillEntry(folder, d->d_name, entry)) find->entries.push_back(entry);
    }
    closedir(dir);
    std::sort(find->entries.begin(), find->entries.end(),
              [](const WIN32_FIND_DATAW& a, const WIN32_FIND_DATAW& b) { return std::wcscmp(a.cFileName, b.cFileName) < 0; });
  }
  if (find->entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  *data = find->entries[0];
  find->next = 1;
  return win32::RegisterHandle(find);
}

BOOL FindNextFileW(HANDLE handle, LPWIN32_FIND_DATAW data) {
  std::shared_ptr<FindObject> find = Find(handle);
  if (!find) return FALSE;
  if (find->next >= find->entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  *data = find->entries[find->next++];
  return TRUE;
}

BOOL FindClose(HANDLE handle) {
  if (!Find(handle)) return FALSE;  // a search handle only
  return CloseHandle(handle);
}
