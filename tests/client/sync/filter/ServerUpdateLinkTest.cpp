// The remote road up to the pull: the server-update filter starts the link
// long poll against the local service, a change on the service answers the
// poll, and the filter runs one pull for it.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "../../core/db/DBTestFolder.h"
#include "../../core/login/ServiceFixture.h"
#include "DevServer.h"
#include "TempDir.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/login/LoginEvents.h"
#include "client/core/protocol/ServerList.h"
#include "client/sync/filter/ServerUpdateMessageFilter.h"
#include "client/sync/ops/SyncBaseOperation.h"
#include "net/ProxySocket.h"

namespace {

const char* const kAccount = "alice@example.com";

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

class ServerUpdateLinkTest : public dorvtest::DBTest {
 protected:
  static void SetUpTestSuite() {
    dorvtest::DevServerOptions options;
    options.linkHoldMs = 30000;  // an answer within the test's bounds comes from a change
    s_server = std::make_unique<dorvtest::DevServer>(options);
  }
  static void TearDownTestSuite() {
    Net::ProxySocket::CloseAllConnect();
    s_server.reset();
  }
  void SetUp() override {
    DBTest::SetUp();
    ASSERT_TRUE(InitUserTables());
    DeleteProductInfo();
    ASSERT_TRUE(LoadProductInfo());
    DeleteAccountData();
    dorvtest::TempDir dir;
    dorvtest::WriteFile(dir / "server_list.xml", s_server->ServerListXml());
    ServerList::LoadInstance(juce::File((dir / "server_list.xml").string()));
    s_server->Admin("reset");
    LoginManager manager;
    signintest::AfterLoginWaiter waiter(manager);
    manager.Login(kAccount, "secret", true, false);
    ASSERT_TRUE(waiter.Wait());
    ASSERT_EQ(manager.GetResultCode(), LoginManager::kOk);
  }
  void TearDown() override {
    if (m_filter) m_filter->SignExit();
    m_filter.reset();
    ServerList::DeleteInstance();
    DBTest::TearDown();
  }

  static std::unique_ptr<dorvtest::DevServer> s_server;
  Pulls m_pulls;
  std::unique_ptr<ServerUpdateMessageFilter> m_filter;
};

std::unique_ptr<dorvtest::DevServer> ServerUpdateLinkTest::s_server;

TEST_F(ServerUpdateLinkTest, AChangeOnTheServiceAnswersTheLinkAndLeadsToAPull) {
  m_filter = std::make_unique<ServerUpdateMessageFilter>(
      "ServerUpdateMessageFilter", nullptr,
      [this](SyncDownTaskManager*, const juce::String&, juce::int64) { return std::make_shared<CountedPull>(m_pulls); });
  m_filter->InitLinkService();
  EXPECT_EQ(m_filter->GetLinkAccount(), kAccount);
  s_server->Admin("notify?account=alice%40example.com");
  ASSERT_TRUE(m_pulls.WaitFor(1));

  // A sign-in restarts the link through the filter; the next change is heard as well.
  LoginEvents::RestartLinkService();
  s_server->Admin("notify?account=alice%40example.com");
  ASSERT_TRUE(m_pulls.WaitFor(2));
}

}  // namespace
