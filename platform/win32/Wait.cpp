#include "win32/Wait.h"

#include <algorithm>
#include <condition_variable>
#include <list>
#include <vector>

#include "win32/Clock.h"
#include "win32/Thread.h"
#include "win32/WinError.h"

namespace win32 {
namespace {

// A waiting thread, woken alone when an object it waits on changes.
struct Waiter {
  std::condition_variable changed;
  std::span<const Waitable* const> objects;  // empty: any change
};

struct WaitState {
  std::mutex lock;
  std::list<Waiter*> waiters;
};

WaitState& State() {
  static WaitState* state = new WaitState;  // outlives static destructors: threads may still wait
  return *state;
}

}  // namespace

std::mutex& KernelWaitLock() { return State().lock; }

void WakeKernelWaiters(const Waitable* changed) {
  for (Waiter* waiter : State().waiters) {
    if (!changed || waiter->objects.empty() ||
        std::find(waiter->objects.begin(), waiter->objects.end(), changed) != waiter->objects.end())
      waiter->changed.notify_all();
  }
}

bool WaitForKernelState(std::unique_lock<std::mutex>& lock, ULONGLONG deadlineMs,
                        const std::function<bool()>& ready, std::span<const Waitable* const> objects) {
  Waiter waiter;
  waiter.objects = objects;
  std::list<Waiter*>& waiters = State().waiters;
  auto self = waiters.insert(waiters.end(), &waiter);
  const bool done = CurrentClock().WaitUntil(lock, waiter.changed, deadlineMs, ready);
  waiters.erase(self);
  return done;
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
  std::vector<const win32::Waitable*> watched;
  for (const auto& object : objects) watched.push_back(object.get());
  std::unique_lock lock(win32::KernelWaitLock());
  if (win32::WaitForKernelState(lock, deadline, ready, watched)) return result;
  return WAIT_TIMEOUT;
}
