#pragma once
// One HTTP transport for one request task (flag false) or for the link long
// poll (flag true), with the task's state word. The holder owns the
// transport; it is used on one thread at a time (Stop may come from another).
#include <memory>

#include "net/HttpTransport.h"

class HttpTransportHolder {
 public:
  explicit HttpTransportHolder(bool longPoll);
  HttpTransportHolder(const HttpTransportHolder&) = delete;
  HttpTransportHolder& operator=(const HttpTransportHolder&) = delete;
  ~HttpTransportHolder();

  Net::HttpTransport* GetTransport() const { return m_pTransport.get(); }

  // Sets the proxy and runs the exchange; true only when an answer arrived
  // with HTTP status 200, the only one whose body the parsers read.
  bool Exchange(const Net::ProxyCfg& proxy, Net::HttpRequest& request, Net::HttpResponse& response);
  // The same through the configuration's current proxy.
  bool Exchange(Net::HttpRequest& request, Net::HttpResponse& response);

  std::unique_ptr<Net::HttpTransport> m_pTransport;
  int m_nState = 0;
};
