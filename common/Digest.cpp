#include "common/Digest.h"

#include <string_view>

#include "common/Md5.h"
#include "common/StringConvert.h"

namespace Common {

namespace {

std::string Md5Hex(const std::string& bytes) {
  md5_ctxt context;
  md5_init(&context);
  md5_loop(&context, reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<unsigned int>(bytes.size()));
  md5_pad(&context);
  uint8_t digest[16];
  md5_result(digest, &context);
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : digest) {
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

}  // namespace

CString MakeMD5Value(const wchar_t* text, unsigned int length) {
  if (!text || length == 0) return CString();
  return CString(Md5Hex(WideToUtf16LE(std::wstring_view(text, length))).c_str());
}

std::string MakeMD5Value(const CString& text) { return Md5Hex(CString_to_MBCS(text)); }

}  // namespace Common
