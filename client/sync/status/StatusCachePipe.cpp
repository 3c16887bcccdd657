// The status cache's pipe server: one connection, one request, one reply, on
// several instances at once.
#include <thread>
#include <vector>

#include "client/sync/status/CStatusCache.h"
#include "client/core/LogWriter.h"

namespace {

constexpr DWORD kInvalidData = 13;  // the system's ERROR_INVALID_DATA: not one whole request

void LogPipeFailure(const char* what, DWORD error) {
  WriteMessageLog(ErrorLog, juce::String(what) + " GetLastError:" + juce::String(static_cast<int>(error)));
}

}  // namespace

DWORD WINAPI CStatusCache::PipeThreadProc(LPVOID self) {
  static_cast<CStatusCache*>(self)->RunPipeServer();
  return 0;
}

void CStatusCache::RunPipeServer() {
  // Several instances, each served by its own thread, as Windows pipe servers do:
  // a file manager asks for many icons at once, and a client that finds every
  // instance busy has to wait for one.
  std::vector<HANDLE> pipes;
  DWORD createError = ERROR_SUCCESS;
  for (int n = 0; n < kPipeInstances; ++n) {
    HANDLE pipe = CreateNamedPipeW(kStatusPipeName, PIPE_ACCESS_DUPLEX,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_BYTE | PIPE_WAIT, kPipeInstances, 4096, 4096, 500,
                                   nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
      createError = GetLastError();
      break;
    }
    pipes.push_back(pipe);
  }
  if (pipes.empty()) {
    SetEvent(m_hPipeReady);
    LogPipeFailure("Create pipeline failure", createError);
    return;
  }
  if (static_cast<int>(pipes.size()) < kPipeInstances) LogPipeFailure("Create pipeline failure", createError);
  std::vector<std::thread> helpers;
  for (size_t n = 1; n < pipes.size(); ++n) helpers.emplace_back([this, pipe = pipes[n]] { ServeInstance(pipe); });
  // The cache is made once every instance has its thread: the server's threads
  // are then all there, never still starting behind whoever asked for the cache.
  SetEvent(m_hPipeReady);
  ServeInstance(pipes[0]);
  for (std::thread& helper : helpers) helper.join();
  for (HANDLE pipe : pipes) CloseHandle(pipe);
}

void CStatusCache::ServeInstance(HANDLE pipe) {
  while (!m_bStopPipe) {
    if (!ConnectNamedPipe(pipe, nullptr)) {
      DWORD error = GetLastError();
      if (error == ERROR_NO_DATA) {  // the client came and went before the wait
        DisconnectNamedPipe(pipe);
        continue;
      }
      if (error != ERROR_PIPE_CONNECTED) {  // a client already connected counts as one
        LogPipeFailure("Connection pipe failure", error);
        break;
      }
    }
    if (m_bStopPipe) break;  // the exit's wake-up
    ServeClient(pipe);
    if (!DisconnectNamedPipe(pipe)) {
      DWORD error = GetLastError();
      LogPipeFailure("Disconnect pipe failure", error);
      if (error != ERROR_PIPE_NOT_CONNECTED) break;
    }
  }
}

void CStatusCache::ServeClient(HANDLE pipe) {
  StatusPipeRequest request{};
  DWORD read = 0;
  // The wait ends as soon as the client writes or closes (the read then reports
  // ERROR_BROKEN_PIPE), else after its time (ERROR_SEM_TIMEOUT).
  if (!win32::WaitForPipeInput(pipe, kRequestWaitMs) || !ReadFile(pipe, &request, sizeof request, &read, nullptr)) {
    LogPipeFailure("Read pipe failure", GetLastError());
    return;
  }
  // A request is exactly one record; anything shorter or longer gets no answer.
  DWORD extra = 0;
  PeekNamedPipe(pipe, nullptr, 0, nullptr, &extra, nullptr);
  if (read != sizeof request || extra != 0) {
    LogPipeFailure("Read pipe failure", kInvalidData);
    return;
  }
  StatusPipeReply reply = HandleStatusRequest(request);
  DWORD written = 0;
  if (!WriteFile(pipe, &reply, sizeof reply, &written, nullptr)) {
    LogPipeFailure("Server Write pipe failure", GetLastError());
    return;
  }
  // The client closes its end once it has read the reply; disconnecting earlier
  // could take the reply away from it. One that keeps its end open, or talks on,
  // is let go after the wait.
  win32::WaitForPipeInput(pipe, kReplyTakenWaitMs);
}

bool CStatusCache::WakePipeServer() {
  // Connecting makes an instance that waits for a client look at the stop flag;
  // each waiting instance takes one knock. An instance busy with a slow client
  // ends after it, so keep knocking until the thread has ended; but not for ever:
  // once the pipe's name is gone (its runtime folder removed) no knock reaches a
  // waiting server.
  bool nameGone = false;
  for (int attempt = 0; attempt < kWakeAttempts && !nameGone; ++attempt) {
    if (!m_hPipeThread || WaitForSingleObject(m_hPipeThread, 0) != WAIT_TIMEOUT) return true;
    for (int knock = 0; knock < kPipeInstances; ++knock) {
      HANDLE client = CreateFileW(kStatusPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      if (client != INVALID_HANDLE_VALUE) {
        CloseHandle(client);
        continue;
      }
      if (GetLastError() == ERROR_PIPE_BUSY) {
        WaitNamedPipeW(kStatusPipeName, 50);
      } else if (GetLastError() == ERROR_FILE_NOT_FOUND) {
        nameGone = true;  // the server holds its pipe, so the name can only have been removed
      }
      break;
    }
    if (!nameGone) WaitForSingleObject(m_hPipeThread, 50);
  }
  if (WaitForSingleObject(m_hPipeThread, 0) != WAIT_TIMEOUT) return true;
  WriteMessageLog(ErrorLog, "The status pipe's server could not be woken at exit");
  return false;
}

bool CStatusCache::IsPipeServerRunning() {
  return m_hPipeThread && WaitForSingleObject(m_hPipeThread, 0) == WAIT_TIMEOUT;
}
