#include "TestServer.h"

#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "net/ProxySocket.h"

struct TestServer::Impl {
  httplib::Server server;
  int port = 0;
  std::thread thread;
  mutable std::mutex lock;
  mutable std::condition_variable changed;
  Seen last;
  int requests = 0;
  int held = 0;
  bool released = false;

  void Record(const httplib::Request& req) {
    std::lock_guard<std::mutex> hold(lock);
    Seen s;
    s.method = req.method;
    s.path = req.path;
    s.target = req.target;
    s.body = req.body;
    for (const auto& [k, v] : req.headers) s.headers[k] = v;
    for (const auto& [k, v] : req.params) s.params[k] = v;
    for (const auto& [k, f] : req.files) s.parts.push_back({f.name, f.filename, f.content});
    s.remotePort = req.remote_port;
    last = std::move(s);
    ++requests;
    changed.notify_all();
  }
};

const std::string& TestServer::Data() {
  static const std::string data = [] {
    std::string d(256 * 1024, '\0');
    for (size_t i = 0; i < d.size(); ++i) d[i] = static_cast<char>((i * 131 + i / 256) & 0xff);
    return d;
  }();
  return data;
}

TestServer::TestServer() : m(std::make_unique<Impl>()) {
  auto& s = m->server;
  s.set_keep_alive_max_count(1000);
  // Without it, a header and a body written apart wait out a delayed ACK
  // (40 ms) on every exchange over a kept connection.
  s.set_tcp_nodelay(true);
  auto echo = [this](const httplib::Request& req, httplib::Response& res) {
    m->Record(req);
    res.set_content("echo", "text/plain");
  };
  s.Get("/echo", echo);
  s.Post("/echo", echo);
  s.Get(R"(/status/(\d+))", [this](const httplib::Request& req, httplib::Response& res) {
    m->Record(req);
    res.status = std::stoi(req.matches[1]);
    if (res.status != 204) res.set_content("status " + std::string(req.matches[1]), "text/plain");
  });
  s.Get("/data", [this](const httplib::Request& req, httplib::Response& res) {
    m->Record(req);
    res.set_content(Data(), "application/octet-stream");
  });
  s.Get("/hold", [this](const httplib::Request& req, httplib::Response& res) {
    m->Record(req);
    std::unique_lock<std::mutex> hold(m->lock);
    ++m->held;
    m->changed.notify_all();
    m->changed.wait(hold, [this] { return m->released; });
    res.set_content("late", "text/plain");
  });
  s.Post("/upload", [this](const httplib::Request& req, httplib::Response& res) {
    m->Record(req);
    res.set_content(std::to_string(req.body.size()), "text/plain");
  });
  m->port = s.bind_to_any_port("127.0.0.1");
  m->thread = std::thread([this] { m->server.listen_after_bind(); });
  // stop() does nothing to a server that has not begun to listen yet.
  while (!m->server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TestServer::~TestServer() {
  ReleaseHeld();
  // The client keeps idle connections for reuse, and the server would wait
  // out its keep-alive time for each; closing them ends the server at once.
  Net::ProxySocket::CloseAllConnect();
  m->server.stop();
  m->thread.join();
}

int TestServer::Port() const { return m->port; }

std::string TestServer::Url(const std::string& pathAndQuery) const {
  return "http://127.0.0.1:" + std::to_string(m->port) + pathAndQuery;
}

TestServer::Seen TestServer::Last() const {
  std::lock_guard<std::mutex> hold(m->lock);
  return m->last;
}

int TestServer::RequestCount() const {
  std::lock_guard<std::mutex> hold(m->lock);
  return m->requests;
}

void TestServer::WaitForHeld(int count) const {
  std::unique_lock<std::mutex> hold(m->lock);
  m->changed.wait(hold, [&] { return m->held >= count; });
}

void TestServer::ReleaseHeld() {
  std::lock_guard<std::mutex> hold(m->lock);
  m->released = true;
  m->changed.notify_all();
}

// ---------------------------------------------------------------------------

namespace {
// A TCP socket bound to a free loopback port.
int LoopbackSocket(int* port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  *port = ntohs(addr.sin_port);
  return fd;
}
}  // namespace

struct RawServer::Impl {
  std::string reply;
  Ending ending;
  int listener = -1;
  int wakeRead = -1, wakeWrite = -1;
  int port = 0;
  std::thread thread;
  mutable std::mutex lock;
  std::string lastRequest;

  // Waits for data on fd or for the end of the server; false at the end.
  bool WaitReadable(int fd) {
    pollfd p[2] = {{fd, POLLIN, 0}, {wakeRead, POLLIN, 0}};
    return poll(p, 2, -1) > 0 && !(p[1].revents & POLLIN);
  }

  std::string ReadRequest(int fd) {
    std::string data;
    char buf[4096];
    size_t need = std::string::npos;
    while (need == std::string::npos || data.size() < need) {
      if (!WaitReadable(fd)) break;
      ssize_t n = recv(fd, buf, sizeof buf, 0);
      if (n <= 0) break;
      data.append(buf, static_cast<size_t>(n));
      size_t headEnd = data.find("\r\n\r\n");
      if (need == std::string::npos && headEnd != std::string::npos) {
        size_t length = 0;
        size_t at = data.find("Content-Length: ");
        if (at != std::string::npos && at < headEnd) length = std::stoul(data.substr(at + 16));
        need = headEnd + 4 + length;
      }
    }
    return data;
  }

  void Serve() {
    for (;;) {
      if (!WaitReadable(listener)) return;
      int fd = accept(listener, nullptr, nullptr);
      if (fd < 0) continue;
      std::string request = ReadRequest(fd);
      {
        std::lock_guard<std::mutex> hold(lock);
        lastRequest = request;
      }
      if (ending == Ending::NeverAnswer) {
        WaitReadable(wakeRead);  // until the server ends
        close(fd);
        return;
      }
      send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
      if (ending == Ending::Reset) {
        linger l{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
      }
      close(fd);
    }
  }
};

RawServer::RawServer(std::string reply, Ending ending) : m(std::make_unique<Impl>()) {
  m->reply = std::move(reply);
  m->ending = ending;
  int pipeFds[2];
  if (pipe(pipeFds) == 0) {
    m->wakeRead = pipeFds[0];
    m->wakeWrite = pipeFds[1];
  }
  m->listener = LoopbackSocket(&m->port);
  listen(m->listener, 16);
  m->thread = std::thread([this] { m->Serve(); });
}

RawServer::~RawServer() {
  (void)!write(m->wakeWrite, "x", 1);
  m->thread.join();
  close(m->listener);
  close(m->wakeRead);
  close(m->wakeWrite);
}

int RawServer::Port() const { return m->port; }

std::string RawServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(m->port) + path;
}

std::string RawServer::LastRequest() const {
  std::lock_guard<std::mutex> hold(m->lock);
  return m->lastRequest;
}

int ClosedPort() {
  int port = 0;
  close(LoopbackSocket(&port));
  return port;
}
