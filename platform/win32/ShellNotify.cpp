#include "win32/ShellNotify.h"

#include <algorithm>
#include <mutex>

#include "display/Desktop.h"
#include "win32/WinError.h"

namespace {

struct TrayArea {
  std::mutex lock;
  std::vector<win32::TrayIcon> icons;
};

TrayArea& Area() {
  static TrayArea area;
  return area;
}

// A fixed field up to its first NUL (or its end).
template <size_t N>
std::wstring FieldText(const WCHAR (&field)[N]) {
  return std::wstring(field, std::find(field, field + N, L'\0'));
}

bool Same(const win32::TrayIcon& a, const win32::TrayIcon& b) {
  return a.window == b.window && a.id == b.id && a.callbackMessage == b.callbackMessage && a.icon == b.icon &&
         a.tip == b.tip && a.balloonTitle == b.balloonTitle && a.balloonText == b.balloonText &&
         a.balloonFlags == b.balloonFlags;
}

void Apply(win32::TrayIcon& icon, const NOTIFYICONDATAW& data) {
  if (data.uFlags & NIF_MESSAGE) icon.callbackMessage = data.uCallbackMessage;
  if (data.uFlags & NIF_ICON) icon.icon = data.hIcon;
  if (data.uFlags & NIF_TIP) icon.tip = FieldText(data.szTip);
  if (data.uFlags & NIF_INFO) {
    icon.balloonTitle = FieldText(data.szInfoTitle);
    icon.balloonText = FieldText(data.szInfo);
    icon.balloonFlags = data.dwInfoFlags;
  }
}

}  // namespace

namespace {

// `changed`: whether the area is not as it was.
BOOL Change(DWORD message, PNOTIFYICONDATAW data, bool* changed) {
  TrayArea& area = Area();
  std::lock_guard<std::mutex> hold(area.lock);
  auto it = std::find_if(area.icons.begin(), area.icons.end(), [&](const win32::TrayIcon& icon) {
    return icon.window == data->hWnd && icon.id == data->uID;
  });
  switch (message) {
    case NIM_ADD: {
      if (it != area.icons.end()) return FALSE;
      win32::TrayIcon icon;
      icon.window = data->hWnd;
      icon.id = data->uID;
      Apply(icon, *data);
      area.icons.push_back(icon);
      *changed = true;
      return TRUE;
    }
    case NIM_MODIFY: {
      if (it == area.icons.end()) return FALSE;
      const win32::TrayIcon before = *it;
      Apply(*it, *data);
      *changed = !Same(before, *it);
      return TRUE;
    }
    case NIM_DELETE:
      if (it == area.icons.end()) return FALSE;
      area.icons.erase(it);
      *changed = true;
      return TRUE;
    case NIM_SETFOCUS:
    case NIM_SETVERSION:
      return it != area.icons.end();
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
}

}  // namespace

BOOL Shell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data) {
  if (!data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  bool changed = false;
  const BOOL done = Change(message, data, &changed);
  // Shown on a display too; a change to what it shows already wakes nothing there.
  if (changed) display::Desktop::Get().TrayChanged();
  return done;
}

namespace win32 {

std::vector<TrayIcon> TrayIcons() {
  TrayArea& area = Area();
  std::lock_guard<std::mutex> hold(area.lock);
  return area.icons;
}

}  // namespace win32
