// The whole engine against the local cloud service: a signed-in account, a
// real sync folder and per-user database, the controller's workers and its
// start-up workflow (pull, link, watch, scan), then changes on either side.
// "Another device" is the service's admin API. Nothing sleeps for a result:
// each step waits on what it can see, with generous bounds.
#include "SyncControllerE2EFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "client/sync/ops/down/SyncDownloadFileOp.h"

namespace {

using controllertest::WaitUntil;
using controllertest::SyncControllerE2ETest;
using controllertest::Account;

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

TEST_F(SyncControllerE2ETest, AStoredVersionGivesAFolderPullAndExploreRefreshAFullOneOnce) {
  Put("a.txt", "a");
  RunWorkflow();  // "0|0": never pulled
  EXPECT_GE(Requests("getDirFiles"), 1);
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("a.txt") == "a" && Settled(); }));
  ASSERT_NE(SyncRootFolder::GetInstance()->GetGlobalVersion(), "0|0");

  for (bool forced : {false, true, false, true}) {
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

// Paths of every live item of the service below the sync root's folder.
std::vector<std::string> ServerPaths(const Json::Value& tree, juce::int64 rootID) {
  std::string rootPrefix;
  for (const Json::Value& item : tree["items"])
    if (item["id"].asInt64() == rootID) rootPrefix = item["path"].asString() + "/";
  std::vector<std::string> out;
  for (const Json::Value& item : tree["items"]) {
    const std::string path = item["path"].asString();
    if (item["status"].asInt() != 1 && path.rfind(rootPrefix, 0) == 0) out.push_back(path.substr(rootPrefix.size()));
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Every name in a folder, links included (not followed).
std::vector<std::string> Entries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (auto it = std::filesystem::directory_iterator(folder, error); it != std::filesystem::directory_iterator(); ++it)
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(SyncControllerE2ETest, SymbolicLinksAreNeverFollowedAndARemoteFolderDeleteRemovesOnlyTheLink) {
  namespace fs = std::filesystem;
  const fs::path outside = m_dir.path() / "outside";
  fs::create_directories(outside / "deep");
  std::ofstream(outside / "precious.txt") << "outside the root";
  std::ofstream(outside / "deep" / "more.txt") << "also outside";
  const juce::int64 subID =
      Admin("mkdir?account=" + Account() + "&parentId=" + std::to_string(m_rootID) + "&name=sub")["dir"]["id"].asInt64();
  fs::create_directories(m_rootPath / "sub");
  fs::create_directory_symlink(outside, m_rootPath / "sub" / "folder-link");
  fs::create_directory_symlink(outside, m_rootPath / "top-link");
  fs::create_symlink(outside / "precious.txt", m_rootPath / "file-link");
  fs::create_symlink(m_dir.path() / "nowhere", m_rootPath / "dangling");

  RunWorkflow();
  // A link made while the engine watches, then a plain file: once the file is
  // up, the link's changes have been seen too.
  fs::create_directory_symlink(outside, m_rootPath / "sub" / "late-link");
  std::ofstream(outside / "written-later.txt") << "through the link";
  Write("marker.txt", "plain");
  ASSERT_TRUE(WaitUntil([&] { return ServerHas("marker.txt=plain"); }));
  ASSERT_TRUE(WaitUntil([&] { return Settled(); }));
  const std::vector<std::string> expected = {"marker.txt", "sub"};
  EXPECT_EQ(ServerPaths(Admin("tree?account=" + Account()), m_rootID), expected);

  // Another device deletes the folder: the links in it go, their target stays.
  Admin("delete?account=" + Account() + "&id=" + std::to_string(subID));
  EXPECT_TRUE(WaitUntil([&] { return !fs::exists(fs::symlink_status(m_rootPath / "sub")); }));
  EXPECT_EQ(Entries(outside), (std::vector<std::string>{"deep", "precious.txt", "written-later.txt"}));
  EXPECT_EQ(Entries(outside / "deep"), std::vector<std::string>{"more.txt"});
  EXPECT_TRUE(fs::is_symlink(m_rootPath / "top-link"));
  EXPECT_TRUE(fs::is_symlink(m_rootPath / "file-link"));
  EXPECT_TRUE(WaitUntil([&] { return Settled(); }));
}

TEST_F(SyncControllerE2ETest, HostileNamesFromTheServiceAreSkippedAndNothingIsWrittenOutsideTheRoot) {
  namespace fs = std::filesystem;
  const std::string root = std::to_string(m_rootID);
  // Items that another client could not name so: the service stores them raw.
  const std::vector<std::string> hostile = {"..%2Fescaped.txt", "..", ".", "a%5Cb", "cut%00..%2Fescaped-nul.txt", ""};
  for (size_t i = 0; i < hostile.size(); ++i) {
    const juce::int64 id = Put("hostile" + std::to_string(i), "hostile");
    Admin("raw-name?account=" + Account() + "&id=" + std::to_string(id) + "&name=" + hostile[i]);
  }
  const juce::int64 dirID = Admin("mkdir?account=" + Account() + "&parentId=" + root + "&name=d")["dir"]["id"].asInt64();
  Admin("put?account=" + Account() + "&parentId=" + std::to_string(dirID) + "&name=inner.txt", "inner");
  Admin("raw-name?account=" + Account() + "&id=" + std::to_string(dirID) + "&name=..");
  const juce::int64 good = Put("good.txt", "good");

  RunWorkflow();  // the full pull
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("good.txt") == "good" && Settled(); }));
  EXPECT_EQ(Entries(m_rootPath), (std::vector<std::string>{"desktop.ini", "good.txt"}));
  EXPECT_EQ(Entries(m_dir.path()), (std::vector<std::string>{"Dorv"}));

  // The incremental pull: a rename out of the root is refused, later changes still come.
  Admin("raw-name?account=" + Account() + "&id=" + std::to_string(good) + "&name=..%2F..%2Frenamed-out.txt");
  Put("later.txt", "later");
  EXPECT_TRUE(WaitUntil([&] { return LocalContent("later.txt") == "later" && Settled(); }));
  EXPECT_EQ(LocalContent("good.txt"), "good");
  EXPECT_EQ(Entries(m_dir.path()), (std::vector<std::string>{"Dorv"}));
  EXPECT_FALSE(fs::exists(m_dir.path().parent_path() / "renamed-out.txt"));
}

TEST_F(SyncControllerE2ETest, ADownloadTheDiskRefusesIsDroppedAndTheOthersStillArrive) {
  namespace fs = std::filesystem;
  const juce::int64 refused = Put("refused.txt", "cannot be received");
  Put("after.txt", "comes anyway");
  // The disk refuses the part file of the first: a folder (one the program
  // cannot remove) stands at its name.
  const fs::path part =
      SyncDownloadFileOp::GetPartPath(juce::String((m_rootPath / "refused.txt").string()), refused).toStdString();
  dorvtest::WriteFile(part / "inside", "keeps the folder");

  RunWorkflow();
  EXPECT_TRUE(WaitUntil([&] { return LocalContent("after.txt") == "comes anyway" && Settled(); }));
  EXPECT_EQ(LocalContent("refused.txt"), "(none)");
  EXPECT_TRUE(LocalNetErrorManager::GetInstance()->IsOnline());  // a full disk is no network failure
}

// A download's staged copy goes once its target holds the content, and what
// an earlier run that was killed left (staged files, a hidden copy beside its
// target) goes at start, never to the service.
TEST_F(SyncControllerE2ETest, DownloadsLeaveNothingBehindAndAnEarlierRunsLeftoversGoAtStart) {
  namespace fs = std::filesystem;
  const fs::path staging = SyncHelper::GetDownloadTempDirectory().toStdString();
  dorvtest::WriteFile(staging / "4711", "a killed run's staged bytes");
  dorvtest::WriteFile(m_rootPath / ".4712.dorv-part", "a killed run's part");
  Put("a.bin", std::string(500000, 'a'));
  Put("b.txt", "b");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("a.bin") == std::string(500000, 'a') && LocalContent("b.txt") == "b" && Settled(); }));
  EXPECT_TRUE(!fs::exists(staging) || fs::is_empty(staging));
  EXPECT_EQ(LocalNames(), (std::vector<std::string>{"a.bin", "b.txt"}));
  EXPECT_EQ(ServerNames(), (std::vector<std::string>{"a.bin", "b.txt"}));
}

TEST_F(SyncControllerE2ETest, ABurstOfNewFilesFarPastTheChangeBufferIsSyncedInFull) {
  namespace fs = std::filesystem;
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return Settled(); }));
  // 3,000 files overflow a single read buffer many times over; more only
  // lengthens the run (the engine handles each file, not the watch).
  constexpr int kFiles = 3000;
  // Made as fast as the disk takes them (an unpacked archive); one content,
  // so the service keeps it once and the test measures the watch, not transfers.
  fs::create_directories(m_rootPath / "burst");
  for (int i = 0; i < kFiles; ++i) std::ofstream(m_rootPath / "burst" / ("f" + std::to_string(i) + ".txt")) << "same";
  // The service's whole tree is a large answer: it is asked for once a second at most.
  auto count = [&] { return ServerPaths(Admin("tree?account=" + Account()), m_rootID).size(); };
  auto last = std::chrono::steady_clock::now();
  auto synced = [&] {
    if (std::chrono::steady_clock::now() - last < std::chrono::seconds(1)) return false;
    last = std::chrono::steady_clock::now();
    return count() == kFiles + 1;
  };
  EXPECT_TRUE(WaitUntil(synced, std::chrono::minutes(4)))
      << count();
}

TEST_F(SyncControllerE2ETest, AFullPullOfAnEmptyServiceFolderStoresItsVersion) {
  logic->SetNotifyUI(&m_sink);
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return Settled(); }));
  EXPECT_NE(SyncRootFolder::GetInstance()->GetGlobalVersion(), "0|0");
  Write("one.txt", "1");
  EXPECT_TRUE(WaitUntil([&] { return ServerHas("one.txt=1") && Settled(); }));
  EXPECT_TRUE(WaitUntil([&] { return m_sink.m_trayIcon.load() == TRAY_SYNCED; })) << "the idle engine shows synced";

  // The next start pulls from there, not everything again.
  StopEngine();
  Admin("log/clear");
  RunWorkflow();
  EXPECT_EQ(Requests("getDirFiles"), 0);
  EXPECT_GE(Requests("syncDir"), 1);
}

TEST_F(SyncControllerE2ETest, AFileChangedOnBothSidesKeepsBothVersions) {
  logic->SetNotifyUI(&m_sink);
  Put("a.txt", "first");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("a.txt") == "first" && Settled(); }));

  // Both sides change the file while the engine is not running.
  StopEngine();
  Put("a.txt", "the other device's edit");
  Write("a.txt", "this computer's edit");
  RunWorkflow();

  // The service's version under the name, this computer's as a copy, on both sides.
  EXPECT_TRUE(WaitUntil([&] {
    return LocalContent("a.txt") == "the other device's edit" && LocalContent("a (1).txt") == "this computer's edit" &&
           ServerHas("a (1).txt=this computer's edit") && Settled();
  })) << LocalContent("a.txt") << " / " << LocalContent("a (1).txt");
  EXPECT_EQ(ServerFiles(), (std::vector<std::string>{"a (1).txt=this computer's edit", "a.txt=the other device's edit"}));
  EXPECT_EQ(LocalNames(), (std::vector<std::string>{"a (1).txt", "a.txt"}));
  const juce::String original((m_rootPath / "a.txt").string()), kept((m_rootPath / "a (1).txt").string());
  EXPECT_TRUE(m_sink.Has(SNT_ONE_FILE_RENAMED, original, kept))
      << "the user is told where the local version went";
}

TEST_F(SyncControllerE2ETest, ADownloadTheServiceFailsOnceStillArrives) {
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return Settled(); }));
  struct Case {
    std::string fault;
    std::string name;
  };
  for (const Case& c : {Case{"op=downloadFile&http=500", "content.txt"}, Case{"op=downloadFileControl&code=500", "token.txt"},
                        Case{"op=downloadFile&http=503", "unavailable.txt"}}) {
    SCOPED_TRACE(c.fault);
    Fault(c.fault);
    Put(c.name, "arrives in the end");
    EXPECT_TRUE(WaitUntil([&] { return LocalContent(c.name) == "arrives in the end"; }));
  }
  EXPECT_TRUE(WaitUntil([&] { return Settled(); }));
}

TEST_F(SyncControllerE2ETest, AFileTheServiceCompletedBeforeTheRowWasWrittenIsNotUploadedAgain) {
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return Settled(); }));
  // The state a first upload leaves when the program ends after the service
  // completed the file and before its row was written: the file on both
  // sides, no row, and the stored version from before.
  StopEngine();
  Write("k.txt", "uploaded once");
  Put("k.txt", "uploaded once");
  // The pull that would bring the row is held back, so the upload decides.
  Fault("op=syncDir&code=500&times=0");
  RunWorkflow();
  EXPECT_TRUE(WaitUntil([&] {
    SyncFileData row;
    return SyncFileDataManager::SelectSyncFileData(juce::String((m_rootPath / "k.txt").string()), row);
  }));
  Admin("faults/clear");
  EXPECT_TRUE(WaitUntil([&] { return Settled(); }));
  EXPECT_EQ(ServerNames(), std::vector<std::string>{"k.txt"});
  EXPECT_EQ(LocalNames(), std::vector<std::string>{"k.txt"});
  EXPECT_EQ(Requests("createFile"), 0);
}

TEST_F(SyncControllerE2ETest, PausingHoldsALargeUploadBetweenBlocks) {
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return Settled(); }));
  // Twelve blocks, each answered slowly, so that the pause comes while they go.
  std::string big(12 * 2097152, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 2654435761u) >> 13);
  Fault("op=uploadFile&delayMs=300&times=0");
  Admin("log/clear");
  Write("big.bin", big);
  ASSERT_TRUE(WaitUntil([&] { return Requests("uploadFile") >= 2; }));

  logic->PauseOrContinueSync();
  const int atPause = Requests("uploadFile");
  // Nothing can be seen to happen here, so a bounded real wait: blocks go out
  // every 300 ms while the upload runs on.
  std::this_thread::sleep_for(std::chrono::seconds(3));
  EXPECT_LE(Requests("uploadFile"), atPause + 1) << "at most the block under way when paused";

  logic->PauseOrContinueSync();
  Admin("faults/clear");
  EXPECT_TRUE(WaitUntil([&] { return ServerNames() == std::vector<std::string>{"big.bin"} && Settled(); }));
  EXPECT_TRUE(ServerHas("big.bin=" + big));
}

TEST_F(SyncControllerE2ETest, AFileReplacedByAFolderOfItsNameAndTheReverseTakeTheLocalShape) {
  Put("a.txt", "a file first");
  const juce::int64 folder = MakeServiceFolder("d");
  Admin("put?account=" + Account() + "&parentId=" + std::to_string(folder) + "&name=inside.txt", "in the folder");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("a.txt") == "a file first" && Settled(); }));
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("d/inside.txt") == "in the folder" && Settled(); }));

  for (const bool watched : {true, false}) {
    SCOPED_TRACE(watched ? "while the engine watches" : "while the engine does not run");
    if (!watched) {
      // From where the engine has taken back the reports of its own uploads.
      ASSERT_TRUE(WaitUntil([&] { return CaughtUp() && Settled(); }));
      StopEngine();
    }
    // The file becomes a folder with a file in it, the folder a file.
    const std::string file = watched ? "a.txt" : "d", dir = watched ? "d" : "a.txt";
    std::filesystem::remove(m_rootPath / file);
    std::filesystem::create_directory(m_rootPath / file);
    std::ofstream(m_rootPath / file / "new.txt", std::ios::binary) << "now a folder";
    std::filesystem::remove_all(m_rootPath / dir);
    Write(dir, "now a file");
    if (!watched) RunWorkflow();

    std::vector<std::string> expected{dir + "=now a file", file + "/", file + "/new.txt=now a folder"};
    std::sort(expected.begin(), expected.end());
    EXPECT_TRUE(WaitUntil([&] { return ServerTree() == expected && Settled(); }))
        << ::testing::PrintToString(ServerTree());
    EXPECT_TRUE(std::filesystem::is_directory(m_rootPath / file));
    EXPECT_EQ(LocalContent(dir), "now a file");
    EXPECT_EQ(LocalNames(), std::vector<std::string>{dir});
  }
}

TEST_F(SyncControllerE2ETest, AFileExactlyAtTheSizeLimitIsUploadedAndOneByteMoreIsNot) {
  UserConfigInfo config = GetAccountData()->GetUserConfig();
  config.UC_FileSizeLimit = 1000;
  GetAccountData()->SetUserConfig(config);
  Write("at.bin", std::string(1000, 'a'));
  Write("over.bin", std::string(1001, 'o'));
  RunWorkflow();
  EXPECT_TRUE(WaitUntil([&] { return ServerHas("at.bin=" + std::string(1000, 'a')) && Settled(); }));
  EXPECT_EQ(ServerNames(), std::vector<std::string>{"at.bin"});
}

TEST_F(SyncControllerE2ETest, ATokenReplyOf555DropsTheDownload) {
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return Settled(); }));
  Fault("op=downloadFileControl&code=555&times=0");
  Admin("log/clear");
  Put("gone.txt", "never fetched");
  EXPECT_TRUE(WaitUntil([&] { return Requests("downloadFileControl") >= 1 && Settled(); }));
  EXPECT_LT(Requests("downloadFileControl"), 4) << "dropped, not retried as a failure";
  EXPECT_EQ(Requests("downloadFile"), 0);
  EXPECT_EQ(LocalContent("gone.txt"), "(none)");
}

TEST_F(SyncControllerE2ETest, AServiceFolderDeleteKeepsALocalFileChangedSince) {
  const juce::int64 folder = MakeServiceFolder("f");
  Admin("put?account=" + Account() + "&parentId=" + std::to_string(folder) + "&name=n.txt", "as synced");
  Admin("put?account=" + Account() + "&parentId=" + std::to_string(folder) + "&name=same.txt", "unchanged");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("f/n.txt") == "as synced" && Settled(); }));

  StopEngine();
  std::ofstream(m_rootPath / "f" / "n.txt", std::ios::binary | std::ios::trunc) << "changed here";
  Admin("delete?account=" + Account() + "&id=" + std::to_string(folder));
  RunWorkflow();
  EXPECT_TRUE(WaitUntil([&] { return Settled() && LocalContent("f/same.txt") == "(none)"; }));
  EXPECT_EQ(LocalContent("f/n.txt"), "changed here");
}

}  // namespace
