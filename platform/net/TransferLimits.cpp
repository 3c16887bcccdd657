#include "net/TransferLimits.h"

#include <cstdlib>
#include <string>

namespace Net {

namespace {

constexpr int64_t kMiB = 1024 * 1024;
constexpr int64_t kSecond = 1000;

struct KindLimits {
  const char* name;
  TransferLimits limits;
};

// In the order of RequestKind. A tree listing of a large account runs to tens
// of MiB; an installer to a few hundred.
const KindLimits kKinds[] = {
    {"api", {4 * kMiB, 120 * kSecond}},
    {"listing", {128 * kMiB, 600 * kSecond}},
    {"transfer", {4 * kMiB, 300 * kSecond}},
    {"longpoll", {1 * kMiB, 330 * kSecond}},
    {"smallfile", {1 * kMiB, 30 * kSecond}},
    {"largefile", {512 * kMiB, 7200 * kSecond}},
};

// Reads "kind=bytes:ms" entries; false when the kind's entry is missing or
// malformed.
bool FromEnvironment(const char* name, TransferLimits& limits) {
  const char* setting = std::getenv("DORV_NET_LIMITS");
  if (setting == nullptr) return false;
  const std::string text(setting);
  const std::string key = std::string(name) + "=";
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(',', at);
    if (end == std::string::npos) end = text.size();
    const std::string entry = text.substr(at, end - at);
    at = end + 1;
    if (entry.compare(0, key.size(), key) != 0) continue;
    const char* bytes = entry.c_str() + key.size();
    char* rest = nullptr;
    const long long maxBody = std::strtoll(bytes, &rest, 10);
    if (rest == bytes || *rest != ':') return false;
    const char* ms = rest + 1;
    const long long deadline = std::strtoll(ms, &rest, 10);
    if (rest == ms || *rest != '\0') return false;
    limits.maxBodyBytes = maxBody;
    limits.deadlineMs = deadline;
    return true;
  }
  return false;
}

}  // namespace

TransferLimits LimitsFor(RequestKind kind) {
  const KindLimits& entry = kKinds[static_cast<int>(kind)];
  TransferLimits limits = entry.limits;
  FromEnvironment(entry.name, limits);
  return limits;
}

}  // namespace Net
