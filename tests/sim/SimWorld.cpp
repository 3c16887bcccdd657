#include "SimWorld.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <json/reader.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace simtest {

namespace {

// The service keeps one port across its restarts, as a real one keeps its address.
int FreePort() {
  const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  ::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  ::getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(sock);
  return ntohs(address.sin_port);
}

Json::Value Parse(const std::string& text) {
  Json::Value value;
  Json::CharReaderBuilder builder;
  std::string errors;
  std::istringstream in(text);
  if (!Json::parseFromStream(builder, in, &value, &errors)) return Json::Value();
  return value;
}

std::string TailOf(const fs::path& file, size_t bytes) {
  const std::string text = ReadWhole(file);
  return text.size() > bytes ? text.substr(text.size() - bytes) : text;
}

const char* const kHomeEntries[] = {"root", "data", "config", "runtime", "staging", "status", "status.tmp",
                                    "host.out", "trash", "root-decoy", "rootx"};

}  // namespace

std::string Escape(const std::string& text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

EngineProcess::EngineProcess(std::string name, fs::path home) : m_name(std::move(name)), m_home(std::move(home)) {
  for (const char* folder : {"root", "data", "config", "runtime", "staging", "trash"}) fs::create_directories(m_home / folder);
  fs::permissions(m_home / "runtime", fs::perms::owner_all);
  // Decoys: a sibling folder and one whose name starts like the root's.
  dorvtest::WriteFile(m_home / "root-decoy" / "keep.txt", "decoy");
  dorvtest::WriteFile(m_home / "rootx" / "keep.txt", "decoy");
}

EngineProcess::~EngineProcess() { Kill(); }

void EngineProcess::Start(const std::string& serverList, int port, std::int64_t rootId, const std::string& rootName) {
  if (m_pid > 0) return;
  fs::remove(m_home / "status");
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("XDG_", 0) == 0 || entry.rfind("DORV_STAGING_DIR=", 0) == 0 ||
        entry.rfind("DORV_PORTAL_ADDRESS=", 0) == 0)
      continue;
    env.push_back(entry);
  }
  env.push_back("XDG_DATA_HOME=" + (m_home / "data").string());
  env.push_back("XDG_CONFIG_HOME=" + (m_home / "config").string());
  env.push_back("XDG_RUNTIME_DIR=" + (m_home / "runtime").string());
  env.push_back("DORV_STAGING_DIR=" + (m_home / "staging").string());
  env.push_back("DORV_PORTAL_ADDRESS=127.0.0.1:" + std::to_string(port));
  std::vector<std::string> args = {SIM_ENGINE_HOST,
                                   "--server-list", serverList,
                                   "--account", World::kAccount,
                                   "--password", World::kPassword,
                                   "--root", root().string(),
                                   "--root-id", std::to_string(rootId),
                                   "--root-name", rootName,
                                   "--status", (m_home / "status").string()};
  std::vector<char*> argv, envp;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  const std::string out = (m_home / "host.out").string();
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    // The host ends with the simulation, whatever ends it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd >= 0) {
      ::dup2(fd, 1);
      ::dup2(fd, 2);
      ::close(fd);
    }
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  if (pid < 0) throw std::runtime_error("fork failed");
  m_pid = pid;
}

void EngineProcess::Kill() {
  if (m_pid <= 0) return;
  ::kill(m_pid, SIGKILL);
  ::waitpid(m_pid, nullptr, 0);
  m_pid = -1;
}

std::string EngineProcess::Stop() {
  if (m_pid <= 0) return "";
  ::kill(m_pid, SIGTERM);
  int status = 0;
  // A clean stop takes a moment; one that hangs is a fault of its own.
  for (int i = 0; i < 600; ++i) {
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
      m_pid = -1;
      if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
      return WIFSIGNALED(status) ? "ended by signal " + std::to_string(WTERMSIG(status)) + " while stopping"
                                 : "exit status " + std::to_string(WEXITSTATUS(status)) + " at stop";
    }
    ::usleep(50 * 1000);
  }
  Kill();
  return "did not stop within 30 s of SIGTERM";
}

bool EngineProcess::Alive() {
  if (m_pid <= 0) return m_exit.empty();
  int status = 0;
  if (::waitpid(m_pid, &status, WNOHANG) != m_pid) return true;
  m_pid = -1;
  m_exit = WIFSIGNALED(status) ? "crashed with signal " + std::to_string(WTERMSIG(status))
                               : "ended by itself with status " + std::to_string(WEXITSTATUS(status));
  return false;
}

std::string EngineProcess::CheckExit() {
  Alive();
  std::string exit;
  exit.swap(m_exit);
  return exit;
}

std::string EngineProcess::Status() const {
  std::string text = ReadWhole(m_home / "status");
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

std::string EngineProcess::Tail() const {
  return "--- " + m_name + " host output:\n" + TailOf(m_home / "host.out", 2000) + "--- " + m_name +
         " engine log:\n" + TailOf(m_home / "data" / "Halvorn" / "dorv" / "dorv.log", 4000);
}

World::World(const fs::path& top) : m_top(top) {
  m_port = FreePort();
  dorvtest::DevServerOptions options;
  options.users = {{kAccount, kPassword}};
  options.linkHoldMs = 1000;
  options.dataDir = top / "service";
  options.extraArgs = {"--port", std::to_string(m_port)};
  fs::create_directories(options.dataDir);
  m_service = std::make_unique<dorvtest::DevServer>(options);
  dorvtest::WriteFile(top / "server_list.xml", m_service->ServerListXml());
  m_rootId = Admin(std::string("mkdir?account=") + kAccount + "&parentId=-1&name=" + kRootName)["dir"]["id"].asInt64();
  if (m_rootId <= 0) throw std::runtime_error("the service folder was not made");
  m_engines[0] = std::make_unique<EngineProcess>("A", top / "A");
  m_engines[1] = std::make_unique<EngineProcess>("B", top / "B");
  StartEngine(0);
  StartEngine(1);
}

World::~World() {
  m_engines[0].reset();
  m_engines[1].reset();
  m_service.reset();
}

void World::StartEngine(int side) {
  m_engines[side]->Start((m_top / "server_list.xml").string(), m_port, m_rootId, kRootName);
}

void World::RestartService() { m_service->Restart(); }

Json::Value World::Admin(const std::string& request, const std::string& body) {
  const Json::Value reply = Parse(m_service->Admin(request, body));
  return reply["code"].asInt() == 200 ? reply["result"] : Json::Value();
}

Json::Value World::AdminGet(const std::string& request) {
  const Json::Value reply = Parse(m_service->AdminGet(request));
  return reply["code"].asInt() == 200 ? reply["result"] : Json::Value();
}

Tree World::ServiceTree() {
  const Json::Value tree = AdminGet(std::string("tree?account=") + kAccount);
  const std::string prefix = std::string(kRootName) + "/";
  Tree out;
  for (const Json::Value& item : tree["items"]) {
    const std::string path = item["path"].asString();
    if (item["status"].asInt() != 0 || path.rfind(prefix, 0) != 0) continue;
    Entry entry;
    entry.isDir = item["isDir"].asBool();
    entry.md5 = entry.isDir ? "" : item["md5"].asString();
    entry.size = item["size"].asInt64();
    entry.id = item["id"].asInt64();
    out[path.substr(prefix.size())] = entry;
  }
  return out;
}

std::string World::ServiceContent(std::int64_t id) {
  return m_service->AdminGet(std::string("content?account=") + kAccount + "&id=" + std::to_string(id));
}

std::int64_t World::ServiceG() {
  const Json::Value tree = AdminGet(std::string("tree?account=") + kAccount);
  return tree.isNull() ? -1 : tree["g"].asInt64();
}

std::string World::CheckOutsideRoots() const {
  std::string problems;
  const std::set<std::string> top = {"service", "A", "B", "server_list.xml"};
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(m_top, error))
    if (!top.count(entry.path().filename().string())) problems += "  new entry beside the devices: " + entry.path().string() + "\n";
  const std::set<std::string> home(std::begin(kHomeEntries), std::end(kHomeEntries));
  for (const auto& engine : m_engines) {
    for (const auto& entry : fs::directory_iterator(engine->home(), error))
      if (!home.count(entry.path().filename().string()))
        problems += "  new entry beside the sync folder: " + entry.path().string() + "\n";
    for (const char* decoy : {"root-decoy", "rootx"}) {
      const fs::path folder = engine->home() / decoy;
      size_t count = 0;
      for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator(); ++it) ++count;
      if (count != 1 || ReadWhole(folder / "keep.txt") != "decoy") problems += "  decoy changed: " + folder.string() + "\n";
    }
  }
  return problems;
}

}  // namespace simtest
