// Plays another program that has a file open: takes a lock on the file, says
// "locked" on its output and keeps the lock until it is killed.
//   lock_holder <file> ofd-shared|ofd-exclusive|flock-shared|flock-exclusive
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::string mode = argv[2];
  bool exclusive = mode.find("exclusive") != std::string::npos;
  int fd = open(argv[1], exclusive ? O_RDWR : O_RDONLY);
  if (fd < 0) {
    std::printf("failed open\n");
    return 1;
  }
  bool locked = false;
  if (mode.rfind("ofd-", 0) == 0) {
    struct flock lock = {};
    lock.l_type = exclusive ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET;
    locked = fcntl(fd, F_OFD_SETLK, &lock) == 0;
  } else if (mode.rfind("flock-", 0) == 0) {
    locked = flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0;
  }
  std::printf(locked ? "locked\n" : "failed lock\n");
  std::fflush(stdout);
  if (!locked) return 1;
  for (;;) pause();
}
