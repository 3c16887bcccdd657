#include "dump/CourierProtocol.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "win32/CodePage.h"
#include "win32/NamedObject.h"

namespace faultdump {
namespace {

constexpr int kSendLimitMs = 3000;

int64_t NowMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

std::string CourierSocketPath(const std::wstring& ipcName) {
  if (ipcName.empty() || ipcName.find_first_of(L"\\/") != std::wstring::npos || ipcName == L"." || ipcName == L"..")
    return {};
  return win32::RuntimeFolder() + "/pipes/" + WideToUtf8(ipcName);
}

bool SendAll(int fd, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::send(fd, bytes, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool ReceiveAll(int fd, void* data, size_t size, int timeoutMs) {
  auto* bytes = static_cast<char*>(data);
  const int64_t deadline = timeoutMs < 0 ? -1 : NowMs() + timeoutMs;
  while (size > 0) {
    int wait = -1;
    if (deadline >= 0) {
      int64_t left = deadline - NowMs();
      if (left <= 0) return false;
      wait = static_cast<int>(left);
    }
    pollfd p{fd, POLLIN, 0};
    int r = ::poll(&p, 1, wait);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    ssize_t n = ::recv(fd, bytes, size, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

int ConnectTo(const char* path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  size_t length = std::strlen(path);
  if (length == 0 || length >= sizeof address.sun_path) return -1;
  std::memcpy(address.sun_path, path, length + 1);
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  // A server that stops taking data (or connections) holds nobody for long.
  timeval limit{kSendLimitMs / 1000, (kSendLimitMs % 1000) * 1000};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  int r;
  do {
    r = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  } while (r < 0 && errno == EINTR);
  if (r < 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace faultdump
