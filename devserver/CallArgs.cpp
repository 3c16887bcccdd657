#include "CallArgs.h"

#include <algorithm>
#include <limits>

#include "JsonIo.h"
#include "Md5.h"
#include "Query.h"
#include "ServiceError.h"

namespace devserver {

void CheckOwner(const Json::Value& body, const char* path, const User& user) {
  if (auto owner = OptInt64(body, path); owner && *owner != user.id)
    throw ServiceError(Code::Forbidden, "not the owner");
}

int64_t TargetId(const FsCall& call, const char* path) {
  auto bodyId = OptInt64(call.body, path);
  auto queryId = call.query.OptInt64("id");
  if (!bodyId && !queryId) throw ServiceError(Code::BadRequest, "missing id");
  if (bodyId && queryId && *bodyId != *queryId) throw ServiceError(Code::BadRequest, "ids differ");
  return bodyId ? *bodyId : *queryId;
}

int64_t ContentSize(const Json::Value& body, const char* path) {
  int64_t size = ReqInt64(body, path);
  if (size < 0 || size > std::numeric_limits<int32_t>::max()) throw ServiceError(Code::BadRequest, "bad size");
  return size;
}

std::string ContentMd5(const Json::Value& body, const char* path) {
  std::string md5 = ReqString(body, path);
  std::transform(md5.begin(), md5.end(), md5.begin(), [](unsigned char c) { return std::tolower(c); });
  if (!IsMd5Hex(md5)) throw ServiceError(Code::BadRequest, "bad md5");
  return md5;
}

}  // namespace devserver
