#pragma once
// What a builder wrote into a request, taken apart for checks: the URL's base
// and its query pairs in order (percent-decoded), the headers and the body.
#include <json/value.h>

#include <string>
#include <utility>
#include <vector>

#include "ProtocolTestJson.h"
#include "net/HttpRequest.h"

namespace protocoltest {

inline std::string PercentDecode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

struct RequestView {
  explicit RequestView(const Net::HttpRequest& request) : method(request.GetMethod()) {
    const std::string& url = request.GetUrl();
    const size_t question = url.find('?');
    base = url.substr(0, question);
    if (question != std::string::npos) {
      size_t at = question + 1;
      while (at <= url.size()) {
        size_t end = url.find('&', at);
        if (end == std::string::npos) end = url.size();
        const std::string pair = url.substr(at, end - at);
        const size_t eq = pair.find('=');
        query.emplace_back(pair.substr(0, eq), eq == std::string::npos ? "" : PercentDecode(pair.substr(eq + 1)));
        at = end + 1;
      }
    }
    headers = request.GetHeaders();
    hasBody = request.HasPostContent();
    if (hasBody) body = ParseJson(request.GetPostContent());
  }

  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (const auto& pair : query) keys.push_back(pair.first);
    return keys;
  }
  std::string Value(const std::string& key) const {
    for (const auto& pair : query)
      if (pair.first == key) return pair.second;
    return "<absent>";
  }
  std::string Header(const std::string& name) const {
    for (const auto& header : headers)
      if (header.first == name) return header.second;
    return "<absent>";
  }

  Net::HTTPMETHOD method;
  std::string base;
  std::vector<std::pair<std::string, std::string>> query;
  std::vector<std::pair<std::string, std::string>> headers;
  bool hasBody = false;
  Json::Value body;
};

}  // namespace protocoltest
