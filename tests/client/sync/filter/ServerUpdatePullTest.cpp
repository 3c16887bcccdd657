// The remote road through the server-update filter with the real pull: a file
// made on another device answers the link poll, the filter's pull queues its
// download, and the download brings it into the sync folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "../down/DownOpsFixture.h"
#include "client/sync/filter/ServerUpdateMessageFilter.h"

namespace {

class ServerUpdatePullTest : public downtest::DownOpsTest {
 protected:
  void TearDown() override {
    if (m_filter) m_filter->SignExit();
    m_filter.reset();
    DownOpsTest::TearDown();
  }
  std::unique_ptr<ServerUpdateMessageFilter> m_filter;
};

TEST_F(ServerUpdatePullTest, AFileMadeElsewhereIsPulledAfterTheLinkAnswers) {
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);  // the root in step, its version stored
  Drain();
  m_filter = std::make_unique<ServerUpdateMessageFilter>("ServerUpdateMessageFilter", m_manager.get());
  m_filter->InitLinkService();
  Put(m_rootID, "remote.txt", "made elsewhere");
  // Observed, not slept for: the filter's pull queues the download.
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!m_manager->HasTasks(DOWN_QUEUE_NORMAL) && std::chrono::steady_clock::now() < until) {
    std::this_thread::yield();
  }
  ASSERT_TRUE(m_manager->HasTasks(DOWN_QUEUE_NORMAL));
  m_filter->SetRun(false);  // the test drains the queue itself
  Drain();
  std::vector<std::string> tree = LocalTree();
  EXPECT_NE(std::find(tree.begin(), tree.end(), "remote.txt=made elsewhere"), tree.end())
      << testing::PrintToString(tree);
}

}  // namespace
