#include "common/NetworkInfo.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "mfc/Afx.h"

namespace Common {
namespace {

constexpr char kDefaultPortal[] = "www.halvorn.com:80";
constexpr int kConnectTimeoutMs = 5000;

std::once_flag g_socketsStarted;

bool ConnectWithin(const addrinfo& address, int timeoutMs) {
  int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
  if (fd < 0) return false;
  bool connected = ::connect(fd, address.ai_addr, address.ai_addrlen) == 0;
  if (!connected && errno == EINPROGRESS) {
    pollfd p{fd, POLLOUT, 0};
    int ready;
    do ready = ::poll(&p, 1, timeoutMs);
    while (ready < 0 && errno == EINTR);
    int error = 0;
    socklen_t length = sizeof error;
    connected = ready == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
  }
  ::close(fd);
  return connected;
}

std::string FirstEthernetAddress() {
  constexpr int kEthernet = 1;
  std::string found = "unknown_mac_address";
  for (const win32::NetworkAdapter& adapter : win32::NetworkAdapters()) {
    if (adapter.hardwareType != kEthernet) continue;
    char text[18];
    std::snprintf(text, sizeof text, "%02x-%02x-%02x-%02x-%02x-%02x", adapter.address[0], adapter.address[1],
                  adapter.address[2], adapter.address[3], adapter.address[4], adapter.address[5]);
    if (std::string(text) == "00-00-00-00-00-00") continue;
    found = text;
    break;
  }
  return found;
}

}  // namespace

std::string GetMacAddress() {
  // Request threads ask for it too: it is made once, whoever asks first.
  static const std::string address = FirstEthernetAddress();
  return address;
}

bool GetPortalAddress(std::string& host, int& port) {
  const char* setting = std::getenv("DORV_PORTAL_ADDRESS");
  std::string portal = setting && *setting ? setting : kDefaultPortal;
  size_t colon = portal.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == portal.size()) return false;
  host = portal.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  char* end = nullptr;
  long number = std::strtol(portal.c_str() + colon + 1, &end, 10);
  if (*end != '\0' || number <= 0 || number > 65535) return false;
  port = static_cast<int>(number);
  return true;
}

bool IsNetReachable() {
  std::call_once(g_socketsStarted, [] {
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
  });
  std::string host;
  int portNumber = 0;
  if (!GetPortalAddress(host, portNumber)) return false;
  const std::string port = std::to_string(portNumber);

  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* addresses = nullptr;
  if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &addresses) != 0) return false;
  bool reached = false;
  for (addrinfo* a = addresses; a && !reached; a = a->ai_next) reached = ConnectWithin(*a, kConnectTimeoutMs);
  ::freeaddrinfo(addresses);
  return reached;
}

}  // namespace Common
