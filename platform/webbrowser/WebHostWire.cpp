#include "webbrowser/WebHostWire.h"

#include <cstring>

namespace webhost {

namespace {

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void PutString(std::string& out, const std::string& s) {
  PutU32(out, static_cast<uint32_t>(s.size()));
  out += s;
}

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  bool U8(uint8_t* v) {
    if (m_size - m_pos < 1) return false;
    *v = m_data[m_pos++];
    return true;
  }
  bool U32(uint32_t* v) {
    if (m_size - m_pos < 4) return false;
    *v = 0;
    for (int i = 0; i < 4; ++i) *v |= static_cast<uint32_t>(m_data[m_pos + i]) << (8 * i);
    m_pos += 4;
    return true;
  }
  bool I32(int32_t* v) {
    uint32_t u;
    if (!U32(&u)) return false;
    std::memcpy(v, &u, 4);
    return true;
  }
  bool F64(double* v) {
    if (m_size - m_pos < 8) return false;
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= static_cast<uint64_t>(m_data[m_pos + i]) << (8 * i);
    m_pos += 8;
    std::memcpy(v, &u, 8);
    return true;
  }
  bool Str(std::string* s) {
    uint32_t length;
    if (!U32(&length) || length > m_size - m_pos) return false;
    s->assign(reinterpret_cast<const char*>(m_data + m_pos), length);
    m_pos += length;
    return true;
  }
  bool AtEnd() const { return m_pos == m_size; }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

bool KnownType(uint8_t t) {
  return (t >= static_cast<uint8_t>(WireType::Navigate) && t <= static_cast<uint8_t>(WireType::Answer)) ||
         (t >= static_cast<uint8_t>(WireType::Ready) && t <= static_cast<uint8_t>(WireType::Key));
}

}  // namespace

std::string Encode(const WireMessage& message) {
  if (message.values.size() > kMaxValues) return {};
  std::string out(4, '\0');
  out.push_back(static_cast<char>(message.type));
  PutU32(out, message.id);
  for (int32_t n : message.n) PutU32(out, static_cast<uint32_t>(n));
  PutString(out, message.text);
  PutU32(out, static_cast<uint32_t>(message.values.size()));
  for (const WireValue& v : message.values) {
    out.push_back(static_cast<char>(v.kind));
    switch (v.kind) {
      case ValueKind::Boolean: out.push_back(v.boolean ? 1 : 0); break;
      case ValueKind::Int: PutU32(out, static_cast<uint32_t>(v.integer)); break;
      case ValueKind::Double: {
        uint64_t u;
        std::memcpy(&u, &v.number, 8);
        for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
        break;
      }
      case ValueKind::String: PutString(out, v.text); break;
      default: break;
    }
  }
  const size_t payload = out.size() - 4;
  if (payload > kMaxFrame) return {};
  std::string length;
  PutU32(length, static_cast<uint32_t>(payload));
  out.replace(0, 4, length);
  return out;
}

std::optional<WireMessage> Decode(const uint8_t* data, size_t size) {
  if (size > kMaxFrame) return std::nullopt;
  Reader r(data, size);
  WireMessage m;
  uint8_t type;
  if (!r.U8(&type) || !KnownType(type)) return std::nullopt;
  m.type = static_cast<WireType>(type);
  if (!r.U32(&m.id)) return std::nullopt;
  for (int32_t& n : m.n)
    if (!r.I32(&n)) return std::nullopt;
  uint32_t count;
  if (!r.Str(&m.text) || !r.U32(&count) || count > kMaxValues) return std::nullopt;
  m.values.resize(count);
  for (WireValue& v : m.values) {
    uint8_t kind;
    if (!r.U8(&kind) || kind > static_cast<uint8_t>(ValueKind::String)) return std::nullopt;
    v.kind = static_cast<ValueKind>(kind);
    bool ok = true;
    switch (v.kind) {
      case ValueKind::Boolean: {
        uint8_t b = 0;
        ok = r.U8(&b) && b <= 1;
        v.boolean = b == 1;
        break;
      }
      case ValueKind::Int: ok = r.I32(&v.integer); break;
      case ValueKind::Double: ok = r.F64(&v.number); break;
      case ValueKind::String: ok = r.Str(&v.text); break;
      default: break;
    }
    if (!ok) return std::nullopt;
  }
  if (!r.AtEnd()) return std::nullopt;
  return m;
}

void FrameReader::Append(const uint8_t* data, size_t size) {
  if (m_broken) return;
  if (m_start > 0 && m_start >= m_buffer.size() / 2) {
    m_buffer.erase(0, m_start);
    m_start = 0;
  }
  m_buffer.append(reinterpret_cast<const char*>(data), size);
}

std::optional<WireMessage> FrameReader::Next() {
  if (m_broken || m_buffer.size() - m_start < 4) return std::nullopt;
  const auto* p = reinterpret_cast<const uint8_t*>(m_buffer.data()) + m_start;
  const uint32_t length = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
  if (length > kMaxFrame) {
    m_broken = true;
    return std::nullopt;
  }
  if (m_buffer.size() - m_start - 4 < length) return std::nullopt;
  std::optional<WireMessage> message = Decode(p + 4, length);
  m_start += 4 + length;
  if (!message) m_broken = true;
  return message;
}

}  // namespace webhost
