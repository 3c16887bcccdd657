#pragma once
// The envelope of every reply body: {"code": int, "result": {...}}.
#include <string>

#include <json/value.h>

namespace ReplyEnvelope {

// The record codes that are not the service's own.
constexpr int kNotRead = -1;     // no reply was read: exchange failed or HTTP status not 200
constexpr int kSuccess = 200;
constexpr int kUnreadable = 1000;  // the body was not JSON or a member was unreadable

// True when a response arrived with HTTP status 200, the only one whose body
// the parsers read.
bool IsReadable(bool haveResponse, int httpStatus);

// The top-level "code" (JsonReadError when it has the wrong kind).
int Code(const Json::Value& root);
// The "result" object (null when missing; JsonReadError when the root is
// not an object).
const Json::Value& Result(const Json::Value& root);

}  // namespace ReplyEnvelope
