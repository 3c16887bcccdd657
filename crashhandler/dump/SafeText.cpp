#include "dump/SafeText.h"

#include <cstdint>

namespace faultdump {

bool AppendUtf8(char* out, size_t& used, size_t capacity, const wchar_t* text) {
  size_t at = used;
  for (const wchar_t* p = text; *p; ++p) {
    auto cp = static_cast<uint32_t>(*p);
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    char bytes[4];
    size_t n = 0;
    if (cp < 0x80) {
      bytes[n++] = static_cast<char>(cp);
    } else if (cp < 0x800) {
      bytes[n++] = static_cast<char>(0xC0 | (cp >> 6));
      bytes[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      bytes[n++] = static_cast<char>(0xE0 | (cp >> 12));
      bytes[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      bytes[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      bytes[n++] = static_cast<char>(0xF0 | (cp >> 18));
      bytes[n++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      bytes[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      bytes[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    }
    if (at + n + 1 > capacity) {
      if (used < capacity) out[used] = '\0';
      return false;
    }
    for (size_t k = 0; k < n; ++k) out[at++] = bytes[k];
  }
  out[at] = '\0';
  used = at;
  return true;
}

bool AppendText(char* out, size_t& used, size_t capacity, const char* text) {
  size_t n = 0;
  while (text[n]) ++n;
  if (used + n + 1 > capacity) return false;
  for (size_t k = 0; k < n; ++k) out[used + k] = text[k];
  used += n;
  out[used] = '\0';
  return true;
}

bool AppendWide(wchar_t* out, size_t capacity, const wchar_t* text) {
  size_t used = 0;
  while (used < capacity && out[used]) ++used;
  size_t n = 0;
  while (text[n]) ++n;
  if (used + n + 1 > capacity) return false;
  for (size_t k = 0; k <= n; ++k) out[used + k] = text[k];
  return true;
}

}  // namespace faultdump
