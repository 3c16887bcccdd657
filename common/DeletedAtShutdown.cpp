#include "common/DeletedAtShutdown.h"

#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

namespace Common {
namespace {

// Each entry carries its registration number, so that DeleteAll can tell the
// objects that were there when it started from those registered meanwhile.
struct Registry {
  std::mutex lock;
  std::vector<std::pair<CDeletedAtShutdown*, std::uint64_t>> entries;
  std::uint64_t nextSerial = 0;
};

// Never destroyed: registrations and removals may come from other libraries'
// static destructors after this library's own have run.
Registry& TheRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

}  // namespace

CDeletedAtShutdown::CDeletedAtShutdown() {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  r.entries.emplace_back(this, r.nextSerial++);
}

CDeletedAtShutdown::~CDeletedAtShutdown() {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  for (auto it = r.entries.begin(); it != r.entries.end(); ++it) {
    if (it->first == this) {
      r.entries.erase(it);
      break;
    }
  }
}

void CDeletedAtShutdown::DeleteAll() {
  Registry& r = TheRegistry();
  std::uint64_t limit;
  {
    std::lock_guard<std::mutex> guard(r.lock);
    limit = r.nextSerial;
  }
  // Take the newest entry that was already there at the start, delete it
  // outside the lock (its destructor takes the lock to leave the list), and
  // look again: a destructor that deleted other entries shortens the list by
  // more than one, which a fixed index walk would trip over.
  for (;;) {
    CDeletedAtShutdown* victim = nullptr;
    {
      std::lock_guard<std::mutex> guard(r.lock);
      for (auto it = r.entries.rbegin(); it != r.entries.rend(); ++it) {
        if (it->second < limit) {
          victim = it->first;
          break;
        }
      }
    }
    if (!victim) break;
    delete victim;
  }
  std::lock_guard<std::mutex> guard(r.lock);
  r.entries.clear();
}

}  // namespace Common
