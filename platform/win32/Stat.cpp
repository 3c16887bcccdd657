#include "win32/Stat.h"

#include <cerrno>

#include "win32/NativePath.h"

int _wstat64(const wchar_t* path, struct _stat64* out) {
  if (!path || !out) {
    errno = EINVAL;
    return -1;
  }
  struct stat st;
  if (stat(NativePath(path).c_str(), &st) != 0) return -1;
  *out = _stat64{};
  out->st_dev = static_cast<unsigned int>(st.st_dev);
  out->st_mode = static_cast<unsigned short>((S_ISDIR(st.st_mode) ? _S_IFDIR : S_ISREG(st.st_mode) ? _S_IFREG : 0) |
                                             _S_IREAD | ((st.st_mode & S_IWUSR) ? _S_IWRITE : 0));
  out->st_nlink = static_cast<short>(st.st_nlink);
  out->st_size = st.st_size;
  out->st_atime = st.st_atim.tv_sec;
  out->st_mtime = st.st_mtim.tv_sec;
  out->st_ctime = st.st_ctim.tv_sec;
  return 0;
}
