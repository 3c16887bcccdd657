#pragma once
// Signing of the installers the service offers, with the test key of
// development builds (cmake/UpdateKeys.cmake): programs of a release build
// refuse what is signed here.
#include <filesystem>
#include <string>
#include <string_view>

namespace devserver {

// The detached Ed25519 signature of the bytes, in base64, by the secret key
// (crypto_sign_SECRETKEYBYTES bytes).
std::string SignWithKey(std::string_view bytes, const unsigned char* secretKey);
// The same by the test key.
std::string SignWithTestKey(std::string_view bytes);

// An update description as served: one that names no "Signature" gets the
// test key's signature of the installer its Version's URL names in the update
// folder (the URL's last path segment, without its query); a description that
// carries a Signature, even an empty one, is served as it is.
std::string SignedDescription(const std::string& xml, const std::filesystem::path& updateDir);

}  // namespace devserver
