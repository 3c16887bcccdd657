#pragma once
// One helper process (DorvWebHost) and the socket to it. A reader thread collects the
// helper's messages; the owner takes them on its own thread. The helper ends when the
// socket closes: when the link goes, or when this process dies.
#include <sys/types.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "webbrowser/WebHostWire.h"

namespace webbrowser {

class HelperLink {
 public:
  // Starts the helper; `wake` is called on the reader thread whenever messages arrived or
  // the helper ended. Null when the program cannot be started.
  static std::unique_ptr<HelperLink> Start(const std::string& program, std::function<void()> wake);
  ~HelperLink();  // closes the socket, and waits a moment for the helper (then kills it)

  bool Send(const webhost::WireMessage& message);
  // The next message received, without waiting.
  std::optional<webhost::WireMessage> Take();
  // Waits up to `ms` for a message; false when none came or the helper is gone.
  bool Wait(int ms);
  bool Alive() const;
  pid_t Pid() const { return m_pid; }

 private:
  HelperLink() = default;
  void Read();

  pid_t m_pid = -1;
  int m_socket = -1;
  std::function<void()> m_wake;
  mutable std::mutex m_lock;
  std::condition_variable m_arrived;
  std::deque<webhost::WireMessage> m_inbox;
  bool m_ended = false;
  std::mutex m_sendLock;
  std::thread m_reader;
};

}  // namespace webbrowser
