#include "client/core/login/LoginEvents.h"

#include <mutex>

namespace {

std::mutex g_lock;
std::function<void()> g_restart;

}  // namespace

void LoginEvents::SetRestartLinkService(std::function<void()> restart) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_restart = std::move(restart);
}

// Called under the lock: once SetRestartLinkService has returned, no restart
// still runs into the owner that set the old one (it may be going away).
void LoginEvents::RestartLinkService() {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_restart) g_restart();
}
