#include "LinkHub.h"

#include <algorithm>

namespace devserver {

void LinkHub::Changed(int64_t userId, int64_t g) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    int64_t& cur = m_g[userId];
    cur = std::max(cur, g);
  }
  m_cv.notify_all();
}

std::optional<int64_t> LinkHub::WaitAbove(int64_t userId, int64_t after, int64_t known,
                                          std::chrono::milliseconds hold) {
  std::unique_lock<std::mutex> lock(m_mutex);
  int64_t& cur = m_g[userId];
  cur = std::max(cur, known);
  auto deadline = std::chrono::steady_clock::now() + hold;
  bool grew = m_cv.wait_until(lock, deadline, [&] { return m_stopping || m_g[userId] > after; });
  if (!grew || m_stopping) return std::nullopt;
  return m_g[userId];
}

void LinkHub::Reset() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_g.clear();
  }
  m_cv.notify_all();
}

void LinkHub::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
  }
  m_cv.notify_all();
}

}  // namespace devserver
