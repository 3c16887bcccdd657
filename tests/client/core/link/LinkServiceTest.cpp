// The link long poll against the local service: it wakes when the account
// changes elsewhere, renews an expired client id, returns at once when the
// account is reset, and backs off on the process clock without ever spinning.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "../db/DBTestFolder.h"
#include "../login/ServiceFixture.h"
#include "../../../platform/net/TestServer.h"
#include "DevServer.h"
#include "TempDir.h"
#include "net/ProxySocket.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/db/UserDataDBManager.h"
#include "client/core/link/LinkServiceHolder.h"
#include "client/core/protocol/ServerList.h"
#include "win32/ManualClock.h"

namespace {

const char* const kAccount = "alice@example.com";

// What the callback received, in order, with a wait for the next answers.
class Answers {
 public:
  struct Answer {
    int code;
    std::string account;
    int64_t t;
  };

  static void CallBack(void* userData, int code, const std::string& account, int64_t t) {
    auto* self = static_cast<Answers*>(userData);
    std::lock_guard<std::mutex> hold(self->m_lock);
    self->m_answers.push_back({code, account, t});
    self->m_changed.notify_all();
  }

  // Waits (within a generous bound) until an answer satisfies `match`;
  // returns its index, -1 when none came.
  template <class Match>
  int WaitFor(Match match, std::chrono::milliseconds bound = std::chrono::seconds(20)) {
    std::unique_lock<std::mutex> hold(m_lock);
    int found = -1;
    m_changed.wait_for(hold, bound, [&] {
      for (size_t i = 0; i < m_answers.size(); ++i)
        if (match(m_answers[i])) return (found = static_cast<int>(i)) >= 0;
      return false;
    });
    return found;
  }
  bool WaitForCount(size_t count) {
    return WaitFor([&](const Answer&) { return Count() >= count; }) >= 0;
  }
  size_t Count() const { return m_answers.size(); }  // under the lock, or racy
  size_t SafeCount() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_answers.size();
  }
  Answer At(size_t i) {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_answers.at(i);
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<Answer> m_answers;
};

// A service that holds quiet polls for 30 s, so that an answer within the
// test's bounds comes from a change, an abort or a fault, never the hold.
class LinkTest : public dorvtest::DBTest {
 protected:
  static void SetUpTestSuite() {
    dorvtest::DevServerOptions options;
    options.linkHoldMs = 30000;
    s_server = std::make_unique<dorvtest::DevServer>(options);
  }
  static void TearDownTestSuite() {
    // Idle kept connections would make the service wait out their keep-alive.
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
    m_holder.m_pUserData = &m_answers;
    m_holder.m_pCallBack = &Answers::CallBack;
  }

  void TearDown() override {
    StopLinkService(m_holder);
    s_server->Admin("faults/clear");
    ServerList::DeleteInstance();
    DBTest::TearDown();
  }

  // The server list with the link address replaced.
  static void PointLinkAt(const std::string& url) {
    std::string xml = s_server->ServerListXml();
    const std::string link = s_server->BaseUrl() + "/link/service/";
    xml.replace(xml.find(link), link.size(), url);
    dorvtest::TempDir dir;
    dorvtest::WriteFile(dir / "server_list.xml", xml);
    ServerList::LoadInstance(juce::File((dir / "server_list.xml").string()));
  }

  static std::string ClientID() { return GetAccountData()->GetSnapshot().m_sClientID.toStdString(); }
  void Start() { StartLinkService(m_holder, kAccount, ClientID()); }

  static std::unique_ptr<dorvtest::DevServer> s_server;
  Answers m_answers;
  LinkServiceHolder m_holder;
};

std::unique_ptr<dorvtest::DevServer> LinkTest::s_server;

TEST_F(LinkTest, AHeldPollWakesWithinASecondOfAChange) {
  Start();
  ASSERT_TRUE(m_holder.m_pTask->isThreadRunning());
  EXPECT_EQ(m_holder.m_pTask->getThreadName(), "LinkServer");

  s_server->Admin("notify?account=alice%40example.com");
  const auto changed = std::chrono::steady_clock::now();
  const int i = m_answers.WaitFor([](const Answers::Answer& a) { return a.code == 200; });
  const auto woke = std::chrono::steady_clock::now();
  ASSERT_GE(i, 0) << "the poll was not answered before the service's 30 s hold";
  EXPECT_EQ(m_answers.At(i).account, kAccount);
  EXPECT_GE(m_answers.At(i).t, 1);
  EXPECT_LT(woke - changed, std::chrono::seconds(1));

  // A second change wakes the next held poll with the newer counter.
  const int64_t first = m_answers.At(i).t;
  s_server->Admin("notify?account=alice%40example.com");
  EXPECT_GE(m_answers.WaitFor([&](const Answers::Answer& a) { return a.code == 200 && a.t > first; }), 0);
  EXPECT_EQ(m_holder.m_pTask->GetFailureCount(), 0);
}

TEST_F(LinkTest, AnExpiredClientIdIsRenewedAndTheNextPollCarriesIt) {
  const std::string before = ClientID();
  s_server->Admin("expire-clients?account=alice%40example.com");
  Start();
  ASSERT_GE(m_answers.WaitFor([](const Answers::Answer& a) { return a.code == 413; }), 0);
  // The renewed poll is held like any other, so a change answers it.
  s_server->Admin("notify?account=alice%40example.com");
  const int i = m_answers.WaitFor([](const Answers::Answer& a) { return a.code == 200; });
  ASSERT_GE(i, 0);
  EXPECT_NE(ClientID(), before);
  EXPECT_EQ(m_holder.m_pTask->GetClientID(), ClientID());
  EXPECT_EQ(m_holder.m_pTask->GetFailureCount(), 0);
  EXPECT_EQ(m_answers.At(0).code, 413);
}

// A poll that is surely waiting: the link address is a server that holds
// every request until released.
TEST_F(LinkTest, ResetAbortsAWaitingPollAndTheNextCarriesTheNewAccount) {
  TestServer holding;
  PointLinkAt(holding.Url("/hold"));
  Start();
  holding.WaitForHeld(1);
  EXPECT_EQ(holding.Last().params["account"], kAccount);

  const std::string other = "bob@example.com";
  StartLinkService(m_holder, other, "another-cid");
  ASSERT_TRUE(m_answers.WaitForCount(1)) << "the waiting poll did not return";
  EXPECT_EQ(m_answers.At(0).code, -1);
  EXPECT_EQ(m_answers.At(0).account, kAccount);
  EXPECT_EQ(m_answers.At(0).t, -1);
  holding.WaitForHeld(2);
  EXPECT_EQ(holding.Last().params["account"], other);
  EXPECT_EQ(holding.Last().params["cid"], "another-cid");
  EXPECT_EQ(m_holder.m_pTask->GetAccount(), other);
  StopLinkService(m_holder);
  holding.ReleaseHeld();
}

TEST_F(LinkTest, StoppingAbortsTheWaitingPollAndJoins) {
  TestServer holding;
  PointLinkAt(holding.Url("/hold"));
  Start();
  holding.WaitForHeld(1);
  LinkServiceTask* task = m_holder.m_pTask;
  task->StopLinkService();
  EXPECT_FALSE(task->isThreadRunning());
  EXPECT_EQ(m_answers.SafeCount(), 0u);  // the aborted poll is not reported
  StopLinkService(m_holder);
  EXPECT_EQ(m_holder.m_pTask, nullptr);
  holding.ReleaseHeld();
}

// The back-off and the minimum pause between polls run on the process clock:
// with a clock that stands still the thread stays in its wait until the test
// moves time on.
TEST_F(LinkTest, FailuresBackOffOnTheClockAndStopEndsTheWait) {
  s_server->Admin("fault?op=LINK_BEATHEART&http=500&times=0");
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  Start();
  // Expected pause after each failed poll: the minimum interval at 1 and 2,
  // then the back-off.
  const int pauses[] = {1000, 1000, 4000, 4000, 4000, 4000, 20000, 20000, 20000, 120000, 120000};
  for (size_t n = 0; n < std::size(pauses); ++n) {
    SCOPED_TRACE(n + 1);
    ASSERT_TRUE(m_answers.WaitForCount(n + 1));
    clock.WaitForWaiters(1);
    // The thread is waiting: no further poll went out.
    EXPECT_EQ(m_answers.SafeCount(), n + 1);
    EXPECT_EQ(m_answers.At(n).code, -1);
    EXPECT_EQ(m_holder.m_pTask->GetFailureCount(), static_cast<int>(n + 1));
    clock.Advance(pauses[n]);
  }
  ASSERT_TRUE(m_answers.WaitForCount(std::size(pauses) + 1));
  clock.WaitForWaiters(1);
  // Inside a 120 s wait that the clock will never end: the stop must.
  StopLinkService(m_holder);
  EXPECT_EQ(m_answers.SafeCount(), std::size(pauses) + 1);
}

// Answers that come at once never make the thread spin: it pauses to the
// minimum interval, and a 403 clears the failure count as a 408 does.
TEST_F(LinkTest, ImmediateAnswersPauseBetweenPolls) {
  for (const char* code : {"403", "200", "408"}) {
    SCOPED_TRACE(code);
    s_server->Admin(std::string("fault?op=LINK_BEATHEART&times=0&code=") + code);
    Answers answers;
    LinkServiceHolder holder{nullptr, &answers, &Answers::CallBack};
    {
      win32::ManualClock clock;
      win32::ScopedClock use(clock);
      StartLinkService(holder, kAccount, ClientID());
      for (size_t n = 1; n <= 3; ++n) {
        ASSERT_TRUE(answers.WaitForCount(n));
        clock.WaitForWaiters(1);
        EXPECT_EQ(answers.SafeCount(), n);
        EXPECT_EQ(answers.At(n - 1).code, std::atoi(code));
        EXPECT_EQ(holder.m_pTask->GetFailureCount(), 0);
        clock.Advance(LinkServiceTask::kMinPollIntervalMs);
      }
      StopLinkService(holder);
    }
    s_server->Admin("faults/clear");
  }
}

// The failure count and back-off for each answer, without a thread.
TEST(LinkServiceTask, HandleResultCountsFailuresAndOnlyTheRightCodesClearThem) {
  LinkServiceTask task("a", "c", nullptr, nullptr);
  struct Step {
    int code, delay, failures;
  };
  const Step steps[] = {
      {0, 0, 1},     {500, 0, 2},   {200, 0, 2},     {1000, 4000, 3}, {-1, 4000, 4},   {404, 4000, 5},
      {500, 4000, 6}, {0, 20000, 7}, {0, 20000, 8},   {0, 20000, 9},   {0, 120000, 10}, {0, 120000, 11},
      {200, 0, 11},  {408, 0, 0},   {0, 0, 1},       {0, 0, 2},       {403, 0, 0},     {0, 0, 1},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.code);
    EXPECT_EQ(task.HandleResult(s.code), s.delay);
    EXPECT_EQ(task.GetFailureCount(), s.failures);
  }
}

TEST(LinkServiceTask, ParseResponseReadsCodeAndT) {
  struct Case {
    const char* body;
    int code;
    int64_t t;
  } cases[] = {
      {R"({"code":200,"result":{"t":42}})", 200, 42},
      {R"({"code":200,"result":{"t":9007199254740993}})", 200, 9007199254740993LL},
      {R"({"code":408,"result":{"message":"no change"}})", 408, -1},
      {R"({"code":200})", 200, -1},
      {R"({"code":"200","result":{"t":1}})", 1000, -1},
      {R"({"code":200,"result":{"t":"1"}})", 1000, -1},
      {"<html>busy</html>", 1000, -1},
      {"", 1000, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    int code = 0;
    int64_t t = 0;
    LinkServiceTask::ParseResponse(c.body, code, t);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(t, c.t);
  }
}

}  // namespace
