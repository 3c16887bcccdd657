#include "win32/RuntimeName.h"

#include <cstdint>
#include <cstdio>

#include "win32/NamedObject.h"
#include "win32/NativePath.h"

namespace win32 {

std::string RuntimeFileName(const char* prefix, const std::wstring& name) {
  std::string utf8 = NativePath(name.c_str());
  std::string file = std::string(prefix) + ".";
  std::uint64_t hash = 1469598103934665603ULL;  // FNV-1a
  for (unsigned char c : utf8) {
    hash = (hash ^ c) * 1099511628211ULL;
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                 c == '-' || c == '_';
    if (plain && file.size() < 60) file += static_cast<char>(c);
  }
  char tail[20];
  std::snprintf(tail, sizeof tail, "-%016llx", static_cast<unsigned long long>(hash));
  return RuntimePath(file + tail);
}

}  // namespace win32
