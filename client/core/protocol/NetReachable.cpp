#include "client/core/protocol/NetReachable.h"

#include "client/core/GlobalConfig.h"
#include "common/NetworkInfo.h"
#include "net/ProxySocket.h"

bool CheckNetReachable() {
  const Net::ProxyCfg proxy = GetGlobalConfig()->GetCurrentProxy();
  if (proxy.m_type == 0) return Common::IsNetReachable();
  std::string host;
  int port = 0;
  if (!Common::GetPortalAddress(host, port)) return false;
  Net::ProxySocket socket(host, port);
  socket.SetProxy(proxy);
  if (!socket.Connect()) return false;
  socket.Close(false);
  return true;
}
