#include "Md5.h"

#include <md5.h>

#include <fstream>
#include <vector>

namespace devserver {

namespace {

std::string Finish(MD5_CTX& ctx) {
  char hex[MD5_DIGEST_STRING_LENGTH];
  MD5End(&ctx, hex);
  return hex;
}

}  // namespace

std::string Md5Hex(std::string_view data) {
  MD5_CTX ctx;
  MD5Init(&ctx);
  MD5Update(&ctx, reinterpret_cast<const uint8_t*>(data.data()), data.size());
  return Finish(ctx);
}

std::string Md5OfFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  MD5_CTX ctx;
  MD5Init(&ctx);
  std::vector<char> buffer(1 << 20);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    MD5Update(&ctx, reinterpret_cast<const uint8_t*>(buffer.data()), static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) return {};
  return Finish(ctx);
}

bool IsMd5Hex(const std::string& text) {
  if (text.size() != 32) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

}  // namespace devserver
