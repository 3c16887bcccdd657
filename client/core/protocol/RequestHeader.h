#pragma once
// The head of every file-system request: the product header, the user id of
// the "userId" query pair and the session id sent as the authorization.
#include <cstdint>
#include <string>

struct RequestHeader {
  RequestHeader() = default;
  RequestHeader(std::string product, int64_t userId, std::string authorization)
      : product(std::move(product)), userId(userId), authorization(std::move(authorization)) {}

  std::string product;
  int64_t userId = 0;
  std::string authorization;
};
