#include "common/FileHelpers.h"

#include <md5.h>

#include <cstdio>
#include <cwchar>

#include "common/PathText.h"
#include "common/RandomText.h"
#include "win32/Windows.h"

namespace Common {

namespace {

// Closes a kernel handle when it goes.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : m_handle(handle) {}
  ~ScopedHandle() {
    if (valid()) CloseHandle(m_handle);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
  HANDLE get() const { return m_handle; }

 private:
  HANDLE m_handle;
};

HANDLE OpenForReading(const CString& path) {
  return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Reads the file to its end in pieces; false on a read error.
template <class Sink>
bool ReadAll(HANDLE file, Sink sink) {
  char buffer[4096];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr)) return false;
    if (read == 0) return true;
    sink(buffer, read);  // a short last piece counts too
  }
}

bool IsDots(const wchar_t* name) { return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0; }

}  // namespace

int IsFileExist(const CString& path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES ? 1 : 0; }

int IsDirectory(const CString& path) {
  DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

unsigned long long GetFileSize(const CString& path) {
  struct _stat64 st;
  if (_wstat64(ReparsePath(path), &st) != 0) return 0;
  return static_cast<unsigned long long>(st.st_size);
}

int GetFileLastWriteTime(const CString& path, std::string& out) {
  out.clear();
  if (!IsFileExist(path)) return 0;
  ScopedHandle file(CreateFileW(path, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return 0;
  FILETIME write, local;
  SYSTEMTIME time;
  if (!GetFileTime(file.get(), nullptr, nullptr, &write) || !FileTimeToLocalFileTime(&write, &local) ||
      !FileTimeToSystemTime(&local, &time))
    return 0;
  char text[64];
  std::snprintf(text, sizeof text, "%02d/%02d/%d-%02d:%02d:%02d", time.wYear, time.wMonth, time.wDay, time.wHour,
                time.wMinute, time.wSecond);
  out = text;
  return 1;
}

int GetFileMd5(const CString& path, CString& out) {
  out.Empty();
  ScopedHandle file(OpenForReading(path));
  if (!file.valid()) return 0;
  MD5_CTX context;
  MD5Init(&context);
  if (!ReadAll(file.get(), [&](const char* bytes, DWORD n) {
        MD5Update(&context, reinterpret_cast<const unsigned char*>(bytes), n);
      }))
    return 0;
  unsigned char digest[MD5_DIGEST_LENGTH];
  MD5Final(digest, &context);
  static const wchar_t kHex[] = L"0123456789abcdef";
  for (unsigned char byte : digest) {
    out.AppendChar(kHex[byte >> 4]);
    out.AppendChar(kHex[byte & 15]);
  }
  return 1;
}

int LoadFile(const CString& path, std::string& out) {
  ScopedHandle file(OpenForReading(path));
  if (!file.valid()) return 0;
  std::string bytes;
  if (!ReadAll(file.get(), [&](const char* data, DWORD n) { bytes.append(data, n); })) return 0;
  out += bytes;
  return 1;
}

int EmptyFolder(const CString& folder, int remove) {
  CString pattern = folder + kPathSeparator + L"*.*";
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(pattern, &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (IsDots(data.cFileName)) continue;
      CString entry = folder + kPathSeparator + data.cFileName;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link is removed itself; what it points to is not ours to empty.
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryW(entry);
        else DeleteFileW(entry);
      } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        EmptyFolder(entry, 1);
      } else {
        DeleteFileW(entry);
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  if (!remove) return 1;
  return RemoveDirectoryW(folder) ? 1 : 0;
}

int CopyFolder(CString from, CString to) {
  int result = 1;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(from + L"*.*", &data);
  if (find == INVALID_HANDLE_VALUE) return result;
  do {
    if (IsDots(data.cFileName) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (!CopyFileW(from + data.cFileName, to + data.cFileName, FALSE)) result = 0;
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return result;
}

int CreateDirRecursive(CString path) {
  CString parent;
  if (GetParentDir(path, parent)) {
    if (!IsFileExist(parent)) CreateDirRecursive(parent);
    if (!IsFileExist(path)) CreateDirectoryW(path, nullptr);
  }
  return IsFileExist(path);
}

void SafeDeleteFile(const wchar_t* path) { DeleteFileW(path); }

int SafeCopyFile(const wchar_t* from, const wchar_t* to) {
  if (!from || !to) return 0;
  // The copy goes beside the target first, so a failed copy leaves the target whole.
  CString staging = GetFileDirFromPath(to) + L".dorv-copy-" + GetRandomNumString(12);
  if (!CopyFileW(from, staging, TRUE)) return 0;
  if (!MoveFileExW(staging, to, MOVEFILE_REPLACE_EXISTING)) {
    DWORD error = GetLastError();
    DeleteFileW(staging);
    SetLastError(error);
    return 0;
  }
  return 1;
}

int SafeRenameFile(const wchar_t* from, const wchar_t* to) {
  if (!from || !to) return 0;
  return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) ? 1 : 0;
}

}  // namespace Common
