#include "win32/PrivateFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace win32 {

bool MakePrivateFolder(const std::string& given) {
  // A trailing separator would make open() follow a link in the last step.
  std::string path = given;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty()) return false;
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  const bool ok = ::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() &&
                  ((info.st_mode & 077) == 0 || ::fchmod(fd, info.st_mode & 07700) == 0);
  ::close(fd);
  return ok;
}

int OpenPrivateFile(const std::string& path, int flags) {
  if (path.empty()) {
    errno = ENOENT;
    return -1;
  }
  // Non-blocking at first, so that a fifo planted under the name cannot hold the open.
  const int fd = ::open(path.c_str(), flags | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
  if (fd < 0) return -1;
  struct stat info {};
  int error = 0;
  if (::fstat(fd, &info) != 0) {
    error = errno;
  } else if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
    error = EACCES;
  } else if ((info.st_mode & 077) != 0 && ::fchmod(fd, info.st_mode & 0700) != 0) {
    error = errno;
  } else if (!(flags & O_NONBLOCK) && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    error = errno;
  }
  if (error == 0) return fd;
  ::close(fd);
  errno = error;
  return -1;
}

bool MakePrivateFile(const std::string& path) {
  const int fd = OpenPrivateFile(path, O_RDONLY);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool WritePrivateFile(const std::string& path, const std::string& bytes) {
  const int fd = OpenPrivateFile(path, O_WRONLY | O_TRUNC);
  if (fd < 0) return false;
  bool written = true;
  for (size_t done = 0; written && done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    written = n > 0;
    if (written) done += static_cast<size_t>(n);
  }
  const int error = errno;
  if (::close(fd) != 0) return false;
  errno = error;
  return written;
}

}  // namespace win32
