#pragma once
// A session bus of the test's own (a private dbus-daemon) and a desktop's side of it: a
// StatusNotifierWatcher and a notification service, each on a connection and thread of its
// own, recording what the program asks of them.
#include <systemd/sd-bus.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "../win32/ChildProcess.h"

namespace bustest {

// Starts the daemon and points DBUS_SESSION_BUS_ADDRESS at it; null without dbus-daemon.
class PrivateBus {
 public:
  static std::unique_ptr<PrivateBus> Start(const std::string& folder);
  ~PrivateBus();
  const std::string& Address() const { return m_address; }

 private:
  std::unique_ptr<wintest::ChildProcess> m_daemon;
  std::string m_address;
};

// A connection served on a thread of its own; what its handlers record is read under Lock.
class Service {
 public:
  virtual ~Service();
  std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(m_lock); }

 protected:
  // Connects, lets SetUp export and match (on the service's thread), then owns `name`.
  bool Start(const char* name);
  // Ends the thread; derived classes call it first. The connection (and the name) goes
  // with the service.
  void Stop();
  virtual void SetUp() = 0;
  // Runs `send` on the connection between the thread's turns.
  template <typename Sender>
  void Send(Sender send) {
    {
      auto hold = Lock();
      send(m_bus);
    }
    WakeUp();
  }
  void WakeUp();
  sd_bus* m_bus = nullptr;
  std::mutex m_lock;

 private:
  void Run();
  std::string m_name;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_started{0};  // 1: up, -1: failed
  int m_wake[2] = {-1, -1};
  std::thread m_thread;
};

class Watcher final : public Service {
 public:
  static std::unique_ptr<Watcher> Start();
  ~Watcher() override;
  std::vector<std::string> registered;  // item names, in order
  int newIcons = 0;                     // NewIcon signals seen

 private:
  void SetUp() override;
  static int OnRegister(sd_bus_message* call, void* self, sd_bus_error*);
  static int OnNewIcon(sd_bus_message* signal, void* self, sd_bus_error*);
  sd_bus_slot* m_object = nullptr;
};

class NotificationService final : public Service {
 public:
  struct Notified {
    std::string app, summary, body;
    uint32_t replaces;
    std::vector<std::string> actions;
    int32_t timeout;
    uint32_t id;
  };
  static std::unique_ptr<NotificationService> Start();
  ~NotificationService() override;
  std::vector<Notified> notified;
  std::vector<uint32_t> closed;  // CloseNotification calls
  // What the desktop says when the user clicks notification `id`, or when it closes.
  void Click(uint32_t id);
  void Closed(uint32_t id, uint32_t reason);

 private:
  void SetUp() override;
  static int OnNotify(sd_bus_message* call, void* self, sd_bus_error*);
  static int OnClose(sd_bus_message* call, void* self, sd_bus_error*);
  sd_bus_slot* m_object = nullptr;
  uint32_t m_next = 0;
};

}  // namespace bustest
