#include "StatusServerStandIn.h"

#include <atomic>
#include <stdexcept>

namespace shelltest {

RootMapping::RootMapping(const std::wstring& root, std::uint8_t disabled) {
  m_mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ShellRootMapping),
                                 kShellMappingName);
  if (!m_mapping) throw std::runtime_error("CreateFileMappingW failed");
  m_view = static_cast<ShellRootMapping*>(MapViewOfFile(m_mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ShellRootMapping)));
  if (!m_view) throw std::runtime_error("MapViewOfFile failed");
  PutWirePath(m_view->root, root);
  m_view->disabled = disabled;
}

RootMapping::~RootMapping() {
  if (m_view) UnmapViewOfFile(m_view);
  if (m_mapping) CloseHandle(m_mapping);
}

StatusServer::StatusServer(Mode mode) : m_mode(mode) {
  m_pipe = CreateNamedPipeW(kStatusPipeName, PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_BYTE | PIPE_WAIT, 1,
                            4096, 4096, 500, nullptr);
  if (m_pipe == INVALID_HANDLE_VALUE) throw std::runtime_error("CreateNamedPipeW failed");
  m_thread = std::thread([this] { Serve(); });
}

StatusServer::~StatusServer() {
  {
    std::lock_guard guard(m_lock);
    m_stop = true;
  }
  m_stopped.notify_all();
  // Wakes a server waiting for a client, as the status cache does at exit; the
  // server may still be finishing the last exchange, so the pipe is waited for.
  HANDLE wake = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 50 && wake == INVALID_HANDLE_VALUE && !m_done; ++attempt) {
    if (!WaitNamedPipeW(kStatusPipeName, 100)) continue;
    wake = CreateFileW(kStatusPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  m_thread.join();
  if (wake != INVALID_HANDLE_VALUE) CloseHandle(wake);
  CloseHandle(m_pipe);
}

void StatusServer::Set(const std::wstring& path, std::uint32_t status) {
  std::lock_guard guard(m_lock);
  m_states[path] = status;
}

std::vector<SeenRequest> StatusServer::Requests() {
  std::lock_guard guard(m_lock);
  return m_requests;
}

void StatusServer::Serve() {
  struct Done {
    std::atomic<bool>& done;
    ~Done() { done = true; }
  } markDone{m_done};
  for (;;) {
    BOOL connected = ConnectNamedPipe(m_pipe, nullptr);
    {
      std::lock_guard guard(m_lock);
      if (m_stop) return;
    }
    if (!connected) continue;
    StatusPipeRequest request{};
    DWORD read = 0;
    if (ReadFile(m_pipe, &request, sizeof request, &read, nullptr) && read == sizeof request) {
      SeenRequest seen{request.kind, L""};
      GetWirePath(request.path, seen.path);
      StatusPipeReply reply{};
      {
        std::unique_lock guard(m_lock);
        m_requests.push_back(seen);
        if (m_mode == Mode::Hold) {
          m_stopped.wait(guard, [this] { return m_stop; });
          return;
        }
        auto it = m_states.find(seen.path);
        if (it != m_states.end()) reply = StatusPipeReply{kStatusFlagKnown, it->second};
      }
      DWORD written = 0;
      WriteFile(m_pipe, &reply, sizeof reply, &written, nullptr);
      FlushFileBuffers(m_pipe);
    }
    DisconnectNamedPipe(m_pipe);
  }
}

}  // namespace shelltest
