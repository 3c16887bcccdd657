// The whole engine against the local cloud service: a signed-in account, a
// real sync folder and per-user database, the controller's workers and its
// start-up workflow (pull, link, watch, scan), then changes on either side.
// "Another device" is the service's admin API. Nothing sleeps for a result:
// each step waits on what it can see, with generous bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../core/login/ServiceFixture.h"
#include "ControllerSupport.h"
#include "TempDir.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"
#include "client/core/login/LoginManager.h"
#include "client/sync/filter/FileWatchMessageFilter.h"
#include "client/sync/filter/ServerUpdateMessageFilter.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/registry/DownSyncPathRegistry.h"
#include "client/sync/registry/MovedFolderRegistry.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/SyncUpTaskManager.h"

namespace {

using controllertest::WaitUntil;

std::string Account() { return signintest::kAccount; }

class SyncControllerE2ETest : public signintest::ServiceTest {
 protected:
  void SetUp() override {
    InstallSyncEngine();
    ServiceTest::SetUp();
    ASSERT_EQ(SignIn(m_login), LoginManager::kOk);
    ASSERT_EQ(OpenUserDB(juce::String(signintest::kAccount)), 0);
    GlobalContext* context = GetGlobalContext();
    ASSERT_EQ(context->m_pFileDBManager->CreateDBTable(), 0);
    ASSERT_EQ(context->m_pFolderDBManager->CreateDBTable(), 0);

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
      if (item["status"].asInt() == 1 || item["isDir"].asBool() || path.rfind(rootPrefix, 0) != 0) continue;
      const std::string name = path.substr(rootPrefix.size());
      if (name.find('/') != std::string::npos) continue;
      out.push_back(name + "=" + AdminRaw("content?account=" + Account() + "&id=" + std::to_string(item["id"].asInt64())));
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  bool ServerHas(const std::string& entry) {
    const auto files = ServerFiles();
    return std::find(files.begin(), files.end(), entry) != files.end();
  }
  // The workflow has ended and every queue of the engine has drained.
  bool Settled() {
    return !logic->IsWorkflowRunning() && logic->IsIdle() && logic->GetFileWatchMessageFilter()->GetMessageCount() == 0;
  }
  void RunWorkflow() {
    ASSERT_TRUE(logic->StartWorkflow());
    ASSERT_TRUE(logic->WaitForWorkflow(60000));
  }

  LoginManager m_login;
  dorvtest::TempDir m_dir{"dorv-controller-e2e"};
  std::filesystem::path m_rootPath;
  juce::int64 m_rootID = 0;
  SyncLogic* logic = nullptr;
};

TEST_F(SyncControllerE2ETest, TheStartUpBringsBothSidesTogetherThenChangesFlowBothWays) {
  Put("remote.txt", "from the service");
  Write("local.txt", "from this computer");

  RunWorkflow();
  // Pulled: the service's file is here; linked; scanned: the local file is there.
  EXPECT_TRUE(WaitUntil([&] { return LocalContent("remote.txt") == "from the service"; }));
  EXPECT_TRUE(WaitUntil([&] { return ServerHas("local.txt=from this computer"); }));
  EXPECT_EQ(logic->GetServerUpdateMessageFilter()->GetLinkAccount(), juce::String(signintest::kAccount));
  EXPECT_NE(SyncRootFolder::GetInstance()->GetGlobalVersion(), "0|0");

  // Watched: a new local file reaches the service.
  Write("after.txt", "written later");
  EXPECT_TRUE(WaitUntil([&] { return ServerHas("after.txt=written later"); }));
  // Linked: a file another device adds appears here.
  Put("remote2.txt", "another device");
  EXPECT_TRUE(WaitUntil([&] { return LocalContent("remote2.txt") == "another device"; }));
  EXPECT_TRUE(WaitUntil([&] { return Settled(); }));
}

TEST_F(SyncControllerE2ETest, AnEmptiedOrMissingRootDoesNotDeleteTheServicesFiles) {
  Put("keep.txt", "keep me");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("keep.txt") == "keep me"; }));
  ASSERT_TRUE(WaitUntil([&] { return Settled(); }));

  // The folder is emptied while the engine does not watch (an unmounted
  // disk looks so), then the engine starts again.
  logic->AfterChangeBindRootPath();
  std::filesystem::remove(m_rootPath / "keep.txt");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return Settled(); }));
  EXPECT_TRUE(controllertest::UpQueue(*logic).empty());
  EXPECT_TRUE(ServerHas("keep.txt=keep me"));

  // And with the folder gone altogether.
  logic->AfterChangeBindRootPath();
  std::filesystem::remove_all(m_rootPath);
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return Settled(); }));
  EXPECT_TRUE(ServerHas("keep.txt=keep me"));
}

TEST_F(SyncControllerE2ETest, AStoredVersionGivesAFolderPullAndExploreRefreshAFullOneEveryTime) {
  Put("a.txt", "a");
  RunWorkflow();  // "0|0": never pulled
  EXPECT_GE(Requests("getDirFiles"), 1);
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("a.txt") == "a" && Settled(); }));
  ASSERT_NE(SyncRootFolder::GetInstance()->GetGlobalVersion(), "0|0");

  for (bool forced : {false, true, true}) {
    SCOPED_TRACE(forced ? "forced" : "from the stored version");
    logic->AfterChangeBindRootPath();
    if (forced) logic->SetForceFullPull();
    Admin("log/clear");
    RunWorkflow();
    EXPECT_EQ(Requests("getDirFiles") >= 1, forced);
    EXPECT_EQ(Requests("syncDir") >= 1, !forced);
    ASSERT_TRUE(WaitUntil([&] { return Settled(); }));
  }

  // Stop: every worker is told to end, and a workflow started now ends at once.
  logic->SignalStopAll();
  Put("late.txt", "after the stop");
  RunWorkflow();
  EXPECT_FALSE(logic->HasDownTasks());  // its pull was refused
  EXPECT_EQ(LocalContent("late.txt"), "(none)");
}

TEST_F(SyncControllerE2ETest, AChangeOfAccountSignsOutAndLeavesTheEngineStoppedAndEmpty) {
  Put("a.txt", "a");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("a.txt") == "a" && Settled(); }));
  Admin("log/clear");

  logic->ChangeAccount();
  EXPECT_FALSE(GetAccountData()->IsLoggedIn());
  EXPECT_EQ(GetProductInfo().CurrentUser, "");
  EXPECT_EQ(SyncRootFolder::GetInstance()->GetRootPath(), "");
  EXPECT_EQ(logic->GetStatusTracker()->m_nEngineState.load(), SyncStatusTracker::ENGINE_NONE);
  EXPECT_TRUE(logic->IsIdle());
  EXPECT_TRUE(logic->GetUpTaskManager()->IsEnabled());
  EXPECT_TRUE(WaitUntil([&] { return Requests("APP_LOGOUT") >= 1; }));

  // Not watched any more: a new file stays here.
  Write("b.txt", "b");
  EXPECT_TRUE(WaitUntil([&] { return Settled(); }));
  EXPECT_TRUE(controllertest::UpQueue(*logic).empty());
}

}  // namespace
