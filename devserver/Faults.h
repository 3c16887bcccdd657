#pragma once
#include <json/json.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace devserver {

// What an injected fault does to one request.
struct FaultAction {
  int code = 0;        // answer HTTP 200 with this service code
  int httpStatus = 0;  // answer this HTTP status with an empty body
  int delayMs = 0;     // wait before handling
  bool drop = false;   // close the connection in the middle of the answer
  bool wrongMd5 = false;  // downloadFile: flip the first byte of the content
  bool afterOp = false;   // run the operation first, then spoil its answer
};

// A rule: the action for requests of one operation ("*" for all), after
// skipping `skip` of them, `times` times (0 = until cleared).
struct FaultRule {
  std::string op;
  FaultAction action;
  int skip = 0;
  int times = 1;
};

// Thread-safe list of fault rules set through the admin API.
class Faults {
 public:
  void Add(const FaultRule& rule);
  void Clear();
  std::optional<FaultAction> Take(const std::string& op);
  Json::Value List() const;

 private:
  mutable std::mutex m_mutex;
  std::vector<FaultRule> m_rules;
};

}  // namespace devserver
