#pragma once
#include <filesystem>
#include <string>
#include <vector>

// A proxy server from the system's packages, run as a child process on a
// loopback port of its own for the length of a test.
class ProxyProcess {
 public:
  enum class Kind { TinyproxyHttp, MicrosocksSocks5, DanteSocks };
  // user and password empty: no authentication.
  ProxyProcess(Kind kind, const std::filesystem::path& folder, const std::string& user = "",
               const std::string& password = "");
  ~ProxyProcess();
  ProxyProcess(const ProxyProcess&) = delete;
  ProxyProcess& operator=(const ProxyProcess&) = delete;

  // True once the proxy accepts connections on its port; the reason otherwise.
  bool Started() const { return m_started; }
  const std::string& Problem() const { return m_problem; }
  int Port() const { return m_port; }

 private:
  bool Spawn(const std::vector<std::string>& argv);
  bool WaitUntilListening();

  int m_port = 0;
  int m_pid = -1;
  bool m_started = false;
  std::string m_problem;
  std::filesystem::path m_log;
};
