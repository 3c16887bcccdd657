#pragma once
// The proxy test of the settings window: a TCP connection through the typed
// proxy setting (directly for type 0) to the service host, on the Up pool
// while the window waits.
#include <string>

#include "base/WaitReleaseWorkTask.h"

class TestProxyTask final : public juce::_WaitRelease_Work_Task {
 public:
  TestProxyTask(const juce::String& name, int type, const std::string& address, const std::string& port,
                const std::string& user, const std::string& password);

  int ExecuteWorkTask() override;
  // 1 when the connection succeeded.
  int GetResult() const { return m_nResult; }

 private:
  int m_nType;
  std::string m_sAddress;
  std::string m_sPort;
  std::string m_sUser;
  std::string m_sPassword;
  int m_nResult = 0;
};

// Runs a TestProxyTask and waits for it; ok is always written. A port text
// that is not a number tests port 0 of the proxy.
void TestProxySetting(bool& ok, int type, const std::string& address, const std::string& port,
                      const std::string& user, const std::string& password);
