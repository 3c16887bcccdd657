#pragma once
// The engine's down side against the local cloud service: a signed-in
// account, a real sync folder with its root row, the per-user database, a
// dispatcher with the engine's operation table and a down task manager that
// the test drains on its own thread. "Another device" is the service's admin
// API. The program-change ignore list is a recording one.
#include <json/value.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "../../core/login/ServiceFixture.h"
#include "TempDir.h"
#include "client/core/login/LoginManager.h"
#include "client/sync/SyncNotify.h"
#include "client/sync/dispatch/SyncTaskDispatcher.h"
#include "client/sync/tasks/SyncDownTaskManager.h"

namespace downtest {

class Sink : public ISyncNotifyUI {
 public:
  void SetTrayIcon(int) override {}
  void NotifyPathStatus(juce::String, int) override {}
  void NotifySyncEvent(SyncNotifyInfo info) override;
  int Count(int type);

 private:
  std::mutex m_lock;
  std::vector<SyncNotifyInfo> m_events;
};

class DownOpsTest : public signintest::ServiceTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Another device: each returns the item's id.
  juce::int64 Mkdir(juce::int64 parent, const std::string& name);
  juce::int64 Put(juce::int64 parent, const std::string& name, const std::string& bytes);
  void Rename(juce::int64 id, const std::string& name);
  void Move(juce::int64 id, juce::int64 parent);
  void Delete(juce::int64 id);

  // The two pulls, as the start-up and the update filter run them.
  int FullPull();
  int IncrementalPull();
  // Runs both queues until they are empty (or nothing moves any more);
  // returns the results of the runs, in order.
  std::vector<int> Drain(int maxRuns = 200);

  std::filesystem::path Path(const std::string& relative) const { return m_rootPath / relative; }
  juce::String Local(const std::string& relative) const;
  // "a/b.txt" -> content, for every file below the root; folders as "a/".
  std::vector<std::string> LocalTree() const;
  // The same view of the service's tree below the root.
  std::vector<std::string> ServerTree();
  // The FileList row's path and digest, "" when no row.
  std::string RowPath(juce::int64 id);
  std::string RowMd5(juce::int64 id);
  std::vector<std::string> IgnoredChanges();

  LoginManager m_login;
  dorvtest::TempDir m_dir{"dorv-down"};
  std::filesystem::path m_rootPath;
  juce::int64 m_rootID = 0;
  Sink m_sink;
  std::unique_ptr<SyncTaskDispatcher> m_dispatcher;
  std::unique_ptr<SyncDownTaskManager> m_manager;
  std::mutex m_lock;
  std::vector<std::string> m_ignored;
  std::vector<std::string> m_localAdds;
};

std::string Md5(const std::string& bytes);

}  // namespace downtest
