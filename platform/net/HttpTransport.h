#pragma once
#include <curl/curl.h>

#include <atomic>
#include <memory>
#include <string>

#include "net/HttpRequest.h"
#include "net/HttpResponse.h"
#include "net/HttpTypes.h"
#include "net/ProxyCfg.h"
#include "net/TransferLimits.h"

namespace Net {

namespace detail {
class CurlRunner;
}

// Runs HTTP exchanges, one at a time, on the calling thread. Connections to a
// host are kept and reused by every transport of the process.
//
// Every exchange is bounded: a reply body past its cap and an exchange past
// its deadline fail (a range's body is capped at the range's length), and the
// deadline grows by what the speed limits make the bytes take. Redirects are
// followed to http and https only, and a request that carries a body is never
// redirected to another host; credentials in headers stay with the first.
class HttpTransport {
 public:
  // longPoll: the exchanges wait for a server that holds the request until it
  // has news, so an idle connection is given much longer before it counts as
  // dead; with a deadline (the long poll's limits have one) it is not checked
  // for idleness at all, the deadline ends it.
  explicit HttpTransport(bool longPoll = false);
  HttpTransport(const HttpTransport&) = delete;
  HttpTransport& operator=(const HttpTransport&) = delete;
  ~HttpTransport();

  void SetProxy(const ProxyCfg& proxy);
  // Called during the exchange with (URL, bytes so far, total): `send` for the
  // request body, `receive` for the response body. Empty delegates are not called.
  void SetTransportCallback(TransportDelegate send, TransportDelegate receive);
  template <class D>
  void SetTransportCallback(const D& send, const D& receive) {
    SetTransportCallback(MakeTransportDelegate(send), MakeTransportDelegate(receive));
  }
  // Time allowed to connect, and to go without receiving or sending a byte
  // (but by a long poll with a deadline).
  void SetTimeouts(int connectMs, int idleSeconds);
  // The limits of the following exchanges. Without it, those of the kind the
  // transport was made for: the long poll, a transfer (the transfer flag) or
  // an API call.
  void SetLimits(const TransferLimits& limits);

  // Sends the request and reads the answer into the response. True when an
  // answer arrived, whatever its status; false when the exchange failed
  // (the response's status is then 0).
  bool Transport(HttpRequest& request, HttpResponse& response);

  // From another thread: aborts the exchange in progress at once, and refuses
  // further exchanges until the restart flag is set (so a stop that comes
  // between two exchanges is not lost).
  void Stop();

  // Set on a transport that moves file content (block upload, ranged
  // download): larger buffers for a higher throughput.
  std::atomic<bool> m_bTransfer{false};
  // Set after Stop, once the caller is ready for new exchanges: the next
  // Transport clears the stop and this flag and runs.
  std::atomic<bool> m_bRestart{false};

  // libcurl's text for the last failure (empty after a success).
  const std::string& GetLastError() const { return m_lastError; }

 private:
  struct Exchange;
  bool Prepare(Exchange& x, HttpRequest& request, HttpResponse& response);
  TransferLimits CurrentLimits() const;

  ProxyCfg m_proxy;
  TransportDelegate m_send;
  TransportDelegate m_receive;
  int m_connectMs = 15000;
  int m_idleSeconds;
  bool m_longPoll;
  bool m_limitsSet = false;
  TransferLimits m_limits;
  std::atomic<bool> m_stopped{false};
  std::string m_lastError;
  CURL* m_easy = nullptr;
  std::unique_ptr<detail::CurlRunner> m_runner;
};

}  // namespace Net
