#include "client/core/protocol/HttpTransportHolder.h"

#include "client/core/GlobalConfig.h"
#include "client/core/protocol/ReplyEnvelope.h"

HttpTransportHolder::HttpTransportHolder(bool longPoll)
    : m_pTransport(std::make_unique<Net::HttpTransport>(longPoll)) {}

HttpTransportHolder::~HttpTransportHolder() = default;

bool HttpTransportHolder::Exchange(const Net::ProxyCfg& proxy, Net::HttpRequest& request, Net::HttpResponse& response) {
  m_pTransport->SetProxy(proxy);
  const bool answered = m_pTransport->Transport(request, response);
  return ReplyEnvelope::IsReadable(answered, response.GetStatusCode());
}

bool HttpTransportHolder::Exchange(Net::HttpRequest& request, Net::HttpResponse& response) {
  return Exchange(GetGlobalConfig()->GetCurrentProxy(), request, response);
}
