#pragma once
// The sync engine's controller, as far as the registries and utilities of the
// engine reach it: the notify sink of the windows and the status tracker.
// One instance per process, made and ended by the global context with the
// parts that InstallSyncEngine hands it.
#include <atomic>
#include <memory>

#include "client/sync/SyncNotify.h"

class SyncPathList;
class SyncStatusTracker;

class SyncLogic {
 public:
  // Creates the status tracker.
  SyncLogic();
  // Clears the notify sink first, saves the recent files, then ends the tracker.
  ~SyncLogic();
  SyncLogic(const SyncLogic&) = delete;
  SyncLogic& operator=(const SyncLogic&) = delete;

  // The windows' sink; set by the main form once its window exists. Callers
  // read it at the moment of each call and skip the call when it is null.
  ISyncNotifyUI* GetNotifyUI() const { return m_pNotifyUI.load(); }
  void SetNotifyUI(ISyncNotifyUI* sink) { m_pNotifyUI.store(sink); }

  SyncStatusTracker* GetStatusTracker() const { return m_pStatusTracker.get(); }

  // The recent-files list of the signed-in account (RecentlyUpdateFile.xml);
  // nothing without an account name.
  void LoadRecentFiles();
  void SaveRecentFiles();

 private:
  std::atomic<ISyncNotifyUI*> m_pNotifyUI{nullptr};
  std::unique_ptr<SyncStatusTracker> m_pStatusTracker;
};

// The engine of the global context; null when it has none.
SyncLogic* GetSyncLogic();
// The engine's sink, null without engine or sink.
ISyncNotifyUI* GetSyncNotifyUI();
// The engine's status tracker, null without engine.
SyncStatusTracker* GetSyncStatusTracker();
// The global context's tip list, null when the engine's parts aren't installed.
SyncPathList* GetSyncTipList();

// Tells the global context how to make and end the engine and the tip list;
// call before its first use.
void InstallSyncEngine();
