#pragma once
// One icon of the notification area as a StatusNotifierItem, on a connection of its own to
// the session bus (a host reaches an item by its bus name at /StatusNotifierItem). Used on
// the tray's thread alone.
#include <systemd/sd-bus.h>

#include <memory>
#include <string>
#include <vector>

#include "win32/ShellNotify.h"

namespace display {

// What the desktop calls the program: its icon window's title, else the process's name.
std::string ProgramName(HWND window);

class StatusNotifierItem {
 public:
  // Connects, exports the item, takes the bus name `name` and registers it with the watcher;
  // null when the bus refuses.
  static std::unique_ptr<StatusNotifierItem> Create(const win32::TrayIcon& icon, const std::string& name);
  ~StatusNotifierItem();
  StatusNotifierItem(const StatusNotifierItem&) = delete;
  StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

  // Takes the icon's new state and tells the host what changed.
  void Set(const win32::TrayIcon& icon);
  // Asks the watcher (again) to show the item.
  void Register();
  const win32::TrayIcon& Record() const { return m_record; }
  sd_bus* Connection() const { return m_bus; }

 private:
  struct Pixmap {
    int size;
    std::vector<BYTE> argb;
  };
  StatusNotifierItem() = default;
  void Render();
  // The tip's first line, and the lines after it.
  std::string TipTitle() const;
  std::string TipBody() const;
  // A click of the host as the icon's own: down and up at the host's point.
  void Click(int x, int y, UINT down, UINT up) const;

  static const sd_bus_vtable kVtable[];
  static int GetString(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply, void* self,
                       sd_bus_error*);
  static int GetIcon(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* self, sd_bus_error*);
  static int GetNoIcon(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*);
  static int GetToolTip(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* self,
                        sd_bus_error*);
  static int GetFalse(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*);
  static int GetWindowId(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*);
  template <UINT Down, UINT Up>
  static int OnClick(sd_bus_message* call, void* self, sd_bus_error*);
  static int OnScroll(sd_bus_message* call, void* self, sd_bus_error*);

  win32::TrayIcon m_record;
  std::string m_name;
  std::string m_program;
  std::vector<Pixmap> m_pixmaps;
  sd_bus* m_bus = nullptr;
  sd_bus_slot* m_object = nullptr;
};

}  // namespace display
