#include "Faults.h"

namespace devserver {

void Faults::Add(const FaultRule& rule) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_rules.push_back(rule);
}

void Faults::Clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_rules.clear();
}

std::optional<FaultAction> Faults::Take(const std::string& op) {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (auto it = m_rules.begin(); it != m_rules.end(); ++it) {
    if (it->op != op && it->op != "*") continue;
    if (it->skip > 0) {
      --it->skip;
      continue;
    }
    FaultAction action = it->action;
    if (it->times > 0 && --it->times == 0) m_rules.erase(it);
    return action;
  }
  return std::nullopt;
}

Json::Value Faults::List() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  Json::Value list(Json::arrayValue);
  for (const FaultRule& r : m_rules) {
    Json::Value e(Json::objectValue);
    e["op"] = r.op;
    e["code"] = r.action.code;
    e["http"] = r.action.httpStatus;
    e["delayMs"] = r.action.delayMs;
    e["drop"] = r.action.drop;
    e["wrongMd5"] = r.action.wrongMd5;
    e["afterOp"] = r.action.afterOp;
    e["skip"] = r.skip;
    e["times"] = r.times;
    list.append(e);
  }
  return list;
}

}  // namespace devserver
