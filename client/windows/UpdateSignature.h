#pragma once
// Whether bytes carry a detached Ed25519 signature, in base64, made with one of
// the keys this build accepts: the release key, and in a development build the
// test key (cmake/UpdateKeys.cmake). Any thread.
#include <cstddef>
#include <string>

bool IsSignedWithUpdateKey(const unsigned char* data, size_t size, const std::string& signatureBase64);
