#pragma once
// The system's Internet proxy settings for the local network, and the portal user name kept
// in the system's cookies.
//
// A proxy list is entries separated by ';': "scheme=host[:port]" with the scheme http, https,
// ftp or socks, or a plain "host[:port]" standing for http, https and ftp together.
#include <string>

#include "mfc/Afx.h"

namespace Common {

struct ProxyInfo {
  CString strHttpHost;
  CString strHttpPort;
  CString strHttpsHost;
  CString strHttpsPort;
  CString strFtpHost;
  CString strFtpPort;
  CString strSocksHost;
  CString strSocksPort;
  CString strBypass;  // passed through unchanged
  bool bUseProxy = false;
};

// Writes the pairs whose host and port are both set as the list, the switch and the bypass
// list; 1 on success, 0 when the system refuses them.
int SetInternetProxy(ProxyInfo* info);
// Clears the record and fills it from the system's settings.
void GetInternetProxy(ProxyInfo* info);
// Fills host and port fields from a proxy list; fields the list does not name keep their
// values. A plain entry or an unknown scheme ends the parsing; a socks entry needs a port.
void SetProxyInfoByString(ProxyInfo* info, CString text);
// The portal user name (the first '|' piece of the portal's P_INFO cookie holding one of the
// portal's mail domains) in the ANSI code page, or empty.
std::string GetUsernameFromLocalCookies();

// The portal whose cookie is read, and its mail domains.
extern const wchar_t kPortalUrl[];
extern const wchar_t* const kPortalMailDomains[6];

}  // namespace Common
