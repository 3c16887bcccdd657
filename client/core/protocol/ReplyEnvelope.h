#pragma once
// The envelope of every reply body: {"code": int, "result": {...}}.
#include <json/value.h>

#include <string>

#include "client/core/protocol/JsonRead.h"
#include "client/core/protocol/JsonText.h"

namespace ReplyEnvelope {

// The record codes that are not the service's own.
constexpr int kNotRead = -1;  // no reply was read: exchange failed or HTTP status not 200
constexpr int kSuccess = 200;
constexpr int kUnreadable = 1000;  // the body was not JSON or a member was unreadable

// True when a response arrived with HTTP status 200, the only one whose body
// the parsers read.
bool IsReadable(bool haveResponse, int httpStatus);

// Reads the response's body into the reply with Reply::ReadBody when the
// response is there with status 200; otherwise leaves the reply as it is.
template <class Response, class Reply>
void ReadResponse(const Response* response, Reply& reply) {
  if (!IsReadable(response != nullptr, response ? response->GetStatusCode() : 0)) return;
  Reply::ReadBody(response->GetBody(), reply);
}

// Parses the body and runs the reading with its root; a body that is not
// JSON, a member of the wrong kind or a reading that returns false sets code
// to kUnreadable.
template <class Reply, class Reading>
bool ReadBodyOrMarkUnreadable(const std::string& body, Reply& reply, Reading reading);

// The top-level "code" (JsonReadError when it has the wrong kind).
int Code(const Json::Value& root);
// The "result" object (null when missing; JsonReadError when the root is
// not an object).
const Json::Value& Result(const Json::Value& root);

}  // namespace ReplyEnvelope

template <class Reply, class Reading>
bool ReplyEnvelope::ReadBodyOrMarkUnreadable(const std::string& body, Reply& reply, Reading reading) {
  Json::Value root;
  bool read = false;
  if (JsonParse(body, root)) JsonRead::Guarded([&] { read = reading(root); });
  if (!read) reply.code = kUnreadable;
  return read;
}
