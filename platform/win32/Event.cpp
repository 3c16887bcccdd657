#include "win32/Event.h"

#include <string>

#include "win32/NamedObject.h"
#include "win32/Wait.h"
#include "win32/WinError.h"

namespace {

class EventObject final : public win32::NamedWaitable {
 public:
  EventObject(bool manualReset, bool signaled) : m_manualReset(manualReset), m_signaled(signaled) {}

  bool IsSignaled(DWORD) const override { return m_signaled; }
  bool Acquire(DWORD) override {
    if (!m_manualReset) m_signaled = false;
    return false;
  }

  // Under KernelWaitLock().
  void Set(bool signaled) {
    m_signaled = signaled;
    if (signaled) win32::WakeKernelWaiters(this);
  }

 private:
  const bool m_manualReset;
  bool m_signaled;
};

HANDLE MakeEvent(bool manualReset, bool initialState, LPCWSTR name, bool openOnly) {
  if (!name || !*name) {
    if (openOnly) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    HANDLE handle = win32::RegisterHandle(std::make_shared<EventObject>(manualReset, initialState));
    SetLastError(ERROR_SUCCESS);
    return handle;
  }
  auto object = win32::FindOrCreateNamed(
      name, openOnly,
      [&] { return std::make_shared<EventObject>(manualReset, initialState); },
      [](const win32::NamedWaitable& o) { return dynamic_cast<const EventObject*>(&o) != nullptr; });
  if (!object) return nullptr;
  DWORD error = GetLastError();
  HANDLE handle = win32::RegisterHandle(object);
  SetLastError(error);
  return handle;
}

bool SetState(HANDLE handle, bool signaled) {
  auto event = win32::LookupHandleAs<EventObject>(handle);
  if (!event) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  std::lock_guard guard(win32::KernelWaitLock());
  event->Set(signaled);
  return true;
}

}  // namespace

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name) {
  return MakeEvent(manualReset, initialState, name, false);
}

HANDLE CreateEventExW(LPSECURITY_ATTRIBUTES, LPCWSTR name, DWORD flags, DWORD) {
  return MakeEvent(flags & CREATE_EVENT_MANUAL_RESET, flags & CREATE_EVENT_INITIAL_SET, name, false);
}

HANDLE OpenEventW(DWORD, BOOL, LPCWSTR name) { return MakeEvent(true, false, name, true); }

BOOL SetEvent(HANDLE event) { return SetState(event, true); }

BOOL ResetEvent(HANDLE event) { return SetState(event, false); }
