#include "client/core/protocol/WireSize.h"

bool CheckWireFileSize(int64_t size, std::string* error) {
  if (size >= 0 && size <= kMaxWireFileSize) return true;
  if (error) {
    *error = size < 0 ? "Invalid file size " + std::to_string(size)
                      : "File too large to sync: " + std::to_string(size) + " bytes; files of 2 GiB (" +
                            std::to_string(kMaxWireFileSize + 1) + " bytes) or more cannot be sent";
  }
  return false;
}
