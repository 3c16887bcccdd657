#include "image/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace RegularFile {

bool Read(const std::string& path, uint64_t maxSize, std::vector<uint8_t>& out, uint64_t prefix) {
  out.clear();
  struct stat before {};
  if (::lstat(path.c_str(), &before) != 0 || !S_ISREG(before.st_mode)) return false;
  // O_NONBLOCK: should a FIFO take the name's place after the lstat, its open
  // returns at once instead of waiting for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat opened {};
  bool ok = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_dev == before.st_dev &&
            opened.st_ino == before.st_ino && static_cast<uint64_t>(opened.st_size) <= maxSize;
  if (ok) {
    const uint64_t want = std::min<uint64_t>(static_cast<uint64_t>(opened.st_size), prefix);
    out.resize(static_cast<size_t>(want));
    size_t done = 0;
    while (done < out.size()) {
      const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    // A file that shrank meanwhile is read as far as it goes.
    out.resize(done);
    ok = done > 0 || want == 0;
  }
  ::close(fd);
  if (!ok) out.clear();
  return ok;
}

}  // namespace RegularFile
