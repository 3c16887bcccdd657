#include "win32/ShellChangeNotify.h"

#include <deque>
#include <mutex>

#include "win32/CodePage.h"

namespace {

constexpr std::size_t kKeptChanges = 4096;

std::mutex g_changesLock;
std::deque<win32::ShellChange> g_changes;

std::wstring ItemText(UINT flags, LPCVOID item) {
  if (!item) return {};
  switch (flags & SHCNF_TYPE) {
    case SHCNF_PATHW: return static_cast<const wchar_t*>(item);
    case SHCNF_PATHA: return Utf8ToWide(static_cast<const char*>(item));
    default: return {};
  }
}

}  // namespace

void SHChangeNotify(LONG eventId, UINT flags, LPCVOID item1, LPCVOID item2) {
  win32::ShellChange change{eventId, flags, ItemText(flags, item1), ItemText(flags, item2)};
  std::lock_guard<std::mutex> hold(g_changesLock);
  g_changes.push_back(std::move(change));
  if (g_changes.size() > kKeptChanges) g_changes.pop_front();
}

namespace win32 {

std::vector<ShellChange> RecordedShellChanges() {
  std::lock_guard<std::mutex> hold(g_changesLock);
  return {g_changes.begin(), g_changes.end()};
}

void ClearRecordedShellChanges() {
  std::lock_guard<std::mutex> hold(g_changesLock);
  g_changes.clear();
}

}  // namespace win32
