// The controller without the service: its workers live and end with the
// global context, pause and continue, stop and clear, and the start-up walk
// of the sync folder against a real per-user database.
#include <gtest/gtest.h>

#include "../../core/db/DBTestFolder.h"
#include "ControllerSupport.h"
#include "TempDir.h"
#include "client/core/account/AccountData.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncNotify.h"
#include "client/sync/filter/FileWatchMessageFilter.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/status/CStatusCache.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/SyncDownTaskManager.h"
#include "client/sync/tasks/SyncUpTaskManager.h"

namespace {

using controllertest::UpQueue;

constexpr juce::int64 kRootID = 100;

class SyncLogicTest : public dorvtest::DBTest {
 protected:
  void SetUp() override {
    InstallSyncEngine();
    DBTest::SetUp();
    ASSERT_EQ(OpenUserDB("alice@example.com"), 0);
    GlobalContext* context = GetGlobalContext();
    ASSERT_EQ(context->m_pFileDBManager->CreateDBTable(), 0);
    ASSERT_EQ(context->m_pFolderDBManager->CreateDBTable(), 0);
    AccountSnapshot account;
    account.m_sAccount = "alice@example.com";
    GetAccountData()->SetSnapshot(account);
    m_rootPath = juce::String((m_dir.path() / "Dorv").string());
    juce::File(m_rootPath).createDirectory();
    SyncFolderData root = Folder(kRootID, m_rootPath, -1);
    SyncRootFolder::DeleteInstance();
    SyncRootFolder::GetInstance()->SetRootFolder(m_rootPath, "5|7", root);
    logic = GetSyncLogic();
    ASSERT_NE(logic, nullptr);
    logic->CreateSyncWorkers();
  }
  void TearDown() override {
    DeleteGlobalContext();
    SyncRootFolder::DeleteInstance();
    DBTest::TearDown();
  }

  juce::String Local(const std::string& relative) const { return m_rootPath + "/" + juce::String(relative); }
  static SyncFolderData Folder(juce::int64 id, const juce::String& path, juce::int64 parent) {
    SyncFolderData row;
    row.m_FolderID = id;
    row.m_ParentID = parent;
    row.m_FolderPath = path;
    row.m_FolderName = juce::File(path).getFileName();
    row.m_VersionValue = "1|1";
    return row;
  }
  static void AddFile(juce::int64 id, const juce::String& path, juce::int64 parent, const juce::String& md5) {
    SyncFileData row;
    row.m_FileID = id;
    row.m_ParentID = parent;
    row.m_FilePath = path;
    row.m_FileName = juce::File(path).getFileName();
    row.m_Md5 = md5;
    row.m_VersionValue = "1|1";
    ASSERT_EQ(GetGlobalContext()->m_pFileDBManager->ReplaceFile(row), 0);
  }
  static void AddFolder(juce::int64 id, const juce::String& path, juce::int64 parent) {
    ASSERT_EQ(GetGlobalContext()->m_pFolderDBManager->ReplaceFolder(Folder(id, path, parent)), 0);
  }
  static void Write(const juce::String& path, const char* text) {
    juce::File(path).getParentDirectory().createDirectory();
    ASSERT_TRUE(juce::File(path).replaceWithText(text));
  }

  dorvtest::TempDir m_dir{"dorv-controller"};
  juce::String m_rootPath;
  SyncLogic* logic = nullptr;
};

TEST_F(SyncLogicTest, TheEngineAndItsThreadsEndWithTheGlobalContext) {
  DeleteGlobalContext();
  // Threads are told apart by id: a thread of an earlier context may still be
  // on its way out, so a bare count would drift.
  const std::set<int> before = controllertest::ThreadIds();
  auto started = [&] {
    std::set<int> fresh;
    for (int id : controllertest::ThreadIds())
      if (!before.count(id)) fresh.insert(id);
    return fresh;
  };
  SyncLogic* engine = GetSyncLogic();
  ASSERT_NE(engine, nullptr);
  engine->CreateSyncWorkers();
  // Five pumps and the two filters run; the start-up thread only while it works.
  const std::set<int> workers = started();
  EXPECT_EQ(workers.size(), 7u);
  ASSERT_NE(engine->GetTaskManagers(), nullptr);
  EXPECT_EQ(engine->GetTaskManagers()->m_pUpManager, engine->GetUpTaskManager());
  engine->CreateSyncWorkers();  // made once
  EXPECT_EQ(started(), workers);

  // The engine answers the engine's links while it lives, and is gone with them.
  EXPECT_TRUE(GetSyncEngineLinks().isEngineIdle());
  DeleteGlobalContext();
  EXPECT_TRUE(controllertest::WaitUntil([&] { return controllertest::RunningOf(workers) == 0; }));
  EXPECT_FALSE(GetSyncEngineLinks().isEngineIdle());
  GetSyncEngineLinks().queueLocalFileAdd(Local("a.txt"));  // nothing to reach, nothing happens
  // The status cache's own entries outlive the engine.
  EXPECT_TRUE(static_cast<bool>(GetSyncEngineLinks().setPathStatus));
}

TEST_F(SyncLogicTest, PauseAndContinueSwitchTheTrayTheSharedRootAndTheManagers) {
  SyncStatusTracker* tracker = logic->GetStatusTracker();
  tracker->m_nEngineState = SyncStatusTracker::ENGINE_RUNNING;
  tracker->m_nSyncState = SyncStatusTracker::SYNC_SYNCED;
  CStatusCache::GetInstance()->PublishRoot(m_rootPath);
  Write(Local("queued.txt"), "q");
  logic->GetFileWatchMessageFilter()->AddMessage(Local("queued.txt"), {}, "md5", 1, 1);
  const auto queued = UpQueue(*logic);
  ASSERT_EQ(queued.size(), 1u);

  int state = 0;
  logic->PauseOrContinueSync();
  EXPECT_EQ(tracker->GetTrayCode(), TRAY_PAUSED);
  EXPECT_FALSE(CStatusCache::GetInstance()->GetRootStatus(state));  // the shell shows nothing while paused
  EXPECT_FALSE(logic->GetUpTaskManager()->IsEnabled());
  EXPECT_FALSE(logic->GetDownTaskManager()->IsEnabled());
  EXPECT_EQ(UpQueue(*logic), queued);  // pausing keeps what waits

  logic->PauseOrContinueSync();
  EXPECT_EQ(tracker->m_nEngineState.load(), SyncStatusTracker::ENGINE_RUNNING);
  EXPECT_NE(tracker->GetTrayCode(), TRAY_PAUSED);
  EXPECT_TRUE(CStatusCache::GetInstance()->GetRootStatus(state));
  EXPECT_TRUE(logic->GetUpTaskManager()->IsEnabled());
  EXPECT_TRUE(logic->GetDownTaskManager()->IsEnabled());

  // Any state but paused pauses.
  tracker->m_nEngineState = SyncStatusTracker::ENGINE_NONE;
  logic->PauseOrContinueSync();
  EXPECT_EQ(tracker->m_nEngineState.load(), SyncStatusTracker::ENGINE_PAUSED);
  CStatusCache::GetInstance()->ReleaseRoot();
}

TEST_F(SyncLogicTest, StopAndClearEmptiesTheQueuesTheTipsAndTheTracker) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    Write(Local(name), name);
    logic->GetFileWatchMessageFilter()->AddMessage(Local(name), {}, "md5", 1, 1);
  }
  SyncFileData server;
  server.m_FileID = 7;
  server.m_ParentID = kRootID;
  server.m_FileName = "s.txt";
  logic->GetDownTaskManager()->QueueServerFileAdd(server, 7, kRootID);
  GetSyncTipList()->AddUnique(Local("big.bin"), TIP_FILE_TOO_BIG);
  logic->GetStatusTracker()->AddUpFile(Local("a.txt"), 10);
  ASSERT_EQ(UpQueue(*logic).size(), 3u);
  ASSERT_TRUE(logic->HasDownTasks());
  ASSERT_TRUE(logic->IsPathQueued(Local("b.txt")));

  logic->AfterChangeBindRootPath();
  // The heads stay for a pump that may be running them (cancelled); nothing
  // else is left, and both managers take work again.
  EXPECT_LE(UpQueue(*logic).size(), 1u);
  EXPECT_FALSE(logic->IsPathQueued(Local("b.txt")));
  EXPECT_FALSE(logic->HasDownTasks());
  EXPECT_EQ(GetSyncTipList()->GetCount(), 0);
  EXPECT_EQ(logic->GetStatusTracker()->GetUpFigures().fileCount, 0);
  EXPECT_TRUE(logic->GetUpTaskManager()->IsEnabled());
  EXPECT_TRUE(logic->GetDownTaskManager()->IsEnabled());
}

TEST_F(SyncLogicTest, TheStartUpWalkQueuesWhatDiffersFromTheDatabase) {
  Write(Local("same.txt"), "same");
  Write(Local("changed.txt"), "new");
  Write(Local("new.txt"), "new file");
  Write(Local("~$lock.docx"), "office lock");
  juce::File(Local("newdir")).createDirectory();
  juce::File(Local("known")).createDirectory();
  AddFolder(kRootID, m_rootPath, -1);
  AddFolder(101, Local("known"), kRootID);
  AddFolder(102, Local("gone"), kRootID);
  AddFile(201, Local("same.txt"), kRootID, SyncHelper::GetFileMD5(Local("same.txt")));
  AddFile(202, Local("changed.txt"), kRootID, "old digest");
  AddFile(203, Local("missing.txt"), kRootID, "x");

  logic->ScanLocalTree();
  std::vector<std::string> queued;
  for (const auto& message : UpQueue(*logic)) queued.push_back(message.substr(message.find(' ') + 1));
  auto has = [&](const std::string& relative) {
    return std::find(queued.begin(), queued.end(), Local(relative).toStdString()) != queued.end();
  };
  EXPECT_TRUE(has("changed.txt"));
  EXPECT_TRUE(has("new.txt"));
  EXPECT_TRUE(has("newdir"));
  EXPECT_TRUE(has("missing.txt"));  // deleted while the program did not run
  EXPECT_TRUE(has("gone"));
  EXPECT_FALSE(has("same.txt"));
  EXPECT_FALSE(has("known"));
  EXPECT_FALSE(has("~$lock.docx"));
  EXPECT_EQ(queued.size(), 5u) << testing::PrintToString(UpQueue(*logic));
}

// A folder renamed while the program did not run goes up as a rename, and what
// changed inside it is compared with the rows it had under the old name.
TEST_F(SyncLogicTest, TheStartUpWalkFindsAFolderRenamedMeanwhile) {
  AddFolder(kRootID, m_rootPath, -1);
  AddFolder(101, Local("D"), kRootID);
  AddFolder(102, Local("D/S"), 101);
  AddFolder(103, Local("gone"), kRootID);
  AddFolder(104, Local("G"), kRootID);  // shares nothing with the new folder
  Write(Local("E/same.txt"), "same");
  Write(Local("E/changed.txt"), "new");
  Write(Local("E/S/deep.txt"), "deep");
  juce::File(Local("empty")).createDirectory();
  AddFile(201, Local("D/same.txt"), 101, SyncHelper::GetFileMD5(Local("E/same.txt")));
  AddFile(202, Local("D/changed.txt"), 101, "old digest");
  AddFile(203, Local("D/removed.txt"), 101, "x");
  AddFile(204, Local("D/S/deep.txt"), 102, SyncHelper::GetFileMD5(Local("E/S/deep.txt")));
  AddFile(205, Local("G/other.txt"), 104, "y");

  logic->ScanLocalTree();
  std::vector<std::string> queued = UpQueue(*logic);
  std::sort(queued.begin(), queued.end());
  auto op = [&](int code, const std::string& relative) {
    return std::to_string(code) + " " + Local(relative).toStdString();
  };
  std::vector<std::string> expected = {op(UP_OP_FILE_DELETE, "E/removed.txt"), op(UP_OP_FILE_MODIFY, "E/changed.txt"),
                                       op(UP_OP_FOLDER_ADD, "empty"),           op(UP_OP_FOLDER_DELETE, "G"),
                                       op(UP_OP_FOLDER_DELETE, "gone"),         op(UP_OP_FOLDER_RENAME, "E")};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(queued, expected);
}

TEST_F(SyncLogicTest, AnEmptyOrMissingRootQueuesNoDeletion) {
  AddFolder(kRootID, m_rootPath, -1);
  AddFolder(101, Local("docs"), kRootID);
  AddFile(201, Local("a.txt"), kRootID, "x");

  Write(Local("desktop.ini"), "[.ShellClassInfo]");  // the shell's own file does not count
  logic->ScanLocalTree();  // empty on disk: an unmounted folder, not the user's deletion
  EXPECT_TRUE(UpQueue(*logic).empty());

  juce::File(m_rootPath).deleteRecursively();
  logic->ScanLocalTree();
  EXPECT_TRUE(UpQueue(*logic).empty());
}

TEST_F(SyncLogicTest, AFileAboveTheSizeLimitIsMarkedAndListedNotQueued) {
  GetAccountData()->UpdateUserConfig([](UserConfigInfo& config) { config.UC_FileSizeLimit = 4; });
  Write(Local("fits.txt"), "1234");
  Write(Local("big.txt"), "12345");
  logic->ScanLocalTree();
  const auto queued = UpQueue(*logic);
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_NE(queued[0].find("fits.txt"), std::string::npos);
  EXPECT_EQ(GetSyncTipList()->GetCount(), 1);
}

TEST_F(SyncLogicTest, AnExploreRefreshMakesTheNextStartAFullPull) {
  EXPECT_EQ(logic->GetStartVersion(), "5|7");
  logic->SetForceFullPull();
  EXPECT_EQ(logic->GetStartVersion(), "0|0");
  EXPECT_EQ(logic->GetStartVersion(), "5|7") << "used once, the request is cleared";
}

}  // namespace
