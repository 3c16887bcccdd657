#pragma once
// What a successful sign-in sets going outside the account records: the link
// long poll starts again with the new client id, and the "login" usage event
// is reported. Their owners (the sync engine's server-update filter, the usage
// statistics) install them when they exist; a missing one is skipped.
#include <functional>
#include <string>

namespace LoginEvents {

void SetRestartLinkService(std::function<void()> restart);
// (category, event)
void SetReportUsageEvent(std::function<void(const std::string&, const std::string&)> report);

void RestartLinkService();
void ReportUsageEvent(const std::string& category, const std::string& event);

}  // namespace LoginEvents
