// The pumps on their own threads against the process clock of the test:
// started paused, run when released, wait by the result, probe while offline,
// stop when told, and block while idle until work arrives. Nothing here
// sleeps: the tests wait for the pump to be in a wait of a known length, then
// move the clock or signal. The idle waits are made endless, so that work a
// pump was not woken for is never done.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>

#include "TaskTestSupport.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/LocalNetErrorManager.h"
#include "client/sync/pumps/DownTaskPumps.h"
#include "client/sync/pumps/UpTaskPumps.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/SyncDownTaskManager.h"
#include "client/sync/tasks/SyncUpTaskManager.h"
#include "win32/ManualClock.h"

namespace {

using enginetest::EngineTest;

class PumpTest : public enginetest::TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    LocalNetErrorManager::DeleteInstance();
    LocalNetErrorManager::GetInstance()->SetProbe([this] {
      ++m_probes;
      return m_reachable.load();
    });
    SyncControllerHooks hooks;
    hooks.isPathQueued = [](const juce::String&) { return false; };
    hooks.updateFromServerWhenUpIdle = [this] { ++m_idlePulls; };
    hooks.hasQueuedServerVersions = [] { return false; };
    m_dispatcher.SetControllerHooks(hooks);
  }
  void TearDown() override {
    LocalNetErrorManager::DeleteInstance();
    TaskTest::TearDown();
  }
  // Waits until the pump has begun its next wait and, for a timed one, that
  // `waiters` waits are on the clock; returns the wait's length.
  DWORD NextWait(SyncTaskPump& pump, size_t waiters = 1) {
    const DWORD ms = pump.WaitForWaitNumber(++m_waitsSeen[&pump], 20000);
    if (ms != INFINITE) m_clock.WaitForWaiters(waiters);
    return ms;
  }
  // A pump whose idle wait only work ends.
  template <typename Pump, typename Manager>
  std::unique_ptr<Pump> Make(Manager& manager, bool paused = false) {
    auto pump = std::make_unique<Pump>("TestPump", &manager);
    pump->SetIdleWaitMs(INFINITE);
    pump->m_bPaused = paused;
    pump->startThread();
    return pump;
  }
  // Until the pump is in a wait of `ms` (by default its idle wait, having
  // looked at its queues).
  static bool WaitUntilIdle(SyncTaskPump& pump, DWORD ms = INFINITE) {
    for (int turns = 0; turns < 1000; ++turns) {
      const juce::uint64 seen = pump.GetWaitCount();
      if (pump.GetCurrentWaitMs() == ms) return true;
      pump.WaitForWaitNumber(seen + 1, 20000);
      if (pump.GetWaitCount() == seen) return false;
    }
    return false;
  }
  void QueueUp(int op, const juce::String& relative) {
    UpSyncTask* task = enginetest::MakeUp(op, m_rootPath + "/" + relative);
    m_up.ClassifyTask(task);
    m_up.AddTask(task);
  }

  win32::ManualClock m_clock;
  win32::ScopedClock m_useClock{m_clock};
  SyncUpTaskManager m_up{&m_dispatcher};
  SyncDownTaskManager m_down{&m_dispatcher};
  std::atomic<int> m_probes{0};
  std::atomic<bool> m_reachable{true};
  std::atomic<int> m_idlePulls{0};
  std::map<SyncTaskPump*, juce::uint64> m_waitsSeen;
};

// Moves the clock through the pumps' timed waits (a turn after draining, a
// result's wait) until each of them waits for work only.
bool SettleAll(win32::ManualClock& clock, const std::vector<std::unique_ptr<SyncTaskPump>>& pumps) {
  for (int turn = 0; turn < 1000; ++turn) {
    bool idle = true;
    for (const auto& pump : pumps) {
      const juce::uint64 seen = pump->GetWaitCount();
      const DWORD ms = pump->GetCurrentWaitMs();
      if (ms == INFINITE) continue;
      idle = false;
      if (ms != 0) clock.Advance(ms);
      pump->WaitForWaitNumber(seen + 1, 50);
    }
    if (idle) return true;
  }
  return false;
}

TEST_F(PumpTest, APausedPumpRunsNothingUntilReleasedAndWaitsByTheResult) {
  QueueUp(UP_OP_FILE_ADD, "a");
  m_script.Push({4, 3, 0});
  auto pump = Make<UpFileAndDepandTaskPump>(m_up, true);
  EXPECT_EQ(NextWait(*pump), INFINITE);  // paused: only a signal ends the wait
  EXPECT_TRUE(m_script.Ran().empty());

  pump->m_bPaused = false;
  pump->Wake();
  EXPECT_EQ(NextWait(*pump), 3000u);  // 4: wait and run again
  EXPECT_EQ(m_script.Ran().size(), 1u);
  QueueUp(UP_OP_FILE_ADD, "b");  // new work does not cut a result's wait short
  m_clock.Advance(2999);
  m_clock.Advance(1);
  EXPECT_EQ(NextWait(*pump), 5000u);  // 3: retry later
  EXPECT_EQ(m_script.Ran().size(), 2u);
  pump->Wake();  // a signal ends the wait at once
  EXPECT_TRUE(m_script.WaitForRuns(4));  // "a", then "b"
  ASSERT_TRUE(WaitUntilIdle(*pump, 1000));  // done, every up queue empty: one turn
  m_clock.WaitForWaiters(1);
  m_clock.Advance(1000);
  EXPECT_TRUE(WaitUntilIdle(*pump));  // then nothing but waiting for work
  EXPECT_TRUE(m_up.AreQueuesEmpty());
  EXPECT_TRUE(pump->Stop(10000));
}

TEST_F(PumpTest, WhileOfflineTheNoDependPumpProbesEachTurnAndTheFilePumpIdles) {
  QueueUp(UP_OP_FILE_ADD, "f");
  m_reachable = false;
  LocalNetErrorManager::GetInstance()->SetOnline(false);
  auto folders = Make<UpNoDepandTaskPump>(m_up);
  auto files = Make<UpFileAndDepandTaskPump>(m_up);
  EXPECT_EQ(NextWait(*folders), 1000u);
  EXPECT_TRUE(WaitUntilIdle(*files));
  EXPECT_EQ(m_probes.load(), 1);
  m_clock.Advance(1000);
  EXPECT_EQ(NextWait(*folders), 1000u);
  EXPECT_EQ(m_probes.load(), 2);
  EXPECT_TRUE(m_script.Ran().empty());

  m_reachable = true;  // the next probe brings the engine back
  GetSyncStatusTracker()->m_nNetState = SyncStatusTracker::NET_LOCAL_DOWN;
  m_clock.Advance(1000);
  EXPECT_EQ(NextWait(*folders), 1000u);
  EXPECT_TRUE(LocalNetErrorManager::GetInstance()->IsOnline());
  EXPECT_EQ(GetSyncStatusTracker()->m_nNetState.load(), SyncStatusTracker::NET_ONLINE);
  m_clock.Advance(1000);
  EXPECT_TRUE(m_script.WaitForRuns(1));  // the idle file pump was woken
  EXPECT_TRUE(folders->Stop(10000));
  EXPECT_TRUE(files->Stop(10000));
}

// The engine goes offline on another thread (a pull of the filter, the
// link): the idle no-depend pump wakes to probe; the link's answer brings it
// back, and the file pump, idle while offline, runs what waited.
TEST_F(PumpTest, TheOnlineStateWakesTheIdleUpPumps) {
  m_reachable = false;
  auto folders = Make<UpNoDepandTaskPump>(m_up);
  auto files = Make<UpFileAndDepandTaskPump>(m_up);
  ASSERT_TRUE(WaitUntilIdle(*folders));
  ASSERT_TRUE(WaitUntilIdle(*files));
  LocalNetErrorManager::GetInstance()->SetOnline(false);
  ASSERT_TRUE(WaitUntilIdle(*folders, 1000));
  EXPECT_EQ(m_probes.load(), 1);
  QueueUp(UP_OP_FILE_ADD, "f");
  ASSERT_TRUE(WaitUntilIdle(*files));
  EXPECT_TRUE(m_script.Ran().empty());
  LocalNetErrorManager::GetInstance()->SetOnline(true);
  EXPECT_TRUE(m_script.WaitForRuns(1));
  EXPECT_TRUE(folders->Stop(10000));
  EXPECT_TRUE(files->Stop(10000));
}

// A run that could not begin (folder changes go first; the file-event filter
// holds the queues while it translates) goes as soon as what held it back
// ends, not a result's wait later: the clock never moves here.
TEST_F(PumpTest, ARunHeldBackGoesAsSoonAsWhatHeldItEnds) {
  QueueUp(UP_OP_FOLDER_ADD, "d");
  QueueUp(UP_OP_FILE_ADD, "d/f");
  auto files = Make<UpFileAndDepandTaskPump>(m_up);
  ASSERT_TRUE(WaitUntilIdle(*files, 3000));
  EXPECT_TRUE(m_script.Ran().empty());
  auto folders = Make<UpNoDepandTaskPump>(m_up);
  ASSERT_TRUE(m_script.WaitForRuns(2));  // the folder, then its file
  EXPECT_TRUE(m_script.Ran()[0].endsWith("/d"));
  EXPECT_TRUE(folders->Stop(10000));
  EXPECT_TRUE(files->Stop(10000));

  ASSERT_TRUE(m_up.TryHold());
  QueueUp(UP_OP_FILE_ADD, "g");
  auto held = Make<UpFileAndDepandTaskPump>(m_up);
  ASSERT_TRUE(WaitUntilIdle(*held, 3000));
  EXPECT_EQ(m_script.Ran().size(), 2u);
  m_up.EndHold();
  EXPECT_TRUE(m_script.WaitForRuns(3));
  EXPECT_TRUE(held->Stop(10000));
}

TEST_F(PumpTest, DrainedUploadsAskForOnePullAfterATurn) {
  QueueUp(UP_OP_FOLDER_ADD, "d");
  auto pump = Make<UpNoDepandTaskPump>(m_up);
  EXPECT_EQ(NextWait(*pump), 1000u);
  EXPECT_EQ(m_script.Ran().size(), 1u);
  EXPECT_EQ(m_idlePulls.load(), 0);
  m_clock.Advance(1000);
  EXPECT_EQ(NextWait(*pump), INFINITE);  // the empty queue: waiting for work
  EXPECT_EQ(m_idlePulls.load(), 1);
  EXPECT_TRUE(pump->Stop(10000));
}

TEST_F(PumpTest, DownPumpsRunWhileOfflineAndStopFromTheirIdleWait) {
  LocalNetErrorManager::GetInstance()->SetOnline(false);
  m_down.AddTask(enginetest::MakeDownFile(5, DOWN_OP_FILE_ADD, "1|5"));
  auto normal = Make<DownNormalTaskPump>(m_down);
  auto retry = Make<DownWaitAndRetryTaskPump>(m_down);
  ASSERT_TRUE(m_script.WaitForRuns(1));
  EXPECT_TRUE(WaitUntilIdle(*normal));
  EXPECT_TRUE(WaitUntilIdle(*retry));
  EXPECT_TRUE(normal->Stop(10000));
  EXPECT_TRUE(retry->Stop(10000));
  EXPECT_EQ(SyncRootFolder::GetInstance()->GetGlobalVersion(), "1|5");
}

TEST_F(PumpTest, TheNormalDownPumpAnnouncesTheChangesOnceEverythingIsApplied) {
  GetSyncStatusTracker()->AddChangeNote(m_rootPath + "/n.txt", m_rootPath + "/n.txt", m_rootPath + "/n.txt", 1);
  m_sink.Forget();
  auto pump = Make<DownNormalTaskPump>(m_down);
  EXPECT_EQ(NextWait(*pump), 1000u);
  m_clock.Advance(1000);
  EXPECT_EQ(NextWait(*pump), 3000u);
  EXPECT_TRUE(m_sink.Events().empty());
  m_clock.Advance(3000);
  EXPECT_EQ(NextWait(*pump), INFINITE);  // nothing left to announce
  EXPECT_EQ(m_sink.Events().size(), 1u);

  // A download that comes while the pump waits to announce runs at once,
  // and the announcement waits for the queues to drain again.
  GetSyncStatusTracker()->AddChangeNote(m_rootPath + "/m.txt", m_rootPath + "/m.txt", m_rootPath + "/m.txt", 1);
  m_sink.Forget();
  m_down.AddTask(enginetest::MakeDownFile(5, DOWN_OP_FILE_ADD, "1|5"));
  ASSERT_TRUE(m_script.WaitForRuns(1));
  ASSERT_TRUE(WaitUntilIdle(*pump, 1000));
  m_clock.WaitForWaiters(1);
  m_clock.Advance(1000);
  ASSERT_TRUE(WaitUntilIdle(*pump, 3000));
  m_down.AddTask(enginetest::MakeDownFile(6, DOWN_OP_FILE_ADD, "1|6"));
  EXPECT_TRUE(m_script.WaitForRuns(2));
  EXPECT_TRUE(m_sink.Events().empty());
  EXPECT_TRUE(pump->Stop(10000));
}

// Every way work reaches a queue wakes the pump that runs it, from its idle
// wait that nothing else would end.
TEST_F(PumpTest, EveryWayWorkArrivesWakesItsIdlePump) {
  // A download the first run finds occupied moves to the wait-and-retry
  // queue, whose pump is woken by the run's end.
  std::mutex modifyLock;
  std::condition_variable modifyRan;
  int modifyRuns = 0;
  enginetest::SetDownFileEffect(m_dispatcher, DOWN_OP_FILE_MODIFY, [&](DownSyncTask& task) {
    std::lock_guard<std::mutex> hold(modifyLock);
    modifyRan.notify_all();
    if (modifyRuns++ > 0) return SYNC_RESULT_SUCCESS;
    task.m_nWaitState = DOWN_WAIT_OCCUPIED;
    return SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN;
  });
  const std::vector<std::unique_ptr<SyncTaskPump>> pumps = [&] {
    std::vector<std::unique_ptr<SyncTaskPump>> made;
    made.push_back(Make<UpNoDepandTaskPump>(m_up));
    made.push_back(Make<UpFileAndDepandTaskPump>(m_up));
    made.push_back(Make<UpWaitAndDepandTaskPump>(m_up));
    made.push_back(Make<DownNormalTaskPump>(m_down));
    made.push_back(Make<DownWaitAndRetryTaskPump>(m_down));
    return made;
  }();
  auto upInQueue = [&](int op, const char* name, int queue) {
    UpSyncTask* task = enginetest::MakeUp(op, m_rootPath + "/" + name);
    task->m_nQueue = queue;
    m_up.AddTask(task);
  };
  auto downInQueue = [&](DownSyncTask* task, int queue) {
    task->m_nQueue = queue;
    m_down.AddTask(task);
  };
  struct Case {
    const char* way;
    std::function<void()> bring;
    std::function<bool()> done;
  };
  const std::vector<Case> cases = {
      {"a classified folder change", [&] { QueueUp(UP_OP_FOLDER_ADD, "d1"); }, {}},
      {"a classified file change", [&] { QueueUp(UP_OP_FILE_ADD, "f1"); }, {}},
      {"a task for the wait-and-depend queue", [&] { upInQueue(UP_OP_FILE_ADD, "w1", UP_QUEUE_WAIT_AND_DEPEND); },
       {}},
      {"a folder the down side found to upload", [&] { m_up.QueueLocalFolderAdd(m_rootPath + "/d2"); }, {}},
      {"a file the down side found to upload", [&] { m_up.QueueLocalFileAdd(m_rootPath + "/f2"); }, {}},
      {"a server change", [&] { m_down.AddTask(enginetest::MakeDownFile(11, DOWN_OP_FILE_ADD, "1|11")); }, {}},
      {"a server file to download", [&] {
         SyncFileData row;
         row.m_FileID = 12;
         row.m_ParentID = 1;
         row.m_FileName = "s.txt";
         row.m_VersionValue = "1|12";
         m_down.QueueServerFileAdd(row, 12, 1);
       }, {}},
      {"a server folder to make", [&] {
         SyncFolderData row;
         row.m_FolderID = 13;
         row.m_ParentID = 1;
         row.m_FolderName = "s";
         row.m_VersionValue = "1|13";
         m_down.QueueServerFolderAdd(row, 13, 1);
       }, {}},
      {"a task for the wait-and-retry queue",
       [&] { downInQueue(enginetest::MakeDownFile(14, DOWN_OP_FILE_ADD, "1|14"), DOWN_QUEUE_WAIT_AND_RETRY); }, {}},
      {"an occupied download moved to wait and retry",
       [&] { m_down.AddTask(enginetest::MakeDownFile(15, DOWN_OP_FILE_MODIFY, "1|15")); },
       [&] {
         std::unique_lock<std::mutex> hold(modifyLock);
         return modifyRan.wait_for(hold, std::chrono::seconds(20), [&] { return modifyRuns == 2; });
       }},
      {"the managers enabled again", [&] {
         m_up.Disable();
         m_down.Disable();
         QueueUp(UP_OP_FILE_ADD, "f3");
         m_down.AddTask(enginetest::MakeDownFile(16, DOWN_OP_FILE_ADD, "1|16"));
         EXPECT_TRUE(SettleAll(m_clock, pumps));
         EXPECT_EQ(m_script.Ran().size(), 9u);  // the runs of the cases before
         m_up.Enable();
         m_down.Enable();
       }, [&] { return m_script.WaitForRuns(11); }},
  };
  size_t runs = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.way);
    ASSERT_TRUE(SettleAll(m_clock, pumps));
    c.bring();
    if (c.done) {
      EXPECT_TRUE(c.done());
    } else {
      EXPECT_TRUE(m_script.WaitForRuns(++runs));
    }
    runs = m_script.Ran().size();
  }
  for (const auto& pump : pumps) EXPECT_TRUE(pump->Stop(10000));
}

}  // namespace
