#include "client/core/tasks/TaskExchange.h"

#include "client/core/GlobalConfig.h"
#include "client/core/protocol/HttpTransportHolder.h"
#include "net/HttpTransport.h"

bool RunTaskExchange(HttpTransportHolder& holder, Net::HttpRequest& request, Net::HttpResponse& response,
                     TransferFlag transfer) {
  Net::HttpTransport* transport = holder.GetTransport();
  if (transfer == TransferFlag::On) transport->m_bTransfer = true;
  transport->SetProxy(GetGlobalConfig()->GetCurrentProxy());
  return transport->Transport(request, response);
}
