#pragma once
// Wide text as a single token of hexadecimal code units, for the layer's small
// files shared between processes (names may hold blanks and line breaks).
#include <cstdio>
#include <cstdlib>
#include <string>

namespace win32 {

inline std::string EncodeHexText(const std::wstring& text) {
  std::string out;
  char buf[16];
  for (wchar_t c : text) {
    std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(c));
    out += buf;
  }
  return out.empty() ? "-" : out;
}

inline bool DecodeHexText(const std::string& hex, std::wstring& out) {
  out.clear();
  if (hex == "-") return true;
  if (hex.empty() || hex.size() % 8 != 0) return false;
  for (size_t i = 0; i < hex.size(); i += 8) {
    std::string part = hex.substr(i, 8);
    char* end = nullptr;
    unsigned long v = std::strtoul(part.c_str(), &end, 16);
    if (*end != '\0') return false;
    out.push_back(static_cast<wchar_t>(v));
  }
  return true;
}

}  // namespace win32
