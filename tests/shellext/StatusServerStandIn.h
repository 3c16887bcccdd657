#pragma once
// A small stand-in for the main program's status cache: it publishes the shared root
// mapping and serves the status pipe with the records the extension reads, one
// request and one reply per connection, from a table the test fills.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "StatusWire.h"
#include "win32/Windows.h"

namespace shelltest {

// The shared memory "DorvShellFileMappingObject" while the object lives.
class RootMapping {
 public:
  explicit RootMapping(const std::wstring& root, std::uint8_t disabled = 0);
  ~RootMapping();
  ShellRootMapping& record() { return *m_view; }

 private:
  HANDLE m_mapping = nullptr;
  ShellRootMapping* m_view = nullptr;
};

struct SeenRequest {
  std::uint32_t kind;
  std::wstring path;
  bool operator==(const SeenRequest&) const = default;
};

class StatusServer {
 public:
  // Hold: take each connection and its request, then answer nothing until the
  // server stops (a server that hangs).
  enum class Mode { Answer, Hold };
  explicit StatusServer(Mode mode = Mode::Answer);
  ~StatusServer();

  // The state answered for a path (of either kind); unknown paths get flags 0, state 0.
  void Set(const std::wstring& path, std::uint32_t status);
  std::vector<SeenRequest> Requests();

 private:
  void Serve();

  Mode m_mode;
  HANDLE m_pipe = INVALID_HANDLE_VALUE;
  std::mutex m_lock;
  std::condition_variable m_stopped;
  bool m_stop = false;
  std::atomic<bool> m_done{false};  // the serving thread has ended
  std::map<std::wstring, std::uint32_t> m_states;
  std::vector<SeenRequest> m_requests;
  std::thread m_thread;
};

}  // namespace shelltest
