#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <future>
#include <set>
#include <thread>

#include "TempDir.h"
#include "TestServer.h"
#include "net/Net.h"

using Net::HttpRequest;
using Net::HttpResponse;
using Net::HttpTransport;

namespace {

// A file part that counts its own deletion.
class CountedStream : public Net::HttpDataStream {
 public:
  CountedStream(const std::string& data, std::atomic<int>& deleted)
      : HttpDataStream(data.data(), static_cast<int>(data.size())), m_deleted(deleted) {}
  ~CountedStream() override { ++m_deleted; }

 private:
  std::atomic<int>& m_deleted;
};

struct Exchange {
  bool ok;
  int status;
  std::string body;
};
Exchange Exchanged(HttpRequest& request, HttpTransport& transport) {
  HttpResponse response;
  bool ok = transport.Transport(request, response);
  return {ok, response.GetStatusCode(), response.GetBody()};
}
Exchange Get(const std::string& url) {
  HttpTransport transport(false);
  HttpRequest request(Net::HTTP_GET, url);
  return Exchanged(request, transport);
}

}  // namespace

TEST(HttpTransport, SendsMethodHeadersAndBody) {
  TestServer server;
  HttpTransport transport(false);

  HttpRequest get(Net::HTTP_GET, server.Url("/echo?op=syncDir&id=7"));
  get.AddHeaderField("Authorization", "sid-1");
  get.AddHeaderField("x-hlvn-meta-product", "dorv");
  Exchange e = Exchanged(get, transport);
  ASSERT_TRUE(e.ok);
  EXPECT_EQ(e.status, 200);
  EXPECT_EQ(e.body, "echo");
  TestServer::Seen seen = server.Last();
  EXPECT_EQ(seen.method, "GET");
  EXPECT_EQ(seen.params["op"], "syncDir");
  EXPECT_EQ(seen.params["id"], "7");
  EXPECT_EQ(seen.headers["Authorization"], "sid-1");
  EXPECT_EQ(seen.headers["x-hlvn-meta-product"], "dorv");

  HttpRequest post;
  post.SetHttpRequest(Net::HTTP_POST, server.Url("/echo?op=createDir"));
  const std::string json = "{\n   \"dir\" : {\"id\" : 1}\n}\n";
  post.SetPostContent(json);
  e = Exchanged(post, transport);
  ASSERT_TRUE(e.ok);
  seen = server.Last();
  EXPECT_EQ(seen.method, "POST");
  EXPECT_EQ(seen.body, json);
  EXPECT_EQ(seen.headers.count("Expect"), 0u);
}

TEST(HttpTransport, AGetCanCarryABody) {
  RawServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok", RawServer::Ending::Close);
  HttpTransport transport(false);
  HttpRequest request(Net::HTTP_GET, server.Url("/fs/service/?op=getUser"));
  request.SetPostContent("{\"a\":1}");
  Exchange e = Exchanged(request, transport);
  ASSERT_TRUE(e.ok);
  EXPECT_EQ(e.body, "ok");
  std::string seen = server.LastRequest();
  EXPECT_EQ(seen.rfind("GET /fs/service/?op=getUser HTTP/1.1\r\n", 0), 0u) << seen;
  EXPECT_NE(seen.find("\r\n\r\n{\"a\":1}"), std::string::npos) << seen;
}

TEST(HttpTransport, BytesThatMayNotStandInAUrlAreEscaped) {
  TestServer server;
  Exchange e = Get(server.Url("/echo?category=default&event=sync_immediately\t&name=a b#c&who=\xe4\xb8\xad"));
  ASSERT_TRUE(e.ok);
  TestServer::Seen seen = server.Last();
  EXPECT_EQ(seen.params["event"], "sync_immediately\t");
  EXPECT_EQ(seen.params["name"], "a b#c");
  EXPECT_EQ(seen.params["who"], "\xe4\xb8\xad");
}

TEST(HttpTransport, MultipartBodyWithTextFieldsAndFileParts) {
  TestServer server;
  std::string block(300000, '\0');
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 7);
  std::atomic<int> deleted{0};
  {
    HttpTransport transport(false);
    transport.m_bTransfer = true;
    HttpRequest request(Net::HTTP_POST, server.Url("/echo?op=uploadFile"));
    request.AddHeaderField("Authorization", "token-context");
    request.AddField("dataDescriptor", "{\"file\": {\"offset\": 0}}");
    request.AddFile("dataBlocks", new CountedStream(block, deleted));
    request.AddFile("empty", new CountedStream(std::string(), deleted));
    Exchange e = Exchanged(request, transport);
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.status, 200);
  }
  EXPECT_EQ(deleted, 2);  // the request owned its file parts
  TestServer::Seen seen = server.Last();
  ASSERT_EQ(seen.parts.size(), 3u);
  for (const auto& part : seen.parts) {
    if (part.name == "dataDescriptor") {
      EXPECT_EQ(part.content, "{\"file\": {\"offset\": 0}}");
    } else if (part.name == "dataBlocks") {
      EXPECT_EQ(part.content, block);
      EXPECT_FALSE(part.filename.empty());
    } else {
      EXPECT_EQ(part.name, "empty");
      EXPECT_EQ(part.content, "");
    }
  }
  EXPECT_EQ(seen.headers["Authorization"], "token-context");
}

TEST(HttpTransport, ByteRangesIncludeTheirEnd) {
  TestServer server;
  const std::string& data = TestServer::Data();
  struct Row {
    int start, end;
    int status;
    std::string expected;
  };
  for (const Row& r : {Row{0, 0, 206, data.substr(0, 1)}, Row{10, 409609, 206, data.substr(10)},
                       Row{1000, 1999, 206, data.substr(1000, 1000)}, Row{5, -1, 206, data.substr(5)}}) {
    HttpTransport transport(false);
    HttpRequest request(Net::HTTP_GET, server.Url("/data"));
    request.SetHttpAcceptRanges(r.start, r.end);
    Exchange e = Exchanged(request, transport);
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.status, r.status) << r.start << "-" << r.end;
    EXPECT_EQ(e.body, r.expected) << r.start << "-" << r.end;
    EXPECT_EQ(server.Last().headers["Range"], "bytes=" + std::to_string(r.start) + "-" +
                                                  (r.end >= 0 ? std::to_string(r.end) : ""));
  }
}

TEST(HttpTransport, ABodyWrittenToAFileReplacesWhatWasThere) {
  TestServer server;
  dorvtest::TempDir dir;
  auto path = dir / "setup.bin";
  dorvtest::WriteFile(path, std::string(400 * 1024, 'x'));
  HttpTransport transport(false);
  HttpRequest request(Net::HTTP_GET, server.Url("/data"));
  HttpResponse response(juce::String(path.string()));
  ASSERT_TRUE(transport.Transport(request, response));
  EXPECT_EQ(response.GetStatusCode(), 200);
  EXPECT_TRUE(response.GetBody().empty());
  EXPECT_EQ(dorvtest::ReadFile(path), TestServer::Data());

  // An error page is a body like any other; the caller reads the status.
  HttpRequest missing(Net::HTTP_GET, server.Url("/status/404"));
  HttpResponse notFound(juce::String(path.string()));
  ASSERT_TRUE(transport.Transport(missing, notFound));
  EXPECT_EQ(notFound.GetStatusCode(), 404);
  EXPECT_EQ(dorvtest::ReadFile(path), "status 404");

  // A file that cannot be written fails the exchange.
  HttpResponse unwritable(juce::String((dir / "no" / "such" / "folder").string()));
  HttpRequest again(Net::HTTP_GET, server.Url("/data"));
  EXPECT_FALSE(transport.Transport(again, unwritable));
  EXPECT_EQ(unwritable.GetStatusCode(), 0);

  // A download is the user's alone whatever the umask, and a link planted under
  // its name is not written through.
  const mode_t old = umask(022);
  HttpResponse fresh(juce::String((dir / "fresh.bin").string()));
  HttpRequest third(Net::HTTP_GET, server.Url("/data"));
  EXPECT_TRUE(transport.Transport(third, fresh));
  umask(old);
  EXPECT_EQ(std::filesystem::status(dir / "fresh.bin").permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  dorvtest::WriteFile(dir / "victim", "keep");
  std::filesystem::create_symlink(dir / "victim", dir / "link.bin");
  HttpResponse planted(juce::String((dir / "link.bin").string()));
  HttpRequest fourth(Net::HTTP_GET, server.Url("/data"));
  EXPECT_FALSE(transport.Transport(fourth, planted));
  EXPECT_EQ(dorvtest::ReadFile(dir / "victim"), "keep");
}

TEST(HttpTransport, AnyStatusIsAnAnswer) {
  TestServer server;
  for (int status : {200, 204, 403, 404, 416, 500, 503}) {
    Exchange e = Get(server.Url("/status/" + std::to_string(status)));
    EXPECT_TRUE(e.ok) << status;
    EXPECT_EQ(e.status, status);
  }
}

TEST(HttpTransport, BrokenExchangesFailWithStatusZero) {
  const std::string truncated = "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(1000, 'a');
  struct Row {
    const char* name;
    std::string reply;
    RawServer::Ending ending;
  };
  for (const Row& r : {Row{"malformed status line", "HTTP/1.1 OK-ish\r\n\r\nbody", RawServer::Ending::Close},
                       Row{"not HTTP at all", "SSH-2.0-OpenSSH\r\n", RawServer::Ending::Close},
                       Row{"closed in mid-body", truncated, RawServer::Ending::Close},
                       Row{"reset in mid-body", truncated, RawServer::Ending::Reset},
                       Row{"never answers", "", RawServer::Ending::NeverAnswer}}) {
    RawServer server(r.reply, r.ending);
    HttpTransport transport(false);
    transport.SetTimeouts(2000, 1);
    HttpRequest request(Net::HTTP_GET, server.Url("/x"));
    Exchange e = Exchanged(request, transport);
    EXPECT_FALSE(e.ok) << r.name;
    EXPECT_EQ(e.status, 0) << r.name;
    EXPECT_FALSE(transport.GetLastError().empty()) << r.name;
  }
  // Nobody listening, and a name that does not resolve.
  for (const std::string& url :
       {"http://127.0.0.1:" + std::to_string(ClosedPort()) + "/", std::string("http://nowhere.invalid/")}) {
    Exchange e = Get(url);
    EXPECT_FALSE(e.ok) << url;
    EXPECT_EQ(e.status, 0) << url;
  }
}

TEST(HttpTransport, StopFromAnotherThreadAbortsAHeldExchange) {
  TestServer server;
  HttpTransport transport(true);
  auto poll = std::async(std::launch::async, [&] {
    HttpRequest request(Net::HTTP_GET, server.Url("/hold"));
    return Exchanged(request, transport);
  });
  server.WaitForHeld();
  transport.Stop();
  // The server still holds its answer: only the stop can end the exchange.
  Exchange e = poll.get();
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(e.status, 0);

  // Stopped stays stopped until the restart flag is set.
  HttpRequest next(Net::HTTP_GET, server.Url("/echo"));
  int before = server.RequestCount();
  EXPECT_FALSE(Exchanged(next, transport).ok);
  EXPECT_EQ(server.RequestCount(), before);
  transport.m_bRestart = true;
  EXPECT_TRUE(Exchanged(next, transport).ok);
  EXPECT_FALSE(transport.m_bRestart);
  EXPECT_TRUE(Exchanged(next, transport).ok);
}

TEST(HttpTransport, ProgressReportsBytesSoFarAndTotal) {
  TestServer server;
  HttpTransport transport(false);
  transport.m_bTransfer = true;
  std::vector<std::pair<int, int>> received, sent;
  std::string seenUrl;
  transport.SetTransportCallback(
      [&](const std::string&, int now, int total) { sent.emplace_back(now, total); },
      [&](const std::string& url, int now, int total) {
        seenUrl = url;
        received.emplace_back(now, total);
      });
  HttpRequest download(Net::HTTP_GET, server.Url("/data"));
  ASSERT_TRUE(Exchanged(download, transport).ok);
  const int size = static_cast<int>(TestServer::Data().size());
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received.back(), std::make_pair(size, size));
  for (size_t i = 1; i < received.size(); ++i) EXPECT_GE(received[i].first, received[i - 1].first);
  EXPECT_EQ(seenUrl, server.Url("/data"));

  HttpRequest upload(Net::HTTP_POST, server.Url("/upload"));
  upload.SetPostContent(TestServer::Data());
  ASSERT_TRUE(Exchanged(upload, transport).ok);
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back(), std::make_pair(size, size));

  // Empty delegates are not called.
  transport.SetTransportCallback(Net::TransportDelegate(), Net::TransportDelegate());
  HttpRequest quiet(Net::HTTP_GET, server.Url("/data"));
  size_t calls = received.size();
  ASSERT_TRUE(Exchanged(quiet, transport).ok);
  EXPECT_EQ(received.size(), calls);
}

TEST(HttpTransport, RequestsToOneHostReuseTheConnection) {
  TestServer server;
  std::set<int> ports;
  for (int i = 0; i < 5; ++i) {
    // A new transport per request, as every request task makes.
    ASSERT_TRUE(Get(server.Url("/echo")).ok);
    ports.insert(server.Last().remotePort);
  }
  EXPECT_EQ(ports.size(), 1u);
  // After CloseAllConnect the next request opens a new connection.
  Net::ProxySocket::CloseAllConnect();
  ASSERT_TRUE(Get(server.Url("/echo")).ok);
  EXPECT_EQ(ports.count(server.Last().remotePort), 0u);
}

TEST(HttpTransport, CloseAllConnectEndsTransfersInProgress) {
  TestServer server;
  std::vector<std::future<Exchange>> polls;
  for (int i = 0; i < 3; ++i) {
    polls.push_back(std::async(std::launch::async, [&] {
      HttpTransport transport(true);
      HttpRequest request(Net::HTTP_GET, server.Url("/hold"));
      return Exchanged(request, transport);
    }));
  }
  server.WaitForHeld(3);
  Net::ProxySocket::CloseAllConnect();
  for (auto& p : polls) EXPECT_FALSE(p.get().ok);
  // New exchanges work again.
  EXPECT_TRUE(Get(server.Url("/echo")).ok);
}

TEST(HttpTransport, SpeedLimitsSlowEveryTransferDown) {
  TestServer server;
  const double size = static_cast<double>(TestServer::Data().size());  // 256 KiB
  auto timed = [&](auto&& body) {
    auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  // At 256 KiB/s the 256 KiB take about a second; a lower bound of half of
  // that cannot be met by chance, so the check holds on a loaded machine too.
  const int limit = 256 * 1024;
  Net::ProxySocket::SetDownloadSpeedLimit(limit);
  double down = timed([&] { ASSERT_TRUE(Get(server.Url("/data")).ok); });
  Net::ProxySocket::SetDownloadSpeedLimit(-1);
  EXPECT_GE(down, 0.5 * size / limit) << down;

  Net::ProxySocket::SetUploadSpeedLimit(limit);
  double up = timed([&] {
    HttpTransport transport(false);
    HttpRequest request(Net::HTTP_POST, server.Url("/upload"));
    request.SetPostContent(TestServer::Data());
    ASSERT_TRUE(Exchanged(request, transport).ok);
  });
  Net::ProxySocket::SetUploadSpeedLimit(-1);
  EXPECT_GE(up, 0.5 * size / limit) << up;
  EXPECT_EQ(server.Last().body.size(), TestServer::Data().size());
}

TEST(HttpTransport, DelegatesThatSayTheyAreEmptyStayEmpty) {
  // The shape of a bound-member delegate: callable, and able to say it is empty.
  struct Delegate {
    int* calls;
    bool empty() const { return calls == nullptr; }
    void operator()(const std::string&, int, int) const { ++*calls; }
  };
  int calls = 0;
  EXPECT_FALSE(Net::MakeTransportDelegate(Delegate{nullptr}));
  Net::TransportDelegate bound = Net::MakeTransportDelegate(Delegate{&calls});
  ASSERT_TRUE(bound);
  bound("http://x/", 1, 2);
  EXPECT_EQ(calls, 1);
  HttpTransport transport(false);
  transport.SetTransportCallback(Delegate{nullptr}, Delegate{&calls});  // compiles for any such delegate
}
