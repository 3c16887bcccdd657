#pragma once
// The simulation's world: the local cloud service with one account and one
// service folder, and two devices, each an engine host process with its own
// sync folder, data, settings, runtime and staging folders. Beside each sync
// folder lie decoys the engine must never touch.
#include <json/value.h>
#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>

#include "DevServer.h"
#include "SimTree.h"

namespace simtest {

class EngineProcess {
 public:
  EngineProcess(std::string name, std::filesystem::path home);
  ~EngineProcess();

  // Starts the host when it isn't running.
  void Start(const std::string& serverList, int port, std::int64_t rootId, const std::string& rootName);
  // SIGKILL: the engine gets no chance to tidy up.
  void Kill();
  // SIGTERM and wait; "" when it ended cleanly, else what happened.
  std::string Stop();
  bool running() const { return m_pid > 0; }
  // "" while it runs (or was stopped by us); else how it ended by itself,
  // once.
  std::string CheckExit();
  // False once it ended by itself (CheckExit then says how).
  bool Alive();
  // The host's last report: "settled <version>" or "busy <version>"; "" when none.
  std::string Status() const;
  // The tail of the host's own output and of the engine's log, for a report.
  std::string Tail() const;

  const std::string& name() const { return m_name; }
  const std::filesystem::path& home() const { return m_home; }
  std::filesystem::path root() const { return m_home / "root"; }

 private:
  std::string m_name;
  std::filesystem::path m_home;
  pid_t m_pid = -1;
  std::string m_exit;
};

class World {
 public:
  static constexpr const char* kAccount = "sim@example.com";
  static constexpr const char* kPassword = "sim-pass";
  static constexpr const char* kRootName = "Dorv";

  explicit World(const std::filesystem::path& top);
  ~World();

  dorvtest::DevServer& service() { return *m_service; }
  EngineProcess& engine(int side) { return *m_engines[side]; }
  void StartEngine(int side);
  void RestartService();
  std::int64_t rootId() const { return m_rootId; }
  const std::filesystem::path& top() const { return m_top; }

  // Admin requests; the reply's "result" (null when the service refused).
  Json::Value Admin(const std::string& request, const std::string& body = {});
  Json::Value AdminGet(const std::string& request);
  // The live items below the service folder, with ids.
  Tree ServiceTree();
  std::string ServiceContent(std::int64_t id);
  // The service's change counter.
  std::int64_t ServiceG();

  // Names that are allowed beside the sync folders; anything else there was
  // written outside a root. "" when all is as it should be.
  std::string CheckOutsideRoots() const;

 private:
  std::filesystem::path m_top;
  int m_port = 0;
  std::unique_ptr<dorvtest::DevServer> m_service;
  std::unique_ptr<EngineProcess> m_engines[2];
  std::int64_t m_rootId = 0;
};

// Percent-encodes a query value.
std::string Escape(const std::string& text);

}  // namespace simtest
