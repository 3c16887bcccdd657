#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace Net::detail {

// Holds one direction of a transfer to a speed limit that may change while it
// runs. libcurl's own limiter only looks between reads, which lets a fast
// peer's whole burst through; pausing before each chunk keeps to the limit.
class SpeedPacer {
 public:
  using LimitFn = int64_t (*)();
  explicit SpeedPacer(LimitFn limit) : m_limit(limit) {}

  // Milliseconds until the bytes counted so far are paid for at the current
  // limit: 0 when more may pass now.
  int64_t WaitMs();
  void Count(size_t bytes) { m_bytes += static_cast<int64_t>(bytes); }

 private:
  LimitFn m_limit;
  int64_t m_current = -1;
  int64_t m_bytes = 0;
  std::chrono::steady_clock::time_point m_start;
};

}  // namespace Net::detail
