#include "dump/DumpId.h"

#include <sys/random.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>

namespace faultdump {

void MakeDumpId(char* out) {
  uint8_t bytes[16] = {};
  if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    // No entropy to be had: the clock and our process id still keep names apart.
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    uint64_t mix = static_cast<uint64_t>(ts.tv_sec) * 1000000007u ^ static_cast<uint64_t>(ts.tv_nsec) ^
                   (static_cast<uint64_t>(::getpid()) << 32);
    for (int i = 0; i < 16; ++i) {
      mix = mix * 6364136223846793005ull + 1442695040888963407ull;
      bytes[i] = static_cast<uint8_t>(mix >> 56);
    }
  }
  bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);  // variant 1
  static const char hex[] = "0123456789abcdef";
  size_t at = 0;
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out[at++] = '-';
    out[at++] = hex[bytes[i] >> 4];
    out[at++] = hex[bytes[i] & 0xF];
  }
  out[at] = '\0';
}

}  // namespace faultdump
