#pragma once
// The pieces every request of the service shares: the operation URL with the
// signed-in account, the two headers of a file-system request and the JSON
// body.
#include <string>

#include <json/value.h>

#include "client/core/protocol/RequestHeader.h"

namespace Net {
class HttpRequest;
}

// base + "?op=" + operation, then "&a=" + the account once the account's
// logged-in flag is set. For file-system and transfer operations.
std::string AccountOperationUrl(const std::string& base, const std::string& operation);

// "Authorization" = the session id, "x-hlvn-meta-product" = the product name.
void AddRequestHeaders(const RequestHeader& header, Net::HttpRequest* request);

// The value as the request's body; nothing for a null value.
void SetJsonPostContent(const Json::Value& value, Net::HttpRequest* request);
