#pragma once
// The pieces every request of the service shares: the operation URL with the
// signed-in account, the two headers of a file-system request and the JSON
// body.
#include <json/value.h>

#include <cstdint>
#include <string>

#include "client/core/protocol/RequestHeader.h"
#include "net/HttpTypes.h"

namespace Net {
class HttpRequest;
}

// The header of a request of the signed-in account: the product name of the
// product information, the user id and session id of the account data, each
// read from one consistent copy.
RequestHeader CurrentRequestHeader();

// base + "?op=" + operation, then "&a=" + the account once the account's
// logged-in flag is set. For file-system and transfer operations.
std::string AccountOperationUrl(const std::string& base, const std::string& operation);

// The file-system base URL with "op" and the account pair; with id and
// header, followed by the "id" and "userId" pairs that most operations start
// with.
std::string FileSystemUrl(const std::string& operation);
std::string FileSystemUrl(const std::string& operation, int64_t id, const RequestHeader& header);

// Method and URL, the two headers of the record's header, and the body when
// it is not null.
void FillFileSystemRequest(Net::HttpRequest* request, Net::HTTPMETHOD method, const std::string& url,
                           const RequestHeader& header, const Json::Value& body = Json::Value());

// "Authorization" = the session id, "x-hlvn-meta-product" = the product name.
void AddRequestHeaders(const RequestHeader& header, Net::HttpRequest* request);

// The value as the request's body; nothing for a null value.
void SetJsonPostContent(const Json::Value& value, Net::HttpRequest* request);
