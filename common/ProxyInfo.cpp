#include "common/ProxyInfo.h"

#include <cstdio>
#include <vector>

#include "common/StringConvert.h"
#include "common/TextSplit.h"

namespace Common {

const wchar_t kPortalUrl[] = L"http://www.halvorn.com/";
const wchar_t* const kPortalMailDomains[6] = {L"@halvorn.com", L"@halvorn.net", L"@halvorn.cn",
                                               L"@mail.halvorn.com", L"@vip.halvorn.com", L"@halvorn.org"};

namespace {

void AppendPair(CString& list, const wchar_t* scheme, const CString& host, const CString& port, bool last) {
  if (host.IsEmpty() || port.IsEmpty()) return;
  list += scheme;
  list += L"=" + host + L":" + port;
  if (!last) list += L";";
}

// host[:port] into host and port (the default when none is given).
void SplitHostPort(const CString& text, CString& host, CString& port, const wchar_t* defaultPort) {
  std::vector<CString> pieces;
  SpliteCString(text, L":", &pieces);
  host = pieces.empty() ? CString() : pieces[0];
  port = pieces.size() > 1 ? pieces[1] : CString(defaultPort);
}

}  // namespace

int SetInternetProxy(ProxyInfo* info) {
  if (!info) return 0;
  CString list;
  AppendPair(list, L"http", info->strHttpHost, info->strHttpPort, false);
  AppendPair(list, L"https", info->strHttpsHost, info->strHttpsPort, false);
  AppendPair(list, L"ftp", info->strFtpHost, info->strFtpPort, false);
  AppendPair(list, L"socks", info->strSocksHost, info->strSocksPort, true);
  CString bypass = info->strBypass;

  INTERNET_PER_CONN_OPTIONW options[3] = {};
  options[0].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
  options[0].Value.pszValue = list.GetBuffer();
  options[1].dwOption = INTERNET_PER_CONN_FLAGS;
  options[1].Value.dwValue = info->bUseProxy ? (PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY) : PROXY_TYPE_DIRECT;
  options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
  options[2].Value.pszValue = bypass.GetBuffer();
  INTERNET_PER_CONN_OPTION_LISTW request = {sizeof(request), nullptr, 3, 0, options};
  BOOL ok = InternetSetOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &request, sizeof(request));
  list.ReleaseBuffer();
  bypass.ReleaseBuffer();
  if (!ok) return 0;
  InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
  InternetSetOptionW(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
  return 1;
}

void GetInternetProxy(ProxyInfo* info) {
  if (!info) return;
  *info = ProxyInfo();
  INTERNET_PER_CONN_OPTIONW options[3] = {};
  options[0].dwOption = INTERNET_PER_CONN_FLAGS;
  options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
  options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
  INTERNET_PER_CONN_OPTION_LISTW request = {sizeof(request), nullptr, 3, 0, options};
  DWORD size = sizeof(request);
  if (!InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &request, &size)) {
    std::printf("InternetQueryOption failed! (%d)\n", static_cast<int>(GetLastError()));
    return;
  }
  info->bUseProxy = (options[0].Value.dwValue & PROXY_TYPE_PROXY) != 0;
  info->strBypass = options[2].Value.pszValue;
  SetProxyInfoByString(info, options[1].Value.pszValue);
  GlobalFree(options[1].Value.pszValue);
  GlobalFree(options[2].Value.pszValue);
}

void SetProxyInfoByString(ProxyInfo* info, CString text) {
  if (!info) return;
  std::vector<CString> entries;
  SpliteCString(text, L";", &entries);
  for (const CString& entry : entries) {
    if (entry.IsEmpty()) continue;
    std::vector<CString> parts;
    SpliteCString(entry, L"=", &parts);
    if (parts.size() == 1) {
      CString host, port;
      SplitHostPort(parts[0], host, port, L"80");
      info->strHttpHost = info->strHttpsHost = info->strFtpHost = host;
      info->strHttpPort = info->strHttpsPort = info->strFtpPort = port;
      return;  // a proxy for every scheme: nothing after it counts
    }
    const CString& scheme = parts[0];
    if (scheme == L"http") {
      SplitHostPort(parts[1], info->strHttpHost, info->strHttpPort, L"80");
    } else if (scheme == L"https") {
      SplitHostPort(parts[1], info->strHttpsHost, info->strHttpsPort, L"443");
    } else if (scheme == L"ftp") {
      SplitHostPort(parts[1], info->strFtpHost, info->strFtpPort, L"21");
    } else if (scheme == L"socks") {
      std::vector<CString> pieces;
      SpliteCString(parts[1], L":", &pieces);
      if (pieces.size() >= 2 && !pieces[0].IsEmpty() && !pieces[1].IsEmpty()) {
        info->strSocksHost = pieces[0];
        info->strSocksPort = pieces[1];
      }
    } else {
      return;
    }
  }
}

std::string GetUsernameFromLocalCookies() {
  DWORD size = 0;
  InternetGetCookieW(kPortalUrl, L"P_INFO", nullptr, &size);
  if (size <= 1) return std::string();
  std::vector<wchar_t> buffer(size, L'\0');
  if (!InternetGetCookieW(kPortalUrl, L"P_INFO", buffer.data(), &size)) return std::string();
  CString cookie(buffer.data());
  // The cookie comes back as "P_INFO=value": drop that prefix, not just any of its letters.
  if (cookie.Left(7) == L"P_INFO=") cookie = cookie.Mid(7);
  CStringList pieces;
  AnalyzeString(cookie, L'|', pieces);
  for (POSITION pos = pieces.GetHeadPosition(); pos;) {
    const CString& piece = pieces.GetNext(pos);
    for (const wchar_t* domain : kPortalMailDomains)
      if (piece.Find(domain) >= 0) return CString_to_MBCS(piece);
  }
  return std::string();
}

}  // namespace Common
