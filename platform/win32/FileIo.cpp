#include "win32/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "win32/FileLocks.h"
#include "win32/FileTime.h"
#include "win32/FolderWatch.h"
#include "win32/NamedPipe.h"
#include "win32/NativePath.h"
#include "win32/WinError.h"

namespace {

class FileObject : public win32::KernelObject {
 public:
  explicit FileObject(int fd) : m_fd(fd) {}
  ~FileObject() override { close(m_fd); }
  int fd() const { return m_fd; }

 private:
  int m_fd;
};

// Held for the length of one call, so a handle closed meanwhile can't pull the file away.
std::shared_ptr<FileObject> File(HANDLE handle) {
  std::shared_ptr<FileObject> file = win32::LookupHandleAs<FileObject>(handle);
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

bool RefuseOverlapped(LPOVERLAPPED overlapped) {
  if (!overlapped) return false;
  SetLastError(ERROR_NOT_SUPPORTED);
  return true;
}

}  // namespace

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD flagsAndAttributes, HANDLE) {
  if (win32::IsPipeName(path)) return win32::OpenPipeClient(path, access, flagsAndAttributes);
  std::string native = NativePath(path);
  int flags = O_CLOEXEC;
  bool reading = access & GENERIC_READ, writing = access & GENERIC_WRITE;
  flags |= writing ? (reading ? O_RDWR : O_WRONLY) : O_RDONLY;
  const bool noFollow = flagsAndAttributes & FILE_FLAG_OPEN_REPARSE_POINT;
  if (noFollow) flags |= O_NOFOLLOW;
  struct stat st;
  bool existed = (noFollow ? lstat(native.c_str(), &st) : stat(native.c_str(), &st)) == 0;
  if (existed && S_ISDIR(st.st_mode) && (!(flagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) || writing)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  // A lock on the file stands for another program's open handle (FileLocks.h):
  // an exclusive one shares nothing, a shared one only reading.
  if (existed && S_ISREG(st.st_mode) && (reading || writing)) {
    win32::FileLock lock = win32::LockOnFile(native);
    bool refused = lock == win32::FileLock::Exclusive ||
                   (lock == win32::FileLock::Shared && (writing || disposition == CREATE_ALWAYS ||
                                                        disposition == TRUNCATE_EXISTING ||
                                                        !(shareMode & FILE_SHARE_READ)));
    if (refused) {
      SetLastError(ERROR_SHARING_VIOLATION);
      return INVALID_HANDLE_VALUE;
    }
  }
  switch (disposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING:
      if (!writing) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
      }
      flags |= O_TRUNC;
      break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
  }
  if ((flags & O_TRUNC) && !writing) flags = (flags & ~O_RDONLY) | O_RDWR;
  // Opened without access rights only to ask about it: needs no read permission.
  if (access == 0 && disposition == OPEN_EXISTING) flags = O_PATH | O_CLOEXEC | (flags & O_NOFOLLOW);
  if (existed && S_ISLNK(st.st_mode)) {
    if (disposition != OPEN_EXISTING && disposition != OPEN_ALWAYS) {
      SetLastError(ERROR_ACCESS_DENIED);  // a link is not written through
      return INVALID_HANDLE_VALUE;
    }
    flags = O_PATH | O_NOFOLLOW | O_CLOEXEC;
  }
  mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  int fd = open(native.c_str(), flags, mode);
  if (fd < 0) {
    int err = errno;
    if (err == EEXIST) {
      SetLastError(ERROR_FILE_EXISTS);
    } else if (err == ENOENT && disposition != OPEN_EXISTING && disposition != TRUNCATE_EXISTING) {
      SetLastError(ERROR_PATH_NOT_FOUND);
    } else {
      SetLastErrorForPath(err, native);
    }
    return INVALID_HANDLE_VALUE;
  }
  std::shared_ptr<win32::KernelObject> object;
  if (existed && S_ISDIR(st.st_mode) && (flagsAndAttributes & FILE_FLAG_OVERLAPPED)) {
    object = win32::MakeFolderWatch(fd, native);  // a folder whose changes can be read
  } else {
    object = std::make_shared<FileObject>(fd);
  }
  HANDLE handle = win32::RegisterHandle(std::move(object));
  bool reportsExisting = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
  SetLastError(reportsExisting && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
  if (read) *read = 0;
  if (RefuseOverlapped(overlapped)) return FALSE;
  if (auto stream = win32::LookupHandleAs<win32::StreamObject>(handle)) return stream->Read(buffer, toRead, read);
  std::shared_ptr<FileObject> file = File(handle);
  if (!file) return FALSE;
  DWORD done = 0;
  while (done < toRead) {
    ssize_t n = ::read(file->fd(), static_cast<char*>(buffer) + done, toRead - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      // A handle opened without read access reads nothing, as on Windows.
      SetLastError(errno == EISDIR ? ERROR_INVALID_FUNCTION : errno == EBADF ? ERROR_ACCESS_DENIED : ErrnoToWin32(errno));
      if (read) *read = done;
      return FALSE;
    }
    if (n == 0) break;  // end of file: success with fewer bytes
    done += static_cast<DWORD>(n);
  }
  if (read) *read = done;
  return TRUE;
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped) {
  if (written) *written = 0;
  if (RefuseOverlapped(overlapped)) return FALSE;
  if (auto stream = win32::LookupHandleAs<win32::StreamObject>(handle)) return stream->Write(buffer, toWrite, written);
  std::shared_ptr<FileObject> file = File(handle);
  if (!file) return FALSE;
  DWORD done = 0;
  while (done < toWrite) {
    ssize_t n = ::write(file->fd(), static_cast<const char*>(buffer) + done, toWrite - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastError(errno == EBADF ? ERROR_ACCESS_DENIED : ErrnoToWin32(errno));
      if (written) *written = done;
      return FALSE;
    }
    done += static_cast<DWORD>(n);
  }
  if (written) *written = done;
  return TRUE;
}

BOOL GetFileSizeEx(HANDLE handle, PLARGE_INTEGER size) {
  std::shared_ptr<FileObject> file = File(handle);
  if (!file) return FALSE;
  struct stat st;
  if (fstat(file->fd(), &st) != 0) {
    SetLastError(ErrnoToWin32(errno));
    return FALSE;
  }
  if (size) size->QuadPart = st.st_size;
  return TRUE;
}

BOOL SetFilePointerEx(HANDLE handle, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD method) {
  std::shared_ptr<FileObject> file = File(handle);
  if (!file) return FALSE;
  int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : method == FILE_END ? SEEK_END : -1;
  if (whence < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  off_t position = lseek(file->fd(), distance.QuadPart, whence);
  if (position < 0) {
    SetLastError(errno == EINVAL ? ERROR_NEGATIVE_SEEK : ErrnoToWin32(errno));
    return FALSE;
  }
  if (newPosition) newPosition->QuadPart = position;
  return TRUE;
}

BOOL SetEndOfFile(HANDLE handle) {
  std::shared_ptr<FileObject> file = File(handle);
  if (!file) return FALSE;
  off_t position = lseek(file->fd(), 0, SEEK_CUR);
  if (position < 0 || ftruncate(file->fd(), position) != 0) {
    SetLastError(ErrnoToWin32(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE handle) {
  if (auto stream = win32::LookupHandleAs<win32::StreamObject>(handle)) return stream->Flush();
  std::shared_ptr<FileObject> file = File(handle);
  if (!file) return FALSE;
  if (fsync(file->fd()) != 0) {
    SetLastError(ErrnoToWin32(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL GetFileTime(HANDLE handle, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite) {
  std::shared_ptr<FileObject> file = File(handle);
  if (!file) return FALSE;
  struct stat st;
  if (fstat(file->fd(), &st) != 0) {
    SetLastError(ErrnoToWin32(errno));
    return FALSE;
  }
  if (creation) *creation = FileTimeFromTimespec(st.st_ctim);
  if (lastAccess) *lastAccess = FileTimeFromTimespec(st.st_atim);
  if (lastWrite) *lastWrite = FileTimeFromTimespec(st.st_mtim);
  return TRUE;
}
