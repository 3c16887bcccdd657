#pragma once
#include <json/json.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace devserver {

// Strict reading of request bodies: malformed JSON, a missing required member or
// a member of the wrong kind is a bad request (ServiceError 400). Paths name
// nested members with dots ("file.doc.md5").
Json::Value ParseObject(const std::string& text);
const Json::Value* FindMember(const Json::Value& root, std::string_view path);

int64_t ReqInt64(const Json::Value& root, std::string_view path);
int32_t ReqInt32(const Json::Value& root, std::string_view path);
std::string ReqString(const Json::Value& root, std::string_view path);
std::optional<int64_t> OptInt64(const Json::Value& root, std::string_view path);
int32_t OptInt32(const Json::Value& root, std::string_view path, int32_t fallback);
std::string OptString(const Json::Value& root, std::string_view path, const std::string& fallback = {});
bool OptBool(const Json::Value& root, std::string_view path, bool fallback);

// Compact JSON, UTF-8 kept as it is.
std::string ToText(const Json::Value& value);

}  // namespace devserver
