#include "client/sync/registry/NameConflictRegistry.h"

#include "client/core/LogWriter.h"
#include "client/sync/LazyInstance.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "win32/Windows.h"

namespace {

LazyInstance<NameConflictRegistry> g_instance;

constexpr int kResultCancelled = 1;
constexpr int kResultWait = 4;

}  // namespace

NameConflictRegistry* NameConflictRegistry::GetInstance() {
  return g_instance.Get([] { return new NameConflictRegistry(); });
}

void NameConflictRegistry::DeleteInstance() { g_instance.Delete(); }

NameConflictRegistry::~NameConflictRegistry() {
  const juce::ScopedLock hold(m_lock);
  m_entries.clear();
}

void NameConflictRegistry::Record(const juce::String& key, const NameConflictEntry& entry) {
  const juce::ScopedLock hold(m_lock);
  m_entries[key] = entry;
  if (entry.m_nNotified != 0) return;
  ISyncNotifyUI* sink = GetSyncNotifyUI();
  if (!sink) return;
  // The entry is always a file; the window words its notice by this text.
  sink->NotifySyncEvent({SNT_OCCUPIED, key, "File"});
  if (SyncPathList* tips = GetSyncTipList()) tips->AddUnique(key, TIP_OCCUPIED);
}

bool NameConflictRegistry::HasEntry(const juce::String& key) {
  const juce::ScopedLock hold(m_lock);
  return m_entries.count(key) != 0;
}

bool NameConflictRegistry::Retry(const juce::String& key, int& result) {
  result = kResultWait;
  NameConflictEntry entry;
  {
    const juce::ScopedLock hold(m_lock);
    auto it = m_entries.find(key);
    if (it == m_entries.end()) return false;
    entry = it->second;
  }
  if (!juce::File(entry.m_sOldPath).exists()) {
    result = kResultCancelled;
    return false;
  }
  // Never over another file: a file the user made under the new name is kept.
  if (!SyncHelper::MoveWithoutReplace(entry.m_sOldPath, entry.m_sNewPath)) {
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
      WriteLog(ErrorLog, "NameConflictRegistry::Retry",
               "Target exists, keep " + entry.m_sOldPath + ", target is " + entry.m_sNewPath);
      result = kResultCancelled;
    }
    return false;
  }
  NotifyResolved(entry);
  return true;
}

void NameConflictRegistry::NotifyResolved(NameConflictEntry entry) {
  // The row follows the file whatever the operation was, so that the next
  // scan finds it under its new path and sends no delete for the old one.
  entry.m_fileData.m_FilePath = entry.m_sNewPath;
  SaveSyncFileData(entry.m_fileData);
  // The occupied notice was listed under the old path.
  if (SyncPathList* tips = GetSyncTipList()) {
    tips->RemovePath(entry.m_sNewPath);
    tips->RemovePath(entry.m_sOldPath);
  }
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  if (tracker) {
    tracker->RemoveOccupiedPath(entry.m_sNewPath);
    tracker->RemoveOccupiedPath(entry.m_sOldPath);
  }
  ISyncNotifyUI* sink = GetSyncNotifyUI();
  if (!tracker || !sink || (entry.m_nOp != 1 && entry.m_nOp != 5)) return;
  sink->NotifyPathStatus(entry.m_sNewPath, SYNC_PATH_SYNCED);
  tracker->AddRecentFile(entry.m_sNewPath, 0);
}
