#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

// An HTTP server on a loopback port of its own, inside the test process.
// Routes:
//   /echo            (GET, POST) records the request, answers 200 "echo"
//   /status/<n>      answers status n with the body "status <n>"
//   /data            answers the 256 KiB of Data(), honouring Range
//   /hold            records arrival, then holds the answer until released
//   /upload          (POST) records the body's length, answers 200
class TestServer {
 public:
  struct Part {
    std::string name, filename, content;
  };
  struct Seen {
    std::string method, path, body, target;
    std::map<std::string, std::string> headers, params;
    std::vector<Part> parts;
    int remotePort = -1;
  };

  TestServer();
  ~TestServer();
  int Port() const;
  std::string Url(const std::string& pathAndQuery) const;
  static const std::string& Data();

  Seen Last() const;
  int RequestCount() const;
  // Blocks until `count` requests have arrived at /hold in all.
  void WaitForHeld(int count = 1) const;
  void ReleaseHeld();

 private:
  struct Impl;
  std::unique_ptr<Impl> m;
};

// A TCP server that answers every connection with fixed bytes, for replies
// that no HTTP server would send.
class RawServer {
 public:
  enum class Ending { Close, Reset, NeverAnswer };
  RawServer(std::string reply, Ending ending);
  ~RawServer();
  int Port() const;
  std::string Url(const std::string& path) const;
  // The bytes of the last request read (head and a Content-Length body).
  std::string LastRequest() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m;
};

// A loopback port that nothing listens on.
int ClosedPort();
