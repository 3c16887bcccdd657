#include "client/sync/filter/ProgramChangeIgnoreList.h"

#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/watcher/FileSystemEventArgs.h"
#include "win32/Clock.h"

namespace {
ULONGLONG Now() { return win32::CurrentClock().NowMs(); }
}  // namespace

bool ProgramChangeIgnoreList::TypesMatch(int entryType, int type) {
  if (entryType == type) return true;
  auto contentChange = [](int t) { return t == WATCHER_EVENT_ADDED || t == WATCHER_EVENT_MODIFIED; };
  return contentChange(entryType) && contentChange(type);
}

void ProgramChangeIgnoreList::DropExpired(ULONGLONG nowMs) {
  m_entries.remove_if([nowMs](const Entry& e) {
    if (e.consumed) return nowMs - e.consumedMs >= kContentsWindowMs || nowMs - e.addedMs >= kEntryLifetimeMs;
    return nowMs - e.addedMs >= kEntryLifetimeMs;
  });
}

void ProgramChangeIgnoreList::Add(const juce::String& path, const juce::String& newPath, int type) {
  const juce::ScopedLock guard(m_lock);
  ULONGLONG now = Now();
  DropExpired(now);
  for (Entry& e : m_entries) {
    if (!e.consumed && e.type == type && e.newPath == newPath && e.path == path) {
      e.addedMs = now;
      return;
    }
  }
  m_entries.push_back(Entry{path, newPath, type, now, false, 0});
}

bool ProgramChangeIgnoreList::CheckAndRemove(const juce::String& path, const juce::String& newPath, int type) {
  const juce::ScopedLock guard(m_lock);
  ULONGLONG now = Now();
  DropExpired(now);
  for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
    if (it->consumed || !TypesMatch(it->type, type) || it->path != path || it->newPath != newPath) continue;
    if (it->type == WATCHER_EVENT_REMOVED) {
      it->consumed = true;  // kept a while for the removals of its contents
      it->consumedMs = now;
    } else {
      m_entries.erase(it);
    }
    return true;
  }
  if (type == WATCHER_EVENT_REMOVED) {
    for (const Entry& e : m_entries) {
      if (e.type == WATCHER_EVENT_REMOVED && SyncHelper::IsUnderFolder(e.path, path)) return true;
    }
  }
  return false;
}

bool ProgramChangeIgnoreList::Withdraw(const juce::String& path, const juce::String& newPath, int type) {
  const juce::ScopedLock guard(m_lock);
  DropExpired(Now());
  for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
    if (it->consumed || !TypesMatch(it->type, type) || it->path != path || it->newPath != newPath) continue;
    m_entries.erase(it);
    return true;
  }
  return false;
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
