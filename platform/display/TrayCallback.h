#pragma once
// What a notification-area icon tells its window: its callback message with the icon's id
// and a mouse message or one of the balloon's notices, as the shell sends them.
#include "win32/ShellNotify.h"

namespace display {

constexpr UINT kNinBalloonShow = WM_USER + 2;
constexpr UINT kNinBalloonTimeout = WM_USER + 4;
constexpr UINT kNinBalloonUserClick = WM_USER + 5;

inline void PostTrayCallback(const win32::TrayIcon& icon, UINT notice) {
  if (icon.callbackMessage) PostMessageW(icon.window, icon.callbackMessage, icon.id, static_cast<LPARAM>(notice));
}

}  // namespace display
