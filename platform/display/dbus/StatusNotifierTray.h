#pragma once
// The notification area's icons on desktops that show them through the session D-Bus: each
// icon is a StatusNotifierItem (its own connection, named org.kde.StatusNotifierItem-<pid>-<n>,
// the object /StatusNotifierItem) registered with the org.kde.StatusNotifierWatcher, and its
// balloons are notifications of org.freedesktop.Notifications where that service is. The
// host's Activate is a left click on the icon, ContextMenu a right click at its point (the
// program's own menu opens there), SecondaryActivate a middle click; a notification's click
// and its close come back as the balloon's click and time-out.
//
// A watcher that comes later, or again after a restart, gets the items registered anew.
// Where no notification service is (none runs, and the bus starts none), the balloons are
// left to the display; the service coming or going is told like a watcher's.
// Everything on the bus happens on the tray's own thread.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "display/WakePipe.h"
#include "win32/ShellNotify.h"

namespace display {

class StatusNotifierTray {
 public:
  // On the session bus; null when there is none, or the build has no D-Bus. `hostChanged`
  // is called on the tray's thread when a watcher, or the notification service, comes or goes.
  static std::unique_ptr<StatusNotifierTray> Open(std::function<void()> hostChanged);
  ~StatusNotifierTray();

  // Brings the items up to date with the area's icons. True while a watcher is there to
  // show them (the icons then belong nowhere else).
  bool Update(const std::vector<win32::TrayIcon>& icons);
  bool Hosted() const { return m_hosted; }
  // Whether the icons' balloons show as notifications (while they are hosted).
  bool ShowsBalloons() const { return m_notifying; }

 private:
  struct Bus;
  explicit StatusNotifierTray(std::unique_ptr<Bus> bus, std::function<void()> hostChanged);
  void Run();

  std::unique_ptr<Bus> m_bus;  // the thread's alone
  std::function<void()> m_hostChanged;
  std::atomic<bool> m_hosted{false};
  std::atomic<bool> m_notifying{false};
  std::mutex m_lock;  // the icons handed over
  std::vector<win32::TrayIcon> m_icons;
  bool m_changed = false;
  WakePipe m_wake;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

}  // namespace display
