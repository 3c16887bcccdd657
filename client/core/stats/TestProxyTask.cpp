#include "client/core/stats/TestProxyTask.h"

#include "base/MyThreadsPool.h"
#include "base/StringUtil.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/stats/ServiceAddress.h"
#include "net/ProxyCfg.h"
#include "net/ProxySocket.h"

TestProxyTask::TestProxyTask(const juce::String& name, int type, const std::string& address,
                             const std::string& port, const std::string& user, const std::string& password)
    : _WaitRelease_Work_Task(name),
      m_nType(type),
      m_sAddress(address),
      m_sPort(port),
      m_sUser(user),
      m_sPassword(password) {}

int TestProxyTask::ExecuteWorkTask() {
  Net::ProxyCfg proxy;
  proxy.m_type = m_nType;
  proxy.m_host = m_sAddress;
  proxy.m_port = juce::StringUtil::string2num(m_sPort);
  proxy.m_user = m_sUser;
  proxy.m_password = m_sPassword;

  Net::ProxySocket socket(ServiceAddress::ServiceHost(), ServiceAddress::ServicePort());
  socket.SetProxy(proxy);
  m_nResult = socket.Connect() ? 1 : 0;
  if (m_nResult) socket.Close(false);
  return 0;
}

void TestProxySetting(bool& ok, int type, const std::string& address, const std::string& port,
                      const std::string& user, const std::string& password) {
  auto* task = new TestProxyTask("TestProxyTask", type, address, port, user, password);
  GetUpThreadsPool()->PostWorkTask(task, true);
  task->WaitExecuteFinishEvent();
  ok = task->GetResult() == 1;
  task->SignReleaseEvent();
}
