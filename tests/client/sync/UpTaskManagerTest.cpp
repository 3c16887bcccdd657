// The up task manager: classification and pruning as tables, placement,
// results, parent-folder creation, waiting and failure, with scripted
// operations registered in a real dispatcher.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "TaskTestSupport.h"
#include "client/core/account/AccountData.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/registry/NameConflictRegistry.h"
#include "client/sync/tasks/SyncUpTaskManager.h"

namespace {

using enginetest::EngineTest;
using enginetest::MakeUp;
using Tasks = std::vector<std::pair<int, juce::String>>;

class UpTaskManagerTest : public enginetest::TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
  }
  void TearDown() override {
    TaskTest::TearDown();
  }
  // A change as the file-event filter queues it.
  void Change(int op, const std::string& path, const std::string& src = {}) {
    UpSyncTask* task = MakeUp(op, P(path), src.empty() ? juce::String() : P(src));
    m_manager.ClassifyTask(task);
    m_manager.AddTask(task);
  }
  juce::String P(const std::string& relative) { return m_rootPath + "/" + juce::String(relative); }
  Tasks Files() { return m_manager.DescribeQueue(UP_QUEUE_FILE_AND_DEPEND); }
  Tasks Folders() { return m_manager.DescribeQueue(UP_QUEUE_NO_DEPEND); }
  Tasks Waiting() { return m_manager.DescribeQueue(UP_QUEUE_WAIT_AND_DEPEND); }

  SyncUpTaskManager m_manager{&m_dispatcher};
};

TEST_F(UpTaskManagerTest, FileChangesPruneOlderChangesOfTheSamePathButNeverTheHead) {
  struct Row {
    const char* name;
    std::vector<std::tuple<int, std::string, std::string>> changes;
    Tasks expected;
  };
  const std::vector<Row> rows = {
      {"a new add of a queued add or modify leaves the newest",
       {{1, "h", ""}, {1, "a", ""}, {5, "a", ""}, {1, "a", ""}},
       {{1, P("h")}, {1, P("a")}}},
      {"the head is never pruned",
       {{1, "a", ""}, {5, "a", ""}},
       {{1, P("a")}, {5, P("a")}}},
      {"a modify that replaces a pending add stays an add",
       {{1, "h", ""}, {1, "a", ""}, {5, "a", ""}},
       {{1, P("h")}, {1, P("a")}}},
      {"a delete drops the queued uploads and deletes of the path",
       {{1, "h", ""}, {1, "a", ""}, {3, "a", ""}, {5, "b", ""}, {3, "a", ""}},
       {{1, P("h")}, {5, P("b")}, {3, P("a")}}},
      {"a rename of a queued add renames the add",
       {{1, "h", ""}, {1, "a", ""}, {4, "b", "a"}},
       {{1, P("h")}, {1, P("b")}}},
      {"two renames become one from the first name",
       {{1, "h", ""}, {4, "b", "a"}, {4, "c", "b"}},
       {{1, P("h")}, {4, P("c")}}},
      {"a move of a queued add moves the add",
       {{1, "h", ""}, {1, "x/a", ""}, {2, "y/a", "x/a"}},
       {{1, P("h")}, {1, P("y/a")}}},
      {"a move drops a queued delete of its target",
       {{1, "h", ""}, {3, "y/a", ""}, {2, "y/a", "x/a"}},
       {{1, P("h")}, {2, P("y/a")}}},
      {"a rename over a new file drops the file's add",
       {{1, "h", ""}, {1, "a", ""}, {4, "a", "s"}},
       {{1, P("h")}, {4, P("a")}}},
      {"so does a move",
       {{1, "h", ""}, {1, "y/a", ""}, {2, "y/a", "x/a"}},
       {{1, P("h")}, {2, P("y/a")}}},
      {"a new file that left its name before is kept",
       {{1, "h", ""}, {1, "a", ""}, {4, "b", "a"}, {4, "a", "s"}},
       {{1, P("h")}, {1, P("b")}, {4, P("a")}}},
  };
  for (const Row& row : rows) {
    SyncUpTaskManager manager(&m_dispatcher);
    for (const auto& [op, path, src] : row.changes) {
      UpSyncTask* task = MakeUp(op, P(path), src.empty() ? juce::String() : P(src));
      manager.ClassifyTask(task);
      manager.AddTask(task);
    }
    EXPECT_EQ(manager.DescribeQueue(UP_QUEUE_FILE_AND_DEPEND), row.expected) << row.name;
  }
}

// A stored file saved anew (an add or a change queued) and renamed or moved
// before the upload ran: the rename or move itself goes up (it brings the
// new content after it), never an upload of a new file under the new name.
TEST_F(UpTaskManagerTest, ARelocationOfAStoredFileWithAQueuedUploadStaysARelocation) {
  const std::vector<std::tuple<int, int, std::string>> cases = {
      {UP_OP_FILE_ADD, UP_OP_FILE_RENAME, "b"},
      {UP_OP_FILE_MODIFY, UP_OP_FILE_RENAME, "b"},
      {UP_OP_FILE_ADD, UP_OP_FILE_MOVE, "d/a"},
  };
  for (const auto& [transfer, relocation, target] : cases) {
    SyncUpTaskManager manager(&m_dispatcher);
    for (UpSyncTask* task : {MakeUp(UP_OP_FILE_ADD, P("h")), MakeUp(transfer, P("a")), MakeUp(relocation, P(target), P("a"))}) {
      if (task->m_sSrcPath == P("a")) task->m_nID = task->m_nSrcID = 9;  // stored
      manager.ClassifyTask(task);
      manager.AddTask(task);
    }
    EXPECT_EQ(manager.DescribeQueue(UP_QUEUE_FILE_AND_DEPEND), (Tasks{{1, P("h")}, {relocation, P(target)}}))
        << transfer << " then " << relocation;
  }
}

// A stored file moved with new content, then renamed in its new folder before
// anything went up: the rename follows the move (and brings the content after
// it); folded into the content's upload, the file would go up a second time.
TEST_F(UpTaskManagerTest, ARenameRightAfterAMoveOfAStoredFileStaysARename) {
  Change(1, "h");
  UpSyncTask* move = MakeUp(UP_OP_FILE_MOVE, P("d/a"), P("a"));
  move->m_nSrcID = 9;  // stored
  m_manager.ClassifyTask(move);
  m_manager.AddTask(move);
  Change(5, "d/a");
  Change(4, "d/b", "d/a");
  EXPECT_EQ(Files(), (Tasks{{1, P("h")}, {2, P("d/a")}, {4, P("d/b")}}));
}

TEST_F(UpTaskManagerTest, TheSecondRenameKeepsTheFirstSourcePath) {
  Change(1, "h");
  Change(4, "b", "a");
  Change(4, "c", "b");
  int isFile = 0;
  EXPECT_TRUE(m_manager.FindTaskByPath(P("a"), isFile));  // the merged rename's source
  EXPECT_FALSE(m_manager.FindTaskByPath(P("b"), isFile));
  EXPECT_EQ(isFile, 0);
}

TEST_F(UpTaskManagerTest, AFolderDeleteDropsTheQueuedChangesBelowIt) {
  Change(6, "keep");           // head of no-depend
  Change(6, "d/sub");
  Change(8, "d/new", "d/old");
  Change(6, "other");
  Change(1, "h");              // head of file-and-depend
  Change(1, "d/f1");
  Change(5, "dx/f2");          // a look-alike sibling stays
  Change(2, "e/f3", "d/f3");   // a move out of the folder stays, and goes first
  Change(7, "d");
  EXPECT_EQ(Folders(), (Tasks{{6, P("keep")}, {6, P("other")}}));
  EXPECT_EQ(Files(), (Tasks{{1, P("h")}, {5, P("dx/f2")}, {2, P("e/f3")}, {7, P("d")}}));

  // Without moves out, the deletion is folder work.
  Change(7, "x");
  EXPECT_EQ(Folders(), (Tasks{{6, P("keep")}, {6, P("other")}, {7, P("x")}}));
}

TEST_F(UpTaskManagerTest, AFolderDeleteBehindMovesOutOfItRunsAloneAfterThem) {
  m_manager.SetUploadsInFlight(3);
  Change(2, "e/f1", "d/f1");
  Change(2, "e/f2", "d/f2");
  Change(7, "d");
  Change(1, "later");
  m_script.Push({0, 0, 0, 0});
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 0);
  EXPECT_EQ(Files(), (Tasks{{7, P("d")}, {1, P("later")}}));
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 0);
  EXPECT_EQ(Files(), (Tasks{{1, P("later")}}));
}

TEST_F(UpTaskManagerTest, AFileMovedIntoAFolderThatGoesIsRemovedFromItsOldPlace) {
  // The move itself has nowhere to go; the file must still leave its old
  // place on the service, head or not.
  for (const bool atHead : {false, true}) {
    SCOPED_TRACE(atHead);
    SyncUpTaskManager manager{&m_dispatcher};
    auto change = [&](int op, const std::string& path, const std::string& src = {}) {
      UpSyncTask* task = MakeUp(op, P(path), src.empty() ? juce::String() : P(src));
      manager.ClassifyTask(task);
      manager.AddTask(task);
    };
    Tasks expected;
    if (!atHead) {
      change(1, "h");
      expected.push_back({1, P("h")});
    }
    change(2, "d/in.txt", "in.txt");
    change(2, "d/sub/x.txt", "d/x.txt");  // moved within: goes with the folder
    change(7, "d");
    expected.push_back({3, P("in.txt")});
    EXPECT_EQ(manager.DescribeQueue(UP_QUEUE_FILE_AND_DEPEND), expected);
  }
}

TEST_F(UpTaskManagerTest, AFolderDeleteCancelsTheFileHeadBelowIt) {
  Change(1, "d/running");
  Change(7, "d");
  int isFile = 0;
  ASSERT_TRUE(m_manager.FindTaskByPath(P("d/running"), isFile));
  m_script.Push({0});
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 4);  // folder work first
  EXPECT_EQ(m_manager.RunNotDepandUpTask(), 0);
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 1);  // the cancelled head ends without running
  EXPECT_TRUE(m_manager.AreQueuesEmpty());
}

TEST_F(UpTaskManagerTest, AFolderRenameRewritesTheQueuedFilePaths) {
  Change(1, "h");
  Change(1, "old/a");
  Change(3, "old/b");
  Change(4, "old/d", "old/c");
  Change(2, "elsewhere/e", "old/e");
  Change(1, "older/f");  // a look-alike sibling
  Change(8, "new", "old");
  EXPECT_EQ(Files(), (Tasks{{1, P("h")}, {1, P("new/a")}, {3, P("new/b")}, {4, P("new/d")}, {2, P("elsewhere/e")},
                            {1, P("older/f")}}));
  int isFile = 0;
  EXPECT_TRUE(m_manager.FindTaskByPath(P("new/c"), isFile));
  EXPECT_TRUE(m_manager.FindTaskByPath(P("new/e"), isFile));
}

TEST_F(UpTaskManagerTest, AChangeOfAWaitingPathWaitsToo) {
  auto* waiting0 = MakeUp(1, P("w0"));
  waiting0->m_nQueue = UP_QUEUE_WAIT_AND_DEPEND;
  m_manager.AddTask(waiting0);
  auto* waiting = MakeUp(1, P("w"));
  waiting->m_nQueue = UP_QUEUE_WAIT_AND_DEPEND;
  m_manager.AddTask(waiting);
  Change(5, "w");
  Change(4, "v", "w");
  Change(6, "w");  // a folder add never waits
  Change(5, "w0");  // the wait queue's head is not compared
  EXPECT_EQ(Waiting(), (Tasks{{1, P("w0")}, {1, P("w")}, {5, P("w")}, {4, P("v")}}));
  EXPECT_EQ(Folders(), (Tasks{{6, P("w")}}));
  EXPECT_EQ(Files(), (Tasks{{5, P("w0")}}));
}

TEST_F(UpTaskManagerTest, PlacementBehindTheHeadAndAtTheFront) {
  Change(1, "a");
  Change(1, "b");
  auto* behind = MakeUp(1, P("c"));
  behind->m_nQueue = UP_QUEUE_FILE_AND_DEPEND;
  behind->m_nPlacement = PLACE_BEHIND_HEAD;
  m_manager.AddTask(behind);
  auto* front = MakeUp(3, P("d"));
  front->m_nQueue = UP_QUEUE_FILE_AND_DEPEND;
  front->m_nPlacement = PLACE_FRONT;
  m_manager.AddTask(front);
  m_manager.AddTask(MakeUp(0, P("none")));
  EXPECT_EQ(Files(), (Tasks{{3, P("d")}, {1, P("a")}, {1, P("c")}, {1, P("b")}}));
}

TEST_F(UpTaskManagerTest, RetriesKeepTheHeadThreeTimesThenItFailsAndIsReported) {
  Change(1, "a");
  Change(1, "b");
  m_script.Push({3, 3, 3, 3});
  for (int run = 0; run < 3; ++run) EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 3);
  EXPECT_EQ(Files().front().second, P("a"));
  EXPECT_TRUE(m_sink.PathStates().empty());
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 3);
  EXPECT_EQ(Files(), (Tasks{{1, P("b")}}));
  EXPECT_EQ(m_sink.PathStates(), (std::vector<std::pair<juce::String, int>>{{P("a"), SYNC_PATH_FAILED}}));

  m_script.Push({2});
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 2);
  EXPECT_TRUE(m_manager.AreQueuesEmpty());
  EXPECT_EQ(m_sink.PathStates().size(), 2u);
}

TEST_F(UpTaskManagerTest, FilesWaitForFolderWorkAndForTheFiltersHold) {
  Change(6, "d");
  Change(1, "d/a");
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 4);
  m_manager.SetBusyState(SyncUpTaskManager::BUSY_HOLD);
  EXPECT_EQ(m_manager.RunNotDepandUpTask(), 4);
  m_manager.SetBusyState(SyncUpTaskManager::BUSY_IDLE);
  EXPECT_EQ(m_manager.RunNotDepandUpTask(), 0);
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 0);
  EXPECT_EQ(m_script.Ran(), (std::vector<juce::String>{"up 6 " + P("d"), "up 1 " + P("d/a")}));
}

TEST_F(UpTaskManagerTest, AFileWhoseParentsHaveNoIdGetsFolderAddsOutermostFirst) {
  ASSERT_TRUE(juce::File(P("x/y/z")).createDirectory());
  Change(1, "x/y/z/f.txt");
  enginetest::SetUpFileEffect(m_dispatcher, 1, [](UpSyncTask& task) {
    task.m_nWaitReason = UP_WAIT_NO_PARENT_ID;
    return 4;
  });
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 4);
  EXPECT_EQ(Files(), (Tasks{{6, P("x")}, {6, P("x/y")}, {6, P("x/y/z")}, {1, P("x/y/z/f.txt")}}));

  // A parent that is gone drops the task.
  Change(1, "gone/f.txt");
  SyncUpTaskManager other(&m_dispatcher);
  UpSyncTask* task = MakeUp(1, P("gone/f.txt"));
  task->m_nQueue = UP_QUEUE_FILE_AND_DEPEND;
  other.AddTask(task);
  EXPECT_EQ(other.RunUpFileAndDepandUpTask(), 4);
  EXPECT_TRUE(other.AreQueuesEmpty());
}

// A folder made in a folder and the folder's rename, reported in that order:
// the new folder's parent has a row only once the rename is up. Made anew
// instead, it would be a second folder of that name on the service.
TEST_F(UpTaskManagerTest, AFolderWhoseParentsRenameIsQueuedWaitsBehindTheRename) {
  ASSERT_TRUE(juce::File(P("new/R")).createDirectory());
  Change(6, "new/R");
  Change(8, "new", "old");
  Change(6, "other");
  m_dispatcher.GetOperationTable().SetUpFolderOp(6, [](UpSyncFolder& item) {
    return std::make_shared<enginetest::EffectOp<UpSyncTask>>(item.m_pTask, [](UpSyncTask& task) {
      task.m_nWaitReason = UP_WAIT_NO_PARENT_ID;
      return 4;
    });
  });
  EXPECT_EQ(m_manager.RunNotDepandUpTask(), 4);
  EXPECT_EQ(Folders(), (Tasks{{8, P("new")}, {6, P("new/R")}, {6, P("other")}}));
}

TEST_F(UpTaskManagerTest, ANameConflictMovesTheTaskAndItsLaterChangesToTheWaitQueue) {
  Change(1, "h");
  Change(1, "c");
  Change(5, "other");
  auto* later = MakeUp(5, P("c"));
  later->m_nQueue = UP_QUEUE_FILE_AND_DEPEND;
  m_manager.AddTask(later);  // behind the head, unpruned
  m_manager.RunUpFileAndDepandUpTask();  // "h" done
  enginetest::SetUpFileEffect(m_dispatcher, 1, [](UpSyncTask& task) {
    task.m_nWaitReason = UP_WAIT_NAME_CONFLICT;
    return 4;
  });
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 4);
  EXPECT_EQ(Waiting(), (Tasks{{1, P("c")}, {5, P("c")}}));
  EXPECT_EQ(Files(), (Tasks{{5, P("other")}}));
  // The registry finds the file gone: the wait ends as cancelled instead of
  // coming back to the head at once, for ever.
  NameConflictEntry entry;
  entry.m_sOldPath = P("c");
  entry.m_sNewPath = P("c (1)");
  entry.m_nOp = 1;
  entry.m_nNotified = 1;
  NameConflictRegistry::GetInstance()->Record(P("c"), entry);
  EXPECT_EQ(m_manager.RunWaitAndDepandUpTask(), 1);
  EXPECT_EQ(Waiting(), (Tasks{{5, P("c")}}));
}

TEST_F(UpTaskManagerTest, ASuccessfulRenameGivesLaterTasksTheNewName) {
  Change(6, "d");
  Change(6, "d");
  m_dispatcher.GetOperationTable().SetUpFolderOp(6, [this](UpSyncFolder& item) {
    m_dispatcher.GetOperationTable().SetUpFolderOp(6, {});
    struct Renamed : SyncBaseOperation {
      UpSyncTask* task;
      juce::String newName;
      Renamed(UpSyncTask* t, juce::String n) : task(t), newName(std::move(n)) {}
      int Execute_SyncOperation() override { return 0; }
      int Success_SyncOperation() override {
        task->m_bRenamePending = 1;
        task->m_sNewName = newName;
        return 0;
      }
    };
    return std::make_shared<Renamed>(item.m_pTask, P("d (1)"));
  });
  EXPECT_EQ(m_manager.RunNotDepandUpTask(), 0);
  EXPECT_EQ(Folders(), (Tasks{{6, P("d (1)")}}));
}

TEST_F(UpTaskManagerTest, AFailureTooDeepDropsTheQueuedTasksAtThatDepth) {
  UserConfigInfo config;
  config.UC_DirDepthLimit = 3;
  GetAccountData()->SetUserConfig(config);
  Change(1, "a/b/deep.txt");
  Change(1, "a/b/c/deeper.txt");
  Change(1, "a/shallow.txt");
  enginetest::SetUpFileEffect(m_dispatcher, 1, [](UpSyncTask& task) {
    task.m_nDepthFlag = 1;
    return 2;
  });
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 2);
  EXPECT_EQ(Files(), (Tasks{{1, P("a/shallow.txt")}}));
  EXPECT_EQ(m_sink.PathStates().size(), 2u);
}

TEST_F(UpTaskManagerTest, CancelAndPauseReachTheRunningHeadsOperation) {
  Change(1, "a");
  bool cancelled = false, paused = false;
  m_script.during = [&](SyncBaseOperation& op) {
    m_manager.Disable();
    paused = !op.m_bRunning.load();
    m_manager.Enable();
    m_manager.CancelHeads();
    cancelled = op.m_bCancel.load();
    m_manager.RemoveAllButHeads();
  };
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 1);  // the template sees the cancel
  EXPECT_TRUE(paused);
  EXPECT_TRUE(cancelled);
  EXPECT_TRUE(m_manager.AreQueuesEmpty());
}

// File changes at the head run side by side; one that names a path of a
// change before it waits for it, and so does everything behind it; a change
// of a running upload's path is queued behind it, never folded into it.
TEST_F(UpTaskManagerTest, ChangesAtTheHeadRunTogetherUntilOneDependsOnAnother) {
  m_manager.SetUploadsInFlight(3);
  Change(1, "a");
  Change(5, "x");
  Change(4, "b", "a");  // the head's add is never folded: the rename stays
  Change(1, "d");
  std::mutex lock;
  std::condition_variable begun;
  int running = 0;
  bool changedWhileRunning = false;
  m_script.during = [&](SyncBaseOperation&) {
    std::unique_lock<std::mutex> hold(lock);
    ++running;
    begun.notify_all();
    // The first two wait for each other: run one after the other, neither
    // would ever see the other begin.
    const bool together = begun.wait_for(hold, std::chrono::seconds(20), [&] { return running >= 2; });
    EXPECT_TRUE(together) << "the changes at the head ran one after the other";
    if (!changedWhileRunning) {
      changedWhileRunning = true;
      hold.unlock();
      Change(5, "a");
    }
  };
  auto ranSorted = [&](size_t from) {
    std::vector<juce::String> ran = m_script.Ran();
    std::vector<juce::String> part(ran.begin() + static_cast<long>(std::min(from, ran.size())), ran.end());
    std::sort(part.begin(), part.end());
    return part;
  };
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 0);
  EXPECT_EQ(ranSorted(0), (std::vector<juce::String>{"up 1 " + P("a"), "up 5 " + P("x")}));
  EXPECT_EQ(Files(), (Tasks{{4, P("b")}, {1, P("d")}, {5, P("a")}})) << "the change of a running upload was kept";

  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 0);
  EXPECT_EQ(ranSorted(2), (std::vector<juce::String>{"up 1 " + P("d"), "up 4 " + P("b")}))
      << "the modify of the rename's source waits for the rename";
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 0);
  EXPECT_EQ(m_script.Ran().back(), "up 5 " + P("a"));
  EXPECT_TRUE(m_manager.AreQueuesEmpty());
}

// A folder's listing reported a file the user had just renamed there, ahead of
// the rename itself: the head's add of it is dropped when the rename stands
// behind it, unless the file left the name first.
TEST_F(UpTaskManagerTest, AHeadAddThatARenameReplacedNeverRuns) {
  Change(1, "a");
  Change(4, "a", "s");
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 0);
  EXPECT_EQ(m_script.Ran(), (std::vector<juce::String>{"up 4 " + P("a")}));
  EXPECT_TRUE(m_manager.AreQueuesEmpty());

  Change(1, "c");
  Change(4, "d", "c");
  Change(4, "c", "t");
  EXPECT_EQ(m_manager.RunUpFileAndDepandUpTask(), 0);
  EXPECT_EQ(m_script.Ran().back(), "up 1 " + P("c"));
}

TEST_F(UpTaskManagerTest, AnUpTaskOutsideTheRootIsCancelled) {
  UpSyncTask* task = MakeUp(1, "/elsewhere/a", "/elsewhere/a");
  EXPECT_EQ(m_dispatcher.DispatchUpTask(*task), 1);
  delete task;
  EXPECT_TRUE(m_script.Ran().empty());
}

}  // namespace

namespace {

TEST_F(UpTaskManagerTest, TheDownSideQueuesLocalAdditionsBehindTheHeads) {
  ASSERT_TRUE(juce::File(P("got/f.txt")).create());
  ASSERT_TRUE(juce::File(P("got/f.txt")).replaceWithText("abc"));
  Change(1, "h");
  m_manager.QueueLocalFileAdd(P("got/f.txt"));
  m_manager.QueueLocalFolderAdd(P("got"));
  EXPECT_EQ(Files(), (Tasks{{1, P("h")}, {1, P("got/f.txt")}}));
  EXPECT_EQ(Folders(), (Tasks{{6, P("got")}}));
  int isFile = 0;
  EXPECT_TRUE(m_manager.FindTaskByPath(P("got/f.txt"), isFile));
  EXPECT_EQ(isFile, 1);
  EXPECT_TRUE(m_manager.FindTaskByPath(P("got"), isFile));
  EXPECT_EQ(isFile, 0);
}

}  // namespace
