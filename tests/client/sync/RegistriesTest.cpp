// The down path registry, the name-conflict registry and the moved-folder
// registry, against real files, a real database and a process that holds files.
#include <gtest/gtest.h>

#include <barrier>
#include <filesystem>
#include <set>
#include <thread>

#include "EngineTestSupport.h"
#include "LockHolderProcess.h"
#include "client/core/context/GlobalContext.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/registry/DownSyncPathRegistry.h"
#include "client/sync/registry/MovedFolderRegistry.h"
#include "client/sync/registry/NameConflictRegistry.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"

namespace {

using enginetest::EngineTest;
using wintest::LockHolderProcess;

using Statuses = std::vector<std::pair<juce::String, int>>;

class DownSyncPathRegistryTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    DownSyncPathRegistry::DeleteInstance();
    m_registry = DownSyncPathRegistry::GetInstance();
  }
  void TearDown() override {
    DownSyncPathRegistry::DeleteInstance();
    EngineTest::TearDown();
  }
  DownSyncPathRegistry* m_registry = nullptr;
};

// Downloads that run side by side ask for it at the same moment: they all
// get the one registry, or a hold taken in one copy is missed by the others.
TEST_F(DownSyncPathRegistryTest, ThreadsAskingAtOnceShareOneRegistry) {
  constexpr int kThreads = 8;
  for (int round = 0; round < 20; ++round) {
    DownSyncPathRegistry::DeleteInstance();
    std::barrier start(kThreads);
    std::vector<DownSyncPathRegistry*> seen(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
      threads.emplace_back([&, i] {
        start.arrive_and_wait();
        seen[i] = DownSyncPathRegistry::GetInstance();
        seen[i]->Acquire("/r/f" + juce::String(i));
      });
    for (std::thread& thread : threads) thread.join();
    ASSERT_EQ(std::set<DownSyncPathRegistry*>(seen.begin(), seen.end()).size(), 1u) << "round " << round;
    for (int i = 0; i < kThreads; ++i) EXPECT_EQ(seen[0]->GetHoldCount("/r/f" + juce::String(i)), 1);
  }
  m_registry = DownSyncPathRegistry::GetInstance();
}

TEST_F(DownSyncPathRegistryTest, AFolderIsInTransferFromItsFirstHolderUntilItsLastLetsGo) {
  m_registry->Acquire("/r/d");
  m_registry->Acquire("/r/d/");  // the same folder
  m_registry->Release("/r/d");
  EXPECT_EQ(m_registry->GetHoldCount("/r/d"), 1);
  m_registry->Release("/r/d/");
  EXPECT_EQ(m_calls.pathStatuses, (Statuses{{"/r/d", 2}, {"/r/d", 2}, {"/r/d", 1}}));
  m_registry->Release("/r/d");   // no longer held
  m_registry->Release("/r/never");
  m_registry->Acquire("");
  m_registry->Release("");
  EXPECT_EQ(m_calls.pathStatuses.size(), 3u);
}

TEST_F(DownSyncPathRegistryTest, AResetLetsEveryFolderGo) {
  m_registry->Acquire("/r/a");
  m_registry->Acquire("/r/b");
  m_registry->Acquire("/r/b");
  m_calls.pathStatuses.clear();
  m_registry->Reset();
  EXPECT_EQ(m_calls.pathStatuses, (Statuses{{"/r/a", 1}, {"/r/b", 1}}));
  m_registry->Release("/r/b");
  EXPECT_EQ(m_calls.pathStatuses.size(), 2u);
  EXPECT_EQ(m_registry->GetHoldCount("/r/b"), 0);
}

class NameConflictRegistryTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    NameConflictRegistry::DeleteInstance();
    m_registry = NameConflictRegistry::GetInstance();
  }
  void TearDown() override {
    NameConflictRegistry::DeleteInstance();
    EngineTest::TearDown();
  }
  NameConflictEntry Entry(const std::string& from, const std::string& to, int op) {
    NameConflictEntry entry;
    entry.m_sOldPath = Local(from);
    entry.m_sNewPath = Local(to);
    entry.m_fileData = FileRow(70, Local(from), 10, "md5");
    entry.m_nOp = op;
    return entry;
  }
  NameConflictRegistry* m_registry = nullptr;
};

TEST_F(NameConflictRegistryTest, RecordingTellsTheUserEachTimeAndKeepsTheLatestEntry) {
  m_registry->Record(Local("a.txt"), Entry("a.txt", "a(1).txt", 1));
  m_registry->Record(Local("a.txt"), Entry("a.txt", "a(2).txt", 5));
  auto events = m_sink.Events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].type, SNT_OCCUPIED);
  EXPECT_EQ(events[1].a, Local("a.txt"));
  EXPECT_EQ(events[1].b, "File");
  EXPECT_EQ(GetGlobalContext()->GetTipList()->GetCount(), 1);

  dorvtest::WriteFile(m_root / "a.txt", "x");
  int result = 0;
  ASSERT_TRUE(m_registry->Retry(Local("a.txt"), result));
  EXPECT_TRUE(std::filesystem::exists(m_root / "a(2).txt"));  // the second entry's target
  EXPECT_FALSE(std::filesystem::exists(m_root / "a(1).txt"));
}

TEST_F(NameConflictRegistryTest, ARetryMovesTheFileOnceItIsFreeAndRecordsItAsSynced) {
  dorvtest::WriteFile(m_root / "a.txt", "content");
  NameConflictEntry entry = Entry("a.txt", "a(1).txt", 1);
  m_registry->Record(Local("a.txt"), entry);
  int result = 0;
  {
    LockHolderProcess holder((m_root / "a.txt").string(), "flock-exclusive");
    EXPECT_FALSE(m_registry->Retry(Local("a.txt"), result));
    EXPECT_EQ(result, 4);
  }
  ASSERT_TRUE(m_registry->Retry(Local("a.txt"), result));
  EXPECT_EQ(dorvtest::ReadFile(m_root / "a(1).txt"), "content");
  EXPECT_EQ(m_sink.PathStates(), (Statuses{{Local("a(1).txt"), SYNC_PATH_SYNCED}}));
  auto recent = GetSyncStatusTracker()->GetRecentFiles().GetEntries();
  ASSERT_EQ(recent.size(), 1u);
  EXPECT_EQ(recent.front().m_sPath, Local("a(1).txt"));
  EXPECT_EQ(recent.front().m_nKind, 0);  // changed, not deleted
  SyncFileData row;
  ASSERT_TRUE(SyncFileDataManager::SelectSyncFileData(Local("a(1).txt"), row));
  EXPECT_EQ(row.m_FileID, 70);
  EXPECT_FALSE(SyncFileDataManager::IsFileInDB(Local("a.txt")));
  EXPECT_EQ(GetGlobalContext()->GetTipList()->GetCount(), 0);  // the occupied tip is gone

  // The entry stays; the old path is gone now.
  EXPECT_TRUE(m_registry->HasEntry(Local("a.txt")));
  EXPECT_FALSE(m_registry->Retry(Local("a.txt"), result));
  EXPECT_EQ(result, 1);
}

TEST_F(NameConflictRegistryTest, ARetryForAnUnknownKeyWaits) {
  int result = 0;
  EXPECT_FALSE(m_registry->Retry(Local("never.txt"), result));
  EXPECT_EQ(result, 4);
}

TEST_F(NameConflictRegistryTest, ARenameConflictMovesTheFileAndItsRowWithoutNotices) {
  dorvtest::WriteFile(m_root / "r.txt", "x");
  SyncFileData old = FileRow(70, Local("r.txt"), 10);
  ASSERT_TRUE(SaveSyncFileData(old));
  m_registry->Record(Local("r.txt"), Entry("r.txt", "r(1).txt", 4));
  m_sink.Forget();
  int result = 0;
  ASSERT_TRUE(m_registry->Retry(Local("r.txt"), result));
  EXPECT_TRUE(m_sink.PathStates().empty());
  EXPECT_TRUE(m_sink.Events().empty());
  // No stale row under the old name for the next scan to read as a deletion.
  EXPECT_FALSE(SyncFileDataManager::IsFileInDB(Local("r.txt")));
  EXPECT_TRUE(SyncFileDataManager::IsFileInDB(Local("r(1).txt")));
}

TEST_F(NameConflictRegistryTest, AFileTheUserMadeUnderTheNewNameIsNeverReplaced) {
  dorvtest::WriteFile(m_root / "a.txt", "uploaded");
  dorvtest::WriteFile(m_root / "a(1).txt", "the user's own");
  m_registry->Record(Local("a.txt"), Entry("a.txt", "a(1).txt", 1));
  int result = 0;
  EXPECT_FALSE(m_registry->Retry(Local("a.txt"), result));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(dorvtest::ReadFile(m_root / "a(1).txt"), "the user's own");
  EXPECT_EQ(dorvtest::ReadFile(m_root / "a.txt"), "uploaded");
}

class MovedFolderRegistryTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    MovedFolderRegistry::DeleteInstance();
    m_registry = MovedFolderRegistry::GetInstance();
    // The server moved old/ to new/; new/ is made, a.txt and b.txt were held.
    dorvtest::WriteFile(m_root / "old" / "a.txt", "A");
    dorvtest::WriteFile(m_root / "old" / "b.txt", "B");
    std::filesystem::create_directories(m_root / "old" / "empty" / "deeper");
    std::filesystem::create_directories(m_root / "new");
  }
  void TearDown() override {
    MovedFolderRegistry::DeleteInstance();
    EngineTest::TearDown();
  }
  SyncFileData Held(juce::int64 id, const std::string& name) {
    return FileRow(id, Local("old/" + name), 10, SyncHelper::GetFileMD5(Local("old/" + name)));
  }
  MovedFolderRegistry* m_registry = nullptr;
};

TEST_F(MovedFolderRegistryTest, HeldFilesFollowTheirFolderOnceFreeThenTheOldPlaceIsCleanedUp) {
  m_registry->Add(Local("new/a.txt"), Held(1, "a.txt"));
  m_registry->Add(Local("new/b.txt"), Held(2, "b.txt"));
  m_registry->Add(Local("new/b.txt"), Held(3, "a.txt"));  // a second entry for one target is ignored
  EXPECT_EQ(m_registry->GetCount(), 2);
  {
    LockHolderProcess holder((m_root / "old" / "b.txt").string(), "ofd-exclusive");
    EXPECT_FALSE(m_registry->RunPending(Local("old")));
    EXPECT_FALSE(m_registry->RunPending(Local("old")));  // still held: asked again, still waiting
    EXPECT_EQ(m_registry->GetCount(), 1);
    EXPECT_EQ(dorvtest::ReadFile(m_root / "new" / "a.txt"), "A");
  }
  EXPECT_TRUE(m_registry->RunPending(Local("old")));
  EXPECT_EQ(dorvtest::ReadFile(m_root / "new" / "b.txt"), "B");
  EXPECT_FALSE(std::filesystem::exists(m_root / "old"));  // emptied folders are removed, deepest first
  SyncFileData row;
  ASSERT_TRUE(SyncFileDataManager::SelectSyncFileData(Local("new/b.txt"), row));
  EXPECT_EQ(row.m_FileID, 2);
  EXPECT_EQ(m_calls.ignoredChanges.size(), 2u);
  EXPECT_EQ(m_calls.ignoredChanges[0], Local("old/a.txt") + " -> " + Local("new/a.txt") + " (5)");
  EXPECT_TRUE(m_calls.localFileAdds.empty());
}

TEST_F(MovedFolderRegistryTest, AFileEditedWhileHeldIsDownloadedAgainAndLeftoversAreUploaded) {
  m_registry->Add(Local("new/a.txt"), Held(1, "a.txt"));
  dorvtest::WriteFile(m_root / "old" / "a.txt", "edited meanwhile");
  dorvtest::WriteFile(m_root / "old" / "sub" / "only-here.txt", "new locally");
  EXPECT_TRUE(m_registry->RunPending(Local("old")));
  ASSERT_EQ(m_calls.serverFileAdds.size(), 1u);
  EXPECT_EQ(m_calls.serverFileAdds[0].m_FileID, 1);
  EXPECT_FALSE(std::filesystem::exists(m_root / "new" / "a.txt"));
  EXPECT_EQ(dorvtest::ReadFile(m_root / "old" / "a.txt"), "edited meanwhile");  // nothing of the user's is lost
  // What is still in the old place goes up again, folders before their files.
  EXPECT_EQ(m_calls.localFolderAdds, (std::vector<juce::String>{Local("old"), Local("old/sub")}));
  std::vector<juce::String> files = m_calls.localFileAdds;
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<juce::String>{Local("old/a.txt"), Local("old/b.txt"), Local("old/sub/only-here.txt")}));
  EXPECT_FALSE(std::filesystem::exists(m_root / "old" / "empty"));
}

TEST_F(MovedFolderRegistryTest, ATargetTakenMeanwhileIsNotReplaced) {
  m_registry->Add(Local("new/a.txt"), Held(1, "a.txt"));
  dorvtest::WriteFile(m_root / "new" / "a.txt", "downloaded meanwhile");
  EXPECT_TRUE(m_registry->RunPending(Local("old")));
  EXPECT_EQ(dorvtest::ReadFile(m_root / "new" / "a.txt"), "downloaded meanwhile");
  EXPECT_EQ(dorvtest::ReadFile(m_root / "old" / "a.txt"), "A");
}

TEST_F(MovedFolderRegistryTest, AfterAClearAWaitingMoveFindsNothingPending) {
  m_registry->Add(Local("new/a.txt"), Held(1, "a.txt"));
  m_registry->Clear();
  EXPECT_EQ(m_registry->GetCount(), 0);
  EXPECT_TRUE(m_registry->RunPending(""));
  EXPECT_TRUE(std::filesystem::exists(m_root / "old" / "a.txt"));
}

// An entry installed is the one the engine's pieces call, and one left unset
// keeps what was installed before.
TEST(SyncEngineLinksTest, InstalledEntriesAreKeptAndUnsetOnesStay) {
  ClearSyncEngineLinks();
  SyncEngineLinks first;
  first.isEngineIdle = [] { return true; };
  InstallSyncEngineLinks(first);
  SyncEngineLinks second;
  second.isLeavingPath = [](const juce::String& path) { return path == "/leaving"; };
  InstallSyncEngineLinks(second);
  const SyncEngineLinks links = GetSyncEngineLinks();
  ASSERT_TRUE(links.isLeavingPath);
  EXPECT_TRUE(links.isLeavingPath("/leaving"));
  ASSERT_TRUE(links.isEngineIdle);
  EXPECT_TRUE(links.isEngineIdle());
  ClearSyncEngineLinks();
}

}  // namespace
