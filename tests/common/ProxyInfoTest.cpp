// Proxy settings through the registry and the environment, the proxy-list parser, and the
// portal cookie read from the cookie file.
#include <gtest/gtest.h>

#include <cstdlib>

#include "TempDir.h"
#include "common/ProxyInfo.h"

using Common::ProxyInfo;

namespace {

ProxyInfo Filled() {
  ProxyInfo p;
  p.strHttpHost = L"oh";  p.strHttpPort = L"1";
  p.strHttpsHost = L"os"; p.strHttpsPort = L"2";
  p.strFtpHost = L"of";   p.strFtpPort = L"3";
  p.strSocksHost = L"ok"; p.strSocksPort = L"4";
  return p;
}

CString Fields(const ProxyInfo& p) {
  return p.strHttpHost + L":" + p.strHttpPort + L"," + p.strHttpsHost + L":" + p.strHttpsPort + L"," + p.strFtpHost +
         L":" + p.strFtpPort + L"," + p.strSocksHost + L":" + p.strSocksPort;
}

// The list and flags as the system holds them.
void StoredSettings(CString& list, DWORD& flags, CString& bypass) {
  INTERNET_PER_CONN_OPTIONW options[3] = {};
  options[0].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
  options[1].dwOption = INTERNET_PER_CONN_FLAGS;
  options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
  INTERNET_PER_CONN_OPTION_LISTW request = {sizeof(request), nullptr, 3, 0, options};
  DWORD size = sizeof(request);
  ASSERT_TRUE(InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &request, &size));
  list = options[0].Value.pszValue;
  flags = options[1].Value.dwValue;
  bypass = options[2].Value.pszValue;
  GlobalFree(options[0].Value.pszValue);
  GlobalFree(options[2].Value.pszValue);
}

class ProxyEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kNames) unsetenv(name);
    RegDeleteTreeW(HKEY_CURRENT_USER, kInternetSettingsKey);
  }
  void TearDown() override { SetUp(); }
  static constexpr const char* kNames[] = {"http_proxy", "https_proxy", "ftp_proxy", "all_proxy", "no_proxy",
                                           "HTTP_PROXY", "HTTPS_PROXY", "FTP_PROXY", "ALL_PROXY", "NO_PROXY"};
};

}  // namespace

TEST(SetProxyInfoByString, FillsNamedFieldsAndStopsWhereTheFormatSays) {
  struct Row { const wchar_t* text; const wchar_t* fields; };
  const Row rows[] = {
      {L"http=a:8080;https=b", L"a:8080,b:443,of:3,ok:4"},
      {L"ftp=f", L"oh:1,os:2,f:21,ok:4"},
      {L"proxy.lan:3128;socks=s:1080", L"proxy.lan:3128,proxy.lan:3128,proxy.lan:3128,ok:4"},
      {L"proxy.lan", L"proxy.lan:80,proxy.lan:80,proxy.lan:80,ok:4"},
      {L"gopher=g:70;http=h:81", L"oh:1,os:2,of:3,ok:4"},
      {L"HTTP=h:81", L"oh:1,os:2,of:3,ok:4"},  // schemes are case-sensitive
      {L"socks=s", L"oh:1,os:2,of:3,ok:4"},
      {L"socks=s:1080", L"oh:1,os:2,of:3,s:1080"},
      {L";;http=h:1=x;", L"h:1,os:2,of:3,ok:4"},
      {L"", L"oh:1,os:2,of:3,ok:4"},
  };
  for (const Row& r : rows) {
    ProxyInfo p = Filled();
    Common::SetProxyInfoByString(&p, r.text);
    EXPECT_EQ(Fields(p), r.fields) << WideToUtf8(r.text);
  }
}

TEST_F(ProxyEnvironment, SetWritesTheListTheSwitchAndTheBypass) {
  ProxyInfo only;
  only.strHttpHost = L"host";
  only.strHttpPort = L"8080";
  only.strHttpsHost = L"no-port-so-left-out";
  ASSERT_EQ(Common::SetInternetProxy(&only), 1);
  CString list, bypass;
  DWORD flags = 0;
  StoredSettings(list, flags, bypass);
  EXPECT_EQ(list, L"http=host:8080;");
  EXPECT_EQ(flags, 1u);

  ProxyInfo all = Filled();
  all.strHttpHost = L"a-proxy-host-name-longer-than-thirty-one.example.com";
  all.strBypass = L"<local>;*.lan";
  all.bUseProxy = true;
  ASSERT_EQ(Common::SetInternetProxy(&all), 1);
  StoredSettings(list, flags, bypass);
  EXPECT_EQ(list, L"http=a-proxy-host-name-longer-than-thirty-one.example.com:1;https=os:2;ftp=of:3;socks=ok:4");
  EXPECT_EQ(flags, 3u);
  EXPECT_EQ(bypass, L"<local>;*.lan");

  ProxyInfo read = Filled();
  Common::GetInternetProxy(&read);
  EXPECT_EQ(Fields(read), L"a-proxy-host-name-longer-than-thirty-one.example.com:1,os:2,of:3,ok:4");
  EXPECT_TRUE(read.bUseProxy);
  EXPECT_EQ(read.strBypass, L"<local>;*.lan");
}

TEST_F(ProxyEnvironment, WithoutStoredSettingsTheEnvironmentCounts) {
  setenv("http_proxy", "http://user:pw@web.lan:3128/", 1);
  setenv("HTTPS_PROXY", "secure.lan:8443", 1);
  setenv("all_proxy", "socks5://sock.lan:1080", 1);
  setenv("no_proxy", "localhost,.lan", 1);
  ProxyInfo p;
  Common::GetInternetProxy(&p);
  EXPECT_EQ(Fields(p), L"web.lan:3128,secure.lan:8443,:,sock.lan:1080");
  EXPECT_TRUE(p.bUseProxy);
  EXPECT_EQ(p.strBypass, L"localhost;.lan");

  // all_proxy over HTTP stands for every scheme not named on its own.
  unsetenv("http_proxy");
  unsetenv("HTTPS_PROXY");
  setenv("all_proxy", "http://every.lan:8000", 1);
  Common::GetInternetProxy(&p);
  EXPECT_EQ(Fields(p), L"every.lan:8000,every.lan:8000,every.lan:8000,:");

  unsetenv("all_proxy");
  unsetenv("no_proxy");
  p = Filled();
  Common::GetInternetProxy(&p);
  EXPECT_EQ(Fields(p), L":,:,:,:");
  EXPECT_FALSE(p.bUseProxy);
}

TEST(InternetOptions, RefuseWhatTheyCannotDo) {
  INTERNET_PER_CONN_OPTIONW option = {};
  option.dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
  INTERNET_PER_CONN_OPTION_LISTW request = {sizeof(request), nullptr, 1, 0, &option};
  EXPECT_FALSE(InternetSetOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &request, sizeof(request)));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_OPTION_NOT_SETTABLE);
  request.dwSize = 4;
  DWORD size = sizeof(request);
  EXPECT_FALSE(InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &request, &size));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_BAD_OPTION_LENGTH);
  wchar_t name[] = L"Dial-up";
  request = {sizeof(request), name, 1, 0, &option};
  EXPECT_FALSE(InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &request, &size));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(GetUsernameFromLocalCookies, TakesThePieceWithAPortalMailDomain) {
  const std::filesystem::path jar(InternetCookieFile());
  struct Row { const char* cookies; const char* user; };
  const Row rows[] = {
      {".halvorn.com\tTRUE\t/\tFALSE\t0\tP_INFO\tNed@halvorn.com|1|2\n", "Ned@halvorn.com"},
      {"www.halvorn.com\tFALSE\t/\tFALSE\t0\tP_INFO\tx|李@vip.halvorn.com|y\n", "李@vip.halvorn.com"},
      {"#HttpOnly_.halvorn.com\tTRUE\t/\tFALSE\t0\tP_INFO\tuser@halvorn.net\n", "user@halvorn.net"},
      {".halvorn.com\tTRUE\t/\tFALSE\t0\tP_INFO\tuser@elsewhere.com|1\n", ""},
      {".halvorn.com\tTRUE\t/\tFALSE\t1\tP_INFO\told@halvorn.com\n", ""},   // expired
      {".other.com\tTRUE\t/\tFALSE\t0\tP_INFO\tx@halvorn.com\n", ""},       // another site
      {".halvorn.com\tTRUE\t/\tTRUE\t0\tP_INFO\tx@halvorn.com\n", ""},       // secure only
      {".halvorn.com\tTRUE\t/\tFALSE\t0\tOTHER\tx@halvorn.com\n", ""},
      {"broken line\n", ""},
  };
  for (const Row& r : rows) {
    dorvtest::WriteFile(jar, std::string("# Netscape HTTP Cookie File\n") + r.cookies);
    EXPECT_EQ(Common::GetUsernameFromLocalCookies(), r.user) << r.cookies;
  }
  std::filesystem::remove(jar);
  EXPECT_EQ(Common::GetUsernameFromLocalCookies(), "");
}
