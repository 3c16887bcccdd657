#include "net/ProxySocket.h"

#include <poll.h>
#include <sys/socket.h>

#include <set>

#include "net/CurlGlobal.h"
#include "net/NetTrace.h"

namespace Net {

namespace {
std::mutex g_socketsLock;
std::set<ProxySocket*> g_sockets;
}  // namespace

ProxySocket::ProxySocket(const std::string& host, int port) : m_host(host), m_port(port) {
  detail::EnsureCurl();
  std::lock_guard<std::mutex> hold(g_socketsLock);
  g_sockets.insert(this);
}

ProxySocket::~ProxySocket() {
  {
    std::lock_guard<std::mutex> hold(g_socketsLock);
    g_sockets.erase(this);
  }
  Close(false);
}

void ProxySocket::SetProxy(const ProxyCfg& proxy) { m_proxy = proxy; }

int ProxySocket::OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* self = static_cast<ProxySocket*>(user);
  return self->m_generation != detail::ConnectionGeneration() ? 1 : 0;
}

bool ProxySocket::Connect() {
  Close(false);
  if (m_host.empty() || m_port < 1 || m_port > 65535) return false;
  CURL* e = curl_easy_init();
  if (e == nullptr) return false;
  m_generation = detail::ConnectionGeneration();
  // libcurl opens the tunnel; the URL only names the target.
  std::string url = "http://" + (m_host.find(':') != std::string::npos ? "[" + m_host + "]" : m_host) + ":" +
                    std::to_string(m_port) + "/";
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_CONNECT_ONLY, 1L);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_connectMs));
  curl_easy_setopt(e, CURLOPT_HTTPPROXYTUNNEL, 1L);
  curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &ProxySocket::OnProgress);
  curl_easy_setopt(e, CURLOPT_XFERINFODATA, this);
  bool ok = detail::ApplyProxy(e, m_proxy);
  CURLcode rc = ok ? curl_easy_perform(e) : CURLE_COULDNT_RESOLVE_PROXY;
  curl_socket_t fd = CURL_SOCKET_BAD;
  if (rc == CURLE_OK) curl_easy_getinfo(e, CURLINFO_ACTIVESOCKET, &fd);
  if (rc != CURLE_OK || fd == CURL_SOCKET_BAD || m_generation != detail::ConnectionGeneration()) {
    NET_TRACE(2, "proxy connect to " + m_host + ":" + std::to_string(m_port) + " failed: " +
                     (ok ? curl_easy_strerror(rc) : "unusable proxy setting"));
    curl_easy_cleanup(e);
    return false;
  }
  std::lock_guard<std::mutex> hold(m_lock);
  m_easy = e;
  m_socket = fd;
  m_closed = false;
  return true;
}

void ProxySocket::Close(bool graceful) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_easy == nullptr) return;
  if (graceful && m_socket != CURL_SOCKET_BAD) shutdown(m_socket, SHUT_WR);
  curl_easy_cleanup(m_easy);
  m_easy = nullptr;
  m_socket = CURL_SOCKET_BAD;
}

bool ProxySocket::IsConnected() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_easy != nullptr && !m_closed;
}

bool ProxySocket::WaitSocket(bool forWrite, int timeoutMs) {
  pollfd p{m_socket.load(), static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
  return poll(&p, 1, timeoutMs) > 0;
}

int ProxySocket::Send(const char* data, int length, int timeoutMs) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_easy == nullptr || m_closed || length < 0) return -1;
  int sent = 0;
  while (sent < length) {
    size_t n = 0;
    CURLcode rc = curl_easy_send(m_easy, data + sent, static_cast<size_t>(length - sent), &n);
    if (rc == CURLE_AGAIN) {
      if (!WaitSocket(true, timeoutMs)) return -1;
      continue;
    }
    if (rc != CURLE_OK) return -1;
    sent += static_cast<int>(n);
  }
  return sent;
}

int ProxySocket::Receive(char* buffer, int length, int timeoutMs) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_easy == nullptr || m_closed || length <= 0) return -1;
  for (;;) {
    size_t n = 0;
    CURLcode rc = curl_easy_recv(m_easy, buffer, static_cast<size_t>(length), &n);
    if (rc == CURLE_AGAIN) {
      if (!WaitSocket(false, timeoutMs)) return -1;
      continue;
    }
    return rc == CURLE_OK ? static_cast<int>(n) : -1;
  }
}

void ProxySocket::CloseAllConnect() {
  {
    std::lock_guard<std::mutex> hold(g_socketsLock);
    for (ProxySocket* s : g_sockets) {
      // Another thread may be inside Send or Receive holding the socket's
      // lock: shutting the descriptor down makes that call return, and the
      // owner's Close frees it.
      s->m_closed = true;
      curl_socket_t fd = s->m_socket;
      if (fd != CURL_SOCKET_BAD) shutdown(fd, SHUT_RDWR);
    }
  }
  detail::CloseAllConnections();
}

void ProxySocket::SetUploadSpeedLimit(int bytesPerSecond) { detail::SetSpeedLimits(bytesPerSecond, 0, true, false); }

void ProxySocket::SetDownloadSpeedLimit(int bytesPerSecond) {
  detail::SetSpeedLimits(0, bytesPerSecond, false, true);
}

int64_t ProxySocket::GetDownloadSpeedLimit() { return detail::DownloadSpeedLimit(); }

}  // namespace Net
