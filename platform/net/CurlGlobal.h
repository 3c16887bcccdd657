#pragma once
// Process-wide state of the network library over libcurl: one-time set-up,
// the connection cache shared by every transport, the speed limits, and the
// generation that CloseAllConnect advances to end every open connection.
#include <curl/curl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "net/ProxyCfg.h"

namespace Net::detail {

void EnsureCurl();

// A libcurl share of connections, DNS answers and TLS sessions, usable from
// any thread. Replaced by CloseAllConnect; the old one closes its cached
// connections when its last transfer lets go of it.
class CurlShare {
 public:
  CurlShare();
  ~CurlShare();
  CurlShare(const CurlShare&) = delete;
  CurlShare& operator=(const CurlShare&) = delete;
  CURLSH* Handle() const { return m_share; }

 private:
  CURLSH* m_share;
  struct Locks;
  std::unique_ptr<Locks> m_locks;
};
std::shared_ptr<CurlShare> CurrentShare();

// Speed limits in bytes per second, -1 for none.
void SetSpeedLimits(int64_t upload, int64_t download, bool setUpload, bool setDownload);
int64_t UploadSpeedLimit();
int64_t DownloadSpeedLimit();

// Every connection opened before the generation advanced is to be closed.
uint64_t ConnectionGeneration();
void CloseAllConnections();

// Sets libcurl's proxy options for a setting; false when the setting names a
// proxy that cannot be used (no host, or a port outside 1-65535).
bool ApplyProxy(CURL* easy, const ProxyCfg& proxy);

// Escapes the bytes that may not stand in a URL (controls, blanks, non-ASCII,
// a few delimiters such as "#") as %XX and keeps everything else as it is.
std::string EscapeUrl(const std::string& url);

}  // namespace Net::detail
