#pragma once
// The Internet settings of WinINet: the local network's proxy options and the cookie store.
//
// Proxy options live in the registry, HKEY_CURRENT_USER\<kInternetSettingsKey>: ProxyEnable
// (REG_DWORD), ProxyServer and ProxyOverride (REG_SZ). While neither ProxyEnable nor
// ProxyServer has been set there, queries read the environment instead: http_proxy,
// https_proxy, ftp_proxy and all_proxy (upper-case names as a fallback) become a WinINet list
// ("http=host:port;https=...", all_proxy with a socks scheme "socks=host:port", otherwise for
// each scheme not named on its own), no_proxy the bypass list with ';' between its entries.
//
// Cookies are read from the Netscape cookie file InternetCookieFile() (the format curl
// writes), $XDG_CONFIG_HOME/dorv/cookies.txt.
#include <string>

#include "win32/WinDef.h"

using HINTERNET = void*;

constexpr DWORD INTERNET_OPTION_REFRESH = 37;
constexpr DWORD INTERNET_OPTION_SETTINGS_CHANGED = 39;
constexpr DWORD INTERNET_OPTION_PER_CONNECTION_OPTION = 75;

constexpr DWORD INTERNET_PER_CONN_FLAGS = 1;
constexpr DWORD INTERNET_PER_CONN_PROXY_SERVER = 2;
constexpr DWORD INTERNET_PER_CONN_PROXY_BYPASS = 3;
constexpr DWORD INTERNET_PER_CONN_AUTOCONFIG_URL = 4;
constexpr DWORD INTERNET_PER_CONN_AUTODISCOVERY_FLAGS = 5;

constexpr DWORD PROXY_TYPE_DIRECT = 0x1;
constexpr DWORD PROXY_TYPE_PROXY = 0x2;
constexpr DWORD PROXY_TYPE_AUTO_PROXY_URL = 0x4;
constexpr DWORD PROXY_TYPE_AUTO_DETECT = 0x8;

constexpr DWORD ERROR_INTERNET_INVALID_OPTION = 12009;
constexpr DWORD ERROR_INTERNET_BAD_OPTION_LENGTH = 12010;
constexpr DWORD ERROR_INTERNET_OPTION_NOT_SETTABLE = 12011;

inline constexpr wchar_t kInternetSettingsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

struct INTERNET_PER_CONN_OPTIONW {
  DWORD dwOption;
  union {
    DWORD dwValue;
    LPWSTR pszValue;
    FILETIME ftValue;
  } Value;
};

struct INTERNET_PER_CONN_OPTION_LISTW {
  DWORD dwSize;
  LPWSTR pszConnection;  // null: the local network; named connections are not known here
  DWORD dwOptionCount;
  DWORD dwOptionError;   // the index of the option that failed
  INTERNET_PER_CONN_OPTIONW* pOptions;
};

// INTERNET_OPTION_PER_CONNECTION_OPTION with an option list (only the flags, the proxy server
// and the bypass list can be set); REFRESH and SETTINGS_CHANGED take no buffer and succeed.
BOOL InternetSetOptionW(HINTERNET internet, DWORD option, LPVOID buffer, DWORD length);
// INTERNET_PER_CONNECTION_OPTION only. Texts come back in GlobalAlloc blocks the caller frees
// with GlobalFree; an unset text is null.
BOOL InternetQueryOptionW(HINTERNET internet, DWORD option, LPVOID buffer, LPDWORD length);
// The cookies of the URL's host and path as "name=value; name=value", or with a name only
// that cookie as "name=value". size counts characters with the terminator; a small buffer (or
// none) gives ERROR_INSUFFICIENT_BUFFER and the size needed; no cookie ERROR_NO_MORE_ITEMS.
BOOL InternetGetCookieW(LPCWSTR url, LPCWSTR cookieName, LPWSTR cookieData, LPDWORD size);
std::wstring InternetCookieFile();
