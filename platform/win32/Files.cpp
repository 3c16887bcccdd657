#include "win32/Files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "win32/FileLocks.h"
#include "win32/NativePath.h"
#include "win32/WinError.h"

namespace {

// A locked file stands for one that another program holds open (FileLocks.h).
bool Occupied(const std::string& path, win32::FileLock atLeast = win32::FileLock::Shared) {
  win32::FileLock lock = win32::LockOnFile(path);
  if (lock == win32::FileLock::None || (atLeast == win32::FileLock::Exclusive && lock != atLeast)) return false;
  SetLastError(ERROR_SHARING_VIOLATION);
  return true;
}

bool Fail(int err, const std::string& path) {
  SetLastErrorForPath(err, path);
  return false;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Copies an open file's bytes into another; false with errno on failure.
bool CopyBytes(int from, int to) {
  char buffer[64 * 1024];
  for (;;) {
    ssize_t n = read(from, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (ssize_t done = 0; done < n;) {
      ssize_t w = write(to, buffer + done, static_cast<size_t>(n - done));
      if (w < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += w;
    }
  }
}

bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  if (Occupied(from, win32::FileLock::Exclusive) || Occupied(to)) return false;
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return Fail(errno, from);
  struct stat st;
  if (fstat(in, &st) != 0) {
    int err = errno;
    close(in);
    return Fail(err, from);
  }
  if (S_ISDIR(st.st_mode)) {
    close(in);
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  // A link at the target is never written through.
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | (failIfExists ? O_EXCL : O_TRUNC);
  int out = open(to.c_str(), flags, st.st_mode & 07777);
  if (out < 0) {
    int err = errno;
    close(in);
    if (err == EEXIST) {
      SetLastError(ERROR_FILE_EXISTS);
      return false;
    }
    if (err == EISDIR || err == ELOOP) err = EACCES;
    return Fail(err, to);
  }
  bool copied = CopyBytes(in, out);
  int err = errno;
  if (copied) {
    fchmod(out, st.st_mode & 07777);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(out, times);
  }
  if (close(out) != 0 && copied) {
    copied = false;
    err = errno;
  }
  close(in);
  if (!copied) {
    unlink(to.c_str());  // no half-written copy stays behind
    return Fail(err, to);
  }
  return true;
}

}  // namespace

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
  std::string native = NativePath(path);
  if (mkdir(native.c_str(), 0777) != 0) {
    int err = errno;
    if (err == ENOENT) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return FALSE;
    }
    return Fail(err, native);
  }
  return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR path) {
  std::string native = NativePath(path);
  struct stat st;
  if (lstat(native.c_str(), &st) != 0) return Fail(errno, native);
  if (S_ISLNK(st.st_mode)) {
    if (!IsFolder(native)) {
      SetLastError(ERROR_DIRECTORY);
      return FALSE;
    }
    return unlink(native.c_str()) == 0 ? TRUE : Fail(errno, native);
  }
  if (!S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_DIRECTORY);
    return FALSE;
  }
  if (rmdir(native.c_str()) != 0) {
    int err = errno;
    if (err == EEXIST) err = ENOTEMPTY;
    return Fail(err, native);
  }
  return TRUE;
}

BOOL DeleteFileW(LPCWSTR path) {
  std::string native = NativePath(path);
  struct stat st;
  if (lstat(native.c_str(), &st) != 0) return Fail(errno, native);
  if (S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (S_ISREG(st.st_mode) && Occupied(native)) return FALSE;
  return unlink(native.c_str()) == 0 ? TRUE : Fail(errno, native);
}

BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
  return CopyFile(NativePath(from), NativePath(to), failIfExists != FALSE) ? TRUE : FALSE;
}

BOOL MoveFileW(LPCWSTR from, LPCWSTR to) { return MoveFileExW(from, to, MOVEFILE_COPY_ALLOWED); }

BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
  std::string source = NativePath(from);
  std::string target = NativePath(to);
  struct stat st;
  if (lstat(source.c_str(), &st) != 0) return Fail(errno, source);
  struct stat targetSt;
  bool targetExists = lstat(target.c_str(), &targetSt) == 0;
  // Renaming a name onto itself is a no-op.
  bool same = targetExists && st.st_dev == targetSt.st_dev && st.st_ino == targetSt.st_ino && source == target;
  if (same) return TRUE;
  if (S_ISREG(st.st_mode) && Occupied(source)) return FALSE;
  // Windows refuses to move a folder while a file below it is open.
  if (S_ISDIR(st.st_mode) && win32::FolderHoldsLockedFile(source)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (flags & MOVEFILE_REPLACE_EXISTING) {
    if (targetExists && S_ISREG(targetSt.st_mode) && win32::LockOnFile(target) != win32::FileLock::None) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    if (targetExists && S_ISDIR(targetSt.st_mode)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    if (rename(source.c_str(), target.c_str()) == 0) return TRUE;
  } else {
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return TRUE;
    if (errno == EINVAL || errno == ENOSYS) {  // the file system can't refuse for us
      if (lstat(target.c_str(), &targetSt) == 0) {
        errno = EEXIST;
      } else if (rename(source.c_str(), target.c_str()) == 0) {
        return TRUE;
      }
    }
  }
  int err = errno;
  if (err == EEXIST || err == ENOTEMPTY) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  if (err == EXDEV) {
    if (!(flags & MOVEFILE_COPY_ALLOWED) || S_ISDIR(st.st_mode)) {
      SetLastError(ERROR_NOT_SAME_DEVICE);
      return FALSE;
    }
    if (!CopyFile(source, target, !(flags & MOVEFILE_REPLACE_EXISTING))) return FALSE;
    if (unlink(source.c_str()) != 0) return Fail(errno, source);
    return TRUE;
  }
  if (err == ENOENT && lstat(source.c_str(), &st) == 0) {
    SetLastError(ERROR_PATH_NOT_FOUND);  // the target's folder is missing
    return FALSE;
  }
  return Fail(err, err == ENOENT ? source : target);
}

DWORD FileAttributesFromStat(const struct stat& st, const char* name, const char* fullPath) {
  DWORD attributes = 0;
  bool folder = S_ISDIR(st.st_mode);
  if (S_ISLNK(st.st_mode)) {
    attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    folder = IsFolder(fullPath);
  }
  if (folder) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (name && name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
    attributes |= FILE_ATTRIBUTE_HIDDEN;
  if (!S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

DWORD GetFileAttributesW(LPCWSTR path) {
  std::string native = NativePath(path);
  struct stat st;
  if (lstat(native.c_str(), &st) != 0) {
    SetLastErrorForPath(errno, native);
    return INVALID_FILE_ATTRIBUTES;
  }
  std::string::size_type slash = native.find_last_of('/');
  const char* name = native.c_str() + (slash == std::string::npos ? 0 : slash + 1);
  return FileAttributesFromStat(st, name, native.c_str());
}

BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes) {
  std::string native = NativePath(path);
  struct stat st;
  if (lstat(native.c_str(), &st) != 0) return Fail(errno, native);
  if (S_ISLNK(st.st_mode)) return TRUE;  // a link has no attributes of its own here; its target is not touched
  mode_t mode = st.st_mode & 07777;
  mode = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
  return chmod(native.c_str(), mode) == 0 ? TRUE : Fail(errno, native);
}

DWORD GetTempPathW(DWORD size, LPWSTR buffer) {
  const char* tmp = std::getenv("TMPDIR");
  std::wstring path = WidePath(tmp && *tmp ? tmp : "/tmp");
  if (path.empty() || path.back() != L'/') path += L'/';
  if (!buffer || size <= path.size()) return static_cast<DWORD>(path.size() + 1);
  path.copy(buffer, path.size());
  buffer[path.size()] = L'\0';
  return static_cast<DWORD>(path.size());
}
