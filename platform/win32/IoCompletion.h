#pragma once
// I/O completion ports: a queue of completion packets that threads take with
// GetQueuedCompletionStatus. A handle opened for overlapped I/O is bound to one
// port with a key; each of its requests ends as one packet {bytes, key,
// OVERLAPPED*} on that port, also a request that failed or was cancelled.
// PostQueuedCompletionStatus queues a packet of the caller's own.
//
// Closing the port's handle makes threads waiting on it return at once with
// ERROR_ABANDONED_WAIT_0. Thread-safe; waits run on the replaceable clock.
#include <memory>
#include <mutex>

#include "win32/Handle.h"
#include "win32/Overlapped.h"
#include "win32/WinDef.h"

using PULONG_PTR = ULONG_PTR*;

constexpr DWORD ERROR_ABANDONED_WAIT_0 = 735;
constexpr DWORD ERROR_NOT_FOUND = 1168;

// With fileHandle INVALID_HANDLE_VALUE (and no existing port): a new port. With
// a handle: binds it to existingPort (returned) or to a new port; a handle can be
// bound once (ERROR_INVALID_PARAMETER), and only a handle that serves overlapped
// requests can be bound (ERROR_INVALID_PARAMETER too). The thread count is not used.
HANDLE CreateIoCompletionPort(HANDLE fileHandle, HANDLE existingPort, ULONG_PTR key, DWORD concurrentThreads);
// TRUE with a packet of a request that succeeded or of PostQueuedCompletionStatus.
// FALSE with the packet filled in and the request's error as the last error
// (ERROR_OPERATION_ABORTED for a cancelled one). FALSE with *overlapped null when
// no packet was taken: WAIT_TIMEOUT, ERROR_ABANDONED_WAIT_0, ERROR_INVALID_HANDLE.
BOOL GetQueuedCompletionStatus(HANDLE port, LPDWORD bytes, PULONG_PTR key, LPOVERLAPPED* overlapped, DWORD timeoutMs);
BOOL PostQueuedCompletionStatus(HANDLE port, DWORD bytes, ULONG_PTR key, LPOVERLAPPED overlapped);
// Cancels the pending requests of the handle that the calling thread issued; each
// completes with ERROR_OPERATION_ABORTED. TRUE also when none was pending.
BOOL CancelIo(HANDLE file);
// Cancels the handle's pending request that uses `overlapped` (null: all of them),
// whichever thread issued it; ERROR_NOT_FOUND when there was none.
BOOL CancelIoEx(HANDLE file, LPOVERLAPPED overlapped);

namespace win32 {

class CompletionQueue;

// A kernel object that serves overlapped requests: it can be bound to a port and
// its pending requests can be cancelled. Closing its last handle must cancel them.
class OverlappedIoObject : public KernelObject {
 public:
  // False when the object is bound already.
  bool BindToPort(std::shared_ptr<CompletionQueue> port, ULONG_PTR key);
  // Cancels pending requests issued by `thread` (0: by any thread) that use
  // `which` (null: any); true when one was cancelled.
  virtual bool CancelRequests(DWORD thread, OVERLAPPED* which) = 0;

 protected:
  // Ends a request: writes its OVERLAPPED, then queues its packet on the bound
  // port, or sets its hEvent when there is no port. `status` is the request's
  // OVERLAPPED status, `error` the Win32 error its packet reports (0: success).
  void CompleteRequest(OVERLAPPED* overlapped, ULONG_PTR status, DWORD error, DWORD bytes);

 private:
  std::mutex m_bindLock;
  std::shared_ptr<CompletionQueue> m_port;
  ULONG_PTR m_key = 0;
};

}  // namespace win32
