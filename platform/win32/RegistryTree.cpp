#include "win32/RegistryTree.h"

#include <cstdio>
#include <cstring>

#include "win32/NativePath.h"

namespace win32 {
namespace {

constexpr const char* kHeader = "DORV REGISTRY 1";

bool IsStringType(DWORD type) { return type == 1 || type == 2 || type == 7; }  // SZ, EXPAND_SZ, MULTI_SZ

std::string Quote(const std::wstring& text) {
  std::string out = "\"";
  for (wchar_t wc : text) {
    auto c = static_cast<std::uint32_t>(wc);
    switch (c) {
      case '\\': out += "\\\\"; continue;
      case '"': out += "\\\""; continue;
      case 0: out += "\\0"; continue;
      case '\t': out += "\\t"; continue;
      case '\n': out += "\\n"; continue;
      case '\r': out += "\\r"; continue;
      default: break;
    }
    if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "\\u{%x}", c);
      out += buffer;
    } else {
      wchar_t one[2] = {wc, 0};
      out += NativePath(one);
    }
  }
  return out + "\"";
}

class Reader {
 public:
  explicit Reader(const std::string& line) : m_line(line) {}

  bool Word(const char* word) {
    size_t n = std::strlen(word);
    if (m_line.compare(m_pos, n, word) != 0) return false;
    m_pos += n;
    return true;
  }
  bool Space() { return Word(" "); }
  bool AtEnd() const { return m_pos == m_line.size(); }

  bool Number(DWORD& value) {
    size_t start = m_pos;
    unsigned long long v = 0;
    while (m_pos < m_line.size() && m_line[m_pos] >= '0' && m_line[m_pos] <= '9') {
      v = v * 10 + static_cast<unsigned>(m_line[m_pos++] - '0');
      if (v > 0xFFFFFFFFULL) return false;
    }
    value = static_cast<DWORD>(v);
    return m_pos > start;
  }

  bool Quoted(std::wstring& out) {
    if (!Word("\"")) return false;
    std::string run;  // plain UTF-8 bytes waiting to be decoded
    auto flush = [&] {
      out += WidePath(run.c_str());
      run.clear();
    };
    while (m_pos < m_line.size()) {
      char c = m_line[m_pos++];
      if (c == '"') {
        flush();
        return true;
      }
      if (c != '\\') {
        run += c;
        continue;
      }
      if (m_pos >= m_line.size()) return false;
      char e = m_line[m_pos++];
      flush();
      switch (e) {
        case '\\': out += L'\\'; break;
        case '"': out += L'"'; break;
        case '0': out += L'\0'; break;
        case 't': out += L'\t'; break;
        case 'n': out += L'\n'; break;
        case 'r': out += L'\r'; break;
        case 'u': {
          if (!Word("{")) return false;
          size_t close = m_line.find('}', m_pos);
          if (close == std::string::npos || close == m_pos || close - m_pos > 8) return false;
          unsigned long v = 0;
          for (size_t i = m_pos; i < close; ++i) {
            int d = HexDigit(m_line[i]);
            if (d < 0) return false;
            v = v * 16 + static_cast<unsigned>(d);
          }
          out += static_cast<wchar_t>(v);
          m_pos = close + 1;
          break;
        }
        default: return false;
      }
    }
    return false;
  }

  bool Hex(std::vector<BYTE>& out) {
    if (!Word("x")) return false;
    size_t n = m_line.size() - m_pos;
    if (n % 2) return false;
    for (size_t i = m_pos; i < m_line.size(); i += 2) {
      int hi = HexDigit(m_line[i]), lo = HexDigit(m_line[i + 1]);
      if (hi < 0 || lo < 0) return false;
      out.push_back(static_cast<BYTE>(hi * 16 + lo));
    }
    m_pos = m_line.size();
    return true;
  }

 private:
  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  const std::string& m_line;
  size_t m_pos = 0;
};

void SerializeKey(const RegistryKey& key, const std::wstring& path, std::string& out) {
  out += "key " + Quote(path) + "\n";
  for (const RegistryValue& value : key.values) {
    out += "value " + Quote(value.name) + " " + std::to_string(value.type) + " ";
    if (IsStringType(value.type) && value.data.size() % sizeof(wchar_t) == 0) {
      std::wstring text(value.data.size() / sizeof(wchar_t), L'\0');
      std::memcpy(text.data(), value.data.data(), value.data.size());
      out += "s" + Quote(text);
    } else {
      out += "x";
      static const char* digits = "0123456789abcdef";
      for (BYTE b : value.data) {
        out += digits[b >> 4];
        out += digits[b & 15];
      }
    }
    out += "\n";
  }
  for (const auto& [folded, sub] : key.subkeys) SerializeKey(sub, path + L"\\" + sub.name, out);
}

}  // namespace

std::vector<std::wstring> SplitRegistryPath(const std::wstring& path) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::wstring FoldRegistryName(const std::wstring& name) {
  std::wstring out = name;
  for (wchar_t& c : out) {
    if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9) ||
        (c >= 0x410 && c <= 0x42F))
      c = static_cast<wchar_t>(c + 0x20);
    else if (c >= 0x400 && c <= 0x40F)
      c = static_cast<wchar_t>(c + 0x50);
  }
  return out;
}

RegistryKey* RegistryKey::Find(const std::vector<std::wstring>& path) {
  RegistryKey* key = this;
  for (const auto& part : path) {
    auto it = key->subkeys.find(FoldRegistryName(part));
    if (it == key->subkeys.end()) return nullptr;
    key = &it->second;
  }
  return key;
}

const RegistryKey* RegistryKey::Find(const std::vector<std::wstring>& path) const {
  return const_cast<RegistryKey*>(this)->Find(path);
}

RegistryValue* RegistryKey::FindValue(const std::wstring& valueName) {
  std::wstring folded = FoldRegistryName(valueName);
  for (RegistryValue& value : values) {
    if (FoldRegistryName(value.name) == folded) return &value;
  }
  return nullptr;
}

std::string RegistryTree::Serialize() const {
  std::string out = std::string(kHeader) + "\n";
  for (const auto& [folded, hive] : root.subkeys) SerializeKey(hive, hive.name, out);
  return out;
}

std::optional<RegistryTree> RegistryTree::Parse(const std::string& text) {
  RegistryTree tree;
  size_t pos = 0;
  bool first = true;
  RegistryKey* current = nullptr;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (first) {
      if (line != kHeader) return std::nullopt;
      first = false;
      continue;
    }
    if (line.empty()) continue;
    Reader reader(line);
    if (reader.Word("key ")) {
      std::wstring path;
      if (!reader.Quoted(path) || !reader.AtEnd()) return std::nullopt;
      std::vector<std::wstring> parts = SplitRegistryPath(path);
      if (parts.empty()) return std::nullopt;
      current = &tree.root;
      for (const auto& part : parts) {
        RegistryKey& sub = current->subkeys[FoldRegistryName(part)];
        if (sub.name.empty()) sub.name = part;
        current = &sub;
      }
    } else if (reader.Word("value ")) {
      RegistryValue value;
      if (!current || current == &tree.root || !reader.Quoted(value.name) || !reader.Space() ||
          !reader.Number(value.type) || !reader.Space())
        return std::nullopt;
      if (reader.Word("s")) {
        std::wstring data;
        if (!reader.Quoted(data) || !reader.AtEnd()) return std::nullopt;
        value.data.resize(data.size() * sizeof(wchar_t));
        std::memcpy(value.data.data(), data.data(), value.data.size());
      } else if (!reader.Hex(value.data)) {
        return std::nullopt;
      }
      if (current->FindValue(value.name)) return std::nullopt;
      current->values.push_back(std::move(value));
    } else {
      return std::nullopt;
    }
  }
  if (first && !text.empty()) return std::nullopt;
  return tree;
}

}  // namespace win32
