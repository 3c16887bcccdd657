#pragma once
#include <string>

namespace Net {

// A proxy setting. Type: 0 none, 1 HTTP, 2 SOCKS4, 3 SOCKS5.
class ProxyCfg {
 public:
  enum Type { None = 0, Http = 1, Socks4 = 2, Socks5 = 3 };

  ProxyCfg() = default;
  ProxyCfg(const ProxyCfg&) = default;
  ProxyCfg& operator=(const ProxyCfg&) = default;
  ~ProxyCfg() = default;

  // No proxy.
  void SetNull();
  bool IsNull() const { return m_type == None; }

  int m_type = None;
  std::string m_host;  // UTF-8
  int m_port = 0;
  std::string m_user;
  std::string m_password;
};

}  // namespace Net
