#pragma once
#include "net/IHttpFile.h"

namespace Net {

// A file part over memory that the caller keeps alive until Transport returns.
class HttpDataStream : public IHttpFile {
 public:
  HttpDataStream(const char* data, int length);
  int64_t ParseFile() override;
  size_t UploadFile(char* buffer, size_t length, int64_t offset) override;

 private:
  const char* m_data;
  int m_length;
};

}  // namespace Net
