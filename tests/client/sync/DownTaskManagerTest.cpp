// The down task manager and the dispatcher's down side: classification,
// placement, results, the pending-version list and the pre-run version check,
// with scripted operations registered in a real dispatcher.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <set>

#include "TaskTestSupport.h"
#include "client/core/context/GlobalContext.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/tasks/PendingVersionList.h"
#include "client/sync/tasks/SyncDownTaskManager.h"

namespace {

using enginetest::EngineTest;
using enginetest::MakeDownFile;
using enginetest::MakeDownFolder;
using enginetest::MakeUp;
using Tasks = std::vector<std::pair<int, juce::int64>>;

class DownTaskManagerTest : public enginetest::TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
  }
  void TearDown() override {
    TaskTest::TearDown();
  }
  void Classified(DownSyncTask* task) {
    m_manager.ClassifyTask(task);
    m_manager.AddTask(task);
  }
  juce::String StoredVersion() { return SyncRootFolder::GetInstance()->GetGlobalVersion(); }

  SyncDownTaskManager m_manager{&m_dispatcher};
};

TEST_F(DownTaskManagerTest, ACopyReplacesTheQueuedTaskChangesAreQueuedAndWaitingItemsAreFollowed) {
  Classified(MakeDownFile(10, DOWN_OP_FILE_ADD, "1|5"));      // head: never compared
  Classified(MakeDownFile(10, DOWN_OP_FILE_MODIFY, "1|5"));   // same version as the head: kept
  Classified(MakeDownFile(10, DOWN_OP_FILE_RENAME, "1|5"));   // copy of index 1: takes its place, at the end
  Classified(MakeDownFile(10, DOWN_OP_FILE_MODIFY, "1|6"));   // a changed version: queued again
  Classified(MakeDownFolder(10, DOWN_OP_FOLDER_RENAME, "1|5"));  // a folder is another item
  Classified(MakeDownFolder(10, DOWN_OP_FOLDER_ADD, "1|5"));  // folder adds are never checked
  Classified(MakeDownFile(11, DOWN_OP_FILE_DELETE, "1|7"));
  Classified(MakeDownFile(11, DOWN_OP_FILE_DELETE, "1|7"));   // deletions are not compared with the normal queue
  EXPECT_EQ(m_manager.DescribeQueue(DOWN_QUEUE_NORMAL),
            (Tasks{{1, 10}, {4, 10}, {2, 10}, {9, 10}, {7, 10}, {3, 11}, {3, 11}}));

  auto* waiting = MakeDownFile(20, DOWN_OP_FILE_MODIFY, "1|8");
  waiting->m_nQueue = DOWN_QUEUE_WAIT_AND_RETRY;
  m_manager.AddTask(waiting);
  Classified(MakeDownFile(20, DOWN_OP_FILE_DELETE, "1|9"));     // the item waits: so does its delete
  auto* moved = MakeDownFile(21, DOWN_OP_FILE_MOVE, "1|9");
  moved->m_nServerID = 20;                                   // a move naming the waiting item
  Classified(moved);
  EXPECT_EQ(m_manager.DescribeQueue(DOWN_QUEUE_WAIT_AND_RETRY), (Tasks{{2, 20}, {3, 20}, {5, 21}}));
}

TEST_F(DownTaskManagerTest, PlacementPutsATaskInFrontBehindTheHeadOrAtTheEnd) {
  m_manager.AddTask(MakeDownFile(1, 1, "1|1"));
  m_manager.AddTask(MakeDownFile(2, 1, "1|2"));
  auto* behind = MakeDownFile(3, 1, "1|3");
  behind->m_nPriority = PLACE_BEHIND_HEAD;
  m_manager.AddTask(behind);
  auto* front = MakeDownFile(4, 1, "1|4");
  front->m_nPriority = PLACE_FRONT;
  m_manager.AddTask(front);
  auto* none = MakeDownFile(5, 0, "1|5");
  m_manager.AddTask(none);  // op 0: deleted
  auto* lost = MakeDownFile(6, 1, "1|6");
  lost->m_nQueue = 7;
  m_manager.AddTask(lost);  // no such queue: deleted
  EXPECT_EQ(m_manager.DescribeQueue(DOWN_QUEUE_NORMAL), (Tasks{{1, 4}, {1, 1}, {1, 3}, {1, 2}}));
  EXPECT_EQ(m_manager.GetPendingVersions().GetVersions(), juce::StringArray({"1|1", "1|2", "1|3", "1|4"}));
}

TEST_F(DownTaskManagerTest, TheStoredVersionAdvancesOnlyWhenTheOldestPendingChangeIsApplied) {
  m_manager.AddTask(MakeDownFile(7, 1, "3|7"));
  m_manager.AddTask(MakeDownFile(5, 1, "3|5"));
  m_manager.AddTask(MakeDownFile(9, 1, "3|9"));
  EXPECT_EQ(m_manager.GetPendingVersions().GetVersions(), juce::StringArray({"3|5", "3|7", "3|9"}));
  EXPECT_EQ(m_manager.RunDownTask(DOWN_QUEUE_NORMAL), 0);  // 7 first
  EXPECT_EQ(StoredVersion(), "0|0");
  EXPECT_EQ(m_manager.RunDownTask(DOWN_QUEUE_NORMAL), 0);  // then 5: 7 is done too, 9 is not
  EXPECT_EQ(StoredVersion(), "3|7");
  SyncRootFolder::DeleteInstance();
  SyncRootFolder::GetInstance()->Reload();
  EXPECT_EQ(StoredVersion(), "3|7");  // written to the root's row
  EXPECT_EQ(m_script.Ran(), (std::vector<juce::String>{"down 1 #7", "down 1 #5"}));
}

TEST_F(DownTaskManagerTest, VersionsThatAreNoNumberAreNeverStored) {
  // A folder that only the database knows is deleted with a version far out
  // of range; it must not become the root's version.
  m_manager.AddTask(MakeDownFolder(30, DOWN_OP_FOLDER_DELETE, "9999999999999999999|9999999999999999999"));
  m_manager.AddTask(MakeDownFile(31, 1, "1|abc"));
  m_manager.AddTask(MakeDownFile(32, 1, ""));
  EXPECT_EQ(m_manager.GetPendingVersions().GetVersions().size(), 0);
  while (!m_manager.AreQueuesEmpty()) m_manager.RunDownTask(DOWN_QUEUE_NORMAL);
  EXPECT_EQ(StoredVersion(), "0|0");
  juce::int64 number = 0;
  EXPECT_TRUE(PendingVersionList::ParseVersionNumber("0|9223372036854775807", number));
  EXPECT_FALSE(PendingVersionList::ParseVersionNumber("0|9223372036854775808", number));
}

TEST_F(DownTaskManagerTest, AVersionSharedByTwoTasksIsStoredWhenBothAreDone) {
  m_manager.AddTask(MakeDownFile(1, 1, "2|4"));
  m_manager.AddTask(MakeDownFile(2, 1, "2|4"));
  m_manager.RunDownTask(DOWN_QUEUE_NORMAL);
  EXPECT_EQ(StoredVersion(), "0|0");
  m_manager.RunDownTask(DOWN_QUEUE_NORMAL);
  EXPECT_EQ(StoredVersion(), "2|4");
}

// A full pull's copy (which carries no version of its own) replaces a
// listed task: the version that task held back is stored only once the copy
// is done.
TEST_F(DownTaskManagerTest, ACopyThatReplacesATaskHoldsItsVersionBackUntilItIsDone) {
  m_manager.AddTask(MakeDownFile(1, 1, "2|3"));
  m_manager.AddTask(MakeDownFile(2, 1, "2|4"));
  auto* copy = MakeDownFile(2, 1, "2|4");
  copy->m_bTracksVersion = false;
  Classified(copy);
  EXPECT_EQ(m_manager.DescribeQueue(DOWN_QUEUE_NORMAL), (Tasks{{1, 1}, {1, 2}}));
  m_manager.RunDownTask(DOWN_QUEUE_NORMAL);
  EXPECT_EQ(StoredVersion(), "2|3");
  m_manager.RunDownTask(DOWN_QUEUE_NORMAL);
  EXPECT_EQ(StoredVersion(), "2|4");
}

TEST_F(DownTaskManagerTest, TasksOfAFolderPullLeaveTheRootVersionAlone) {
  auto* folderPull = MakeDownFile(1, 1, "2|50");
  folderPull->m_bTracksVersion = false;
  m_manager.AddTask(folderPull);
  m_manager.RunDownTask(DOWN_QUEUE_NORMAL);
  EXPECT_EQ(StoredVersion(), "0|0");
}

TEST_F(DownTaskManagerTest, ResultsRemoveRetryOrMoveTheHead) {
  struct Row {
    const char* name;
    std::initializer_list<int> results;
    bool saveOnCancel;
    Tasks normalAfter;
    const char* stored;
  } rows[] = {
      {"cancelled: dropped, version forgotten", {1}, false, {{1, 2}}, "0|0"},
      {"cancelled with save-on-cancel: version advances", {1}, true, {{1, 2}}, "1|1"},
      {"failed: dropped, version stays pending", {2}, false, {{1, 2}}, "0|0"},
      {"three retries keep the head", {3, 3, 3}, false, {{1, 1}, {1, 2}}, "0|0"},
      {"the fourth retry drops it", {3, 3, 3, 3}, false, {{1, 2}}, "0|0"},
      {"a plain wait keeps the head", {4}, false, {{1, 1}, {1, 2}}, "0|0"},
  };
  for (const Row& row : rows) {
    m_manager.DropQueued();
    m_manager.ClearPendingVersions();
    SyncRootFolder::GetInstance()->SetRootFolder(m_rootPath, "0|0", SyncRootFolder::GetInstance()->GetFolderData());
    m_script.Push(row.results);
    auto* head = MakeDownFile(1, 1, "1|1");
    head->m_bSaveOnCancel = row.saveOnCancel;
    m_manager.AddTask(head);
    m_manager.AddTask(MakeDownFile(2, 1, "1|2"));
    for (size_t i = 0; i < row.results.size(); ++i) m_manager.RunDownTask(DOWN_QUEUE_NORMAL);
    EXPECT_EQ(m_manager.DescribeQueue(DOWN_QUEUE_NORMAL), row.normalAfter) << row.name;
    EXPECT_EQ(StoredVersion(), row.stored) << row.name;
  }
}

TEST_F(DownTaskManagerTest, AnOccupiedItemWaitsWithItsLaterChanges) {
  m_script.Push({4});
  m_manager.AddTask(MakeDownFile(1, 2, "1|1"));
  m_manager.AddTask(MakeDownFile(2, 2, "1|2"));
  m_manager.AddTask(MakeDownFile(1, 4, "1|3"));
  // The operation found the file held by another program.
  enginetest::SetDownFileEffect(m_dispatcher, 2, [](DownSyncTask& task) {
    task.m_nWaitState = DOWN_WAIT_OCCUPIED;
    return 4;
  });
  EXPECT_EQ(m_manager.RunDownTask(DOWN_QUEUE_NORMAL), 4);
  EXPECT_EQ(m_manager.DescribeQueue(DOWN_QUEUE_NORMAL), (Tasks{{2, 2}}));
  EXPECT_EQ(m_manager.DescribeQueue(DOWN_QUEUE_WAIT_AND_RETRY), (Tasks{{2, 1}, {4, 1}}));
}

TEST_F(DownTaskManagerTest, DownloadsThatStandTogetherRunSideBySideAndSettleInQueueOrder) {
  m_manager.SetDownloadsInFlight(3);
  m_manager.AddTask(MakeDownFile(1, DOWN_OP_FILE_ADD, "1|1", "a.txt"));
  m_manager.AddTask(MakeDownFile(2, DOWN_OP_FILE_ADD, "1|2", "b.txt"));
  m_manager.AddTask(MakeDownFile(3, DOWN_OP_FILE_ADD, "1|3", "b.txt"));  // would take the same name: waits
  m_manager.AddTask(MakeDownFile(4, DOWN_OP_FILE_ADD, "1|4", "d.txt"));
  // Each of the first two waits until the other has begun: they only finish
  // when they run at the same time.
  std::mutex lock;
  std::condition_variable begun;
  std::set<juce::int64> running;
  bool together = true;
  enginetest::SetDownFileEffect(m_dispatcher, DOWN_OP_FILE_ADD, [&](DownSyncTask& task) {
    std::unique_lock<std::mutex> hold(lock);
    running.insert(task.m_nServerID);
    begun.notify_all();
    together &= begun.wait_for(hold, std::chrono::seconds(30), [&] { return running.size() == 2; });
    return task.m_nServerID == 2 ? SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK : SYNC_RESULT_SUCCESS;
  });
  EXPECT_EQ(m_manager.RunDownTask(DOWN_QUEUE_NORMAL), SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK);
  EXPECT_TRUE(together);
  EXPECT_EQ(running, (std::set<juce::int64>{1, 2}));
  EXPECT_EQ(m_manager.DescribeQueue(DOWN_QUEUE_NORMAL), (Tasks{{1, 2}, {1, 3}, {1, 4}}));
  EXPECT_EQ(m_manager.GetPendingVersions().GetVersions(), juce::StringArray({"1|2", "1|3", "1|4"}));
}

TEST_F(DownTaskManagerTest, ATaskDroppedWhileItRunsIsFreedByItsPumpAndCancelReachesItsOperation) {
  bool sawCancel = false;
  m_script.during = [&](SyncBaseOperation& op) {
    m_manager.CancelHeads();
    sawCancel = op.m_bCancel.load();
    m_manager.DropQueued();
  };
  m_manager.AddTask(MakeDownFile(1, 1, "1|1"));
  m_manager.AddTask(MakeDownFile(2, 1, "1|2"));
  m_manager.RunDownTask(DOWN_QUEUE_NORMAL);
  EXPECT_TRUE(sawCancel);
  EXPECT_TRUE(m_manager.AreQueuesEmpty());
}

TEST_F(DownTaskManagerTest, AStopThatComesBeforeTheHeadsOperationIsMadeStillReachesIt) {
  // The stop can fall between the pump's look at the manager's flag and the
  // dispatcher's making of the operation: the operation made after it must
  // see it, or it runs (and waits) as if nothing had been said.
  DownSyncTask* head = MakeDownFile(1, 1, "1|1");
  m_manager.AddTask(head);
  m_manager.StopHeads();
  auto late = std::make_shared<enginetest::ScriptedOp>(m_script, "late");
  head->m_operation.Set(late);
  EXPECT_TRUE(late->m_bStop.load());
}

TEST_F(DownTaskManagerTest, TheVersionCheckFinishesStaleAndPresentItemsWithoutWork) {
  ASSERT_TRUE(juce::File(Local("a.txt")).replaceWithText("x"));
  SyncFileData row = FileRow(40, Local("a.txt"), 1);
  row.m_VersionValue = "1|100";
  ASSERT_TRUE(SaveSyncFileData(row));

  struct Case {
    const char* name;
    int op;
    const char* version;
    bool runs;
    juce::int64 parent = 1;
  } cases[] = {
      {"older server version: done", 2, "1|99", false},
      {"equal version, file present: done", 1, "7|100", false},
      {"equal version, deletion: runs", 3, "1|100", true},
      {"newer version: runs", 2, "1|101", true},
      // A folder's listing names a file moved out of it as deleted there.
      {"equal version, deletion in another folder: done", 3, "1|100", false, 7},
      {"newer version, deletion in another folder: runs", 3, "1|101", true, 7},
  };
  for (const Case& c : cases) {
    auto* task = MakeDownFile(40, c.op, c.version, "a.txt", c.parent);
    const size_t before = m_script.Ran().size();
    EXPECT_EQ(m_dispatcher.DispatchDownTask(*task), 0) << c.name;
    EXPECT_EQ(m_script.Ran().size() - before, c.runs ? 1u : 0u) << c.name;
    delete task;
  }
  EXPECT_EQ(SyncTaskDispatcher::CompareServerVersion("5|100", "7|100"), 0);
  EXPECT_EQ(SyncTaskDispatcher::CompareServerVersion("1|99", "1|100"), -1);
}

// A pull listed file 40 as a.txt; the user renamed it to b.txt here, and
// that rename went up (the row keeps its older version, since the service's
// content is newer). The listing's download is not made under the name the
// file left when a newer change of the service, queued behind it, places it
// at b.txt; it still is when the newer change places it elsewhere.
TEST_F(DownTaskManagerTest, AListedAdditionUnderANameTheFileLeftGivesWayToANewerChangeWhereItIs) {
  ASSERT_TRUE(juce::File(Local("b.txt")).replaceWithText("as synced"));
  SyncFileData row = FileRow(40, Local("b.txt"), 1);
  row.m_VersionValue = "1|19";
  ASSERT_TRUE(SaveSyncFileData(row));
  struct Case {
    const char* name;
    const char* newerName;
    const char* newerVersion;
    bool runs;
  } cases[] = {
      {"newer change at the name it has here: given way", "b.txt", "3|44", false},
      {"newer change elsewhere: runs", "c.txt", "3|44", true},
      {"an older change at its name: runs", "b.txt", "1|30", true},
  };
  for (const Case& c : cases) {
    auto* listed = MakeDownFile(40, DOWN_OP_FILE_ADD, "2|36", "a.txt", 1);
    m_manager.AddTask(listed);
    m_manager.AddTask(MakeDownFile(40, DOWN_OP_FILE_MODIFY, c.newerVersion, c.newerName, 1));
    const size_t before = m_script.Ran().size();
    EXPECT_EQ(m_dispatcher.DispatchDownTask(*listed), 0) << c.name;
    EXPECT_EQ(m_script.Ran().size() - before, c.runs ? 1u : 0u) << c.name;
    m_manager.DropQueued();
  }
}

TEST_F(DownTaskManagerTest, ADownItemNamedLikeTheRunningUploadWaitsAndAFileTaskWithAFolderCodeDoesNothing) {
  int downResult = -1;
  m_script.during = [&](SyncBaseOperation&) {
    m_script.during = nullptr;
    // No row and no parent row: the name alone meets the running upload.
    auto* down = MakeDownFile(50, 1, "1|1", "up.txt", 999);
    downResult = m_dispatcher.DispatchDownTask(*down);
    delete down;
  };
  auto* task = MakeUp(UP_OP_FILE_ADD, Local("up.txt"));
  EXPECT_EQ(m_dispatcher.DispatchUpTask(*task), 0);
  EXPECT_EQ(downResult, 4);
  delete task;

  auto* wrong = MakeDownFile(51, DOWN_OP_FOLDER_ADD, "1|1", "x", 999);
  EXPECT_EQ(m_dispatcher.DispatchDownTask(*wrong), 0);
  delete wrong;
  EXPECT_EQ(m_script.Ran().size(), 1u);
}

TEST_F(DownTaskManagerTest, AFolderMoveOverTheRunningUploadWaitsAndHoldsBackLaterUploads) {
  ASSERT_TRUE(juce::File(Local("moving")).createDirectory());
  ASSERT_TRUE(SaveSyncFolderData(*std::make_unique<SyncFolderData>(FolderRow(60, Local("moving"), 1))));
  int moveResult = -1;
  m_script.during = [&](SyncBaseOperation&) {
    m_script.during = nullptr;
    auto* move = MakeDownFolder(60, DOWN_OP_FOLDER_MOVE, "1|99", "moving", 1);
    moveResult = m_dispatcher.DispatchDownTask(*move);
    delete move;
  };
  auto* task = MakeUp(UP_OP_FILE_ADD, Local("moving/in.txt"));
  EXPECT_EQ(m_dispatcher.DispatchUpTask(*task), 0);
  EXPECT_EQ(moveResult, 4);
  EXPECT_EQ(m_dispatcher.GetDownMoverFolderPath(), Local("moving"));

  task->m_nWaitReason = 6;
  EXPECT_EQ(m_dispatcher.DispatchUpTask(*task), 4);
  EXPECT_EQ(task->m_nWaitReason, 0);
  delete task;

  auto* move = MakeDownFolder(60, DOWN_OP_FOLDER_MOVE, "1|99", "moving", 1);
  EXPECT_EQ(m_dispatcher.DispatchDownTask(*move), 0);  // no upload runs now
  delete move;
  EXPECT_EQ(m_dispatcher.GetDownMoverFolderPath(), "");
}

TEST_F(DownTaskManagerTest, AnItemWithoutKindOfChangeIsAddedAgainWhenItsFileIsGone) {
  SyncControllerHooks hooks;
  hooks.isPathQueued = [](const juce::String&) { return false; };
  m_dispatcher.SetControllerHooks(hooks);
  ASSERT_TRUE(SaveSyncFolderData(*std::make_unique<SyncFolderData>(FolderRow(70, Local("sub"), 1))));
  auto* other = MakeDownFile(71, DOWN_OP_FILE_OTHER, "1|3", "gone.txt", 70);
  m_manager.AddTask(other);
  EXPECT_EQ(m_manager.RunDownTask(DOWN_QUEUE_NORMAL), 3);  // the first run only retries
  EXPECT_EQ(m_manager.DescribeQueue(DOWN_QUEUE_NORMAL), (Tasks{{6, 71}}));
  EXPECT_EQ(m_manager.RunDownTask(DOWN_QUEUE_NORMAL), 0);
  EXPECT_EQ(m_manager.DescribeQueue(DOWN_QUEUE_NORMAL), (Tasks{{1, 71}}));

  ASSERT_TRUE(juce::File(Local("sub")).createDirectory());
  ASSERT_TRUE(juce::File(Local("sub/here.txt")).replaceWithText("x"));
  auto* present = MakeDownFile(72, DOWN_OP_FILE_OTHER, "1|4", "here.txt", 70);
  EXPECT_EQ(m_dispatcher.DispatchDownTask(*present), 0);
  delete present;
  SyncFileData row;
  EXPECT_TRUE(SyncFileDataManager::SelectSyncFileData(Local("sub/here.txt"), row));
  EXPECT_EQ(row.m_FileID, 72);

  auto* nowhere = MakeDownFile(73, DOWN_OP_FILE_OTHER, "1|5", "x.txt", 999);
  EXPECT_EQ(m_dispatcher.DispatchDownTask(*nowhere), 1);
  EXPECT_TRUE(nowhere->m_bSaveOnCancel.load());
  delete nowhere;
}

}  // namespace

namespace {

using enginetest::MakeDownFile;

class DownTransferListTest : public enginetest::TaskTest {
 protected:
  SyncDownTaskManager m_manager{&m_dispatcher};
};

TEST_F(DownTransferListTest, NewContentIsCountedInTransferUntilItsTaskLeaves) {
  SyncFileData row = FileRow(80, Local("same.txt"), 1);
  row.m_VersionValue = "1|80";
  ASSERT_TRUE(SaveSyncFileData(row));
  auto task = [](juce::int64 id, const juce::String& version, int size) {
    DownSyncTask* t = MakeDownFile(id, DOWN_OP_FILE_ADD, version);
    t->m_pFileData->m_FileSize = size;
    return t;
  };
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  m_manager.AddTask(task(80, "1|80", 100));  // the row has this version: nothing to fetch
  m_manager.AddTask(task(81, "1|81", 0));    // empty: nothing to fetch
  EXPECT_EQ(tracker->GetDownFigures().fileCount, 0);
  m_manager.AddTask(task(82, "1|82", 100));
  EXPECT_EQ(tracker->GetDownFigures().fileCount, 1);
  m_manager.DropQueued();
  EXPECT_EQ(tracker->GetDownFigures().fileCount, 0);

  // Producers' entry points queue behind the head without classification.
  m_manager.AddTask(task(90, "1|90", 1));
  SyncFolderData folder = FolderRow(91, Local("new"), 1);
  m_manager.QueueServerFolderAdd(folder, 91, 1);
  m_manager.QueueServerFileAdd(*std::make_unique<SyncFileData>(FileRow(92, Local("new/f"), 91)), 92, 91);
  EXPECT_EQ(m_manager.DescribeQueue(DOWN_QUEUE_NORMAL),
            (std::vector<std::pair<int, juce::int64>>{{1, 90}, {1, 92}, {7, 91}}));
}

}  // namespace
