#include "CustomInfoBuffer.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::u16string Utf16(const wchar_t* text) {
  std::u16string out;
  for (const wchar_t* p = text; *p; ++p) {
    auto cp = static_cast<uint32_t>(*p);
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

}  // namespace

CustomInfoBuffer::~CustomInfoBuffer() { std::free(m_pStorage); }

bool CustomInfoBuffer::AddPair(const wchar_t* name, const wchar_t* value) {
  if (!name || !*name || !value || !*value) return false;
  const std::u16string n = Utf16(name), v = Utf16(value);
  const size_t added = n.size() + 1 + v.size() + 1;
  const size_t needed = 2 * (m_nUsed + added) + 2;
  if (needed > m_nCapacity * kBlockBytes) {
    const size_t blocks = needed / kBlockBytes + 2;
    auto* grown = static_cast<uint8_t*>(std::realloc(m_pStorage, blocks * kBlockBytes));
    if (!grown) return false;
    std::memset(grown + m_nCapacity * kBlockBytes, 0, (blocks - m_nCapacity) * kBlockBytes);
    m_pStorage = grown;
    m_nCapacity = blocks;
  }
  auto* at = m_pStorage + 2 * m_nUsed;
  std::memcpy(at, n.c_str(), 2 * (n.size() + 1));
  std::memcpy(at + 2 * (n.size() + 1), v.c_str(), 2 * (v.size() + 1));
  m_nUsed += added;
  return true;
}
