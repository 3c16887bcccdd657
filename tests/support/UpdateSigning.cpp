#include "UpdateSigning.h"

#include <sodium.h>

#include "devserver/UpdateSigning.h"

namespace dorvtest {

std::string SignWithTestKey(const std::string& bytes) { return devserver::SignWithTestKey(bytes); }

std::string SignWithUnknownKey(const std::string& bytes) {
  unsigned char publicKey[crypto_sign_PUBLICKEYBYTES], secretKey[crypto_sign_SECRETKEYBYTES];
  crypto_sign_keypair(publicKey, secretKey);
  return devserver::SignWithKey(bytes, secretKey);
}

}  // namespace dorvtest
