#include "Query.h"

#include <cerrno>
#include <cstdlib>

#include "ServiceError.h"

namespace devserver {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string PercentDecode(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() + 0 && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::optional<int64_t> ParseInt64(const std::string& text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end != text.c_str() + text.size() || text[0] == ' ' || text[0] == '+') return std::nullopt;
  return static_cast<int64_t>(value);
}

Query Query::FromTarget(const std::string& target) {
  Query q;
  size_t start = target.find('?');
  if (start == std::string::npos) return q;
  q.m_raw = target.substr(start + 1);
  size_t pos = 0;
  while (pos <= q.m_raw.size()) {
    size_t amp = q.m_raw.find('&', pos);
    if (amp == std::string::npos) amp = q.m_raw.size();
    std::string pair = q.m_raw.substr(pos, amp - pos);
    if (!pair.empty()) {
      size_t eq = pair.find('=');
      std::string key = PercentDecode(pair.substr(0, eq));
      std::string value = eq == std::string::npos ? std::string() : PercentDecode(pair.substr(eq + 1));
      q.m_values.emplace(std::move(key), std::move(value));
    }
    pos = amp + 1;
  }
  return q;
}

std::optional<std::string> Query::Get(const std::string& name) const {
  auto it = m_values.find(name);
  if (it == m_values.end()) return std::nullopt;
  return it->second;
}

std::string Query::GetOr(const std::string& name, const std::string& fallback) const {
  auto it = m_values.find(name);
  return it == m_values.end() ? fallback : it->second;
}

int64_t Query::Int64(const std::string& name) const {
  auto it = m_values.find(name);
  if (it == m_values.end()) throw ServiceError(Code::BadRequest, "missing query value: " + name);
  auto value = ParseInt64(it->second);
  if (!value) throw ServiceError(Code::BadRequest, "query value is not an integer: " + name);
  return *value;
}

std::optional<int64_t> Query::OptInt64(const std::string& name) const {
  if (!Has(name)) return std::nullopt;
  return Int64(name);
}

bool Query::Flag(const std::string& name, bool fallback) const {
  auto it = m_values.find(name);
  if (it == m_values.end()) return fallback;
  return !(it->second.empty() || it->second == "0" || it->second == "false");
}

}  // namespace devserver
