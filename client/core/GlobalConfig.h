#pragma once
// The program's small persistent configuration, GlobalConfig.xml in the
// application-data folder: proxy settings, bandwidth limits, the notification
// switch and the version text. One process-wide object, made ready by the first
// GetGlobalConfig (on the UI thread during start-up) and saved at process end.
//
// Request threads copy the current proxy while the settings window replaces it:
// the proxy settings are reached only through the accessors, which copy them
// whole under the object's lock.
#include <atomic>
#include <memory>
#include <mutex>

#include "mfc/Afx.h"
#include "net/ProxyCfg.h"

class TiXmlElement;

struct GlobalConfig {
  GlobalConfig();
  ~GlobalConfig();
  GlobalConfig(const GlobalConfig&) = delete;
  GlobalConfig& operator=(const GlobalConfig&) = delete;

  // The proxy every transport uses.
  Net::ProxyCfg GetCurrentProxy() const;
  void SetCurrentProxy(const Net::ProxyCfg& proxy);
  // The stored setting of type 1 (HTTP), 2 (SOCKS4) or 3 (SOCKS5); any other
  // type reads as no proxy and is not stored.
  Net::ProxyCfg GetStoredProxy(int type) const;
  void SetStoredProxy(int type, const Net::ProxyCfg& proxy);

  std::atomic<BYTE> m_bDisplayNotify{1};  // read by the engine's threads
  CString m_strVersion;
  BYTE m_bBandWidthLimit = 0;
  int m_nUploadLimit = 50;    // KB/s
  int m_nDownloadLimit = 50;  // KB/s

 private:
  Net::ProxyCfg* StoredSlot(int type) const;

  mutable std::mutex m_proxyLock;
  std::unique_ptr<Net::ProxyCfg> m_pCurrentProxy;
  std::unique_ptr<Net::ProxyCfg> m_pHttpProxy;
  std::unique_ptr<Net::ProxyCfg> m_pSocks4Proxy;
  std::unique_ptr<Net::ProxyCfg> m_pSocks5Proxy;
};

// The process's configuration: on the first call the defaults, then the file,
// and the save at process end is arranged.
GlobalConfig* GetGlobalConfig();
// Replaces the file with the object's settings. A failed save is not reported;
// the file is never left half written.
void SaveGlobalConfig(GlobalConfig& config);

// The steps of the first use, for the given object.
void InitGlobalConfig(GlobalConfig& config);
void SetDefaultGlobalConfig(GlobalConfig& config);
// Reads the file into the object; a missing, unreadable or malformed file (or
// one without a root element) leaves the object as it was.
void LoadGlobalConfig(GlobalConfig& config);
void LoadProxyConfig(const TiXmlElement* element, Net::ProxyCfg& proxy);
void SaveProxyConfig(const Net::ProxyCfg& proxy, TiXmlElement* parent, const char* name);

// The application-data folder + "GlobalConfig.xml".
CString GetGlobalConfigPath();
