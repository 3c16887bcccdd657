// Exchanges with a server that misbehaves: bodies that never end, bytes
// dripped to hold a request open, redirects to other schemes and hosts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "HostileServer.h"
#include "TempDir.h"
#include "net/Net.h"

using dorvtest::HostileServer;
using Net::HttpRequest;
using Net::HttpResponse;
using Net::HttpTransport;

namespace {

constexpr int64_t kMiB = 1024 * 1024;

struct Outcome {
  bool ok;
  int status;
  size_t bodySize;
  std::string error;
};

Outcome Exchange(HttpTransport& transport, HttpRequest& request, HttpResponse& response) {
  const bool ok = transport.Transport(request, response);
  return {ok, response.GetStatusCode(), response.GetBody().size(), transport.GetLastError()};
}

}  // namespace

// A body past what the request can legitimately get fails the exchange, in
// memory and in a file alike, and what was kept stays within the cap.
TEST(HostileReply, BodiesPastTheirCapFail) {
  HostileServer server;
  server.Set("/endless", HostileServer::Endless());
  server.Set("/whole", HostileServer::Fixed(200, std::string(1000, 'w')));
  server.Set("/announced", HostileServer::Lying("tiny", 10LL << 30));

  {
    SCOPED_TRACE("an API reply, at the kind's own cap");
    HttpTransport transport(false);
    HttpRequest request(Net::HTTP_GET, server.Url("/endless"));
    HttpResponse response;
    const Outcome o = Exchange(transport, request, response);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.status, 0);
    EXPECT_LE(static_cast<int64_t>(o.bodySize), Net::LimitsFor(Net::RequestKind::Api).maxBodyBytes);
    EXPECT_NE(o.error.find("larger than"), std::string::npos) << o.error;
  }
  for (const char* path : {"/endless", "/whole"}) {
    SCOPED_TRACE(std::string("a range of 100 bytes answered by ") + path);
    HttpTransport transport(false);
    transport.m_bTransfer = true;
    HttpRequest request(Net::HTTP_GET, server.Url(path));
    request.SetHttpAcceptRanges(0, 99);
    HttpResponse response;
    const Outcome o = Exchange(transport, request, response);
    EXPECT_FALSE(o.ok);
    EXPECT_LE(o.bodySize, 100u);
  }
  {
    SCOPED_TRACE("a body written to a file");
    dorvtest::TempDir dir;
    const std::filesystem::path file = dir / "download";
    HttpTransport transport(false);
    transport.SetLimits({1 * kMiB, 0});
    HttpRequest request(Net::HTTP_GET, server.Url("/endless"));
    HttpResponse response(juce::String(file.string()));
    EXPECT_FALSE(Exchange(transport, request, response).ok);
    EXPECT_LE(static_cast<int64_t>(std::filesystem::file_size(file)), 1 * kMiB);
  }
  {
    SCOPED_TRACE("a length announced past the cap");
    HttpTransport transport(false);
    HttpRequest request(Net::HTTP_GET, server.Url("/announced"));
    HttpResponse response;
    const Outcome o = Exchange(transport, request, response);
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.error.find("larger than"), std::string::npos) << o.error;
  }
  {
    SCOPED_TRACE("a range answered within its length");
    server.Set("/short", HostileServer::Fixed(206, std::string(100, 's')));
    HttpTransport transport(false);
    HttpRequest request(Net::HTTP_GET, server.Url("/short"));
    request.SetHttpAcceptRanges(0, 99);
    HttpResponse response;
    const Outcome o = Exchange(transport, request, response);
    EXPECT_TRUE(o.ok) << o.error;
    EXPECT_EQ(o.bodySize, 100u);
  }
}

// A server that sends a byte now and then stays above the low-speed limit;
// the exchange's deadline ends it. The body would take 4 s; the deadline is 1 s.
TEST(HostileReply, ADrippingServerMeetsTheDeadline) {
  HostileServer server;
  server.Set("/drip", HostileServer::Drip(std::string(20, 'd'), 200));
  HttpTransport transport(false);
  transport.SetLimits({-1, 1000});
  HttpRequest request(Net::HTTP_GET, server.Url("/drip"));
  HttpResponse response;
  const Outcome o = Exchange(transport, request, response);
  EXPECT_FALSE(o.ok);
  EXPECT_EQ(o.status, 0);
  EXPECT_LT(o.bodySize, 20u);
}

// Each kind has a deadline and a cap of its own; the environment can shorten
// them for a run, and a malformed entry leaves the built-in ones.
TEST(HostileReply, LimitsByKindCanBeSetFromTheEnvironment) {
  unsetenv("DORV_NET_LIMITS");
  for (Net::RequestKind kind : {Net::RequestKind::Api, Net::RequestKind::Listing, Net::RequestKind::Transfer,
                                Net::RequestKind::LongPoll, Net::RequestKind::SmallFile, Net::RequestKind::LargeFile}) {
    const Net::TransferLimits limits = Net::LimitsFor(kind);
    EXPECT_GT(limits.maxBodyBytes, 0);
    EXPECT_GT(limits.deadlineMs, 0);
  }
  const Net::TransferLimits api = Net::LimitsFor(Net::RequestKind::Api);
  EXPECT_GT(Net::LimitsFor(Net::RequestKind::LongPoll).deadlineMs, api.deadlineMs);

  setenv("DORV_NET_LIMITS", "smallfile=4096:1500,api=12:x,largefile=9", 1);
  const Net::TransferLimits small = Net::LimitsFor(Net::RequestKind::SmallFile);
  EXPECT_EQ(small.maxBodyBytes, 4096);
  EXPECT_EQ(small.deadlineMs, 1500);
  EXPECT_EQ(Net::LimitsFor(Net::RequestKind::Api).maxBodyBytes, api.maxBodyBytes);
  EXPECT_EQ(Net::LimitsFor(Net::RequestKind::Api).deadlineMs, api.deadlineMs);
  EXPECT_GT(Net::LimitsFor(Net::RequestKind::LargeFile).deadlineMs, 0);
  unsetenv("DORV_NET_LIMITS");
}

// Redirects go to http and https only; a request with a body is never sent
// on to another host, and credentials in headers stay with the first host.
TEST(HostileReply, RedirectsStayOnHttpAndKeepBodiesOnTheirHost) {
  HostileServer server;
  HostileServer other("127.0.0.2");
  HostileServer ftp;  // stands for an FTP server: it counts connections
  server.Set("/to-ftp", HostileServer::Redirect(302, "ftp://127.0.0.1:" + std::to_string(ftp.Port()) + "/x"));
  server.Set("/to-file", HostileServer::Redirect(302, "file:///etc/passwd"));
  server.Set("/307-away", HostileServer::Redirect(307, other.Url("/landed")));
  server.Set("/308-away", HostileServer::Redirect(308, other.Url("/landed")));
  server.Set("/302-away", HostileServer::Redirect(302, other.Url("/landed")));
  server.Set("/307-home", HostileServer::Redirect(307, "/landed"));
  server.Set("/landed", HostileServer::Fixed(200, "here"));
  other.Set("/landed", HostileServer::Fixed(200, "there"));
  const std::string secret = "{\"pwd\": \"secret\"}";

  struct Case {
    const char* name;
    const char* path;
    Net::HTTPMETHOD method;
    bool followed;
  };
  const Case cases[] = {
      {"to ftp is refused", "/to-ftp", Net::HTTP_GET, false},
      {"to a file is refused", "/to-file", Net::HTTP_GET, false},
      {"a POST sent on to another host by 307 is refused", "/307-away", Net::HTTP_POST, false},
      {"a POST sent on to another host by 308 is refused", "/308-away", Net::HTTP_POST, false},
      {"a POST turned elsewhere by 302 is refused", "/302-away", Net::HTTP_POST, false},
      {"a POST sent on to its own host keeps its body", "/307-home", Net::HTTP_POST, true},
      {"a GET may go to another host, without its credentials", "/302-away", Net::HTTP_GET, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t otherBefore = other.Requests().size();
    HttpTransport transport(false);
    HttpRequest request(c.method, server.Url(c.path));
    request.AddHeaderField("Authorization", "sid-secret");
    if (c.method == Net::HTTP_POST) request.SetPostContent(secret);
    HttpResponse response;
    const Outcome o = Exchange(transport, request, response);
    EXPECT_EQ(o.ok, c.followed) << o.error;
    if (!c.followed) {
      EXPECT_EQ(other.Requests().size(), otherBefore);
      continue;
    }
    const bool away = std::string(c.path).find("away") != std::string::npos;
    const auto seen = away ? other.Requests() : server.Requests();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().target, "/landed");
    if (away) {
      EXPECT_EQ(seen.back().head.find("sid-secret"), std::string::npos);
    } else {
      EXPECT_EQ(seen.back().method, "POST");
      EXPECT_EQ(seen.back().body, secret);
    }
  }
  EXPECT_EQ(ftp.Connections(), 0);
}
