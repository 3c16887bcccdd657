#include "client/core/GlobalConfig.h"

#include <tinyxml.h>

#include <cstdlib>
#include <string>

#include "common/AppPaths.h"
#include "common/FileHelpers.h"
#include "common/PrivateFiles.h"
#include "common/StringConvert.h"
#include "common/XmlParse.h"

GlobalConfig::GlobalConfig()
    : m_strVersion(L"1.0.2"),
      m_pCurrentProxy(std::make_unique<Net::ProxyCfg>()),
      m_pHttpProxy(std::make_unique<Net::ProxyCfg>()),
      m_pSocks4Proxy(std::make_unique<Net::ProxyCfg>()),
      m_pSocks5Proxy(std::make_unique<Net::ProxyCfg>()) {
  m_pHttpProxy->m_type = Net::ProxyCfg::Http;
  m_pSocks4Proxy->m_type = Net::ProxyCfg::Socks4;
  m_pSocks5Proxy->m_type = Net::ProxyCfg::Socks5;
}

GlobalConfig::~GlobalConfig() = default;

Net::ProxyCfg* GlobalConfig::StoredSlot(int type) const {
  switch (type) {
    case Net::ProxyCfg::Http: return m_pHttpProxy.get();
    case Net::ProxyCfg::Socks4: return m_pSocks4Proxy.get();
    case Net::ProxyCfg::Socks5: return m_pSocks5Proxy.get();
    default: return nullptr;
  }
}

Net::ProxyCfg GlobalConfig::GetCurrentProxy() const {
  std::lock_guard<std::mutex> guard(m_proxyLock);
  return *m_pCurrentProxy;
}

void GlobalConfig::SetCurrentProxy(const Net::ProxyCfg& proxy) {
  std::lock_guard<std::mutex> guard(m_proxyLock);
  *m_pCurrentProxy = proxy;
}

Net::ProxyCfg GlobalConfig::GetStoredProxy(int type) const {
  std::lock_guard<std::mutex> guard(m_proxyLock);
  const Net::ProxyCfg* slot = StoredSlot(type);
  return slot ? *slot : Net::ProxyCfg();
}

void GlobalConfig::SetStoredProxy(int type, const Net::ProxyCfg& proxy) {
  std::lock_guard<std::mutex> guard(m_proxyLock);
  if (Net::ProxyCfg* slot = StoredSlot(type)) *slot = proxy;
}

CString GetGlobalConfigPath() {
  CString folder;
  Common::GetAppDataPath(folder);
  return folder + L"GlobalConfig.xml";
}

void SetDefaultGlobalConfig(GlobalConfig& config) {
  config.m_strVersion = L"1.0.2";
  config.m_bDisplayNotify = 1;
  config.SetCurrentProxy(Net::ProxyCfg());
  for (int type : {Net::ProxyCfg::Http, Net::ProxyCfg::Socks4, Net::ProxyCfg::Socks5}) {
    Net::ProxyCfg stored;
    stored.m_type = type;
    config.SetStoredProxy(type, stored);
  }
  config.m_bBandWidthLimit = 0;
  config.m_nUploadLimit = 50;
  config.m_nDownloadLimit = 50;
}

namespace {

std::string TextAttribute(const TiXmlElement* element, const char* name) {
  const char* value = element->Attribute(name);
  return value ? value : "";
}

}  // namespace

void LoadProxyConfig(const TiXmlElement* element, Net::ProxyCfg& proxy) {
  element->QueryIntAttribute("Port", &proxy.m_port);
  proxy.m_host = TextAttribute(element, "Address");
  proxy.m_user = TextAttribute(element, "Username");
  proxy.m_password = TextAttribute(element, "Password");
}

void LoadGlobalConfig(GlobalConfig& config) {
  TiXmlDocument doc;
  if (!Common::LoadXmlFile(doc, Common::CString_to_MBCS(GetGlobalConfigPath()))) return;
  const TiXmlElement* root = doc.RootElement();
  if (!root) return;

  if (const TiXmlElement* e = root->FirstChildElement("DisplayNotify")) {
    int value = 1;
    e->QueryIntAttribute("Value", &value);
    config.m_bDisplayNotify = value != 0;
  }
  if (const TiXmlElement* e = root->FirstChildElement("BandWidthLimit")) {
    int value = 0;
    e->QueryIntAttribute("Value", &value);
    config.m_bBandWidthLimit = value != 0;
    e->QueryIntAttribute("DownloadBandWidthLimit", &config.m_nDownloadLimit);
    e->QueryIntAttribute("UploadBandWidthLimit", &config.m_nUploadLimit);
  }
  if (const TiXmlElement* e = root->FirstChildElement("ProxyConfig")) {
    const std::pair<const char*, int> kinds[] = {
        {"HttpProxy", Net::ProxyCfg::Http}, {"Socks4Proxy", Net::ProxyCfg::Socks4}, {"Socks5Proxy", Net::ProxyCfg::Socks5}};
    for (const auto& [name, type] : kinds) {
      if (const TiXmlElement* child = e->FirstChildElement(name)) {
        Net::ProxyCfg stored = config.GetStoredProxy(type);
        LoadProxyConfig(child, stored);
        config.SetStoredProxy(type, stored);
      }
    }
    int type = 0;
    e->QueryIntAttribute("ProxyType", &type);
    if (type >= Net::ProxyCfg::Http && type <= Net::ProxyCfg::Socks5) config.SetCurrentProxy(config.GetStoredProxy(type));
  }
}

void InitGlobalConfig(GlobalConfig& config) {
  SetDefaultGlobalConfig(config);
  LoadGlobalConfig(config);
}

void SaveProxyConfig(const Net::ProxyCfg& proxy, TiXmlElement* parent, const char* name) {
  auto* element = new TiXmlElement(name);
  element->SetAttribute("Address", proxy.m_host);
  element->SetAttribute("Port", proxy.m_port);
  element->SetAttribute("Username", proxy.m_user);
  element->SetAttribute("Password", proxy.m_password);
  parent->LinkEndChild(element);
}

void SaveGlobalConfig(GlobalConfig& config) {
  TiXmlDocument doc;
  doc.LinkEndChild(new TiXmlDeclaration("1.0", "utf-8", ""));
  auto* root = new TiXmlElement("DorvConfig");
  doc.LinkEndChild(root);

  auto* notify = new TiXmlElement("DisplayNotify");
  notify->SetAttribute("Value", config.m_bDisplayNotify ? 1 : 0);
  root->LinkEndChild(notify);

  auto* bandwidth = new TiXmlElement("BandWidthLimit");
  bandwidth->SetAttribute("Value", config.m_bBandWidthLimit ? 1 : 0);
  bandwidth->SetAttribute("UploadBandWidthLimit", config.m_nUploadLimit);
  bandwidth->SetAttribute("DownloadBandWidthLimit", config.m_nDownloadLimit);
  root->LinkEndChild(bandwidth);

  auto* proxies = new TiXmlElement("ProxyConfig");
  proxies->SetAttribute("ProxyType", config.GetCurrentProxy().m_type);
  SaveProxyConfig(config.GetStoredProxy(Net::ProxyCfg::Http), proxies, "HttpProxy");
  SaveProxyConfig(config.GetStoredProxy(Net::ProxyCfg::Socks4), proxies, "Socks4Proxy");
  SaveProxyConfig(config.GetStoredProxy(Net::ProxyCfg::Socks5), proxies, "Socks5Proxy");
  root->LinkEndChild(proxies);

  // Written beside the file and renamed over it, so that a crash or a full
  // disk in the middle leaves the previous settings rather than a torn file.
  const CString path = GetGlobalConfigPath();
  const CString temporary = path + L".tmp";
  // It holds the proxy password: the user's alone (the write keeps the mode).
  Common::SafeDeleteFile(temporary);
  if (Common::MakePrivateFile(Common::CString_to_utf8(temporary)) && doc.SaveFile(Common::CString_to_MBCS(temporary))) Common::SafeRenameFile(temporary, path);
  else Common::SafeDeleteFile(temporary);
}

namespace {

GlobalConfig& TheConfig() {
  // Never destroyed: request threads may still read the proxy while the
  // process ends.
  static GlobalConfig* config = new GlobalConfig;
  return *config;
}

}  // namespace

GlobalConfig* GetGlobalConfig() {
  static const bool ready = [] {
    InitGlobalConfig(TheConfig());
    std::atexit([] { SaveGlobalConfig(TheConfig()); });
    return true;
  }();
  (void)ready;
  return &TheConfig();
}
