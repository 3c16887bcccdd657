// The status tracker: rates, transfer state, tray codes and change balloons.
#include <gtest/gtest.h>

#include <algorithm>

#include "EngineTestSupport.h"
#include "client/core/GlobalConfig.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "win32/ManualClock.h"

namespace {

using enginetest::EngineTest;

class SyncStatusTrackerTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    m_tracker = GetSyncStatusTracker();
    m_tracker->Reset();
    m_sink.Forget();
  }
  void TearDown() override {
    GetGlobalConfig()->m_bDisplayNotify = 1;
    EngineTest::TearDown();
  }
  SyncStatusTracker* m_tracker = nullptr;
};

TEST_F(SyncStatusTrackerTest, TheRateIsMeasuredOverWindowsOfAtLeastASecond) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  m_tracker->AddUpFile("/r/big", 100000);
  m_tracker->AddUpBytes(7000);  // starts the window only
  EXPECT_EQ(m_tracker->GetUpFigures().bytesLeft, 100000);
  clock.Advance(500);
  m_tracker->AddUpBytes(2000);
  EXPECT_EQ(m_tracker->GetUpFigures().rate, 0);  // under a second: no rate yet
  clock.Advance(2000);
  m_tracker->AddUpBytes(3000);  // 5000 bytes in 2500 ms: 2500 / 2 s
  auto figures = m_tracker->GetUpFigures();
  EXPECT_EQ(figures.rate, 2500);
  EXPECT_EQ(figures.bytesLeft, 95000);
  EXPECT_EQ(figures.timeLeft, 38);
  clock.Advance(1000);
  m_tracker->AddUpBytes(1);  // a rate of 1 byte/s leaves the time left alone
  figures = m_tracker->GetUpFigures();
  EXPECT_EQ(figures.rate, 1);
  EXPECT_EQ(figures.timeLeft, 38);
  m_tracker->AddUpBytes(200000);  // bytes left never go below zero
  EXPECT_EQ(m_tracker->GetUpFigures().bytesLeft, 0);
  m_tracker->RemoveUpFile("/r/big");
  EXPECT_EQ(m_tracker->GetUpFigures().rate, 0);
  EXPECT_EQ(m_tracker->GetUpFigures().timeLeft, 0);

  m_tracker->AddDownFile(7, 10);
  m_tracker->AddDownBytes(1);
  clock.Advance(1000);
  m_tracker->AddDownBytes(4);
  EXPECT_EQ(m_tracker->GetDownFigures().rate, 4);
  EXPECT_EQ(m_tracker->GetDownFigures().bytesLeft, 6);
}

TEST_F(SyncStatusTrackerTest, TransfersSetTheTransferStateUnlessAFileIsOccupied) {
  m_tracker->AddUpFile("/r/a", 1);
  EXPECT_EQ(m_tracker->m_nTransferState, SyncStatusTracker::TRANSFER_UP);
  m_tracker->AddDownFile(5, 1);
  EXPECT_EQ(m_tracker->m_nTransferState, SyncStatusTracker::TRANSFER_BOTH);
  m_tracker->RenameUpFile("/r/a", "/r/b");
  m_tracker->RemoveUpFile("/r/a");
  EXPECT_EQ(m_tracker->GetUpFigures().fileCount, 1);  // it goes by its new name
  m_tracker->RemoveUpFile("/r/b");
  EXPECT_EQ(m_tracker->m_nTransferState, SyncStatusTracker::TRANSFER_DOWN);

  m_tracker->AddOccupiedPath("/r/held");
  m_tracker->AddOccupiedPath("/r/held");
  m_tracker->RemoveDownFile(5);
  EXPECT_EQ(m_tracker->m_nTransferState, SyncStatusTracker::TRANSFER_DOWN);
  EXPECT_TRUE(m_tracker->UpdateTransferState());
  m_tracker->RemoveOccupiedPath("/r/held");
  EXPECT_FALSE(m_tracker->UpdateTransferState());
  EXPECT_EQ(m_tracker->m_nTransferState, SyncStatusTracker::TRANSFER_IDLE);
}

TEST_F(SyncStatusTrackerTest, TheTrayCodeFollowsNetEngineAndSyncStates) {
  struct Row {
    int net, engine, sync, code;
  } rows[] = {
      {1, 4, 1, TRAY_OFFLINE}, {1, 1, 3, TRAY_OFFLINE}, {0, 1, 2, TRAY_PAUSED}, {2, 1, 0, TRAY_PAUSED},
      {0, 0, 1, TRAY_OFFLINE}, {0, 3, 1, TRAY_OFFLINE}, {0, 4, 1, TRAY_SYNCED}, {2, 4, 2, TRAY_SYNCING},
      {0, 4, 3, TRAY_ERROR},   {0, 4, 0, 0},            {0, 7, 1, 0},
  };
  for (const Row& row : rows) {
    m_tracker->m_nNetState = row.net;
    m_tracker->m_nEngineState = row.engine;
    m_tracker->m_nSyncState = row.sync;
    m_sink.Forget();
    m_tracker->PushTrayState();
    std::vector<int> sent = m_sink.TrayIcons();
    if (row.code == 0) {
      EXPECT_TRUE(sent.empty()) << row.net << row.engine << row.sync;
    } else {
      EXPECT_EQ(sent, std::vector<int>{row.code}) << row.net << row.engine << row.sync;
    }
  }
  GetSyncLogic()->SetNotifyUI(nullptr);
  m_sink.Forget();
  m_tracker->PushTrayState();
  EXPECT_TRUE(m_sink.TrayIcons().empty());
}

TEST_F(SyncStatusTrackerTest, TheRootStateOfTheStatusCacheBecomesTheSyncState) {
  m_tracker->m_nEngineState = SyncStatusTracker::ENGINE_RUNNING;
  for (auto [root, sync, tray] : {std::tuple{2, 2, TRAY_SYNCING}, {3, 3, TRAY_ERROR}, {1, 1, TRAY_SYNCED},
                                  {0, 1, TRAY_SYNCED}}) {
    m_calls.rootStatus = root;
    m_tracker->UpdateSyncStateFromRoot();
    EXPECT_EQ(m_tracker->m_nSyncState, sync);
    EXPECT_EQ(m_sink.TrayIcons().back(), tray);
  }
}

// The status cache may still hold a syncing root (paths the engine left
// without a final state): an idle engine shows synced, without a flash of
// syncing at each look.
TEST_F(SyncStatusTrackerTest, AnIdleEngineShowsSyncedSteadily) {
  m_tracker->m_nEngineState = SyncStatusTracker::ENGINE_RUNNING;
  m_tracker->m_nSyncState = SyncStatusTracker::SYNC_SYNCED;
  m_calls.rootStatus = 2;
  m_calls.idle = true;
  for (int look = 0; look < 3; ++look) SyncHelper::RefreshTrayWhenIdle();
  const std::vector<int> sent = m_sink.TrayIcons();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(std::count(sent.begin(), sent.end(), TRAY_SYNCED), static_cast<long>(sent.size()))
      << ::testing::PrintToString(sent);

  m_calls.rootStatus = 3;  // an error stays shown
  m_sink.Forget();
  SyncHelper::RefreshTrayWhenIdle();
  EXPECT_EQ(m_sink.TrayIcons().back(), TRAY_ERROR);
}

struct NotesCase {
  const char* name;
  std::vector<int> ops;
  int type;  // -1: no balloon
  const char* a;
  const char* b;
};

void PrintTo(const NotesCase& c, std::ostream* os) { *os << c.name; }

class ChangeNotesTest : public SyncStatusTrackerTest, public ::testing::WithParamInterface<NotesCase> {};

TEST_P(ChangeNotesTest, WaitingNotesBecomeOneBalloon) {
  const NotesCase& c = GetParam();
  for (std::size_t i = 0; i < c.ops.size(); ++i) {
    const juce::String path = "/r/" + juce::String(static_cast<int>(i));
    m_tracker->AddChangeNote(path, path, "/r/old" + juce::String(static_cast<int>(i)), c.ops[i]);
  }
  EXPECT_FALSE(m_tracker->FlushChangeNotes());
  std::vector<SyncNotifyInfo> events = m_sink.Events();
  if (c.type < 0) {
    EXPECT_TRUE(events.empty());
  } else {
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, c.type);
    EXPECT_EQ(events[0].a, c.a);
    EXPECT_EQ(events[0].b, c.b);
  }
  m_sink.Forget();
  m_tracker->FlushChangeNotes();  // the notes went with the balloon
  EXPECT_TRUE(m_sink.Events().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Notes, ChangeNotesTest,
    ::testing::Values(NotesCase{"OneAdd", {1}, SNT_ONE_FILE_ADDED, "/r/0", "/r/old0"},
                      NotesCase{"OneFolderRename", {9}, SNT_ONE_FOLDER_RENAMED, "/r/0", "/r/old0"},
                      NotesCase{"OneOfAnUnknownKind", {7}, -1, "", ""},
                      NotesCase{"AddsAndAFolderRename", {1, 1, 9}, SNT_SYNC_COMPLETED, "2", "1"},
                      NotesCase{"RenamesOfFilesAndAFolder", {4, 4, 9}, SNT_MANY_RENAMED, "2", "1"},
                      NotesCase{"Adds", {1, 1, 1}, SNT_MANY_ADDED, "3", "0"},
                      NotesCase{"Modifications", {2, 2}, SNT_SYNC_COMPLETED, "2", "0"},
                      NotesCase{"Deletions", {3, 3}, SNT_MANY_DELETED, "2", "0"},
                      NotesCase{"Moves", {5, 5}, SNT_MANY_MOVED, "2", "0"},
                      NotesCase{"AlikeOfAnUnknownKind", {7, 7}, -1, "", ""}),
    [](const ::testing::TestParamInfo<NotesCase>& info) { return info.param.name; });

TEST_F(SyncStatusTrackerTest, WithNotificationsSwitchedOffTheNotesAreDroppedSilently) {
  GetGlobalConfig()->m_bDisplayNotify = 0;
  m_tracker->AddChangeNote("/r/a", "/r/a", "/r/a", 1);
  m_tracker->FlushChangeNotes();
  GetGlobalConfig()->m_bDisplayNotify = 1;
  m_tracker->FlushChangeNotes();
  EXPECT_TRUE(m_sink.Events().empty());
}

TEST_F(SyncStatusTrackerTest, ALaterNoteOfTheSamePathReplacesTheEarlierOne) {
  m_tracker->AddChangeNote("/r/a", "/r/a", "/r/a", 1);
  m_tracker->AddChangeNote("/r/a", "/r/a", "/r/z", 4);
  m_tracker->FlushChangeNotes();
  ASSERT_EQ(m_sink.Events().size(), 1u);
  EXPECT_EQ(m_sink.Events()[0].type, SNT_ONE_FILE_RENAMED);
  EXPECT_EQ(m_sink.Events()[0].b, "/r/z");
}

TEST_F(SyncStatusTrackerTest, AResetForgetsEverything) {
  m_tracker->m_nEngineState = 4;
  m_tracker->m_nNetState = 1;
  m_tracker->AddUpFile("/r/a", 5);
  m_tracker->AddRecentFile("/r/a", 0);
  m_tracker->AddOccupiedPath("/r/b");
  m_tracker->AddChangeNote("/r/c", "/r/c", "/r/c", 1);
  m_tracker->Reset();
  EXPECT_EQ(m_tracker->m_nEngineState, 0);
  EXPECT_EQ(m_tracker->m_nNetState, 0);
  EXPECT_EQ(m_tracker->GetUpFigures().fileCount, 0);
  EXPECT_EQ(m_tracker->GetUpFigures().bytesLeft, 0);
  EXPECT_EQ(m_tracker->GetRecentFiles().GetCount(), 0);
  EXPECT_FALSE(m_tracker->HasOccupiedPaths());
  m_sink.Forget();
  m_tracker->FlushChangeNotes();
  EXPECT_TRUE(m_sink.Events().empty());
}

}  // namespace
