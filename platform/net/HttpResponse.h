#pragma once
#include <cstdio>
#include <string>

#include <juce_core/juce_core.h>

namespace Net {

// What came back: the HTTP status and the body, kept in memory or written to
// a file (which then holds exactly the body received, replacing what was
// there).
class HttpResponse {
 public:
  HttpResponse() = default;
  explicit HttpResponse(const juce::String& path);
  HttpResponse(const HttpResponse&) = delete;
  HttpResponse& operator=(const HttpResponse&) = delete;
  ~HttpResponse();

  // The HTTP status of the last exchange; 0 when none arrived.
  int GetStatusCode() const { return m_status; }
  // The body kept in memory (empty when it went to a file).
  const std::string& GetBody() const { return m_body; }
  bool WritesToFile() const { return m_toFile; }
  const juce::String& GetPath() const { return m_path; }

  // The transport's side.
  bool BeginBody(int64_t expectedLength);
  bool AppendBody(const char* data, size_t length);
  void EndBody();
  void SetStatusCode(int status) { m_status = status; }

 private:
  bool m_toFile = false;
  juce::String m_path;
  std::FILE* m_file = nullptr;
  std::string m_body;
  int m_status = 0;
};

}  // namespace Net
