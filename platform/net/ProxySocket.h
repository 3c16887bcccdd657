#pragma once
#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "net/ProxyCfg.h"

namespace Net {

// A TCP connection to a host, opened directly or through a proxy (HTTP
// CONNECT, SOCKS4, SOCKS5). The static members hold what applies to every
// connection of the process.
class ProxySocket {
 public:
  ProxySocket(const std::string& host, int port);
  ProxySocket(const ProxySocket&) = delete;
  ProxySocket& operator=(const ProxySocket&) = delete;
  ~ProxySocket();

  void SetProxy(const ProxyCfg& proxy);
  // Opens the connection; false when the host or the proxy cannot be reached
  // or the proxy refuses.
  bool Connect();
  // Closes the connection. `graceful`: shut the sending side down first.
  void Close(bool graceful);
  bool IsConnected() const;

  // Sends all bytes, or reads what arrives within the time-out (ms): the
  // number of bytes, 0 when the peer closed, -1 on an error.
  int Send(const char* data, int length, int timeoutMs = 15000);
  int Receive(char* buffer, int length, int timeoutMs = 15000);

  // Ends every connection of the process: open sockets are closed, transfers
  // in progress fail and return, idle connections kept for reuse are closed.
  static void CloseAllConnect();
  // Bytes per second for all transfers from now on; -1 for no limit.
  static void SetUploadSpeedLimit(int bytesPerSecond);
  static void SetDownloadSpeedLimit(int bytesPerSecond);
  // The download limit in force: bytes per second, -1 for none.
  static int64_t GetDownloadSpeedLimit();

  void SetConnectTimeout(int ms) { m_connectMs = ms; }

 private:
  static int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
  bool WaitSocket(bool forWrite, int timeoutMs);

  std::string m_host;
  int m_port;
  ProxyCfg m_proxy;
  int m_connectMs = 15000;
  CURL* m_easy = nullptr;
  std::atomic<curl_socket_t> m_socket{CURL_SOCKET_BAD};
  mutable std::mutex m_lock;
  std::atomic<uint64_t> m_generation{0};
  std::atomic<bool> m_closed{false};
};

}  // namespace Net
