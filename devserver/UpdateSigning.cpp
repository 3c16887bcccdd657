#include "UpdateSigning.h"

#include <sodium.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace devserver {
namespace {

void InitSodium() {
  if (sodium_init() < 0) std::abort();
}

// The installer's file in the update folder, by the URL's last path segment.
std::filesystem::path InstallerFor(const std::string& url, const std::filesystem::path& updateDir) {
  const std::string path = url.substr(0, url.find_first_of("?#"));
  const std::string name = path.substr(path.rfind('/') + 1);
  if (name.empty() || name == "." || name == "..") return {};
  return updateDir / name;
}

}  // namespace

std::string SignWithKey(std::string_view bytes, const unsigned char* secretKey) {
  InitSodium();
  unsigned char signature[crypto_sign_BYTES];
  crypto_sign_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                       secretKey);
  char text[sodium_base64_ENCODED_LEN(crypto_sign_BYTES, sodium_base64_VARIANT_ORIGINAL)];
  sodium_bin2base64(text, sizeof text, signature, sizeof signature, sodium_base64_VARIANT_ORIGINAL);
  return text;
}

std::string SignWithTestKey(std::string_view bytes) {
  InitSodium();
  constexpr std::string_view hex = DORV_UPDATE_TEST_SEED;
  unsigned char seed[crypto_sign_SEEDBYTES];
  size_t length = 0;
  if (sodium_hex2bin(seed, sizeof seed, hex.data(), hex.size(), nullptr, &length, nullptr) != 0 ||
      length != sizeof seed)
    std::abort();
  unsigned char publicKey[crypto_sign_PUBLICKEYBYTES], secretKey[crypto_sign_SECRETKEYBYTES];
  crypto_sign_seed_keypair(publicKey, secretKey, seed);
  return SignWithKey(bytes, secretKey);
}

std::string SignedDescription(const std::string& xml, const std::filesystem::path& updateDir) {
  if (xml.find("Signature=") != std::string::npos) return xml;
  const size_t version = xml.find("<Version");
  if (version == std::string::npos) return xml;
  const std::string marker = "URL=\"";
  const size_t url = xml.find(marker, version);
  const size_t end = url == std::string::npos ? url : xml.find('"', url + marker.size());
  if (end == std::string::npos) return xml;
  const std::filesystem::path installer = InstallerFor(xml.substr(url + marker.size(), end - url - marker.size()), updateDir);
  std::error_code error;
  if (installer.empty() || !std::filesystem::is_regular_file(installer, error)) return xml;
  std::ifstream in(installer, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string signedXml = xml;
  signedXml.insert(version + std::string("<Version").size(), " Signature=\"" + SignWithTestKey(bytes) + "\"");
  return signedXml;
}

}  // namespace devserver
