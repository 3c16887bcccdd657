#include "win32/Wait.h"

#include <condition_variable>
#include <vector>

#include "win32/Clock.h"
#include "win32/Thread.h"
#include "win32/WinError.h"

namespace win32 {
namespace {

struct WaitState {
  std::mutex lock;
  std::condition_variable changed;
};

WaitState& State() {
  static WaitState* state = new WaitState;  // outlives static destructors: threads may still wait
  return *state;
}

}  // namespace

std::mutex& KernelWaitLock() { return State().lock; }

void WakeKernelWaiters() { State().changed.notify_all(); }

bool WaitForKernelState(std::unique_lock<std::mutex>& lock, ULONGLONG deadlineMs,
                        const std::function<bool()>& ready) {
  return CurrentClock().WaitUntil(lock, State().changed, deadlineMs, ready);
}

}  // namespace win32

DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs) {
  return WaitForMultipleObjects(1, &handle, FALSE, timeoutMs);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  std::vector<std::shared_ptr<win32::Waitable>> objects;
  objects.reserve(count);
  for (DWORD i = 0; i < count; ++i) {
    std::shared_ptr<win32::KernelObject> object = win32::LookupHandle(handles[i]);
    auto waitable = std::dynamic_pointer_cast<win32::Waitable>(object);
    if (!waitable) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    if (waitAll) {
      for (const auto& earlier : objects) {
        if (earlier == waitable) {  // Windows refuses the same object twice in a wait for all
          SetLastError(ERROR_INVALID_PARAMETER);
          return WAIT_FAILED;
        }
      }
    }
    objects.push_back(std::move(waitable));
  }

  const DWORD thread = GetCurrentThreadId();
  DWORD result = WAIT_TIMEOUT;
  auto ready = [&] {
    if (waitAll) {
      for (const auto& object : objects) {
        if (!object->IsSignaled(thread)) return false;
      }
      bool abandoned = false;
      DWORD firstAbandoned = 0;
      for (DWORD i = 0; i < count; ++i) {
        if (objects[i]->Acquire(thread) && !abandoned) {
          abandoned = true;
          firstAbandoned = i;
        }
      }
      result = abandoned ? WAIT_ABANDONED_0 + firstAbandoned : WAIT_OBJECT_0;
      return true;
    }
    for (DWORD i = 0; i < count; ++i) {
      if (objects[i]->IsSignaled(thread)) {
        result = (objects[i]->Acquire(thread) ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + i;
        return true;
      }
    }
    return false;
  };

  const ULONGLONG deadline = win32::CurrentClock().DeadlineAfter(timeoutMs);
  std::unique_lock lock(win32::KernelWaitLock());
  if (win32::WaitForKernelState(lock, deadline, ready)) return result;
  return WAIT_TIMEOUT;
}
