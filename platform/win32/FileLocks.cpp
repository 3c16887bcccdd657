#include "win32/FileLocks.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <set>
#include <utility>

namespace win32 {
namespace {

// Asks without taking anything: which lock would refuse a write lock of ours.
FileLock RecordLock(int fd) {
  struct flock probe = {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = 0;
  probe.l_len = 0;  // the whole file
  if (fcntl(fd, F_OFD_GETLK, &probe) != 0 || probe.l_type == F_UNLCK) return FileLock::None;
  return probe.l_type == F_WRLCK ? FileLock::Exclusive : FileLock::Shared;
}

// flock has no query: try the lock without waiting and give it back at once.
FileLock WholeFileLock(int fd) {
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    flock(fd, LOCK_UN);
    return FileLock::None;
  }
  if (errno != EWOULDBLOCK) return FileLock::None;
  if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
    flock(fd, LOCK_UN);
    return FileLock::Shared;
  }
  return FileLock::Exclusive;
}

using FileKey = std::pair<unsigned long long, unsigned long long>;  // device, inode

// The files that carry any lock, from the kernel's table; nothing when the
// table can't be read (then every file is asked).
std::optional<std::set<FileKey>> LockedFiles() {
  FILE* table = std::fopen("/proc/locks", "re");
  if (!table) return std::nullopt;
  std::set<FileKey> files;
  char line[512];
  while (std::fgets(line, sizeof line, table)) {
    unsigned major = 0, minor = 0;
    unsigned long long inode = 0;
    // "1: POSIX  ADVISORY  WRITE 1234 08:01:5678 0 EOF"; blocked waiters start with "->".
    char kind[32], mode[32], access[32];
    int pid = 0;
    if (std::sscanf(line, "%*d: %31s %31s %31s %d %x:%x:%llu", kind, mode, access, &pid, &major, &minor,
                    &inode) == 7 ||
        std::sscanf(line, "%*d: -> %31s %31s %31s %d %x:%x:%llu", kind, mode, access, &pid, &major, &minor,
                    &inode) == 7)
      files.insert({makedev(major, minor), inode});
  }
  std::fclose(table);
  return files;
}

thread_local const std::set<FileKey>* t_lockedFiles = nullptr;
thread_local bool t_foundLocked = false;

int VisitEntry(const char* path, const struct stat* st, int type, struct FTW*) {
  if (type != FTW_F || !S_ISREG(st->st_mode)) return 0;
  if (t_lockedFiles && !t_lockedFiles->count({st->st_dev, st->st_ino})) return 0;
  if (LockOnFile(path) != FileLock::None) {
    t_foundLocked = true;
    return 1;  // stops the walk
  }
  return 0;
}

}  // namespace

FileLock LockOnFile(const std::string& native) {
  int fd = open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return FileLock::None;
  FileLock lock = LockOnDescriptor(fd);
  close(fd);
  return lock;
}

FileLock LockOnDescriptor(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return FileLock::None;
  FileLock lock = RecordLock(fd);
  if (lock == FileLock::Exclusive) return lock;
  FileLock whole = WholeFileLock(fd);
  return whole != FileLock::None ? whole : lock;
}

bool FolderHoldsLockedFile(const std::string& native) {
  std::optional<std::set<FileKey>> locked = LockedFiles();
  if (locked && locked->empty()) return false;
  t_lockedFiles = locked ? &*locked : nullptr;
  t_foundLocked = false;
  nftw(native.c_str(), VisitEntry, 32, FTW_PHYS);
  t_lockedFiles = nullptr;
  return t_foundLocked;
}

}  // namespace win32
