#pragma once
// The C run time's status call on a wide name.
#include <sys/stat.h>

#include <cstdint>

// glibc spells these members as macros over its own struct stat; the run time's
// record has real members of those names. Code that includes this header reads
// the system's times as st_atim, st_mtim and st_ctim.
#undef st_atime
#undef st_mtime
#undef st_ctime

#include "win32/WinDef.h"

using __time64_t = std::int64_t;

struct _stat64 {
  unsigned int st_dev;
  unsigned short st_ino;
  unsigned short st_mode;
  short st_nlink;
  short st_uid;
  short st_gid;
  unsigned int st_rdev;
  std::int64_t st_size;
  __time64_t st_atime;
  __time64_t st_mtime;
  __time64_t st_ctime;
};

constexpr unsigned short _S_IFMT = 0xF000;
constexpr unsigned short _S_IFDIR = 0x4000;
constexpr unsigned short _S_IFREG = 0x8000;
constexpr unsigned short _S_IREAD = 0x0100;
constexpr unsigned short _S_IWRITE = 0x0080;

// 0, or -1 with errno set (ENOENT for a missing name). Follows links.
int _wstat64(const wchar_t* path, struct _stat64* out);
