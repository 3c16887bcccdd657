#include "display/WakePipe.h"

#include <fcntl.h>
#include <unistd.h>

namespace display {

WakePipe::~WakePipe() {
  for (int fd : m_pipe)
    if (fd >= 0) close(fd);
}

bool WakePipe::Open() { return pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) == 0; }

void WakePipe::Wake() { [[maybe_unused]] ssize_t n = write(m_pipe[1], "x", 1); }

void WakePipe::Wait(std::vector<pollfd>& fds, int timeoutMs) {
  fds.push_back({m_pipe[0], POLLIN, 0});
  poll(fds.data(), fds.size(), timeoutMs);
  if (fds.back().revents) {
    char drain[16];
    while (read(m_pipe[0], drain, sizeof drain) > 0) {
    }
  }
  fds.pop_back();
}

void WakePipe::Wait(int fd, int timeoutMs) {
  std::vector<pollfd> fds{{fd, POLLIN, 0}};
  Wait(fds, timeoutMs);
}

}  // namespace display
