#pragma once
#include <cstdint>
#include <string>

#include "FsService.h"

namespace devserver {

// Arguments shared by several file-system operations.

// A body member naming the owner must name the caller (else 403).
void CheckOwner(const Json::Value& body, const char* path, const User& user);
// The id an operation names: the body's member at `path` or the query's "id";
// when both are given they must agree.
int64_t TargetId(const FsCall& call, const char* path);
// A content size: 0 to 2^31-1 (the client's sizes are signed 32-bit).
int64_t ContentSize(const Json::Value& body, const char* path);
// A lower-case hex MD5 (upper-case digits are accepted and lowered).
std::string ContentMd5(const Json::Value& body, const char* path);

}  // namespace devserver
