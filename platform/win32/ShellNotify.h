#pragma once
// The notification area (the tray): icons that windows add, change and remove
// with Shell_NotifyIconW. An icon is known by its window and id. The area is
// the process's own; tests read it through win32::TrayIcons.
#include <string>
#include <vector>

#include "win32/WinUser.h"

constexpr DWORD NIM_ADD = 0x0;
constexpr DWORD NIM_MODIFY = 0x1;
constexpr DWORD NIM_DELETE = 0x2;
constexpr DWORD NIM_SETFOCUS = 0x3;
constexpr DWORD NIM_SETVERSION = 0x4;

constexpr UINT NIF_MESSAGE = 0x1;
constexpr UINT NIF_ICON = 0x2;
constexpr UINT NIF_TIP = 0x4;
constexpr UINT NIF_STATE = 0x8;
constexpr UINT NIF_INFO = 0x10;

constexpr DWORD NIIF_NONE = 0x0;
constexpr DWORD NIIF_INFO = 0x1;
constexpr DWORD NIIF_WARNING = 0x2;
constexpr DWORD NIIF_ERROR = 0x3;
constexpr DWORD NIIF_USER = 0x4;

struct NOTIFYICONDATAW {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  WCHAR szTip[128];
  DWORD dwState;
  DWORD dwStateMask;
  WCHAR szInfo[256];
  union {
    UINT uTimeout;
    UINT uVersion;
  };
  WCHAR szInfoTitle[64];
  DWORD dwInfoFlags;
};
using PNOTIFYICONDATAW = NOTIFYICONDATAW*;

// NIM_ADD fails for an icon that exists, NIM_MODIFY and NIM_DELETE for one that
// doesn't; a null record fails (ERROR_INVALID_PARAMETER).
BOOL Shell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data);

namespace win32 {

struct TrayIcon {
  HWND window = nullptr;
  UINT id = 0;
  UINT callbackMessage = 0;
  HICON icon = nullptr;
  std::wstring tip;
  std::wstring balloonTitle;
  std::wstring balloonText;
  DWORD balloonFlags = 0;
};

// The icons in the area, in the order they were added.
std::vector<TrayIcon> TrayIcons();

}  // namespace win32
