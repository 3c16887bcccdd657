#pragma once
// Waiting on kernel objects: WaitForSingleObject and WaitForMultipleObjects.
//
// Every waitable object keeps its state under one process-wide lock, and a change
// of an object's state wakes the threads waiting on that object, which look again.
// That makes a wait for all of several objects simple and atomic: the objects are
// checked and taken in one step under the lock. Time-outs run on the replaceable clock.
#include <functional>
#include <mutex>
#include <span>

#include "win32/Handle.h"
#include "win32/WinDef.h"

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_ABANDONED_0 = 0x80;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;
constexpr DWORD STILL_ACTIVE = 259;

namespace win32 {

// A kernel object a thread can wait for. Both operations run with
// KernelWaitLock() held, on the waiting thread.
class Waitable : public KernelObject {
 public:
  virtual bool IsSignaled(DWORD threadId) const = 0;
  // Takes what a satisfied wait takes (resets an auto-reset event, gives a mutex
  // to the thread). True when that was an abandoned mutex.
  virtual bool Acquire(DWORD threadId) {
    (void)threadId;
    return false;
  }
};

// The lock around the state of every waitable object.
std::mutex& KernelWaitLock();
// Wakes the threads waiting on `changed` (null: every waiting thread) to look again;
// call with KernelWaitLock() held after the object's state changed.
void WakeKernelWaiters(const Waitable* changed = nullptr);
// Waits with KernelWaitLock() held through `lock` until `ready()` is true (then
// true) or the clock reaches `deadlineMs` (then false); see Clock::WaitUntil. Only a
// change of one of `objects` wakes it to look again (none given: any change).
bool WaitForKernelState(std::unique_lock<std::mutex>& lock, ULONGLONG deadlineMs,
                        const std::function<bool()>& ready, std::span<const Waitable* const> objects = {});

}  // namespace win32

DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs);
// Returns WAIT_OBJECT_0 + i (WAIT_ABANDONED_0 + i for an abandoned mutex),
// WAIT_TIMEOUT, or WAIT_FAILED with the last error set.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs);
