#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

namespace devserver {

// Wakes the waiting long polls of an account when its change counter grows.
// Thread-safe; independent of the service lock, so that a poll waits without
// holding it.
class LinkHub {
 public:
  void Changed(int64_t userId, int64_t g);
  // Waits until the account's counter is above `after` (seeded with `known`, the
  // value read under the service lock), the hold time ends or Stop is called.
  // Returns the counter when it grew, nothing on a time-out or a stop.
  std::optional<int64_t> WaitAbove(int64_t userId, int64_t after, int64_t known, std::chrono::milliseconds hold);
  void Stop();
  // Forgets every counter (the store was reset).
  void Reset();

 private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::map<int64_t, int64_t> m_g;
  bool m_stopping = false;
};

}  // namespace devserver
