#include "display/x11/X11PointerOrder.h"

#include <cstdint>

namespace display {

bool X11PointerOrder::PlaceIfLatest(Reader reader, Kind kind, unsigned long serverTime,
                                    const std::function<void()>& place) {
  std::lock_guard guard(m_lock);
  // The server's time is 32-bit milliseconds and wraps after some 49 days.
  const auto ahead = static_cast<int32_t>(static_cast<uint32_t>(serverTime) - static_cast<uint32_t>(m_last));
  const bool later = !m_placed || ahead > 0 || (ahead == 0 && (reader == m_reader || kind == Kind::Button));
  if (!later) return false;
  m_placed = true;
  m_reader = reader;
  m_last = serverTime;
  place();
  return true;
}

}  // namespace display
