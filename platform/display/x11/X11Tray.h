#pragma once
// The notification area's icons on an X display. Where the desktop has a system tray (an
// owner of the freedesktop selection _NET_SYSTEM_TRAY_S<screen>) each icon docks into it
// through XEmbed; where it has none, the icons stand in a row of small always-on-top windows
// at the bottom right of the screen. Pointer input on an icon becomes its callback message
// (wParam the id, lParam the mouse message), with the pointer's position as the cursor
// position; the tip shows while the pointer rests on it; a balloon is a popup near the icon
// for its time-out, and a click on it sends NIN_BALLOONUSERCLICK.
//
// Its own connection and thread, so that it answers while the program's threads are busy.
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "display/x11/X11PointerOrder.h"
#include "win32/ShellNotify.h"

namespace display {

class X11Tray {
 public:
  // The positions of the pointer over the icons take their place in `order`.
  static std::unique_ptr<X11Tray> Open(const char* displayName, std::shared_ptr<X11PointerOrder> order);
  ~X11Tray();

  // Brings the display's icons up to date with the area's: their windows and balloons, or
  // only their balloons (the icons show elsewhere, where balloons do not).
  enum class Show { IconsAndBalloons, BalloonsOnly };
  void Update(const std::vector<win32::TrayIcon>& icons, Show show = Show::IconsAndBalloons);
  // A press or release at a point of the screen that another client's pointer grab took
  // (a popup menu's): an icon there answers it as its own and this is true. A popup's grab
  // leaves the icons their clicks, as the shell's icons keep theirs on Windows.
  bool TakeButton(int xRoot, int yRoot, unsigned button, bool press, unsigned long time);
  // For tests: the X window of an icon (0: none), and whether it docked into a tray.
  unsigned long WindowOf(HWND hwnd, UINT id);
  bool Docked();
  // For tests: the balloon's X window while one shows (0: none).
  unsigned long BalloonWindow();

 private:
  struct Connection;
  explicit X11Tray(std::unique_ptr<Connection> connection);
  void Run();

  std::mutex m_lock;
  std::unique_ptr<Connection> m_x;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

}  // namespace display
