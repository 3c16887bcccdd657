#include "RequestLog.h"

namespace devserver {

namespace {
constexpr size_t kMaxEntries = 100000;
}

void RequestLog::Add(LogEntry entry) {
  std::lock_guard<std::mutex> lock(m_mutex);
  entry.seq = m_next++;
  m_entries.push_back(std::move(entry));
  if (m_entries.size() > kMaxEntries) m_entries.pop_front();
}

Json::Value RequestLog::Since(int64_t after) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  Json::Value list(Json::arrayValue);
  for (const LogEntry& e : m_entries) {
    if (e.seq <= after) continue;
    Json::Value v(Json::objectValue);
    v["seq"] = Json::Int64(e.seq);
    v["method"] = e.method;
    v["path"] = e.path;
    v["op"] = e.op;
    v["query"] = e.query;
    v["status"] = e.status;
    v["code"] = e.code;
    list.append(v);
  }
  return list;
}

void RequestLog::Clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_entries.clear();
}

}  // namespace devserver
