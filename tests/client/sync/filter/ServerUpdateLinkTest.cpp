// The remote road up to the pull: the server-update filter starts the link
// long poll against the local service, a change on the service answers the
// poll, and the filter runs one pull for it.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "../../core/login/ServiceFixture.h"
#include "client/core/login/LoginEvents.h"
#include "client/sync/filter/ServerUpdateMessageFilter.h"
#include "client/sync/ops/SyncBaseOperation.h"

namespace {

struct Pulls {
  std::mutex lock;
  std::condition_variable changed;
  int count = 0;
  bool WaitFor(int n) {
    std::unique_lock guard(lock);
    return changed.wait_for(guard, std::chrono::seconds(20), [&] { return count >= n; });
  }
};

class CountedPull : public SyncBaseOperation {
 public:
  explicit CountedPull(Pulls& pulls) : m_pulls(pulls) {}
  int Execute_SyncOperation() override {
    std::lock_guard guard(m_pulls.lock);
    ++m_pulls.count;
    m_pulls.changed.notify_all();
    return SYNC_RESULT_SUCCESS;
  }
  int Success_SyncOperation() override { return SYNC_RESULT_SUCCESS; }

 private:
  Pulls& m_pulls;
};

class ServerUpdateLinkTest : public signintest::ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    ASSERT_EQ(SignIn(m_login), LoginManager::kOk);
  }
  void TearDown() override {
    if (m_filter) m_filter->SignExit();
    m_filter.reset();
    ServiceTest::TearDown();
  }

  LoginManager m_login;
  Pulls m_pulls;
  std::unique_ptr<ServerUpdateMessageFilter> m_filter;
};

TEST_F(ServerUpdateLinkTest, AChangeOnTheServiceAnswersTheLinkAndLeadsToAPull) {
  m_filter = std::make_unique<ServerUpdateMessageFilter>(
      "ServerUpdateMessageFilter", nullptr,
      [this](SyncDownTaskManager*, const juce::String&, juce::int64) { return std::make_shared<CountedPull>(m_pulls); });
  m_filter->InitLinkService();
  EXPECT_EQ(m_filter->GetLinkAccount(), signintest::kAccount);
  Admin("notify?account=alice%40example.com");
  ASSERT_TRUE(m_pulls.WaitFor(1));

  // A sign-in restarts the link through the filter; the next change is heard as well.
  LoginEvents::RestartLinkService();
  Admin("notify?account=alice%40example.com");
  ASSERT_TRUE(m_pulls.WaitFor(2));
}

}  // namespace
