#include "win32/NativePath.h"

#include <sys/stat.h>

#include <cerrno>

#include "win32/WinError.h"

// TODO(codepage): switch to the code page functions once they are in the layer.
std::string NativePath(LPCWSTR path) {
  std::string out;
  if (!path) return out;
  for (; *path; ++path) {
    auto c = static_cast<std::uint32_t>(*path);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::wstring WidePath(const char* native) {
  std::wstring out;
  const auto* p = reinterpret_cast<const unsigned char*>(native);
  while (p && *p) {
    std::uint32_t c = *p;
    int more = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (more < 0) {
      out += L'\xFFFD';
      ++p;
      continue;
    }
    c &= more == 0 ? 0x7F : (0x3F >> more);
    int i = 1;
    for (; i <= more && (p[i] & 0xC0) == 0x80; ++i) c = (c << 6) | (p[i] & 0x3F);
    if (i <= more) {
      out += L'\xFFFD';
      p += i;
      continue;
    }
    out += static_cast<wchar_t>(c);
    p += more + 1;
  }
  return out;
}

void SetLastErrorForPath(int err, const std::string& native) {
  if (err == ENOENT) {
    std::string::size_type slash = native.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : native.substr(0, slash);
    struct stat st;
    SetLastError(stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return;
  }
  SetLastError(ErrnoToWin32(err));
}
