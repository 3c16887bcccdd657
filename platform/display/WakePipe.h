#pragma once
// How a thread that serves connections sleeps: in poll on them and on a pipe, with no time
// limit unless it has something timed to do; any thread wakes it through the pipe.
#include <poll.h>

#include <vector>

namespace display {

class WakePipe {
 public:
  WakePipe() = default;
  WakePipe(const WakePipe&) = delete;
  WakePipe& operator=(const WakePipe&) = delete;
  ~WakePipe();

  bool Open();
  void Wake();
  // Sleeps until one of `fds` is ready (their revents tell which), Wake is called or
  // `timeoutMs` pass (-1: no limit); a wake is used up.
  void Wait(std::vector<pollfd>& fds, int timeoutMs);
  void Wait(int fd, int timeoutMs);

 private:
  int m_pipe[2] = {-1, -1};
};

}  // namespace display
