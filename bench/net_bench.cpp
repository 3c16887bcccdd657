// Throughput of the network library against the curl command line, over
// loopback against one in-process server: a 256 MiB download and upload,
// plus the rate of small requests with and without connection reuse.
//
//   net_bench [MiB]     (default 256)
//
// A transfer's reply is capped at 4 MiB in the program (a block or a range is
// far less): the bench raises the cap of its own transfers to the size sent,
// and downloads to a file into a temporary file, which it removes.
#include <httplib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "net/Net.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Runs the curl command line and returns its own transfer time (seconds),
// which leaves out the start of the process. The body goes to `output`.
double CurlSeconds(const std::string& args, const std::string& output = "/dev/null") {
  std::string command = "curl -s -o " + output + " -w '%{time_total}' " + args;
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return -1;
  char out[64] = {};
  size_t n = fread(out, 1, sizeof out - 1, p);
  int rc = pclose(p);
  if (rc != 0 || n == 0) return -1;
  return std::atof(out);
}

// Best times of two contenders over several rounds, run in turn so that a
// busy moment of the machine hits both alike.
template <class A, class B>
std::pair<double, double> BestOfBoth(int rounds, A&& a, B&& b) {
  double bestA = 1e30, bestB = 1e30;
  for (int i = 0; i < rounds; ++i) {
    double sa = a(), sb = b();
    if (sa < 0 || sb < 0) return {-1, -1};
    bestA = std::min(bestA, sa);
    bestB = std::min(bestB, sb);
  }
  return {bestA, bestB};
}

void Report(const char* what, double bytes, double ours, double curl) {
  const double mib = bytes / (1024.0 * 1024.0);
  std::printf("%-34s ours %8.1f MiB/s   curl %8.1f MiB/s   ratio %.2f\n", what, mib / ours, mib / curl, curl / ours);
}

}  // namespace

int main(int argc, char** argv) {
  const size_t mib = argc > 1 ? static_cast<size_t>(std::atoi(argv[1])) : 256;
  const size_t size = mib * 1024 * 1024;
  std::string blob(size, '\0');
  for (size_t i = 0; i < size; i += 4096) blob[i] = static_cast<char>(i / 4096);

  httplib::Server server;
  server.set_keep_alive_max_count(100000);
  server.set_tcp_nodelay(true);  // else each kept-alive exchange waits out a delayed ACK
  server.Get("/blob", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(size, "application/octet-stream",
                             [&](size_t offset, size_t length, httplib::DataSink& sink) {
                               sink.write(blob.data() + offset, std::min<size_t>(length, 1 << 20));
                               return true;
                             });
  });
  server.Post("/sink", [](const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
    size_t n = 0;
    auto count = [&](const char*, size_t length) {
      n += length;
      return true;
    };
    if (req.is_multipart_form_data())
      reader([](const httplib::MultipartFormData&) { return true; }, count);
    else
      reader(count);
    res.set_content(std::to_string(n), "text/plain");
  });
  server.Get("/small", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("{\"code\":200,\"result\":{}}", "application/json");
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  std::thread listener([&] { server.listen_after_bind(); });
  while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const std::string base = "http://127.0.0.1:" + std::to_string(port);

  std::string file = "/tmp/net_bench_" + std::to_string(getpid()) + ".bin";
  const std::string received = "/tmp/net_bench_" + std::to_string(getpid()) + ".received";
  std::ofstream(file, std::ios::binary).write(blob.data(), static_cast<std::streamsize>(blob.size()));

  std::printf("net_bench: %zu MiB over loopback, best of 5, in turn; the reply cap raised to %zu MiB\n", mib, mib);
  bool failed = false;
  auto transfer = [&](auto&& fill, auto&& respond) {
    Net::HttpTransport transport(false);
    transport.m_bTransfer = true;
    transport.SetLimits(Net::TransferLimits{static_cast<int64_t>(size), 0});
    Net::HttpRequest request;
    fill(request);
    auto response = respond();
    auto start = Clock::now();
    bool ok = transport.Transport(request, *response);
    double s = Seconds(start);
    if (!ok || response->GetStatusCode() != 200) {
      std::fprintf(stderr, "transfer failed: %s (status %d)\n", transport.GetLastError().c_str(),
                   response->GetStatusCode());
      failed = true;
      return -1.0;
    }
    return s;
  };

  const int rounds = 5;
  auto download = [&](auto respond) {
    return transfer([&](Net::HttpRequest& r) { r.SetHttpRequest(Net::HTTP_GET, base + "/blob"); }, respond);
  };
  auto curlDownload = [&] { return CurlSeconds(base + "/blob"); };
  // Download: into a file (as curl -o does), and into memory.
  auto [downFile, curlDownFile] = BestOfBoth(
      rounds, [&] { return download([&] { return std::make_unique<Net::HttpResponse>(juce::String(received)); }); },
      [&] { return CurlSeconds(base + "/blob", received + ".curl"); });
  auto [downMemory, curlDownMemory] = BestOfBoth(
      rounds, [&] { return download([] { return std::make_unique<Net::HttpResponse>(); }); }, curlDownload);

  // Upload: a plain body (curl streams the file), and a multipart body with a
  // file part as the block upload sends (curl -F).
  auto curlUpload = [&] {
    return CurlSeconds("-X POST -H 'Content-Type: application/octet-stream' -T " + file + " " + base + "/sink");
  };
  auto [upBody, curlUpBody] = BestOfBoth(
      rounds,
      [&] {
        return transfer(
            [&](Net::HttpRequest& r) {
              r.SetHttpRequest(Net::HTTP_POST, base + "/sink");
              r.SetPostContent(blob);
            },
            [] { return std::make_unique<Net::HttpResponse>(); });
      },
      curlUpload);
  auto [upMultipart, curlUpMultipart] = BestOfBoth(
      rounds,
      [&] {
        return transfer(
            [&](Net::HttpRequest& r) {
              r.SetHttpRequest(Net::HTTP_POST, base + "/sink");
              r.AddField("dataDescriptor", "{}");
              r.AddFile("dataBlocks", new Net::HttpDataStream(blob.data(), static_cast<int>(blob.size())));
            },
            [] { return std::make_unique<Net::HttpResponse>(); });
      },
      [&] { return CurlSeconds("-F 'dataDescriptor={}' -F 'dataBlocks=@" + file + "' " + base + "/sink"); });
  unlink(file.c_str());
  unlink(received.c_str());
  unlink((received + ".curl").c_str());
  if (failed || downFile < 0 || downMemory < 0 || upBody < 0 || upMultipart < 0) {
    std::fprintf(stderr, "net_bench: a transfer failed\n");
    server.stop();
    listener.join();
    return 1;
  }
  Report("download to a file", size, downFile, curlDownFile);
  Report("download to memory", size, downMemory, curlDownMemory);
  Report("upload of a body in memory", size, upBody, curlUpBody);
  Report("upload of a multipart file part", size, upMultipart, curlUpMultipart);

  // Small requests, a new transport for each as the request tasks do: with
  // the shared connection cache, and with a new connection every time.
  auto smallRate = [&](bool reuse) {
    const int count = 2000;
    auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
      Net::HttpTransport transport(false);
      Net::HttpRequest request(Net::HTTP_GET, base + "/small");
      if (!reuse) request.AddHeaderField("Connection", "close");
      Net::HttpResponse response;
      if (!transport.Transport(request, response)) return -1.0;
    }
    return count / Seconds(start);
  };
  double reused = smallRate(true);
  double fresh = smallRate(false);
  std::printf("%-34s reused %8.0f req/s   new connection each %8.0f req/s\n", "small requests", reused, fresh);

  Net::ProxySocket::CloseAllConnect();
  server.stop();
  listener.join();
  return 0;
}
