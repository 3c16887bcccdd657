#pragma once
#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"

namespace dorvtest {

struct DevServerOptions {
  // Accounts created at start (account, password).
  std::vector<std::pair<std::string, std::string>> users = {{"alice@example.com", "secret"}};
  bool admin = true;
  // How long the service holds a link poll without news.
  int linkHoldMs = 2000;
  // Where the service keeps its state; empty: a temporary folder of its own,
  // kept across Restart and removed with the DevServer.
  std::filesystem::path dataDir;
  // Folder served under /client/dorv/update/; empty: none.
  std::filesystem::path updateDir;
  std::vector<std::string> extraArgs;
};

// The local cloud service (dorv-devserver) as a child process on a free
// loopback port. The constructor starts it and waits for the port it prints;
// the destructor stops it. The child also ends when the test process dies.
// Not thread-safe: one owner starts and stops it.
class DevServer {
 public:
  explicit DevServer(DevServerOptions options = {});
  ~DevServer();
  DevServer(const DevServer&) = delete;
  DevServer& operator=(const DevServer&) = delete;

  // Starts the service when it isn't running; throws when it doesn't come up.
  void Start();
  // SIGTERM and wait; true when the service ended on its own with status 0.
  bool Stop();
  // Stop, then Start on the same data folder (the port changes).
  void Restart();

  bool running() const { return m_pid > 0; }
  int port() const { return m_port; }
  // "http://127.0.0.1:<port>"
  std::string BaseUrl() const;
  const std::filesystem::path& dataDir() const { return m_dataDir; }
  const DevServerOptions& options() const { return m_options; }

  // The client's server_list.xml pointing every endpoint at this service.
  std::string ServerListXml() const;

  // A request to the admin API (devserver/README.md), e.g.
  // Admin("put?account=alice@example.com&parentId=100001&name=a.txt", "bytes"):
  // POST with the body; AdminGet for the reads ("tree?account=...", "log").
  // The reply's JSON text, "" when the service didn't answer.
  std::string Admin(const std::string& request, const std::string& body = {}) const;
  std::string AdminGet(const std::string& request) const;

  // The program: $DORV_DEVSERVER when set, else the one this build made.
  static std::filesystem::path ProgramPath();

 private:
  DevServerOptions m_options;
  std::unique_ptr<TempDir> m_ownData;
  std::filesystem::path m_dataDir;
  pid_t m_pid = -1;
  int m_stdout = -1;
  int m_port = 0;
};

}  // namespace dorvtest
