#include "display/dbus/StatusNotifierTray.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>

#include "display/dbus/BusNames.h"
#include "display/dbus/Notifications.h"
#include "display/dbus/StatusNotifierItem.h"

namespace display {
namespace {

constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";

bool SameIcon(const win32::TrayIcon& a, const win32::TrayIcon& b) { return a.window == b.window && a.id == b.id; }

// Milliseconds until an sd-bus deadline (microseconds of the monotonic clock; none: -1).
int MillisecondsUntil(uint64_t deadline) {
  if (deadline == UINT64_MAX) return -1;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t current = static_cast<uint64_t>(now.tv_sec) * 1000000 + static_cast<uint64_t>(now.tv_nsec) / 1000;
  if (deadline <= current) return 0;
  return static_cast<int>(std::min<uint64_t>((deadline - current + 999) / 1000, 60000));
}

}  // namespace

struct StatusNotifierTray::Bus {
  sd_bus* bus = nullptr;  // the tray's own connection: the watcher, the notifications
  std::unique_ptr<Notifications> notifications;
  std::vector<std::unique_ptr<StatusNotifierItem>> items;  // while a watcher is there
  std::vector<win32::TrayIcon> icons;                      // the area's, as last handed over
  bool watcher = false;
  bool watcherChanged = false;  // came, went or restarted since the thread last looked
  unsigned named = 0;           // items named so far

  ~Bus() {
    items.clear();
    sd_bus_flush_close_unref(bus);  // before the notifications its calls' replies would reach
  }

  static int OnWatcher(sd_bus_message* signal, void* self, sd_bus_error*) {
    Bus& b = *static_cast<Bus*>(self);
    b.watcher = !NewOwner(signal).empty();
    b.watcherChanged = true;
    return 0;
  }

  void Apply() {
    // Items of icons gone from the area go, the others follow their icons.
    std::erase_if(items, [&](const std::unique_ptr<StatusNotifierItem>& item) {
      return std::none_of(icons.begin(), icons.end(), [&](const auto& icon) { return SameIcon(icon, item->Record()); });
    });
    if (!watcher) items.clear();
    for (const win32::TrayIcon& icon : icons) {
      if (!watcher) break;
      auto item = std::find_if(items.begin(), items.end(), [&](const auto& i) { return SameIcon(i->Record(), icon); });
      if (item != items.end()) {
        (*item)->Set(icon);
        continue;
      }
      const std::string name =
          "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" + std::to_string(++named);
      if (auto made = StatusNotifierItem::Create(icon, name)) items.push_back(std::move(made));
    }
    for (const win32::TrayIcon& icon : icons)
      notifications->Show(icon, watcher ? Notifications::Delivery::Send : Notifications::Delivery::Follow);
  }
};

std::unique_ptr<StatusNotifierTray> StatusNotifierTray::Open(std::function<void()> hostChanged) {
  auto b = std::make_unique<Bus>();
  if (sd_bus_open_user(&b->bus) < 0) return nullptr;
  b->notifications = std::make_unique<Notifications>(b->bus);
  b->watcher = FollowOwner(b->bus, kWatcher, Bus::OnWatcher, b.get());
  std::unique_ptr<StatusNotifierTray> tray(new StatusNotifierTray(std::move(b), std::move(hostChanged)));
  if (!tray->m_thread.joinable()) return nullptr;
  return tray;
}

StatusNotifierTray::StatusNotifierTray(std::unique_ptr<Bus> bus, std::function<void()> hostChanged)
    : m_bus(std::move(bus)),
      m_hostChanged(std::move(hostChanged)),
      m_hosted(m_bus->watcher),
      m_notifying(m_bus->notifications->Available()) {
  if (!m_wake.Open()) return;
  m_thread = std::thread([this] { Run(); });
}

StatusNotifierTray::~StatusNotifierTray() {
  m_stop = true;
  if (m_thread.joinable()) {
    m_wake.Wake();
    m_thread.join();
  }
}

bool StatusNotifierTray::Update(const std::vector<win32::TrayIcon>& icons) {
  {
    std::lock_guard guard(m_lock);
    m_icons = icons;
    m_changed = true;
  }
  m_wake.Wake();
  return m_hosted;
}

void StatusNotifierTray::Run() {
  Bus& b = *m_bus;
  while (!m_stop) {
    bool changed = false;
    {
      std::lock_guard guard(m_lock);
      if (m_changed) {
        for (const win32::TrayIcon& gone : b.icons)
          if (std::none_of(m_icons.begin(), m_icons.end(), [&](const auto& i) { return SameIcon(i, gone); }))
            b.notifications->Remove(gone.window, gone.id);
        b.icons = m_icons;
        changed = true;
        m_changed = false;
      }
    }
    if (changed) b.Apply();
    // Each connection until it has nothing more to do.
    while (sd_bus_process(b.bus, nullptr) > 0) {
    }
    for (auto& item : b.items)
      while (sd_bus_process(item->Connection(), nullptr) > 0) {
      }
    if (b.notifications->Available() != m_notifying) {
      m_notifying = b.notifications->Available();
      if (m_hostChanged) m_hostChanged();
    }
    if (b.watcherChanged) {
      b.watcherChanged = false;
      // A watcher that came again knows nothing of the items: they start over.
      b.items.clear();
      b.Apply();
      m_hosted = b.watcher;
      if (m_hostChanged) m_hostChanged();
      continue;
    }
    std::vector<pollfd> fds;
    int timeout = -1;
    std::vector<sd_bus*> buses{b.bus};
    for (auto& item : b.items) buses.push_back(item->Connection());
    for (sd_bus* bus : buses) {
      uint64_t deadline = UINT64_MAX;
      sd_bus_get_timeout(bus, &deadline);
      const int wait = MillisecondsUntil(deadline);
      if (wait >= 0 && (timeout < 0 || wait < timeout)) timeout = wait;
      fds.push_back({sd_bus_get_fd(bus), static_cast<short>(sd_bus_get_events(bus)), 0});
    }
    m_wake.Wait(fds, timeout);
  }
}

}  // namespace display
