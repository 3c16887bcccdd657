// The server-update filter: versions from the link channel trigger pulls of
// the root from its stored version; the versions a pull covered are dropped,
// a failed pull keeps them and is tried again after a delay of the process
// clock.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "../EngineTestSupport.h"
#include "client/sync/filter/ServerUpdateMessageFilter.h"
#include "common/AppPaths.h"
#include "common/StringConvert.h"
#include "client/sync/ops/SyncBaseOperation.h"
#include "client/sync/pumps/DownTaskPumps.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/tasks/SyncDownTaskManager.h"
#include "win32/ManualClock.h"

namespace {

using enginetest::EngineTest;

// Stands for the server pull: records each run and answers with a result
// the test chooses; a run may be held until the test lets it go.
struct PullLog {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<std::pair<juce::String, juce::int64>> runs;
  std::vector<int> results;  // taken front first; 0 when empty
  bool holdRuns = false;
  bool running = false;

  bool WaitForRuns(size_t n) {
    std::unique_lock guard(lock);
    return changed.wait_for(guard, std::chrono::seconds(10), [&] { return runs.size() >= n && !running; });
  }
};

class TestPull : public SyncBaseOperation {
 public:
  TestPull(PullLog& log, juce::String version, juce::int64 folder)
      : m_log(log), m_version(std::move(version)), m_folder(folder) {}
  int Execute_SyncOperation() override {
    std::unique_lock guard(m_log.lock);
    m_log.running = true;
    m_log.changed.notify_all();
    m_log.changed.wait(guard, [&] { return !m_log.holdRuns || ShouldEnd(); });
    m_log.runs.emplace_back(m_version, m_folder);
    int result = 0;
    if (!m_log.results.empty()) {
      result = m_log.results.front();
      m_log.results.erase(m_log.results.begin());
    }
    m_log.running = false;
    m_log.changed.notify_all();
    return result;
  }
  int Success_SyncOperation() override { return SYNC_RESULT_SUCCESS; }

 private:
  PullLog& m_log;
  juce::String m_version;
  juce::int64 m_folder;
};

// Polls an observable state (a real-time cap only guards against a hang).
bool Eventually(const std::function<bool()>& done) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::yield();
  }
  return true;
}

class ServerUpdateFilterTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    SyncFolderData root = FolderRow(7, Local(""), 0);
    SyncRootFolder::GetInstance()->SetRootFolder(Local(""), "3|40", root);
  }
  void TearDown() override {
    if (m_filter) m_filter->SignExit();
    m_filter.reset();
    EngineTest::TearDown();
  }
  void Start(bool held) {
    m_filter = std::make_unique<ServerUpdateMessageFilter>(
        "ServerUpdateMessageFilter", &m_down,
        [this](SyncDownTaskManager* down, const juce::String& version, juce::int64 folder) {
          EXPECT_EQ(down, &m_down);
          return std::make_shared<TestPull>(m_log, version, folder);
        });
    m_filter->SetHold(held);
  }
  // A 200 answer of the link channel for the link's account.
  void Announce(juce::int64 version) {
    m_filter->LinkServiceCallBack(200, m_filter->GetLinkAccount().toStdString(), version);
  }

  SyncDownTaskManager m_down{nullptr};
  PullLog m_log;
  std::unique_ptr<ServerUpdateMessageFilter> m_filter;
};

TEST_F(ServerUpdateFilterTest, VersionsQueuedWhileHeldLeadToOnePullFromTheStoredVersionThatDropsThem) {
  Start(true);
  Announce(10);
  Announce(12);
  Announce(11);
  EXPECT_EQ(m_filter->GetQueuedVersions(), (std::vector<juce::int64>{10, 12, 11}));
  m_filter->SetHold(false);
  m_filter->Wake();
  ASSERT_TRUE(m_log.WaitForRuns(1));
  // The last queued version (11) counts as the newest: 12 is left for a second pull.
  ASSERT_TRUE(m_log.WaitForRuns(2));
  EXPECT_EQ(m_log.runs[0], (std::pair<juce::String, juce::int64>{"3|40", 7}));
  EXPECT_EQ(m_log.runs[1], (std::pair<juce::String, juce::int64>{"3|40", 7}));
  EXPECT_TRUE(Eventually([&] { return !m_filter->HasQueuedVersions(); }));
}

TEST_F(ServerUpdateFilterTest, AFailedPullKeepsItsVersionsAndIsTriedAgainAfterTheDelay) {
  win32::ManualClock clock;
  win32::ScopedClock useClock(clock);
  m_log.results = {SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK};
  Start(false);
  Announce(20);
  m_filter->Wake();
  ASSERT_TRUE(m_log.WaitForRuns(1));
  clock.WaitForWaiters(1);  // the filter waits again, its retry time set
  EXPECT_EQ(m_filter->GetQueuedVersions(), (std::vector<juce::int64>{20}));
  m_filter->Wake();
  clock.WaitForWaiters(1);
  {
    std::lock_guard guard(m_log.lock);
    EXPECT_EQ(m_log.runs.size(), 1u);  // woken before the delay: no second try
  }
  clock.Advance(ServerUpdateMessageFilter::kRetryDelayMs);
  m_filter->Wake();
  ASSERT_TRUE(m_log.WaitForRuns(2));
  EXPECT_TRUE(Eventually([&] { return !m_filter->HasQueuedVersions(); }));
  m_filter->SignExit();
  m_filter.reset();  // its thread waits on this test's clock
}

TEST_F(ServerUpdateFilterTest, AnswersForAnotherAccountAndRefusalsQueueNothing) {
  Start(true);
  CString dataFolder;
  Common::GetAppDataPath(dataFolder);
  const juce::File log = juce::File(Common::CString_to_String(dataFolder)).getChildFile("dorv.log");
  auto errorLines = [&] {
    juce::StringArray lines;
    log.readLines(lines);
    int count = 0;
    for (const juce::String& line : lines) count += line.contains("LinkServer return error") ? 1 : 0;
    return count;
  };
  const int before = errorLines();
  m_filter->LinkServiceCallBack(200, "someone.else@example.com", 5);
  m_filter->LinkServiceCallBack(403, m_filter->GetLinkAccount().toStdString(), 6);
  m_filter->LinkServiceCallBack(408, m_filter->GetLinkAccount().toStdString(), 6);  // the poll's time-out
  EXPECT_EQ(errorLines(), before);  // a healthy poll writes no error line
  m_filter->LinkServiceCallBack(500, m_filter->GetLinkAccount().toStdString(), 7);
  EXPECT_EQ(errorLines(), before + 1);
  EXPECT_FALSE(m_filter->HasQueuedVersions());
  m_filter->AddVersion("1|9");
  m_filter->AddVersion("2|8");      // in front
  m_filter->AddVersion("1|99999999999999999999");  // out of range: ignored
  m_filter->AddVersion("none");
  EXPECT_EQ(m_filter->GetQueuedVersions(), (std::vector<juce::int64>{8, 9}));
  m_filter->ClearQueue();
  EXPECT_FALSE(m_filter->HasQueuedVersions());
}

TEST_F(ServerUpdateFilterTest, AQueuedDownTaskOrAPauseHoldsThePullBack) {
  m_down.QueueServerFileAdd(FileRow(50, Local("f.txt"), 7), 50, 7);
  Start(false);
  Announce(30);
  m_filter->Wake();
  EXPECT_TRUE(m_down.HasTasks(1));
  m_filter->SetRun(false);
  m_down.DropQueued();
  m_filter->Wake();
  // Paused: the version waits. A requested pull still runs on the caller's thread.
  EXPECT_EQ(m_filter->PullFromServer("3|40", 7), SYNC_RESULT_SUCCESS);
  ASSERT_TRUE(m_log.WaitForRuns(1));
  EXPECT_EQ(m_filter->GetQueuedVersions(), (std::vector<juce::int64>{30}));
  m_filter->SetRun(true);
  m_filter->Wake();
  ASSERT_TRUE(m_log.WaitForRuns(2));
}

// With an endless idle wait, only the signals move the thread: a link
// answer, a version added, the end of the down side's run.
TEST_F(ServerUpdateFilterTest, AnIdleFilterPullsOnEachSignal) {
  Start(false);
  m_filter->SetIdleWaitMs(INFINITE);
  Announce(50);
  ASSERT_TRUE(m_log.WaitForRuns(1));
  ASSERT_TRUE(Eventually([&] { return !m_filter->HasQueuedVersions(); }));
  m_filter->AddVersion("3|51");
  ASSERT_TRUE(m_log.WaitForRuns(2));
  ASSERT_TRUE(Eventually([&] { return !m_filter->HasQueuedVersions(); }));
  // A download waits: the pull waits for the down pump to run it.
  m_down.QueueServerFileAdd(FileRow(52, Local("g.txt"), 7), 52, 7);
  Announce(52);
  DownNormalTaskPump pump("DownNormalTaskPump", &m_down);
  pump.SetIdleWaitMs(INFINITE);
  pump.startThread();
  ASSERT_TRUE(m_log.WaitForRuns(3));
  EXPECT_FALSE(m_down.HasTasks(1));
  EXPECT_TRUE(pump.Stop(10000));
}

TEST_F(ServerUpdateFilterTest, ClearingCancelsThePullThatRuns) {
  m_log.holdRuns = true;
  Start(false);
  Announce(40);
  m_filter->Wake();
  {
    std::unique_lock guard(m_log.lock);
    ASSERT_TRUE(m_log.changed.wait_for(guard, std::chrono::seconds(10), [&] { return m_log.running; }));
  }
  m_filter->ClearQueue();  // sets the running pull's cancel flag
  {
    std::lock_guard guard(m_log.lock);
    m_log.changed.notify_all();
  }
  ASSERT_TRUE(m_log.WaitForRuns(1));
  EXPECT_FALSE(m_filter->HasQueuedVersions());
}

}  // namespace
