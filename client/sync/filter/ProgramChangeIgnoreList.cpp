#include "client/sync/filter/ProgramChangeIgnoreList.h"

#include <algorithm>

#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/watcher/FileSystemEventArgs.h"
#include "win32/Clock.h"

namespace {
ULONGLONG Now() { return win32::CurrentClock().NowMs(); }
bool IsRelocation(int type) { return type == WATCHER_EVENT_RENAMED || type == WATCHER_EVENT_MOVED; }
}  // namespace

bool ProgramChangeIgnoreList::TypesMatch(int entryType, int type) {
  if (entryType == type) return true;
  auto contentChange = [](int t) { return t == WATCHER_EVENT_ADDED || t == WATCHER_EVENT_MODIFIED; };
  return contentChange(entryType) && contentChange(type);
}

ULONGLONG ProgramChangeIgnoreList::ExpiryOf(const Entry& e) {
  ULONGLONG expiry = e.addedMs + kEntryLifetimeMs;
  if (e.consumed) expiry = std::min(expiry, e.consumedMs + kContentsWindowMs);
  return expiry;
}

void ProgramChangeIgnoreList::DropExpired(ULONGLONG nowMs) {
  if (nowMs < m_nextExpiryMs) return;
  ULONGLONG next = ~0ULL;
  for (auto it = m_entries.begin(); it != m_entries.end();) {
    const ULONGLONG expiry = ExpiryOf(*it);
    if (nowMs >= expiry) {
      Erase(it++);
    } else {
      next = std::min(next, expiry);
      ++it;
    }
  }
  m_nextExpiryMs = next;
}

void ProgramChangeIgnoreList::Erase(Entries::iterator it) {
  auto remove = [it](std::vector<Entries::iterator>& list) {
    auto at = std::find(list.begin(), list.end(), it);
    if (at != list.end()) list.erase(at);
  };
  auto byPaths = m_byPaths.find(Paths{it->path, it->newPath});
  if (byPaths != m_byPaths.end()) {
    remove(byPaths->second);
    if (byPaths->second.empty()) m_byPaths.erase(byPaths);
  }
  if (it->type == WATCHER_EVENT_REMOVED) remove(m_removals);
  if (IsRelocation(it->type)) remove(m_relocations);
  m_entries.erase(it);
}

ProgramChangeIgnoreList::Entries::iterator ProgramChangeIgnoreList::FindWaiting(const juce::String& path,
                                                                                const juce::String& newPath, int type,
                                                                                bool sameType) {
  auto byPaths = m_byPaths.find(Paths{path, newPath});
  if (byPaths == m_byPaths.end()) return m_entries.end();
  for (Entries::iterator it : byPaths->second) {
    if (it->consumed) continue;
    if (sameType ? it->type == type : TypesMatch(it->type, type)) return it;
  }
  return m_entries.end();
}

void ProgramChangeIgnoreList::Add(const juce::String& path, const juce::String& newPath, int type) {
  const juce::ScopedLock guard(m_lock);
  ULONGLONG now = Now();
  DropExpired(now);
  auto equal = FindWaiting(path, newPath, type, true);
  if (equal != m_entries.end()) {
    equal->addedMs = now;
    return;
  }
  auto it = m_entries.insert(m_entries.end(), Entry{path, newPath, type, now, false, 0});
  m_byPaths[Paths{path, newPath}].push_back(it);
  if (type == WATCHER_EVENT_REMOVED) m_removals.push_back(it);
  if (IsRelocation(type)) m_relocations.push_back(it);
  m_nextExpiryMs = std::min(m_nextExpiryMs, ExpiryOf(*it));
}

bool ProgramChangeIgnoreList::CheckAndRemove(const juce::String& path, const juce::String& newPath, int type) {
  const juce::ScopedLock guard(m_lock);
  ULONGLONG now = Now();
  DropExpired(now);
  auto it = FindWaiting(path, newPath, type, false);
  if (it != m_entries.end()) {
    if (it->type == WATCHER_EVENT_REMOVED) {
      it->consumed = true;  // kept a while for the removals of its contents
      it->consumedMs = now;
      m_nextExpiryMs = std::min(m_nextExpiryMs, ExpiryOf(*it));
    } else {
      Erase(it);
    }
    return true;
  }
  if (type == WATCHER_EVENT_REMOVED) {
    for (Entries::iterator removal : m_removals) {
      if (!SyncHelper::IsUnderFolder(removal->path, path)) continue;
      // A folder there again since its removal was reported is a new one:
      // what the user removes from it is theirs.
      if (removal->consumed && juce::File(removal->path).isDirectory()) continue;
      return true;
    }
  }
  return false;
}

bool ProgramChangeIgnoreList::Withdraw(const juce::String& path, const juce::String& newPath, int type) {
  const juce::ScopedLock guard(m_lock);
  DropExpired(Now());
  auto it = FindWaiting(path, newPath, type, false);
  if (it == m_entries.end()) return false;
  Erase(it);
  return true;
}

void ProgramChangeIgnoreList::ForgetAdditionsAt(const juce::String& path) {
  const juce::ScopedLock guard(m_lock);
  auto byPaths = m_byPaths.find(Paths{path, path});
  if (byPaths == m_byPaths.end()) return;
  std::vector<Entries::iterator> additions;
  for (Entries::iterator it : byPaths->second)
    if (!it->consumed && TypesMatch(it->type, WATCHER_EVENT_ADDED)) additions.push_back(it);
  for (Entries::iterator it : additions) Erase(it);
}

juce::String ProgramChangeIgnoreList::FollowRelocations(const juce::String& path) {
  const juce::ScopedLock guard(m_lock);
  DropExpired(Now());
  juce::String followed = path;
  for (Entries::iterator relocation : m_relocations) {
    // What lies below a folder starts with its path: the cheap test first,
    // as a burst of downloads lists thousands of renames of files.
    if (followed.startsWith(relocation->path) && SyncHelper::IsUnderFolder(relocation->path, followed))
      followed = relocation->newPath + followed.substring(relocation->path.length());
  }
  return followed;
}

int ProgramChangeIgnoreList::GetCount() {
  const juce::ScopedLock guard(m_lock);
  DropExpired(Now());
  return static_cast<int>(m_entries.size());
}

void ProgramChangeIgnoreList::InstallAsEngineLink() {
  SyncEngineLinks links;
  links.ignoreProgramChange = [this](const juce::String& oldPath, const juce::String& newPath, int type) {
    Add(oldPath, newPath, type);
  };
  links.unignoreProgramChange = [this](const juce::String& oldPath, const juce::String& newPath, int type) {
    return Withdraw(oldPath, newPath, type);
  };
  InstallSyncEngineLinks(links);
}
