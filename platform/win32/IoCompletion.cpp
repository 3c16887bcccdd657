#include "win32/IoCompletion.h"

#include <condition_variable>
#include <deque>

#include "win32/Clock.h"
#include "win32/Event.h"
#include "win32/Thread.h"
#include "win32/WinError.h"

namespace win32 {

struct CompletionPacket {
  DWORD bytes;
  ULONG_PTR key;
  OVERLAPPED* overlapped;
  DWORD error;
};

// The packets of one port. It outlives the port's handle while a thread still
// waits on it or a bound handle still completes into it.
class CompletionQueue {
 public:
  void Push(const CompletionPacket& packet) {
    std::lock_guard guard(m_lock);
    if (m_closed) return;  // nobody can take it any more
    m_packets.push_back(packet);
    m_changed.notify_all();
  }

  enum class Taken { Packet, TimedOut, Closed };

  Taken Pop(ULONGLONG deadlineMs, CompletionPacket& out) {
    std::unique_lock lock(m_lock);
    bool ready = CurrentClock().WaitUntil(lock, m_changed, deadlineMs,
                                          [&] { return m_closed || !m_packets.empty(); });
    if (!ready) return Taken::TimedOut;
    if (m_closed) return Taken::Closed;
    out = m_packets.front();
    m_packets.pop_front();
    return Taken::Packet;
  }

  void Close() {
    std::lock_guard guard(m_lock);
    m_closed = true;
    m_packets.clear();
    m_changed.notify_all();
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::deque<CompletionPacket> m_packets;
  bool m_closed = false;
};

namespace {

class CompletionPort final : public KernelObject {
 public:
  CompletionPort() : m_queue(std::make_shared<CompletionQueue>()) {}
  ~CompletionPort() override { m_queue->Close(); }  // the last handle is gone
  const std::shared_ptr<CompletionQueue>& Queue() const { return m_queue; }

 private:
  std::shared_ptr<CompletionQueue> m_queue;
};

std::shared_ptr<CompletionQueue> QueueOf(HANDLE port) {
  auto object = LookupHandleAs<CompletionPort>(port);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return object->Queue();
}

}  // namespace

bool OverlappedIoObject::BindToPort(std::shared_ptr<CompletionQueue> port, ULONG_PTR key) {
  std::lock_guard guard(m_bindLock);
  if (m_port) return false;
  m_port = std::move(port);
  m_key = key;
  return true;
}

void OverlappedIoObject::CompleteRequest(OVERLAPPED* overlapped, ULONG_PTR status, DWORD error, DWORD bytes) {
  overlapped->InternalHigh = bytes;
  overlapped->Internal = status;
  std::shared_ptr<CompletionQueue> port;
  ULONG_PTR key = 0;
  {
    std::lock_guard guard(m_bindLock);
    port = m_port;
    key = m_key;
  }
  if (port) {
    port->Push({bytes, key, overlapped, error});
  } else if (overlapped->hEvent) {
    SetEvent(overlapped->hEvent);
  }
}

}  // namespace win32

HANDLE CreateIoCompletionPort(HANDLE fileHandle, HANDLE existingPort, ULONG_PTR key, DWORD) {
  if (fileHandle == INVALID_HANDLE_VALUE) {
    if (existingPort) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    return win32::RegisterHandle(std::make_shared<win32::CompletionPort>());
  }
  std::shared_ptr<win32::KernelObject> object = win32::LookupHandle(fileHandle);
  if (!object) return nullptr;
  auto io = std::dynamic_pointer_cast<win32::OverlappedIoObject>(object);
  if (!io) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::shared_ptr<win32::CompletionPort> created;
  std::shared_ptr<win32::CompletionQueue> queue;
  if (existingPort) {
    queue = win32::QueueOf(existingPort);
    if (!queue) return nullptr;
  } else {
    created = std::make_shared<win32::CompletionPort>();
    queue = created->Queue();
  }
  if (!io->BindToPort(queue, key)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  return created ? win32::RegisterHandle(created) : existingPort;
}

BOOL GetQueuedCompletionStatus(HANDLE port, LPDWORD bytes, PULONG_PTR key, LPOVERLAPPED* overlapped,
                               DWORD timeoutMs) {
  if (!bytes || !key || !overlapped) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *overlapped = nullptr;
  std::shared_ptr<win32::CompletionQueue> queue = win32::QueueOf(port);
  if (!queue) return FALSE;
  win32::CompletionPacket packet{};
  switch (queue->Pop(win32::CurrentClock().DeadlineAfter(timeoutMs), packet)) {
    case win32::CompletionQueue::Taken::TimedOut: SetLastError(WAIT_TIMEOUT); return FALSE;
    case win32::CompletionQueue::Taken::Closed: SetLastError(ERROR_ABANDONED_WAIT_0); return FALSE;
    case win32::CompletionQueue::Taken::Packet: break;
  }
  *bytes = packet.bytes;
  *key = packet.key;
  *overlapped = packet.overlapped;
  if (packet.error != ERROR_SUCCESS && packet.overlapped) {
    SetLastError(packet.error);
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL PostQueuedCompletionStatus(HANDLE port, DWORD bytes, ULONG_PTR key, LPOVERLAPPED overlapped) {
  std::shared_ptr<win32::CompletionQueue> queue = win32::QueueOf(port);
  if (!queue) return FALSE;
  queue->Push({bytes, key, overlapped, ERROR_SUCCESS});
  return TRUE;
}

namespace {

BOOL Cancel(HANDLE file, DWORD thread, LPOVERLAPPED overlapped, bool noneIsError) {
  std::shared_ptr<win32::KernelObject> object = win32::LookupHandle(file);
  if (!object) return FALSE;
  auto io = std::dynamic_pointer_cast<win32::OverlappedIoObject>(object);
  if (io && io->CancelRequests(thread, overlapped)) return TRUE;
  if (noneIsError) {
    SetLastError(ERROR_NOT_FOUND);
    return FALSE;
  }
  return TRUE;
}

}  // namespace

BOOL CancelIo(HANDLE file) { return Cancel(file, GetCurrentThreadId(), nullptr, false); }

BOOL CancelIoEx(HANDLE file, LPOVERLAPPED overlapped) { return Cancel(file, 0, overlapped, true); }
