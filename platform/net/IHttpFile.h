#pragma once
#include <cstddef>
#include <cstdint>

namespace Net {

// The content of a file part of a multipart body.
class IHttpFile {
 public:
  // Prepares the content for sending and returns its length in bytes, or -1
  // when it cannot be sent.
  virtual int64_t ParseFile() = 0;
  // Copies up to `length` bytes starting at `offset` into `buffer`; returns the
  // number copied (0 at the end).
  virtual size_t UploadFile(char* buffer, size_t length, int64_t offset) = 0;
  virtual ~IHttpFile() = default;
};

}  // namespace Net
