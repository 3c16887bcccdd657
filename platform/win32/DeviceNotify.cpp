#include "win32/DeviceNotify.h"

#include <mutex>
#include <set>

#include "win32/WinError.h"
#include "win32/WinUser.h"

namespace {

constexpr DWORD ERROR_INVALID_DATA = 13;

struct Registration {
  HANDLE recipient;
  DWORD flags;
};

std::mutex g_lock;
std::set<Registration*>& Registrations() {
  static auto* all = new std::set<Registration*>;
  return *all;
}

}  // namespace

HDEVNOTIFY RegisterDeviceNotificationW(HANDLE recipient, LPVOID filter, DWORD flags) {
  if ((flags & DEVICE_NOTIFY_SERVICE_HANDLE) == 0 && !IsWindow(static_cast<HWND>(recipient))) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  const auto* header = static_cast<const DEV_BROADCAST_HDR*>(filter);
  if (!header || header->dbch_size < sizeof(DEV_BROADCAST_HDR) ||
      header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  auto* registration = new Registration{recipient, flags};
  std::lock_guard guard(g_lock);
  Registrations().insert(registration);
  return registration;
}

BOOL UnregisterDeviceNotification(HDEVNOTIFY handle) {
  auto* registration = static_cast<Registration*>(handle);
  {
    std::lock_guard guard(g_lock);
    if (!Registrations().erase(registration)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
  }
  delete registration;
  return TRUE;
}
