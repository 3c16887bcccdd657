#include "client/core/protocol/QueryString.h"

std::string PercentEncode(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size());
  for (const char c : text) {
    const unsigned char b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
        b == '_' || b == '~') {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[b >> 4];
      encoded += kHex[b & 0x0F];
    }
  }
  return encoded;
}

std::string OperationUrl(const std::string& base, const std::string& operation) {
  return base + "?op=" + PercentEncode(operation);
}

void AppendQueryString(const std::string& value, std::string& url, const std::string& name) {
  if (value.empty()) return;
  url += "&" + name + "=" + PercentEncode(value);
}

void AppendQueryInt64(std::string& url, const std::string& name, int64_t value) {
  url += "&" + name + "=" + std::to_string(value);
}

void AppendQueryLong(std::string& url, const std::string& name, long value) {
  url += "&" + name + "=" + std::to_string(value);
}
