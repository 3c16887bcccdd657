#pragma once
// The URL of an operation: base URL + "?op=" + the operation, then its
// "&name=value" pairs. Values are percent-encoded (every byte but the
// unreserved letters, digits and "-._~"), so a blank, tab, "&", "+", "#" or
// "|" in a name or version text reaches the service unchanged and cannot
// break the request.
#include <cstdint>
#include <string>

// The bytes of text with every byte outside the unreserved set as %XX.
std::string PercentEncode(const std::string& text);

// base + "?op=" + operation.
std::string OperationUrl(const std::string& base, const std::string& operation);

// Appends "&name=value" when value is not empty.
void AppendQueryString(const std::string& value, std::string& url, const std::string& name);
// Appends "&name=" + value in decimal.
void AppendQueryInt64(std::string& url, const std::string& name, int64_t value);
// Appends "&name=" + value in decimal; flags go as 0 or 1.
void AppendQueryLong(std::string& url, const std::string& name, long value);
