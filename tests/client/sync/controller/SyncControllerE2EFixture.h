#pragma once
// The whole engine against the local cloud service: a signed-in account, a
// real sync folder and per-user database and the controller's workers. "Another
// device" is the service's admin API. Shared by the engine's end-to-end tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "../../core/login/ServiceFixture.h"
#include "ControllerSupport.h"
#include "TempDir.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"
#include "client/core/login/LoginManager.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/filter/FileWatchMessageFilter.h"
#include "client/sync/filter/ServerUpdateMessageFilter.h"
#include "client/sync/ops/LocalNetErrorManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/registry/DownSyncPathRegistry.h"
#include "client/sync/registry/MovedFolderRegistry.h"
#include "client/sync/SyncNotify.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/SyncUpTaskManager.h"

namespace controllertest {

inline std::string Account() { return signintest::kAccount; }

// What the windows would be told of the engine's events.
class EventSink : public ISyncNotifyUI {
 public:
  void SetTrayIcon(int icon) override { m_trayIcon.store(icon); }
  void NotifyPathStatus(juce::String, int) override {}
  void NotifySyncEvent(SyncNotifyInfo info) override {
    std::lock_guard<std::mutex> hold(m_lock);
    m_events.push_back(info);
  }
  bool Has(int type, const juce::String& a, const juce::String& b) {
    std::lock_guard<std::mutex> hold(m_lock);
    return std::any_of(m_events.begin(), m_events.end(),
                       [&](const SyncNotifyInfo& e) { return e.type == type && e.a == a && e.b == b; });
  }

  std::atomic<int> m_trayIcon{0};

 private:
  std::mutex m_lock;
  std::vector<SyncNotifyInfo> m_events;
};

class SyncControllerE2ETest : public signintest::ServiceTest {
 protected:
  void SetUp() override {
    InstallSyncEngine();
    ServiceTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(SignInWithEngineTables(m_login));

    m_rootID = Admin("mkdir?account=" + Account() + "&parentId=-1&name=Dorv")["dir"]["id"].asInt64();
    ASSERT_GT(m_rootID, 0);
    m_rootPath = m_dir.path() / "Dorv";
    std::filesystem::create_directories(m_rootPath);
    SyncFolderData root;
    root.m_FolderID = m_rootID;
    root.m_ParentID = -1;
    root.m_FolderName = "Dorv";
    root.m_FolderSysType = 18;
    root.m_ParentPath = "/";
    root.m_VersionValue = "0|0";
    root.m_FolderPath = juce::String(m_rootPath.string());
    SyncRootFolder::DeleteInstance();
    SyncRootFolder::GetInstance()->SetRootFolder(root.m_FolderPath, "0|0", root);

    logic = GetSyncLogic();
    ASSERT_NE(logic, nullptr);
    logic->CreateSyncWorkers();
  }
  void TearDown() override {
    Admin("faults/clear");
    if (logic) logic->SetNotifyUI(nullptr);
    // The engine's threads end with the context, before anything they use.
    DeleteGlobalContext();
    MovedFolderRegistry::GetInstance()->Clear();
    DownSyncPathRegistry::GetInstance()->Reset();
    SyncRootFolder::DeleteInstance();
    m_login.SetExiting();
    ServiceTest::TearDown();
  }

  juce::int64 Put(const std::string& name, const std::string& bytes) {
    return Admin("put?account=" + Account() + "&parentId=" + std::to_string(m_rootID) + "&name=" + name, bytes)["file"]["id"]
        .asInt64();
  }
  void Write(const std::string& name, const std::string& bytes) {
    // Written under another name and renamed into place, as editors save.
    const auto temp = m_dir.path() / (name + ".part");
    std::ofstream(temp, std::ios::binary) << bytes;
    std::filesystem::rename(temp, m_rootPath / name);
  }
  std::string LocalContent(const std::string& name) const {
    std::ifstream in(m_rootPath / name, std::ios::binary);
    if (!in) return "(none)";
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // "name=content" of every live file directly below the service's root folder.
  std::vector<std::string> ServerFiles() {
    const Json::Value tree = Admin("tree?account=" + Account());
    std::vector<std::string> out;
    std::string rootPrefix;
    for (const Json::Value& item : tree["items"])
      if (item["id"].asInt64() == m_rootID) rootPrefix = item["path"].asString() + "/";
    for (const Json::Value& item : tree["items"]) {
      const std::string path = item["path"].asString();
      if (item["status"].asInt() != 0 || item["isDir"].asBool() || path.rfind(rootPrefix, 0) != 0) continue;
      const std::string name = path.substr(rootPrefix.size());
      if (name.find('/') != std::string::npos) continue;
      out.push_back(name + "=" + AdminRaw("content?account=" + Account() + "&id=" + std::to_string(item["id"].asInt64())));
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  // The names of the live files directly below the service's root folder.
  std::vector<std::string> ServerNames() {
    std::vector<std::string> names;
    for (const std::string& entry : ServerFiles()) names.push_back(entry.substr(0, entry.find('=')));
    return names;
  }
  std::vector<std::string> LocalNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_rootPath))
      if (entry.is_regular_file() && entry.path().filename() != "desktop.ini")  // the shell's own
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Every live item below the service's root folder (an upload never completed
  // is none): "dir/" for a folder, "dir/name=content" for a file, sorted.
  std::vector<std::string> ServerTree() {
    const Json::Value tree = Admin("tree?account=" + Account());
    std::string rootPrefix;
    for (const Json::Value& item : tree["items"])
      if (item["id"].asInt64() == m_rootID) rootPrefix = item["path"].asString() + "/";
    std::vector<std::string> out;
    for (const Json::Value& item : tree["items"]) {
      const std::string path = item["path"].asString();
      if (item["status"].asInt() != 0 || path.rfind(rootPrefix, 0) != 0) continue;
      const std::string relative = path.substr(rootPrefix.size());
      if (item["isDir"].asBool())
        out.push_back(relative + "/");
      else
        out.push_back(relative + "=" + AdminRaw("content?account=" + Account() + "&id=" + std::to_string(item["id"].asInt64())));
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  juce::int64 MakeServiceFolder(const std::string& name) {
    return Admin("mkdir?account=" + Account() + "&parentId=" + std::to_string(m_rootID) + "&name=" + name)["dir"]["id"]
        .asInt64();
  }
  bool ServerHas(const std::string& entry) {
    const auto files = ServerFiles();
    return std::find(files.begin(), files.end(), entry) != files.end();
  }
  // The workflow has ended and every queue of the engine has drained.
  bool Settled() {
    return !logic->IsWorkflowRunning() && logic->IsIdle() && logic->GetFileWatchMessageFilter()->GetMessageCount() == 0;
  }
  // The engine has pulled back every change the service holds, its own too:
  // its stored version is the service's newest.
  bool CaughtUp() {
    const juce::String stored = SyncRootFolder::GetInstance()->GetGlobalVersion();
    return stored.fromFirstOccurrenceOf("|", false, false).getLargeIntValue() >=
           Admin("tree?account=" + Account())["g"].asInt64();
  }
  // The engine stops watching, as when the program is not running; the next
  // workflow starts it again from the stored version.
  void StopEngine() { logic->AfterChangeBindRootPath(); }
  void RunWorkflow() {
    ASSERT_TRUE(logic->StartWorkflow());
    ASSERT_TRUE(logic->WaitForWorkflow(60000));
  }

  LoginManager m_login;
  // What the engine tells the windows. A member, so that it outlives the
  // engine's threads, which TearDown ends: a sink on a test's stack would be
  // gone while they may still call it.
  EventSink m_sink;
  dorvtest::TempDir m_dir{"dorv-controller-e2e"};
  std::filesystem::path m_rootPath;
  juce::int64 m_rootID = 0;
  SyncLogic* logic = nullptr;
};

}  // namespace controllertest
