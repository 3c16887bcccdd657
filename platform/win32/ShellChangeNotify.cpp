#include "win32/ShellChangeNotify.h"

#include <deque>
#include <mutex>

#include "win32/CodePage.h"

namespace {

// The program announces every changed path for as long as it runs: keep the
// newest ones only.
constexpr size_t kKeptNotifications = 4096;

struct Journal {
  std::mutex lock;
  std::deque<win32::ShellNotification> entries;
};

Journal& TheJournal() {
  static Journal* journal = new Journal;  // lives until process end
  return *journal;
}

std::wstring PathOf(UINT flags, LPCVOID item) {
  if (!item) return {};
  switch (flags & SHCNF_TYPE) {
    case SHCNF_PATHW: return static_cast<LPCWSTR>(item);
    case SHCNF_PATHA: return Utf8ToWide(static_cast<const char*>(item));
    default: return {};
  }
}

}  // namespace

void SHChangeNotify(LONG eventId, UINT flags, LPCVOID item1, LPCVOID item2) {
  Journal& j = TheJournal();
  std::lock_guard guard(j.lock);
  j.entries.push_back({eventId, flags, PathOf(flags, item1), PathOf(flags, item2)});
  if (j.entries.size() > kKeptNotifications) j.entries.pop_front();
}

namespace win32 {

std::vector<ShellNotification> ShellNotifications() {
  Journal& j = TheJournal();
  std::lock_guard guard(j.lock);
  return {j.entries.begin(), j.entries.end()};
}

void ClearShellNotifications() {
  Journal& j = TheJournal();
  std::lock_guard guard(j.lock);
  j.entries.clear();
}

}  // namespace win32
