#pragma once
// The order of the pointer positions that the X server reports. The input of the program's
// windows and that of the tray's icons come over connections and threads of their own, and
// a window's thread applies its position later still, when it runs its input: so a position
// is taken only when no later one (by the server's clock, which every connection shares) has
// been taken already, and a menu opened at the cursor opens where the click was.
#include <functional>
#include <mutex>

namespace display {

class X11PointerOrder {
 public:
  enum class Reader { Windows, Tray };  // the connection that read the event
  enum class Kind { Move, Button };

  // Runs `place` (which sets the position) when the event is not older than the last
  // position taken, and makes it the last; true when it ran. The clock counts milliseconds,
  // so events of one millisecond tie: one of the same reader comes later (its connection
  // keeps the server's order), a button comes after the moves that led to it, and a move of
  // another reader is taken as the earlier.
  bool PlaceIfLatest(Reader reader, Kind kind, unsigned long serverTime, const std::function<void()>& place);

 private:
  std::mutex m_lock;
  bool m_placed = false;
  Reader m_reader = Reader::Windows;
  unsigned long m_last = 0;
};

}  // namespace display
