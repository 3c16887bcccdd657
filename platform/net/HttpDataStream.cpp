#include "net/HttpDataStream.h"

#include <algorithm>
#include <cstring>

namespace Net {

HttpDataStream::HttpDataStream(const char* data, int length)
    : m_data(data), m_length(data == nullptr || length < 0 ? 0 : length) {}

int64_t HttpDataStream::ParseFile() { return m_length; }

size_t HttpDataStream::UploadFile(char* buffer, size_t length, int64_t offset) {
  if (offset < 0 || offset >= m_length) return 0;
  size_t n = std::min<size_t>(length, static_cast<size_t>(m_length - offset));
  std::memcpy(buffer, m_data + offset, n);
  return n;
}

}  // namespace Net
