#include "Ids.h"

#include <chrono>
#include <random>

namespace devserver {

std::string RandomHex(size_t bytes) {
  static thread_local std::random_device device;
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes * 2);
  for (size_t i = 0; i < bytes; ++i) {
    unsigned value = device() & 0xFFu;
    out += digits[value >> 4];
    out += digits[value & 0xF];
  }
  return out;
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace devserver
