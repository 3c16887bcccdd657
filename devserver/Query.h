#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace devserver {

// RFC 3986 percent-decoding: "%XX" becomes the byte, "+" stays "+", and a "%"
// that isn't followed by two hex digits is kept as it is (the client sends raw
// bytes, "|" and UTF-8 included).
std::string PercentDecode(const std::string& text);

// The query of a request target, decoded; the first of repeated keys wins.
class Query {
 public:
  static Query FromTarget(const std::string& target);

  bool Has(const std::string& name) const { return m_values.count(name) != 0; }
  std::optional<std::string> Get(const std::string& name) const;
  std::string GetOr(const std::string& name, const std::string& fallback = {}) const;
  // A required integer; a missing or malformed value is a bad request.
  int64_t Int64(const std::string& name) const;
  std::optional<int64_t> OptInt64(const std::string& name) const;
  // "1"/"0" flags; anything but "0" and an empty value counts as set.
  bool Flag(const std::string& name, bool fallback) const;
  const std::string& raw() const { return m_raw; }

 private:
  std::map<std::string, std::string> m_values;
  std::string m_raw;
};

// Parses a signed decimal integer that fills the whole text.
std::optional<int64_t> ParseInt64(const std::string& text);

}  // namespace devserver
