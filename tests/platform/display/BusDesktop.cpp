// A desktop's side of the session bus for trying the program by hand: a StatusNotifierWatcher
// and a notification service that print what the program registers and shows, until SIGTERM
// or SIGINT. Run the program on the same bus (dbus-run-session). With --no-notifications,
// the watcher alone: a desktop that hosts the icons but shows no notifications.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "BusHost.h"

namespace {
volatile sig_atomic_t g_stop = 0;
}

int main(int argc, char** argv) {
  signal(SIGTERM, [](int) { g_stop = 1; });
  signal(SIGINT, [](int) { g_stop = 1; });
  const bool notify = !(argc > 1 && std::strcmp(argv[1], "--no-notifications") == 0);
  auto watcher = bustest::Watcher::Start();
  auto notifications = notify ? bustest::NotificationService::Start() : nullptr;
  if (!watcher || (notify && !notifications)) {
    std::fprintf(stderr, "bus_desktop: no session bus, or its names are taken\n");
    return 1;
  }
  std::printf("bus_desktop: watching\n");
  std::fflush(stdout);
  size_t items = 0, shown = 0;
  while (!g_stop) {
    {
      auto hold = watcher->Lock();
      for (; items < watcher->registered.size(); ++items) std::printf("item %s\n", watcher->registered[items].c_str());
    }
    if (notifications) {
      auto hold = notifications->Lock();
      for (; shown < notifications->notified.size(); ++shown) {
        const auto& n = notifications->notified[shown];
        std::printf("notification %u (replaces %u) from %s: %s / %s\n", n.id, n.replaces, n.app.c_str(),
                    n.summary.c_str(), n.body.c_str());
      }
    }
    std::fflush(stdout);
    usleep(200000);  // a person reads along; nothing here is timed
  }
  return 0;
}
