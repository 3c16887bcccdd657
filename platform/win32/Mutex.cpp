#include "win32/Mutex.h"

#include <algorithm>
#include <vector>

#include "win32/NamedObject.h"
#include "win32/Thread.h"
#include "win32/Wait.h"
#include "win32/WinError.h"

namespace {

class MutexObject;

// The mutexes a thread owns, abandoned when the thread ends (also for threads
// that were not started by CreateThread).
struct OwnedMutexes {
  std::vector<std::weak_ptr<MutexObject>> list;
  ~OwnedMutexes() { win32::AbandonMutexesOfThisThread(); }
};
thread_local OwnedMutexes t_owned;

class MutexObject final : public win32::NamedWaitable, public std::enable_shared_from_this<MutexObject> {
 public:
  bool IsSignaled(DWORD thread) const override { return m_owner == 0 || m_owner == thread; }

  bool Acquire(DWORD thread) override {
    if (m_owner == thread) {
      ++m_count;
      return false;
    }
    m_owner = thread;
    m_count = 1;
    t_owned.list.push_back(weak_from_this());
    bool abandoned = m_abandoned;
    m_abandoned = false;
    return abandoned;
  }

  // Under KernelWaitLock().
  bool Release(DWORD thread) {
    if (m_owner != thread || m_count == 0) return false;
    if (--m_count == 0) {
      m_owner = 0;
      Forget();
      win32::WakeKernelWaiters(this);
    }
    return true;
  }

  bool OwnedBy(DWORD thread) const { return m_owner == thread && m_count > 0; }

  void Abandon() {
    m_owner = 0;
    m_count = 0;
    m_abandoned = true;
    win32::WakeKernelWaiters(this);
  }

 private:
  void Forget() {
    auto& list = t_owned.list;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [this](const std::weak_ptr<MutexObject>& w) {
                                auto p = w.lock();
                                return !p || p.get() == this;
                              }),
               list.end());
  }

  DWORD m_owner = 0;
  DWORD m_count = 0;
  bool m_abandoned = false;
};

HANDLE MakeMutex(bool initialOwner, LPCWSTR name, bool openOnly) {
  std::shared_ptr<MutexObject> mutex;
  DWORD error = ERROR_SUCCESS;
  if (!name || !*name) {
    if (openOnly) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    mutex = std::make_shared<MutexObject>();
  } else {
    auto object = win32::FindOrCreateNamed(
        name, openOnly, [] { return std::make_shared<MutexObject>(); },
        [](const win32::NamedWaitable& o) { return dynamic_cast<const MutexObject*>(&o) != nullptr; });
    if (!object) return nullptr;
    error = GetLastError();
    mutex = std::static_pointer_cast<MutexObject>(object);
  }
  // The initial ownership is asked for a new mutex only, as on Windows.
  if (initialOwner && !openOnly && error != ERROR_ALREADY_EXISTS) {
    std::lock_guard lock(win32::KernelWaitLock());
    mutex->Acquire(GetCurrentThreadId());
  }
  HANDLE handle = win32::RegisterHandle(mutex);
  SetLastError(error);
  return handle;
}

}  // namespace

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCWSTR name) {
  return MakeMutex(initialOwner, name, false);
}

HANDLE OpenMutexW(DWORD, BOOL, LPCWSTR name) { return MakeMutex(false, name, true); }

BOOL ReleaseMutex(HANDLE handle) {
  auto mutex = win32::LookupHandleAs<MutexObject>(handle);
  if (!mutex) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(win32::KernelWaitLock());
  if (!mutex->Release(GetCurrentThreadId())) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  return TRUE;
}

namespace win32 {

void AbandonMutexesOfThisThread() {
  std::lock_guard lock(KernelWaitLock());
  auto owned = std::move(t_owned.list);
  t_owned.list.clear();
  DWORD self = GetCurrentThreadId();
  for (auto& weak : owned) {
    auto mutex = weak.lock();
    if (mutex && mutex->OwnedBy(self)) mutex->Abandon();
  }
}

}  // namespace win32
