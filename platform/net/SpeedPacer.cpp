#include "net/SpeedPacer.h"

namespace Net::detail {

int64_t SpeedPacer::WaitMs() {
  const int64_t limit = m_limit();
  const auto now = std::chrono::steady_clock::now();
  if (limit != m_current) {
    // A new limit counts from now.
    m_current = limit;
    m_bytes = 0;
    m_start = now;
  }
  if (limit <= 0) return 0;
  const auto due = m_start + std::chrono::milliseconds(m_bytes * 1000 / limit);
  if (now >= due) return 0;
  return std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count() + 1;
}

}  // namespace Net::detail
