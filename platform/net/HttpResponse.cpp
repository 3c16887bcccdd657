#include "net/HttpResponse.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "win32/PrivateFiles.h"

namespace Net {

namespace {

// A large body fills fresh memory page by page; in large pages it takes a
// fault every 2 MiB instead of every 4 KiB, which costs more than the copy.
void AskForLargePages(char* data, size_t length) {
  constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
  if (length < 2 * kLargePage) return;
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kLargePage - 1) & ~(kLargePage - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + length) & ~(kLargePage - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace

HttpResponse::HttpResponse(const juce::String& path) : m_toFile(true), m_path(path) {}

HttpResponse::~HttpResponse() { EndBody(); }

bool HttpResponse::BeginBody(int64_t expectedLength) {
  m_body.clear();
  if (!m_toFile) {
    // Reserving what the server announced saves copying a large body again
    // and again; an absurd announcement is not trusted.
    if (expectedLength > 0 && expectedLength <= (int64_t{1} << 31)) {
      m_body.reserve(static_cast<size_t>(expectedLength));
      AskForLargePages(m_body.data(), m_body.capacity());
    }
    return true;
  }
  EndBody();
  // A download (an installer, say) is the user's alone until it is put to use,
  // and never written through a link planted under its name.
  const int fd = win32::OpenPrivateFile(m_path.toStdString(), O_WRONLY | O_TRUNC);
  if (fd < 0) return false;
  m_file = fdopen(fd, "wb");
  if (m_file == nullptr) ::close(fd);
  return m_file != nullptr;
}

bool HttpResponse::AppendBody(const char* data, size_t length) {
  if (!m_toFile) {
    m_body.append(data, length);
    return true;
  }
  return m_file != nullptr && std::fwrite(data, 1, length, m_file) == length;
}

void HttpResponse::EndBody() {
  if (m_file != nullptr) {
    std::fclose(m_file);
    m_file = nullptr;
  }
}

}  // namespace Net
