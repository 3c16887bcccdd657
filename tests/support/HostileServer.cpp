#include "HostileServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

namespace dorvtest {

namespace {

// How long a connection may take to send its request head before it is cut:
// a client that waits for the server to speak first (FTP) is let go.
constexpr int kRequestWaitMs = 2000;

const char* Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 404: return "Not Found";
    default: return "Status";
  }
}

}  // namespace

HostileServer::Reply HostileServer::Fixed(int status, std::string body, std::vector<std::string> headers) {
  Reply r;
  r.status = status;
  r.body = std::move(body);
  r.headers = std::move(headers);
  return r;
}

HostileServer::Reply HostileServer::Lying(std::string body, int64_t announced) {
  Reply r = Fixed(200, std::move(body));
  r.announced = announced;
  return r;
}

HostileServer::Reply HostileServer::Redirect(int status, const std::string& location) {
  return Fixed(status, "moved", {"Location: " + location});
}

HostileServer::Reply HostileServer::Endless(int64_t limit) {
  Reply r;
  r.kind = Reply::Body::Endless;
  r.limit = limit;
  return r;
}

HostileServer::Reply HostileServer::Drip(std::string body, int intervalMs) {
  Reply r = Fixed(200, std::move(body));
  r.kind = Reply::Body::Drip;
  r.intervalMs = intervalMs;
  return r;
}

struct HostileServer::Impl {
  std::string address;
  int listener = -1;
  int port = 0;
  int wake[2] = {-1, -1};
  std::thread acceptor;
  std::vector<std::thread> workers;

  mutable std::mutex lock;
  std::condition_variable stopped;
  bool stopping = false;
  std::map<std::string, Reply> replies;
  std::vector<Request> requests;
  std::set<int> open;
  int connections = 0;

  bool Stopping() {
    std::lock_guard<std::mutex> hold(lock);
    return stopping;
  }

  // Waits for fd to become readable (or writable); false when the server
  // ends or the wait runs out first.
  bool Wait(int fd, short events, int timeoutMs) {
    pollfd p[2] = {{fd, events, 0}, {wake[0], POLLIN, 0}};
    return poll(p, 2, timeoutMs) > 0 && (p[1].revents & POLLIN) == 0 && p[0].revents != 0;
  }

  bool SendAll(int fd, const char* data, size_t size) {
    while (size > 0) {
      if (!Wait(fd, POLLOUT, -1)) return false;
      ssize_t n = send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (n <= 0) return false;
      data += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }

  bool ReadRequest(int fd, Request& request) {
    std::string data;
    char buffer[8192];
    size_t need = std::string::npos;
    while (need == std::string::npos || data.size() < need) {
      if (!Wait(fd, POLLIN, kRequestWaitMs)) return false;
      ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) return false;
      data.append(buffer, static_cast<size_t>(n));
      const size_t headEnd = data.find("\r\n\r\n");
      if (need == std::string::npos && headEnd != std::string::npos) {
        request.head = data.substr(0, headEnd);
        size_t length = 0;
        std::string lower = request.head;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        const size_t at = lower.find("\r\ncontent-length:");
        if (at != std::string::npos) length = std::stoul(lower.substr(at + 17));
        need = headEnd + 4 + length;
      }
    }
    request.body = data.substr(request.head.size() + 4);
    const size_t space = request.head.find(' ');
    request.method = request.head.substr(0, space);
    request.target = request.head.substr(space + 1, request.head.find(' ', space + 1) - space - 1);
    return true;
  }

  void Answer(int fd, const Reply& reply) {
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + Reason(reply.status) + "\r\n";
    for (const std::string& header : reply.headers) head += header + "\r\n";
    if (reply.kind != Reply::Body::Endless) {
      const int64_t length = reply.announced >= 0 ? reply.announced : static_cast<int64_t>(reply.body.size());
      head += "Content-Length: " + std::to_string(length) + "\r\n";
    }
    head += "Connection: close\r\n\r\n";
    if (!SendAll(fd, head.data(), head.size())) return;
    switch (reply.kind) {
      case Reply::Body::Fixed:
        SendAll(fd, reply.body.data(), reply.body.size());
        break;
      case Reply::Body::Endless: {
        const std::string filler(64 * 1024, 'x');
        for (int64_t sent = 0; sent < reply.limit; sent += static_cast<int64_t>(filler.size()))
          if (!SendAll(fd, filler.data(), filler.size())) break;
        break;
      }
      case Reply::Body::Drip:
        for (char c : reply.body) {
          if (!SendAll(fd, &c, 1)) break;
          std::unique_lock<std::mutex> hold(lock);
          if (stopped.wait_for(hold, std::chrono::milliseconds(reply.intervalMs), [this] { return stopping; })) break;
        }
        break;
    }
  }

  void Serve(int fd) {
    Request request;
    if (ReadRequest(fd, request)) {
      Reply reply = Fixed(404, "not found");
      {
        std::lock_guard<std::mutex> hold(lock);
        requests.push_back(request);
        auto it = replies.find(request.target.substr(0, request.target.find('?')));
        if (it != replies.end()) reply = it->second;
      }
      Answer(fd, reply);
    }
    {
      std::lock_guard<std::mutex> hold(lock);
      open.erase(fd);
    }
    close(fd);
  }

  void Accept() {
    for (;;) {
      if (!Wait(listener, POLLIN, -1)) return;
      const int fd = accept(listener, nullptr, nullptr);
      if (fd < 0) continue;
      const int one = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      std::lock_guard<std::mutex> hold(lock);
      if (stopping) {
        close(fd);
        return;
      }
      ++connections;
      open.insert(fd);
      workers.emplace_back([this, fd] { Serve(fd); });
    }
  }
};

HostileServer::HostileServer(const std::string& address) : m(std::make_unique<Impl>()) {
  m->address = address;
  if (pipe(m->wake) != 0) throw std::runtime_error("pipe");
  m->listener = socket(AF_INET, SOCK_STREAM, 0);
  const int one = 1;
  setsockopt(m->listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  inet_pton(AF_INET, address.c_str(), &addr.sin_addr);
  socklen_t length = sizeof addr;
  if (bind(m->listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      getsockname(m->listener, reinterpret_cast<sockaddr*>(&addr), &length) != 0 || listen(m->listener, 64) != 0)
    throw std::runtime_error("the hostile server cannot listen on " + address);
  m->port = ntohs(addr.sin_port);
  m->acceptor = std::thread([this] { m->Accept(); });
}

HostileServer::~HostileServer() {
  {
    std::lock_guard<std::mutex> hold(m->lock);
    m->stopping = true;
    // Cut what is open: a client still reading gets its end at once.
    for (int fd : m->open) shutdown(fd, SHUT_RDWR);
  }
  m->stopped.notify_all();
  (void)!write(m->wake[1], "x", 1);
  m->acceptor.join();
  for (std::thread& worker : m->workers) worker.join();
  close(m->listener);
  close(m->wake[0]);
  close(m->wake[1]);
}

void HostileServer::Set(const std::string& path, Reply reply) {
  std::lock_guard<std::mutex> hold(m->lock);
  m->replies[path] = std::move(reply);
}

int HostileServer::Port() const { return m->port; }

std::string HostileServer::Url(const std::string& pathAndQuery) const {
  return "http://" + m->address + ":" + std::to_string(m->port) + pathAndQuery;
}

std::vector<HostileServer::Request> HostileServer::Requests() const {
  std::lock_guard<std::mutex> hold(m->lock);
  return m->requests;
}

int HostileServer::Connections() const {
  std::lock_guard<std::mutex> hold(m->lock);
  return m->connections;
}

}  // namespace dorvtest
