#include "net/CurlGlobal.h"

#include <atomic>
#include <mutex>

#include "net/CurlRunner.h"

namespace Net::detail {

namespace {
std::once_flag g_curlOnce;
std::mutex g_shareLock;
std::shared_ptr<CurlShare> g_share;
std::atomic<int64_t> g_uploadLimit{-1};
std::atomic<int64_t> g_downloadLimit{-1};
std::atomic<uint64_t> g_generation{0};
}  // namespace

void EnsureCurl() {
  std::call_once(g_curlOnce, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlShare::Locks {
  std::mutex byData[CURL_LOCK_DATA_LAST];
};

CurlShare::CurlShare() : m_share(nullptr), m_locks(std::make_unique<Locks>()) {
  EnsureCurl();
  m_share = curl_share_init();
  if (m_share == nullptr) return;
  curl_share_setopt(m_share, CURLSHOPT_USERDATA, m_locks.get());
  curl_share_setopt(m_share, CURLSHOPT_LOCKFUNC, +[](CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<Locks*>(user)->byData[data].lock();
  });
  curl_share_setopt(m_share, CURLSHOPT_UNLOCKFUNC, +[](CURL*, curl_lock_data data, void* user) {
    static_cast<Locks*>(user)->byData[data].unlock();
  });
  curl_share_setopt(m_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
  curl_share_setopt(m_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
  curl_share_setopt(m_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
}

CurlShare::~CurlShare() {
  if (m_share != nullptr) curl_share_cleanup(m_share);
}

std::shared_ptr<CurlShare> CurrentShare() {
  std::lock_guard<std::mutex> hold(g_shareLock);
  if (!g_share) g_share = std::make_shared<CurlShare>();
  return g_share;
}

void SetSpeedLimits(int64_t upload, int64_t download, bool setUpload, bool setDownload) {
  if (setUpload) g_uploadLimit = upload < 0 ? -1 : upload;
  if (setDownload) g_downloadLimit = download < 0 ? -1 : download;
}
int64_t UploadSpeedLimit() { return g_uploadLimit; }
int64_t DownloadSpeedLimit() { return g_downloadLimit; }

uint64_t ConnectionGeneration() { return g_generation; }

void CloseAllConnections() {
  {
    // Idle connections go with the old share once no transfer holds it.
    std::lock_guard<std::mutex> hold(g_shareLock);
    g_share.reset();
  }
  ++g_generation;
  CurlRunner::WakeAll();
}

bool ApplyProxy(CURL* easy, const ProxyCfg& proxy) {
  if (proxy.m_type == ProxyCfg::None) {
    // An empty proxy also keeps libcurl from taking one from the environment.
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    return true;
  }
  long kind;
  switch (proxy.m_type) {
    case ProxyCfg::Http: kind = CURLPROXY_HTTP; break;
    case ProxyCfg::Socks4: kind = CURLPROXY_SOCKS4; break;
    case ProxyCfg::Socks5: kind = CURLPROXY_SOCKS5_HOSTNAME; break;
    default: return false;
  }
  if (proxy.m_host.empty() || proxy.m_port < 1 || proxy.m_port > 65535) return false;
  curl_easy_setopt(easy, CURLOPT_PROXY, proxy.m_host.c_str());
  curl_easy_setopt(easy, CURLOPT_PROXYPORT, static_cast<long>(proxy.m_port));
  curl_easy_setopt(easy, CURLOPT_PROXYTYPE, kind);
  if (!proxy.m_user.empty()) {
    curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, proxy.m_user.c_str());
    curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, proxy.m_password.c_str());
  }
  return true;
}

std::string EscapeUrl(const std::string& url) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(url.size());
  for (unsigned char c : url) {
    bool escape = c <= 0x20 || c >= 0x7f || c == '"' || c == '#' || c == '<' || c == '>' || c == '\\' ||
                  c == '^' || c == '`' || c == '{' || c == '}';
    if (escape) {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace Net::detail

namespace Net {

void Initialize() { detail::EnsureCurl(); }

}  // namespace Net
