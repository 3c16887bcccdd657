#include "webbrowser/HelperLink.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace webbrowser {

namespace {

constexpr int kHelperFd = 3;  // the helper's end of the socket, as the helper expects it

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::unique_ptr<HelperLink> HelperLink::Start(const std::string& program, std::function<void()> wake) {
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return nullptr;
  const pid_t parent = getpid();
  const char* argv[] = {program.c_str(), "--fd", "3", nullptr};
  pid_t pid = fork();
  if (pid < 0) {
    close(pair[0]);
    close(pair[1]);
    return nullptr;
  }
  if (pid == 0) {
    // The helper goes with this process even when it dies without closing the socket's
    // other copies; the socket's end is the usual way.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(1);
    if (dup2(pair[1], kHelperFd) < 0) _exit(1);  // the copy is kept across exec
    execv(argv[0], const_cast<char* const*>(argv));
    _exit(127);
  }
  close(pair[1]);
  std::unique_ptr<HelperLink> link(new HelperLink());
  link->m_pid = pid;
  link->m_socket = pair[0];
  link->m_wake = std::move(wake);
  link->m_reader = std::thread([self = link.get()] { self->Read(); });
  return link;
}

HelperLink::~HelperLink() {
  if (m_socket >= 0) shutdown(m_socket, SHUT_RDWR);  // the helper reads its end and leaves
  if (m_reader.joinable()) m_reader.join();
  if (m_socket >= 0) close(m_socket);
  if (m_pid > 0) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
      if (Clock::now() > deadline) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &status, 0);
        break;
      }
      // The helper ends its engine's processes first; nothing to observe but its exit.
      poll(nullptr, 0, 10);
    }
  }
}

void HelperLink::Read() {
  webhost::FrameReader frames;
  uint8_t buffer[65536];
  for (;;) {
    ssize_t n = recv(m_socket, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    frames.Append(buffer, static_cast<size_t>(n));
    bool any = false;
    while (auto message = frames.Next()) {
      std::lock_guard guard(m_lock);
      m_inbox.push_back(std::move(*message));
      any = true;
    }
    if (frames.Broken()) break;  // a helper that speaks nonsense is let go
    if (any) {
      m_arrived.notify_all();
      if (m_wake) m_wake();
    }
  }
  {
    std::lock_guard guard(m_lock);
    m_ended = true;
  }
  m_arrived.notify_all();
  if (m_wake) m_wake();
}

bool HelperLink::Send(const webhost::WireMessage& message) {
  const std::string frame = webhost::Encode(message);
  if (frame.empty()) return false;
  std::lock_guard guard(m_sendLock);
  return WriteAll(m_socket, frame);
}

std::optional<webhost::WireMessage> HelperLink::Take() {
  std::lock_guard guard(m_lock);
  if (m_inbox.empty()) return std::nullopt;
  webhost::WireMessage message = std::move(m_inbox.front());
  m_inbox.pop_front();
  return message;
}

bool HelperLink::Wait(int ms) {
  std::unique_lock guard(m_lock);
  m_arrived.wait_for(guard, std::chrono::milliseconds(ms), [&] { return !m_inbox.empty() || m_ended; });
  return !m_inbox.empty();
}

bool HelperLink::Alive() const {
  std::lock_guard guard(m_lock);
  return !m_ended;
}

}  // namespace webbrowser
