#pragma once
// A loopback socket that listens (accepted connections wait in its backlog,
// never answered) or, once closed, leaves a port where nothing listens: a
// service or proxy that holds its clients, then goes away.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

class LoopbackPort {
 public:
  LoopbackPort() {
    m_fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(m_fd, 8);
    socklen_t length = sizeof addr;
    getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &length);
    m_port = ntohs(addr.sin_port);
  }
  ~LoopbackPort() { Close(); }
  LoopbackPort(const LoopbackPort&) = delete;
  LoopbackPort& operator=(const LoopbackPort&) = delete;
  // Connections waiting in the backlog are reset.
  void Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
  }
  int port() const { return m_port; }

 private:
  int m_fd = -1;
  int m_port = 0;
};
