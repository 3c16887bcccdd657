#include "win32/Thread.h"

#include <limits.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "win32/Clock.h"
#include "win32/Mutex.h"
#include "win32/Wait.h"
#include "win32/WinError.h"

namespace {

class ThreadObject final : public win32::Waitable {
 public:
  bool IsSignaled(DWORD) const override { return m_ended; }

  // All under KernelWaitLock().
  DWORD m_id = 0;
  bool m_suspended = false;
  bool m_ended = false;
  DWORD m_exitCode = STILL_ACTIVE;
};

struct StartBlock {
  std::shared_ptr<ThreadObject> thread;
  LPTHREAD_START_ROUTINE start;
  LPVOID parameter;
};

void* Trampoline(void* raw) {
  std::unique_ptr<StartBlock> block(static_cast<StartBlock*>(raw));
  ThreadObject& self = *block->thread;
  {
    std::unique_lock lock(win32::KernelWaitLock());
    self.m_id = GetCurrentThreadId();
    win32::WakeKernelWaiters();
    win32::WaitForKernelState(lock, win32::Clock::kNever, [&] { return !self.m_suspended; });
  }
  DWORD code = block->start(block->parameter);
  win32::AbandonMutexesOfThisThread();
  {
    std::lock_guard lock(win32::KernelWaitLock());
    self.m_exitCode = code;
    self.m_ended = true;
    win32::WakeKernelWaiters(&self);
  }
  return nullptr;
}

}  // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD flags, LPDWORD threadId) {
  if (!start) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto thread = std::make_shared<ThreadObject>();
  thread->m_suspended = (flags & CREATE_SUSPENDED) != 0;
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  if (stackSize) pthread_attr_setstacksize(&attr, std::max<SIZE_T>(stackSize, PTHREAD_STACK_MIN));
  auto* block = new StartBlock{thread, start, parameter};
  pthread_t id;
  int error = pthread_create(&id, &attr, Trampoline, block);
  pthread_attr_destroy(&attr);
  if (error != 0) {
    delete block;
    SetLastError(error == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : ErrnoToWin32(error));
    return nullptr;
  }
  {
    // The id is the new thread's own; wait for it to say it.
    std::unique_lock lock(win32::KernelWaitLock());
    win32::WaitForKernelState(lock, win32::Clock::kNever, [&] { return thread->m_id != 0; });
    if (threadId) *threadId = thread->m_id;
  }
  return win32::RegisterHandle(thread);
}

std::uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned (*start)(void*), void* argument,
                              unsigned flags, unsigned* threadId) {
  DWORD id = 0;
  HANDLE handle = CreateThread(static_cast<LPSECURITY_ATTRIBUTES>(security), stackSize,
                               reinterpret_cast<LPTHREAD_START_ROUTINE>(start), argument, flags, &id);
  if (threadId) *threadId = id;
  return reinterpret_cast<std::uintptr_t>(handle);
}

DWORD GetCurrentThreadId() {
  static thread_local DWORD id = static_cast<DWORD>(::gettid());
  return id;
}

BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
  auto thread = win32::LookupHandleAs<ThreadObject>(handle);
  if (!thread || !exitCode) {
    SetLastError(thread ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(win32::KernelWaitLock());
  *exitCode = thread->m_exitCode;
  return TRUE;
}

DWORD ResumeThread(HANDLE handle) {
  auto thread = win32::LookupHandleAs<ThreadObject>(handle);
  if (!thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return static_cast<DWORD>(-1);
  }
  std::lock_guard lock(win32::KernelWaitLock());
  DWORD previous = thread->m_suspended ? 1 : 0;
  thread->m_suspended = false;
  win32::WakeKernelWaiters();
  return previous;
}

DWORD GetThreadId(HANDLE handle) {
  auto thread = win32::LookupHandleAs<ThreadObject>(handle);
  if (!thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  std::lock_guard lock(win32::KernelWaitLock());
  return thread->m_id;
}

BOOL TerminateThread(HANDLE handle, DWORD) {
  if (!win32::LookupHandleAs<ThreadObject>(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  SetLastError(ERROR_NOT_SUPPORTED);
  return FALSE;
}
