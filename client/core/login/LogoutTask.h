#pragma once
// Signs a client out (APP_LOGOUT), posted to the Up pool when the account
// changes; nobody waits for it.
#include <string>

#include "base/WorkTask.h"

class LogoutTask final : public juce::_WORK_TASK {
 public:
  LogoutTask(const juce::String& name, const std::string& account, const std::string& clientID)
      : _WORK_TASK(name), m_account(account), m_clientID(clientID) {}

  // 0 when the service confirmed (HTTP 200, code 200); otherwise the failure
  // is logged and 1 returned.
  int ExecuteWorkTask() override;

 private:
  std::string m_account;
  std::string m_clientID;
};
