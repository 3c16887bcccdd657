#include "client/windows/UpdateSignature.h"

#include <sodium.h>

#include <string_view>
#include <vector>

namespace {

// The accepted public keys as hex, joined by commas (set by the build).
constexpr std::string_view kAcceptedKeys = DORV_UPDATE_KEYS;

bool FromHex(std::string_view hex, unsigned char* out, size_t size) {
  size_t length = 0;
  return sodium_hex2bin(out, size, hex.data(), hex.size(), nullptr, &length, nullptr) == 0 && length == size;
}

bool FromBase64(const std::string& text, unsigned char* out, size_t size) {
  size_t length = 0;
  return sodium_base642bin(out, size, text.data(), text.size(), nullptr, &length, nullptr,
                           sodium_base64_VARIANT_ORIGINAL) == 0 &&
         length == size;
}

}  // namespace

bool IsSignedWithUpdateKey(const unsigned char* data, size_t size, const std::string& signatureBase64) {
  if (sodium_init() < 0) return false;
  unsigned char signature[crypto_sign_BYTES];
  if (!FromBase64(signatureBase64, signature, sizeof signature)) return false;
  std::string_view keys = kAcceptedKeys;
  while (!keys.empty()) {
    const size_t comma = keys.find(',');
    const std::string_view hex = keys.substr(0, comma);
    keys = comma == std::string_view::npos ? std::string_view() : keys.substr(comma + 1);
    unsigned char key[crypto_sign_PUBLICKEYBYTES];
    if (FromHex(hex, key, sizeof key) && crypto_sign_verify_detached(signature, data, size, key) == 0) return true;
  }
  return false;
}
