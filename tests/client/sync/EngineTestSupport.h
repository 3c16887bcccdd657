#pragma once
// The engine's registries and utilities against a real per-user database, a
// real sync folder on disk and the engine of the global context, with a sink
// that records what the windows would be told and links that record what the
// status cache and the task managers would be asked.
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "../core/db/DBTestFolder.h"
#include "TempDir.h"
#include "client/core/db/SyncFileData.h"
#include "client/core/db/SyncFolderData.h"
#include "client/sync/SyncNotify.h"

namespace enginetest {

class RecordingSink : public ISyncNotifyUI {
 public:
  void SetTrayIcon(int icon) override;
  void NotifyPathStatus(juce::String path, int state) override;
  void NotifySyncEvent(SyncNotifyInfo info) override;

  std::vector<int> TrayIcons();
  std::vector<std::pair<juce::String, int>> PathStates();
  std::vector<SyncNotifyInfo> Events();
  void Forget();

 private:
  std::mutex m_lock;
  std::vector<int> m_trayIcons;
  std::vector<std::pair<juce::String, int>> m_pathStates;
  std::vector<SyncNotifyInfo> m_events;
};

// What the engine's links were asked, in order.
struct LinkCalls {
  std::vector<std::pair<juce::String, int>> pathStatuses;
  std::vector<SyncFileData> serverFileAdds;
  std::vector<juce::String> localFolderAdds;
  std::vector<juce::String> localFileAdds;
  std::vector<juce::String> ignoredChanges;  // "old -> new (type)"
  int rootStatus = 0;
  bool idle = true;
};

class EngineTest : public dorvtest::DBTest {
 protected:
  static constexpr const char* kAccount = "alice@example.com";

  void SetUp() override;
  void TearDown() override;

  // A path in the sync folder (made on the test's temporary folder).
  juce::String Local(const std::string& relative) const;
  static SyncFileData FileRow(juce::int64 id, const juce::String& path, juce::int64 parent,
                              const juce::String& md5 = "md5");
  static SyncFolderData FolderRow(juce::int64 id, const juce::String& path, juce::int64 parent);

  dorvtest::TempDir m_root{"dorv-sync"};
  RecordingSink m_sink;
  LinkCalls m_calls;
  std::mutex m_callsLock;
};

}  // namespace enginetest
