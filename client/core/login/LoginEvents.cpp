#include "client/core/login/LoginEvents.h"

#include <mutex>

namespace {

std::mutex g_lock;
std::function<void()> g_restart;
std::function<void(const std::string&, const std::string&)> g_report;

}  // namespace

void LoginEvents::SetRestartLinkService(std::function<void()> restart) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_restart = std::move(restart);
}

void LoginEvents::SetReportUsageEvent(std::function<void(const std::string&, const std::string&)> report) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_report = std::move(report);
}

void LoginEvents::RestartLinkService() {
  std::function<void()> restart;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    restart = g_restart;
  }
  if (restart) restart();
}

void LoginEvents::ReportUsageEvent(const std::string& category, const std::string& event) {
  std::function<void(const std::string&, const std::string&)> report;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    report = g_report;
  }
  if (report) report(category, event);
}
