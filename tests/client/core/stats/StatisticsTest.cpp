// Usage statistics and the proxy test against the local service and real
// proxies.
#include <gtest/gtest.h>

#include <json/value.h>

#include <chrono>
#include <memory>
#include <thread>

#include "../../../platform/net/ProxyProcess.h"
#include "../../../platform/net/TestServer.h"
#include "DevServer.h"
#include "TempDir.h"
#include "net/ProxySocket.h"
#include "client/core/GlobalConfig.h"
#include "client/core/protocol/JsonText.h"
#include "client/core/protocol/ServerList.h"
#include "client/core/stats/ServiceAddress.h"
#include "client/core/stats/StatisticsTask.h"
#include "client/core/stats/TestProxyTask.h"
#include "common/NetworkInfo.h"

namespace {

class StatsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { s_server = std::make_unique<dorvtest::DevServer>(); }
  static void TearDownTestSuite() {
    // Idle kept connections would make the service wait out their keep-alive.
    Net::ProxySocket::CloseAllConnect();
    s_server.reset();
  }

  void SetUp() override {
    s_server->Admin("reset");
    PointServerListAt(s_server->ServerListXml());
  }
  void TearDown() override { ServerList::DeleteInstance(); }

  static void PointServerListAt(const std::string& xml) {
    dorvtest::TempDir dir;
    dorvtest::WriteFile(dir / "server_list.xml", xml);
    ServerList::LoadInstance(juce::File((dir / "server_list.xml").string()));
  }

  // The service's server list with every address on a port nothing listens on.
  static std::string ServerListOnDeadPort() {
    std::string xml = s_server->ServerListXml();
    const std::string live = ":" + std::to_string(s_server->port()) + "/";
    const std::string dead = ":" + std::to_string(ClosedPort()) + "/";
    for (size_t at; (at = xml.find(live)) != std::string::npos;) xml.replace(at, live.size(), dead);
    return xml;
  }

  // The usage events the service recorded.
  static Json::Value Events() {
    Json::Value reply;
    EXPECT_TRUE(JsonParse(s_server->AdminGet("stats"), reply));
    return reply["result"]["events"];
  }

  static std::unique_ptr<dorvtest::DevServer> s_server;
};

std::unique_ptr<dorvtest::DevServer> StatsTest::s_server;

TEST_F(StatsTest, TheAddressFollowsTheServiceHost) {
  const std::string root = "http://127.0.0.1:" + std::to_string(s_server->port()) + "/";
  EXPECT_EQ(ServiceAddress::WebRoot(), root);
  EXPECT_EQ(StatisticsTask("login", "a@b.c").BuildUrl(),
            root + "stat.cloudstorage.pc/" + Common::GetMacAddress() + "/login/a%40b.c");
  EXPECT_EQ(ServiceAddress::ServiceHost(), "127.0.0.1");
  EXPECT_EQ(ServiceAddress::ServicePort(), s_server->port());
  // The built-in service names no port: 80.
  ServerList::DeleteInstance();
  ServerList::LoadInstance(juce::File("/nonexistent/server_list.xml"));
  EXPECT_EQ(ServiceAddress::ServicePort(), 80);
}

// Each event reaches the service with its exact name, a trailing tab, a
// blank and a slash included.
TEST_F(StatsTest, EventsAreRecordedWithTheirExactNames) {
  const std::pair<std::string, std::string> events[] = {
      {"default", "sync_immediately\t"},
      {"login", "alice@example.com"},
      {"file_size_out_of_limit", "-2147483648"},
      {"default", "a b/c?d#e%f"},
  };
  for (const auto& [category, event] : events) EXPECT_EQ(StatisticsTask(category, event).ExecuteWorkTask(), 0);
  const Json::Value recorded = Events();
  ASSERT_EQ(recorded.size(), std::size(events));
  for (Json::ArrayIndex i = 0; i < recorded.size(); ++i) {
    EXPECT_EQ(recorded[i]["mac"].asString(), Common::GetMacAddress());
    EXPECT_EQ(recorded[i]["category"].asString(), events[i].first);
    EXPECT_EQ(recorded[i]["event"].asString(), events[i].second);
  }
}

// The request goes through the configuration's current proxy: through a
// working one it arrives, through a dead one it does not.
TEST_F(StatsTest, EventsGoThroughTheCurrentProxy) {
  dorvtest::TempDir dir;
  ProxyProcess proxy(ProxyProcess::Kind::TinyproxyHttp, dir.path());
  ASSERT_TRUE(proxy.Started()) << proxy.Problem();
  Net::ProxyCfg cfg;
  cfg.m_type = Net::ProxyCfg::Http;
  cfg.m_host = "127.0.0.1";
  cfg.m_port = proxy.Port();
  GetGlobalConfig()->SetCurrentProxy(cfg);
  StatisticsTask("login", "alice@example.com").ExecuteWorkTask();
  cfg.m_port = ClosedPort();
  GetGlobalConfig()->SetCurrentProxy(cfg);
  StatisticsTask("login", "bob@example.com").ExecuteWorkTask();
  GetGlobalConfig()->SetCurrentProxy(Net::ProxyCfg());
  const Json::Value recorded = Events();
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0]["event"].asString(), "alice@example.com");
}

TEST_F(StatsTest, ReportUsageEventPostsToTheStatPoolAndReturns) {
  ReportUsageEvent("default", "sync_immediately\t");
  // Fire and forget: look at the service until the event is there.
  Json::Value recorded;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while ((recorded = Events()).empty() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0]["event"].asString(), "sync_immediately\t");
}

TEST_F(StatsTest, AnUnreachableServiceIsIgnored) {
  PointServerListAt(ServerListOnDeadPort());
  EXPECT_EQ(StatisticsTask("default", "feedback").ExecuteWorkTask(), 0);
}

struct ProxyCase {
  const char* name;
  ProxyProcess::Kind kind;
  int type;
};

TEST_F(StatsTest, TheProxyTestConnectsThroughEveryKindOfProxy) {
  const ProxyCase cases[] = {
      {"HTTP", ProxyProcess::Kind::TinyproxyHttp, 1},
      {"SOCKS4", ProxyProcess::Kind::DanteSocks, 2},
      {"SOCKS5", ProxyProcess::Kind::MicrosocksSocks5, 3},
  };
  for (const ProxyCase& c : cases) {
    SCOPED_TRACE(c.name);
    dorvtest::TempDir dir;
    ProxyProcess proxy(c.kind, dir.path());
    ASSERT_TRUE(proxy.Started()) << proxy.Problem();
    const std::string port = std::to_string(proxy.Port());
    bool ok = false;
    TestProxySetting(ok, c.type, "127.0.0.1", port, "", "");
    EXPECT_TRUE(ok);
    // The port text is read as a number: garbage is port 0, which fails.
    ok = true;
    TestProxySetting(ok, c.type, "127.0.0.1", "not a port", "", "");
    EXPECT_FALSE(ok);
  }
}

TEST_F(StatsTest, TheProxyTestFailsOnADeadProxyOrAnUnreachableService) {
  bool ok = true;
  TestProxySetting(ok, 1, "127.0.0.1", std::to_string(ClosedPort()), "", "");
  EXPECT_FALSE(ok);
  ok = true;
  TestProxySetting(ok, 3, "127.0.0.1", std::to_string(ClosedPort()), "", "");
  EXPECT_FALSE(ok);

  // Type 0 connects directly.
  ok = false;
  TestProxySetting(ok, 0, "", "", "", "");
  EXPECT_TRUE(ok);

  // A working proxy, but the service host does not answer behind it.
  PointServerListAt(ServerListOnDeadPort());
  dorvtest::TempDir dir;
  ProxyProcess proxy(ProxyProcess::Kind::MicrosocksSocks5, dir.path());
  ASSERT_TRUE(proxy.Started()) << proxy.Problem();
  ok = true;
  TestProxySetting(ok, 3, "127.0.0.1", std::to_string(proxy.Port()), "", "");
  EXPECT_FALSE(ok);
  ok = true;
  TestProxySetting(ok, 0, "", "", "", "");
  EXPECT_FALSE(ok);
}

}  // namespace
