#pragma once
// The extension's side of the status cache's two channels: the shared root
// mapping (the sync root and whether overlays are off) and the status pipe (the
// state of one path per connection). One client serves one call; nothing is kept
// between calls.
#include "StatusWire.h"
#include "win32/Windows.h"

class ShellStatusClient {
 public:
  ShellStatusClient();
  ~ShellStatusClient();
  ShellStatusClient(const ShellStatusClient&) = delete;
  ShellStatusClient& operator=(const ShellStatusClient&) = delete;

  // Copies the root and the disabled flag from the shared memory; false when it
  // does not exist (the main program is not running or nobody is signed in).
  bool ReadSharedRoot();
  // Whether overlays are off: 1 until the shared memory was read.
  bool IsDisabled();
  // True for the root itself and everything below it; false for a path too long
  // for the pipe's request.
  bool IsUnderRoot(const wchar_t* path);
  bool ConnectStatusPipe();
  // One exchange: connects, sends the request for `path`, reads the reply. False
  // when any step fails, the reply does not come within kReplyWaitMs or is short.
  bool QueryFileStatus(const wchar_t* path, StatusPipeReply* reply);

  // How long a connection waits for a free pipe instance, and for the reply.
  static constexpr DWORD kPipeWaitMs = 1000;
  static constexpr DWORD kReplyWaitMs = 1000;

 private:
  bool WaitForReply();
  void ClosePipe();

  wchar_t m_root[kWirePathUnits];
  BYTE m_disabled;
  HANDLE m_pipe;
  CRITICAL_SECTION m_lock;
};
