#pragma once
// Registrations for device-interface arrival and removal. This desktop has no
// source of device events: a registration is checked and kept, and nothing is
// ever delivered to it.
#include "win32/Com.h"
#include "win32/WinDef.h"

using HDEVNOTIFY = void*;

constexpr DWORD DBT_DEVTYP_DEVICEINTERFACE = 5;
constexpr DWORD DEVICE_NOTIFY_WINDOW_HANDLE = 0x0;
constexpr DWORD DEVICE_NOTIFY_SERVICE_HANDLE = 0x1;
constexpr DWORD DEVICE_NOTIFY_ALL_INTERFACE_CLASSES = 0x4;
constexpr UINT WM_DEVICECHANGE = 0x0219;

struct DEV_BROADCAST_HDR {
  DWORD dbch_size;
  DWORD dbch_devicetype;
  DWORD dbch_reserved;
};

struct DEV_BROADCAST_DEVICEINTERFACE_W {
  DWORD dbcc_size;
  DWORD dbcc_devicetype;
  DWORD dbcc_reserved;
  GUID dbcc_classguid;
  wchar_t dbcc_name[1];
};
static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32);

// The recipient is a window (DEVICE_NOTIFY_WINDOW_HANDLE) or a service status
// handle. Null with ERROR_INVALID_WINDOW_HANDLE for a window that does not exist,
// ERROR_INVALID_DATA for a filter that is not a device-interface record of at
// least the header's size.
HDEVNOTIFY RegisterDeviceNotificationW(HANDLE recipient, LPVOID filter, DWORD flags);
BOOL UnregisterDeviceNotification(HDEVNOTIFY handle);
