#pragma once
#include <curl/curl.h>
#include <json/json.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace devtest {

// One HTTP exchange over libcurl, as the client's network layer would make it.
struct HttpReply {
  CURLcode error = CURLE_OK;
  long status = 0;
  std::string body;
  std::map<std::string, std::string> headers;  // names in lower case
  // The body as JSON; null when it isn't.
  Json::Value Json() const;
  // "code" of a JSON reply, -1 when there is none.
  int Code() const;
  const Json::Value Result() const { return Json()["result"]; }
};

using Headers = std::vector<std::pair<std::string, std::string>>;

HttpReply HttpGet(const std::string& url, const Headers& headers = {});
HttpReply HttpPost(const std::string& url, const std::string& body, const Headers& headers = {});
// A GET that carries a body (the client's delFileIncomplete).
HttpReply HttpGetWithBody(const std::string& url, const std::string& body, const Headers& headers = {});
// A multipart POST: text parts, then one file part.
HttpReply HttpPostMultipart(const std::string& url, const std::vector<std::pair<std::string, std::string>>& fields,
                            const std::string& fileName, const std::string& fileBytes, const Headers& headers = {});

std::string Md5(const std::string& bytes);
std::string ToJson(const Json::Value& value);

}  // namespace devtest
