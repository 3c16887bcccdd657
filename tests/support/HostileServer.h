#pragma once
// An HTTP server on a loopback port that misbehaves on purpose, one scripted
// reply per path: bodies that never end, bodies dripped a byte at a time,
// lengths that lie, redirects anywhere. Every connection is answered once and
// closed. Requests and connections are recorded for the test to read.
// Thread-safe; the destructor cuts every connection still open.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dorvtest {

class HostileServer {
 public:
  struct Reply {
    enum class Body {
      Fixed,    // the body, with its Content-Length unless `announced` says otherwise
      Endless,  // filler bytes with no length, until the client goes or `limit` bytes were sent
      Drip,     // the body, one byte every `intervalMs`, with its true Content-Length
    };
    int status = 200;
    std::vector<std::string> headers;  // "Name: value"
    std::string body;
    Body kind = Body::Fixed;
    int64_t announced = -1;  // the Content-Length sent for a fixed body; -1: its true length
    int64_t limit = 0;       // endless: the bytes after which the server gives up and closes
    int intervalMs = 0;      // drip
  };
  static Reply Fixed(int status, std::string body, std::vector<std::string> headers = {});
  // Announces `announced` bytes, sends `body` and closes.
  static Reply Lying(std::string body, int64_t announced);
  static Reply Redirect(int status, const std::string& location);
  static Reply Endless(int64_t limit = 64LL << 20);
  static Reply Drip(std::string body, int intervalMs);

  struct Request {
    std::string method, target, head, body;
  };

  // address: the loopback address to listen on ("127.0.0.2" is another host
  // to a client that came from 127.0.0.1).
  explicit HostileServer(const std::string& address = "127.0.0.1");
  ~HostileServer();
  HostileServer(const HostileServer&) = delete;
  HostileServer& operator=(const HostileServer&) = delete;

  // The reply for a path (the target without its query); other paths get 404.
  void Set(const std::string& path, Reply reply);
  int Port() const;
  std::string Url(const std::string& pathAndQuery) const;

  std::vector<Request> Requests() const;
  // Connections accepted, also those that never sent a whole request.
  int Connections() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m;
};

}  // namespace dorvtest
