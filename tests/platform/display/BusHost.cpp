#include "BusHost.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>

namespace bustest {

std::unique_ptr<PrivateBus> PrivateBus::Start(const std::string& folder) {
  if (access("/usr/bin/dbus-daemon", X_OK) != 0) return nullptr;
  const std::string config = folder + "/bus.conf";
  std::ofstream(config) << "<busconfig><type>session</type><listen>unix:dir=" << folder
                        << "</listen><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                           "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
  auto bus = std::unique_ptr<PrivateBus>(new PrivateBus);
  bus->m_daemon = std::make_unique<wintest::ChildProcess>(
      "/usr/bin/dbus-daemon", std::vector<std::string>{"--config-file=" + config, "--nofork", "--print-address"});
  bus->m_address = bus->m_daemon->ReadLine();
  if (bus->m_address.empty()) return nullptr;
  setenv("DBUS_SESSION_BUS_ADDRESS", bus->m_address.c_str(), 1);
  return bus;
}

PrivateBus::~PrivateBus() { unsetenv("DBUS_SESSION_BUS_ADDRESS"); }

Service::~Service() {
  Stop();
  sd_bus_flush_close_unref(m_bus);
  for (int fd : m_wake)
    if (fd >= 0) close(fd);
}

bool Service::Start(const char* name) {
  m_name = name;
  if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0 || sd_bus_open_user(&m_bus) < 0) return false;
  m_thread = std::thread([this] { Run(); });
  while (m_started == 0) std::this_thread::yield();  // the name is owned once this returns
  return m_started > 0;
}

void Service::Stop() {
  if (m_thread.joinable()) {
    m_stop = true;
    WakeUp();
    m_thread.join();
  }
}

void Service::WakeUp() { [[maybe_unused]] ssize_t n = write(m_wake[1], "x", 1); }

void Service::Run() {
  {
    auto hold = Lock();
    SetUp();
    m_started = sd_bus_request_name(m_bus, m_name.c_str(), 0) >= 0 ? 1 : -1;
  }
  while (!m_stop) {
    pollfd fds[2] = {{-1, 0, 0}, {m_wake[0], POLLIN, 0}};
    {
      auto hold = Lock();
      while (sd_bus_process(m_bus, nullptr) > 0) {
      }
      fds[0] = {sd_bus_get_fd(m_bus), static_cast<short>(sd_bus_get_events(m_bus)), 0};
    }
    poll(fds, 2, -1);
    char drain[16];
    while (read(m_wake[0], drain, sizeof drain) > 0) {
    }
  }
}

std::unique_ptr<Watcher> Watcher::Start() {
  auto watcher = std::unique_ptr<Watcher>(new Watcher);
  if (!watcher->Service::Start("org.kde.StatusNotifierWatcher")) return nullptr;
  return watcher;
}

Watcher::~Watcher() {
  Stop();
  sd_bus_slot_unref(m_object);
}

void Watcher::SetUp() {
  static const sd_bus_vtable vtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_METHOD("RegisterStatusNotifierItem", "s", "", OnRegister, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_VTABLE_END};
  sd_bus_add_object_vtable(m_bus, &m_object, "/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher", vtable, this);
  sd_bus_match_signal(m_bus, nullptr, nullptr, nullptr, "org.kde.StatusNotifierItem", "NewIcon", OnNewIcon, this);
}

int Watcher::OnRegister(sd_bus_message* call, void* self, sd_bus_error*) {
  const char* name = nullptr;
  sd_bus_message_read(call, "s", &name);
  static_cast<Watcher*>(self)->registered.push_back(name ? name : "");
  return sd_bus_reply_method_return(call, "");
}

int Watcher::OnNewIcon(sd_bus_message*, void* self, sd_bus_error*) {
  ++static_cast<Watcher*>(self)->newIcons;
  return 0;
}

std::unique_ptr<NotificationService> NotificationService::Start() {
  auto service = std::unique_ptr<NotificationService>(new NotificationService);
  if (!service->Service::Start("org.freedesktop.Notifications")) return nullptr;
  return service;
}

NotificationService::~NotificationService() {
  Stop();
  sd_bus_slot_unref(m_object);
}

void NotificationService::SetUp() {
  static const sd_bus_vtable vtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_METHOD("Notify", "susssasa{sv}i", "u", OnNotify, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_METHOD("CloseNotification", "u", "", OnClose, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_SIGNAL("ActionInvoked", "us", 0),
      SD_BUS_SIGNAL("NotificationClosed", "uu", 0),
      SD_BUS_VTABLE_END};
  sd_bus_add_object_vtable(m_bus, &m_object, "/org/freedesktop/Notifications", "org.freedesktop.Notifications",
                           vtable, this);
}

int NotificationService::OnNotify(sd_bus_message* call, void* self, sd_bus_error*) {
  auto& service = *static_cast<NotificationService*>(self);
  const char *app = nullptr, *icon = nullptr, *summary = nullptr, *body = nullptr;
  Notified n{};
  sd_bus_message_read(call, "susss", &app, &n.replaces, &icon, &summary, &body);
  n.app = app ? app : "", n.summary = summary ? summary : "", n.body = body ? body : "";
  char** actions = nullptr;
  sd_bus_message_read_strv(call, &actions);
  for (char** a = actions; a && *a; ++a) {
    n.actions.push_back(*a);
    free(*a);
  }
  free(actions);
  sd_bus_message_skip(call, "a{sv}");
  sd_bus_message_read(call, "i", &n.timeout);
  n.id = n.replaces ? n.replaces : ++service.m_next;
  service.notified.push_back(n);
  return sd_bus_reply_method_return(call, "u", n.id);
}

int NotificationService::OnClose(sd_bus_message* call, void* self, sd_bus_error*) {
  uint32_t id = 0;
  sd_bus_message_read(call, "u", &id);
  static_cast<NotificationService*>(self)->closed.push_back(id);
  return sd_bus_reply_method_return(call, "");
}

void NotificationService::Click(uint32_t id) {
  Send([id](sd_bus* bus) {
    sd_bus_emit_signal(bus, "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "ActionInvoked", "us",
                       id, "default");
  });
}

void NotificationService::Closed(uint32_t id, uint32_t reason) {
  Send([id, reason](sd_bus* bus) {
    sd_bus_emit_signal(bus, "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "NotificationClosed",
                       "uu", id, reason);
  });
}

}  // namespace bustest
