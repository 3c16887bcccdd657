#include "net/HttpRequest.h"

namespace Net {

HttpRequest::HttpRequest(HTTPMETHOD method, const std::string& url) { SetHttpRequest(method, url); }

void HttpRequest::SetHttpRequest(HTTPMETHOD method, const std::string& url) {
  m_method = method;
  m_url = url;
}

void HttpRequest::AddHeaderField(const std::string& name, const std::string& value) {
  m_headers.emplace_back(name, value);
}

void HttpRequest::SetPostContent(const std::string& content) {
  m_content = content;
  m_hasContent = true;
}

void HttpRequest::AddField(const std::string& name, const std::string& value) { m_fields.emplace_back(name, value); }

void HttpRequest::AddFile(const std::string& name, IHttpFile* file) {
  if (file == nullptr) return;
  m_files.push_back(FilePart{name, std::unique_ptr<IHttpFile>(file)});
}

void HttpRequest::SetHttpAcceptRanges(int start, int end) {
  m_rangeStart = start < 0 ? 0 : start;
  m_rangeEnd = end;
}

}  // namespace Net
