#include "win32/ShellFileOperation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <ctime>
#include <filesystem>
#include <string>

#include "win32/NativePath.h"
#include "win32/WinError.h"

namespace {

namespace fs = std::filesystem;

std::string TrashFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data == '/') return std::string(data) + "/Trash";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.local/share/Trash";
}

// Percent-escapes what a file URL's path may not hold as it is.
std::string EscapePath(const std::string& path) {
  std::string out;
  for (unsigned char c : path) {
    if (std::isalnum(c) || std::strchr("/-_.~!$&'()*+,;=:@", c)) {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

DWORD MoveToTrash(const std::string& path) {
  std::string trash = TrashFolder();
  std::error_code error;
  fs::create_directories(trash + "/files", error);
  fs::create_directories(trash + "/info", error);
  std::string absolute = fs::absolute(path, error).lexically_normal().string();
  while (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
  std::string base = fs::path(absolute).filename().string();
  if (base.empty()) return ERROR_ACCESS_DENIED;

  // The info record is created first and exclusively: it reserves the name.
  for (int n = 1; n < 10000; ++n) {
    std::string name = n == 1 ? base : base + "." + std::to_string(n);
    std::string info = trash + "/info/" + name + ".trashinfo";
    int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return ErrnoToWin32(errno);
    }
    char when[32];
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", &local);
    std::string record = "[Trash Info]\nPath=" + EscapePath(absolute) + "\nDeletionDate=" + when + "\n";
    bool written = ::write(fd, record.data(), record.size()) == static_cast<ssize_t>(record.size());
    ::close(fd);
    if (written && ::rename(absolute.c_str(), (trash + "/files/" + name).c_str()) == 0) return ERROR_SUCCESS;
    int err = errno;
    ::unlink(info.c_str());
    if (!written) return ERROR_DISK_FULL;
    return err == EXDEV ? ERROR_NOT_SUPPORTED : ErrnoToWin32(err);
  }
  return ERROR_FILE_EXISTS;
}

DWORD DeleteForGood(const std::string& path) {
  std::error_code error;
  fs::remove_all(path, error);  // links are removed, never followed
  return error ? ErrnoToWin32(error.value()) : ERROR_SUCCESS;
}

}  // namespace

int SHFileOperationW(LPSHFILEOPSTRUCTW op) {
  if (!op || !op->pFrom) return static_cast<int>(ERROR_INVALID_PARAMETER);
  op->fAnyOperationsAborted = FALSE;
  if (op->wFunc != FO_DELETE) return static_cast<int>(ERROR_NOT_SUPPORTED);
  for (const wchar_t* item = op->pFrom; *item; item += std::wcslen(item) + 1) {
    std::string path = NativePath(item);
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return static_cast<int>(ERROR_FILE_NOT_FOUND);
    DWORD result = (op->fFlags & FOF_ALLOWUNDO) ? MoveToTrash(path) : DeleteForGood(path);
    if (result != ERROR_SUCCESS) return static_cast<int>(result);
  }
  return 0;
}
