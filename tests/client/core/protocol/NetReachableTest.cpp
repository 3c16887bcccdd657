// The reachability probe against real sockets: a listening port, a closed
// port, and a proxy that isn't there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "../../../platform/net/LoopbackPort.h"
#include "client/core/GlobalConfig.h"
#include "client/core/protocol/NetReachable.h"
#include "common/NetworkInfo.h"

namespace {

void SetPortal(const std::string& value) { setenv("DORV_PORTAL_ADDRESS", value.c_str(), 1); }

}  // namespace

TEST(PortalAddress, ReadsHostAndPortAndRefusesMalformedSettings) {
  struct Row { const char* setting; bool ok; const char* host; int port; };
  const Row rows[] = {{"127.0.0.1:8080", true, "127.0.0.1", 8080}, {"[::1]:80", true, "::1", 80},
                      {"host", false, "", 0},  {"host:", false, "", 0},  {":80", false, "", 0},
                      {"host:80x", false, "", 0}, {"host:0", false, "", 0}, {"host:70000", false, "", 0}};
  for (const Row& row : rows) {
    SetPortal(row.setting);
    std::string host;
    int port = 0;
    EXPECT_EQ(Common::GetPortalAddress(host, port), row.ok) << row.setting;
    if (row.ok) {
      EXPECT_EQ(host, row.host);
      EXPECT_EQ(port, row.port);
    }
  }
  unsetenv("DORV_PORTAL_ADDRESS");
}

TEST(CheckNetReachable, DirectlyFollowsWhetherThePortalAnswers) {
  LoopbackPort portal;
  SetPortal("127.0.0.1:" + std::to_string(portal.port()));
  EXPECT_TRUE(CheckNetReachable());
  portal.Close();
  EXPECT_FALSE(CheckNetReachable());
  unsetenv("DORV_PORTAL_ADDRESS");
}

TEST(CheckNetReachable, ThroughAProxyThatIsNotThereIsUnreachable) {
  LoopbackPort portal;
  LoopbackPort deadProxy;
  deadProxy.Close();
  SetPortal("127.0.0.1:" + std::to_string(portal.port()));
  const Net::ProxyCfg saved = GetGlobalConfig()->GetCurrentProxy();
  Net::ProxyCfg proxy;
  proxy.m_type = 1;
  proxy.m_host = "127.0.0.1";
  proxy.m_port = deadProxy.port();
  GetGlobalConfig()->SetCurrentProxy(proxy);
  EXPECT_FALSE(CheckNetReachable());
  GetGlobalConfig()->SetCurrentProxy(saved);
  unsetenv("DORV_PORTAL_ADDRESS");
}
