#include "common/PrivateFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace Common {

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

bool MakePrivateFile(const std::string& path) {
  if (path.empty()) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  struct stat info {};
  const bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
                  ((info.st_mode & 077) == 0 || ::fchmod(fd, info.st_mode & 0700) == 0);
  ::close(fd);
  return ok;
}

}  // namespace Common
