#pragma once
// The icons' balloons as notifications of org.freedesktop.Notifications: a new balloon
// replaces the icon's last notification, an emptied one closes it; the notification's click
// is the balloon's click and its close (timed out or dismissed) the balloon's time-out. Used
// on the tray's thread alone, over its connection.
#include <systemd/sd-bus.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "win32/ShellNotify.h"

namespace display {

class Notifications {
 public:
  explicit Notifications(sd_bus* bus);
  Notifications(const Notifications&) = delete;
  Notifications& operator=(const Notifications&) = delete;

  // Whether the service runs or the bus starts it when called.
  bool Available() const { return m_owned || m_activatable; }
  // Balloons go to the service only while the icons show on the bus; meanwhile they are
  // only followed, so that one shown elsewhere is not shown again here.
  enum class Delivery { Send, Follow };
  // Shows the icon's balloon when it is new, takes it down when the icon has none.
  void Show(const win32::TrayIcon& icon, Delivery delivery);
  // The icon left the area: its balloon goes with it.
  void Remove(HWND window, UINT id);

 private:
  using Key = std::pair<HWND, UINT>;
  struct Balloon {
    win32::TrayIcon record;
    uint32_t id = 0;             // the notification showing it (0: none known)
    uint64_t pendingCall = 0;    // the newest Notify still unanswered
  };
  void Close(uint32_t id);
  // The balloon shown by notification `id`, which is then forgotten; null when none is.
  Balloon* Take(uint32_t id);

  static int OnNotified(sd_bus_message* reply, void* self, sd_bus_error*);
  static int OnActionInvoked(sd_bus_message* signal, void* self, sd_bus_error*);
  static int OnClosed(sd_bus_message* signal, void* self, sd_bus_error*);
  static int OnOwnerChanged(sd_bus_message* signal, void* self, sd_bus_error*);

  sd_bus* m_bus;
  bool m_owned = false, m_activatable = false;
  std::map<Key, Balloon> m_balloons;
  std::map<uint64_t, Key> m_calls;  // Notify calls by cookie
};

}  // namespace display
