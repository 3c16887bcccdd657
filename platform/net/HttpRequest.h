#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "net/HttpTypes.h"
#include "net/IHttpFile.h"

namespace Net {

// What to send: method, URL (complete with its query), headers and a body.
// The body is the post content, or a multipart body when text fields or file
// parts were added (the post content is then not sent).
class HttpRequest {
 public:
  HttpRequest() = default;
  HttpRequest(HTTPMETHOD method, const std::string& url);
  HttpRequest(const HttpRequest&) = delete;
  HttpRequest& operator=(const HttpRequest&) = delete;

  void SetHttpRequest(HTTPMETHOD method, const std::string& url);
  void AddHeaderField(const std::string& name, const std::string& value);
  // The body; a GET may carry one too.
  void SetPostContent(const std::string& content);
  // A text part of a multipart body.
  void AddField(const std::string& name, const std::string& value);
  // A file part of a multipart body; the request owns the file from here on.
  void AddFile(const std::string& name, IHttpFile* file);
  // Asks for the bytes start..end, both included; an end below 0 asks for
  // everything from start on.
  void SetHttpAcceptRanges(int start, int end);

  struct FilePart {
    std::string name;
    std::unique_ptr<IHttpFile> file;
  };
  HTTPMETHOD GetMethod() const { return m_method; }
  const std::string& GetUrl() const { return m_url; }
  const std::vector<std::pair<std::string, std::string>>& GetHeaders() const { return m_headers; }
  const std::string& GetPostContent() const { return m_content; }
  bool HasPostContent() const { return m_hasContent; }
  const std::vector<std::pair<std::string, std::string>>& GetFields() const { return m_fields; }
  const std::vector<FilePart>& GetFiles() const { return m_files; }
  bool IsMultipart() const { return !m_fields.empty() || !m_files.empty(); }
  bool HasRange() const { return m_rangeStart >= 0; }
  int GetRangeStart() const { return m_rangeStart; }
  int GetRangeEnd() const { return m_rangeEnd; }

 private:
  HTTPMETHOD m_method = HTTP_GET;
  std::string m_url;
  std::vector<std::pair<std::string, std::string>> m_headers;
  std::string m_content;
  bool m_hasContent = false;
  std::vector<std::pair<std::string, std::string>> m_fields;
  std::vector<FilePart> m_files;
  int m_rangeStart = -1;
  int m_rangeEnd = -1;
};

}  // namespace Net
