#include "client/app/QuitSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace {

int g_wakeWrite = -1;

void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] ssize_t written = write(g_wakeWrite, &byte, 1);  // a full pipe already wakes the thread
  errno = saved;
}

}  // namespace

void WatchQuitSignals(std::function<void()> onQuit) {
  int wake[2];
  if (pipe2(wake, O_CLOEXEC) != 0) return;
  fcntl(wake[1], F_SETFL, O_NONBLOCK);
  g_wakeWrite = wake[1];
  std::thread([readEnd = wake[0], onQuit = std::move(onQuit)] {
    char byte;
    for (;;) {
      ssize_t got = read(readEnd, &byte, 1);
      if (got == 1) onQuit();
      else if (got < 0 && errno == EINTR) continue;
      else return;
    }
  }).detach();
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}
