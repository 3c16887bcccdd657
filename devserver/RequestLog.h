#pragma once
#include <json/json.h>

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace devserver {

struct LogEntry {
  int64_t seq = 0;
  std::string method;
  std::string path;
  std::string op;
  std::string query;  // raw, as received
  int status = 0;     // HTTP status (0 when the connection was dropped)
  int code = 0;       // the reply's service code; 0 for replies without one
};

// The requests the service answered, newest last; thread-safe, bounded.
class RequestLog {
 public:
  void Add(LogEntry entry);
  // Entries with a sequence number above `after`.
  Json::Value Since(int64_t after) const;
  void Clear();

 private:
  mutable std::mutex m_mutex;
  std::deque<LogEntry> m_entries;
  int64_t m_next = 1;
};

}  // namespace devserver
