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

void LoginEvents::RestartLinkService() {
  std::function<void()> restart;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    restart = g_restart;
  }
  if (restart) restart();
}
