#pragma once
// Signatures of installers as a release is signed, made with the development
// builds' test key (cmake/UpdateKeys.cmake) or with a key no build accepts.
#include <string>

namespace dorvtest {

// The detached Ed25519 signature of the bytes, in base64, by the test key.
std::string SignWithTestKey(const std::string& bytes);
// The same by a fresh key pair that no build knows.
std::string SignWithUnknownKey(const std::string& bytes);

}  // namespace dorvtest
