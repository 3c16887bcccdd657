#include <gtest/gtest.h>

#include "ProxyProcess.h"
#include "TempDir.h"
#include "TestServer.h"
#include "net/Net.h"

namespace {

Net::ProxyCfg Proxy(int type, int port, const std::string& user = "", const std::string& password = "") {
  Net::ProxyCfg cfg;
  cfg.m_type = type;
  cfg.m_host = "127.0.0.1";
  cfg.m_port = port;
  cfg.m_user = user;
  cfg.m_password = password;
  return cfg;
}

struct Case {
  const char* name;
  ProxyProcess::Kind kind;
  int type;
  std::string user, password;
};

// One exchange through the proxy; returns the status (0 when it failed).
int StatusThrough(const Net::ProxyCfg& proxy, const std::string& url) {
  Net::HttpTransport transport(false);
  transport.SetProxy(proxy);
  Net::HttpRequest request(Net::HTTP_GET, url);
  Net::HttpResponse response;
  transport.Transport(request, response);
  return response.GetStatusCode();
}

}  // namespace

TEST(ProxyCfg, DefaultsToNoProxyAndSetNullClearsEverything) {
  Net::ProxyCfg cfg;
  EXPECT_EQ(cfg.m_type, 0);
  cfg = Proxy(3, 1080, "u", "p");
  Net::ProxyCfg copy;
  copy = cfg;
  EXPECT_EQ(copy.m_host, "127.0.0.1");
  EXPECT_EQ(copy.m_port, 1080);
  copy.SetNull();
  EXPECT_EQ(copy.m_type, 0);
  EXPECT_TRUE(copy.m_host.empty());
  EXPECT_EQ(cfg.m_type, 3);
}

TEST(Proxy, ExchangesAndSocketsGoThroughEveryKindOfProxy) {
  TestServer server;
  const Case cases[] = {
      {"HTTP", ProxyProcess::Kind::TinyproxyHttp, 1, "", ""},
      {"HTTP with a password", ProxyProcess::Kind::TinyproxyHttp, 1, "dorv", "s3cret"},
      {"SOCKS4", ProxyProcess::Kind::DanteSocks, 2, "", ""},
      {"SOCKS5", ProxyProcess::Kind::MicrosocksSocks5, 3, "", ""},
      {"SOCKS5 with a password", ProxyProcess::Kind::MicrosocksSocks5, 3, "dorv", "s3cret"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dorvtest::TempDir dir;
    ProxyProcess proxy(c.kind, dir.path(), c.user, c.password);
    ASSERT_TRUE(proxy.Started()) << proxy.Problem();
    Net::ProxyCfg cfg = Proxy(c.type, proxy.Port(), c.user, c.password);

    int before = server.RequestCount();
    EXPECT_EQ(StatusThrough(cfg, server.Url("/echo?via=proxy")), 200);
    EXPECT_EQ(server.RequestCount(), before + 1);
    if (c.type == 1) {
      EXPECT_NE(server.Last().headers["Via"], "");  // tinyproxy says it was there
    }

    // A TCP connection through the proxy reaches the server.
    Net::ProxySocket socket("127.0.0.1", server.Port());
    socket.SetProxy(cfg);
    ASSERT_TRUE(socket.Connect());
    const std::string ask = "GET /status/204 HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    EXPECT_EQ(socket.Send(ask.data(), static_cast<int>(ask.size())), static_cast<int>(ask.size()));
    char buf[64] = {};
    int n = socket.Receive(buf, sizeof buf - 1);
    EXPECT_GT(n, 0);
    EXPECT_EQ(std::string(buf).rfind("HTTP/1.1 204", 0), 0u) << buf;
    socket.Close(false);
    EXPECT_FALSE(socket.IsConnected());

    if (!c.user.empty()) {
      Net::ProxyCfg wrong = Proxy(c.type, proxy.Port(), c.user, "wrong");
      int status = StatusThrough(wrong, server.Url("/echo"));
      EXPECT_NE(status, 200);
      Net::ProxySocket refused("127.0.0.1", server.Port());
      refused.SetProxy(wrong);
      EXPECT_FALSE(refused.Connect());
    }
  }
}

TEST(Proxy, AProxyThatIsNotThereOrNotUsableFailsTheExchange) {
  TestServer server;
  const int closed = ClosedPort();
  for (int type : {1, 2, 3}) {
    EXPECT_EQ(StatusThrough(Proxy(type, closed), server.Url("/echo")), 0) << type;
    Net::ProxySocket socket("127.0.0.1", server.Port());
    socket.SetProxy(Proxy(type, closed));
    EXPECT_FALSE(socket.Connect()) << type;
  }
  // Port 0 (a port text that was not a number), no host, an unknown type.
  for (Net::ProxyCfg bad : {Proxy(1, 0), Proxy(3, 1080), Proxy(9, 1080)}) {
    if (bad.m_port == 1080 && bad.m_type == 3) bad.m_host.clear();
    EXPECT_EQ(StatusThrough(bad, server.Url("/echo")), 0);
    Net::ProxySocket socket("127.0.0.1", server.Port());
    socket.SetProxy(bad);
    EXPECT_FALSE(socket.Connect());
  }
}

TEST(ProxySocket, ConnectsDirectlyWithoutAProxyAndCloseAllConnectEndsIt) {
  TestServer server;
  Net::ProxySocket socket("127.0.0.1", server.Port());
  ASSERT_TRUE(socket.Connect());
  EXPECT_TRUE(socket.IsConnected());
  Net::ProxySocket::CloseAllConnect();
  EXPECT_FALSE(socket.IsConnected());
  char buf[16];
  EXPECT_EQ(socket.Receive(buf, sizeof buf, 5000), -1);
  socket.Close(false);

  Net::ProxySocket nobody("127.0.0.1", ClosedPort());
  EXPECT_FALSE(nobody.Connect());
}

TEST(Proxy, NoProxyMeansNoneEvenWhenTheEnvironmentNamesOne) {
  TestServer server;
  const std::string dead = "http://127.0.0.1:" + std::to_string(ClosedPort());
  setenv("http_proxy", dead.c_str(), 1);
  setenv("ALL_PROXY", dead.c_str(), 1);
  int status = StatusThrough(Net::ProxyCfg(), server.Url("/echo"));
  unsetenv("http_proxy");
  unsetenv("ALL_PROXY");
  EXPECT_EQ(status, 200);
}
