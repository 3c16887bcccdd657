// The pumps on their own threads against the process clock of the test:
// started paused, run when released, wait by the result, probe while offline,
// stop when told. Nothing here sleeps: the tests wait for the pump to be in a
// wait of a known length, then move the clock or signal.
#include <gtest/gtest.h>

#include <atomic>
#include <map>

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
  // Waits until the pump has begun its next wait and that wait is on the
  // clock (with `waiters` pumps running); returns the wait's length.
  DWORD NextWait(SyncTaskPump& pump, size_t waiters = 1) {
    const DWORD ms = pump.WaitForWaitNumber(++m_waitsSeen[&pump], 20000);
    m_clock.WaitForWaiters(waiters);
    return ms;
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

TEST_F(PumpTest, APausedPumpRunsNothingUntilReleasedAndWaitsByTheResult) {
  QueueUp(UP_OP_FILE_ADD, "a");
  m_script.Push({4, 3, 0});
  UpFileAndDepandTaskPump pump("UpFileAndDepandTaskPump", &m_up);
  pump.m_bPaused = true;
  pump.startThread();
  EXPECT_EQ(NextWait(pump), 1000u);
  m_clock.Advance(1000);
  EXPECT_EQ(NextWait(pump), 1000u);
  EXPECT_TRUE(m_script.Ran().empty());

  pump.m_bPaused = false;
  pump.Wake();
  EXPECT_EQ(NextWait(pump), 3000u);  // 4: wait and run again
  EXPECT_EQ(m_script.Ran().size(), 1u);
  m_clock.Advance(2999);
  m_clock.Advance(1);
  EXPECT_EQ(NextWait(pump), 5000u);  // 3: retry later
  EXPECT_EQ(m_script.Ran().size(), 2u);
  pump.Wake();                       // a signal ends the wait at once
  EXPECT_EQ(NextWait(pump), 1000u);  // done, every up queue empty: one turn
  EXPECT_EQ(m_script.Ran().size(), 3u);
  EXPECT_TRUE(m_up.AreQueuesEmpty());
  EXPECT_TRUE(pump.Stop(10000));
}

TEST_F(PumpTest, WhileOfflineTheNoDependPumpProbesEachTurnAndTheFilePumpIdles) {
  QueueUp(UP_OP_FILE_ADD, "f");
  m_reachable = false;
  LocalNetErrorManager::GetInstance()->SetOnline(false);
  UpNoDepandTaskPump folders("UpNoDepandTaskPump", &m_up);
  UpFileAndDepandTaskPump files("UpFileAndDepandTaskPump", &m_up);
  folders.startThread();
  files.startThread();
  EXPECT_EQ(NextWait(folders, 2), 1000u);
  EXPECT_EQ(NextWait(files, 2), 1000u);
  EXPECT_EQ(m_probes.load(), 1);
  m_clock.Advance(1000);
  EXPECT_EQ(NextWait(folders, 2), 1000u);
  EXPECT_EQ(NextWait(files, 2), 1000u);
  EXPECT_EQ(m_probes.load(), 2);
  EXPECT_TRUE(m_script.Ran().empty());

  m_reachable = true;  // the next probe brings the engine back
  GetSyncStatusTracker()->m_nNetState = SyncStatusTracker::NET_LOCAL_DOWN;
  m_clock.Advance(1000);
  NextWait(folders, 2);
  NextWait(files, 2);
  EXPECT_TRUE(LocalNetErrorManager::GetInstance()->IsOnline());
  EXPECT_EQ(GetSyncStatusTracker()->m_nNetState.load(), SyncStatusTracker::NET_ONLINE);
  m_clock.Advance(1000);
  EXPECT_TRUE(m_script.WaitForRuns(1));
  EXPECT_TRUE(folders.Stop(10000));
  EXPECT_TRUE(files.Stop(10000));
}

TEST_F(PumpTest, DrainedUploadsAskForOnePullAfterATurn) {
  QueueUp(UP_OP_FOLDER_ADD, "d");
  UpNoDepandTaskPump pump("UpNoDepandTaskPump", &m_up);
  pump.startThread();
  EXPECT_EQ(NextWait(pump), 1000u);
  EXPECT_EQ(m_script.Ran().size(), 1u);
  EXPECT_EQ(m_idlePulls.load(), 0);
  m_clock.Advance(1000);
  EXPECT_EQ(NextWait(pump), 1000u);  // the empty queue's idle turn
  EXPECT_EQ(m_idlePulls.load(), 1);
  EXPECT_TRUE(pump.Stop(10000));
}

TEST_F(PumpTest, DownPumpsRunWhileOfflineAndStopWithinAStep) {
  LocalNetErrorManager::GetInstance()->SetOnline(false);
  m_down.AddTask(enginetest::MakeDownFile(5, DOWN_OP_FILE_ADD, "1|5"));
  DownNormalTaskPump normal("DownNormalTaskPump", &m_down);
  DownWaitAndRetryTaskPump retry("DownWaitAndRetryTaskPump", &m_down);
  normal.startThread();
  retry.startThread();
  ASSERT_TRUE(m_script.WaitForRuns(1));
  NextWait(normal, 2);
  NextWait(retry, 2);
  EXPECT_TRUE(normal.Stop(10000));
  EXPECT_TRUE(retry.Stop(10000));
  EXPECT_EQ(SyncRootFolder::GetInstance()->GetGlobalVersion(), "1|5");
}

// The engine wakes a manager's pumps whenever it queues a task: an idle pump
// takes the task at once, whichever of its waits it is in, and the down pump
// sends no summary while a task waits.
TEST_F(PumpTest, ATaskQueuedWhileAPumpWaitsIsTakenAtOnce) {
  DownNormalTaskPump normal("DownNormalTaskPump", &m_down);
  UpFileAndDepandTaskPump files("UpFileAndDepandTaskPump", &m_up);
  m_down.SetOnQueued([&normal] { normal.Wake(); });
  m_up.SetOnQueued([&files] { files.Wake(); });
  GetSyncStatusTracker()->AddChangeNote(m_rootPath + "/n.txt", m_rootPath + "/n.txt", m_rootPath + "/n.txt", 1);
  m_sink.Forget();
  normal.startThread();
  files.startThread();
  EXPECT_EQ(NextWait(normal, 2), 1000u);
  EXPECT_EQ(NextWait(files, 2), 1000u);
  QueueUp(UP_OP_FILE_ADD, "a");  // the clock stands still: only the signal ends the wait
  ASSERT_TRUE(m_script.WaitForRuns(1));
  EXPECT_EQ(NextWait(files, 2), 1000u);  // done, every up queue empty: one turn

  m_clock.Advance(1000);  // the down pump reaches its long wait (the file pump its next turn)
  EXPECT_EQ(NextWait(normal, 2), 3000u);
  EXPECT_EQ(NextWait(files, 2), 1000u);
  m_down.AddTask(enginetest::MakeDownFile(5, DOWN_OP_FILE_ADD, "1|5"));
  ASSERT_TRUE(m_script.WaitForRuns(2));
  EXPECT_TRUE(m_sink.Events().empty()) << "the summary waits for the queued task";
  EXPECT_TRUE(normal.Stop(10000));
  EXPECT_TRUE(files.Stop(10000));
}

TEST_F(PumpTest, TheNormalDownPumpAnnouncesTheChangesOnceEverythingIsApplied) {
  GetSyncStatusTracker()->AddChangeNote(m_rootPath + "/n.txt", m_rootPath + "/n.txt", m_rootPath + "/n.txt", 1);
  m_sink.Forget();
  DownNormalTaskPump pump("DownNormalTaskPump", &m_down);
  pump.startThread();
  EXPECT_EQ(NextWait(pump), 1000u);
  m_clock.Advance(1000);
  EXPECT_EQ(NextWait(pump), 3000u);
  EXPECT_TRUE(m_sink.Events().empty());
  m_clock.Advance(3000);
  EXPECT_EQ(NextWait(pump), 1000u);  // the next turn
  EXPECT_EQ(m_sink.Events().size(), 1u);
  EXPECT_TRUE(pump.Stop(10000));
}

}  // namespace
