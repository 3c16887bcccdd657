#include "ProxyProcess.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "TestServer.h"
#include "TempDir.h"

namespace {

bool CanConnect(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  close(fd);
  return ok;
}

}  // namespace

ProxyProcess::ProxyProcess(Kind kind, const std::filesystem::path& folder, const std::string& user,
                           const std::string& password) {
  m_port = ClosedPort();
  std::string port = std::to_string(m_port);
  m_log = folder / "proxy.log";
  std::vector<std::string> argv;
  switch (kind) {
    case Kind::TinyproxyHttp: {
      std::string conf = "Port " + port + "\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 30\nLogLevel Info\n";
      if (!user.empty()) conf += "BasicAuth " + user + " " + password + "\n";
      dorvtest::WriteFile(folder / "tinyproxy.conf", conf);
      argv = {"/usr/bin/tinyproxy", "-d", "-c", (folder / "tinyproxy.conf").string()};
      break;
    }
    case Kind::MicrosocksSocks5:
      argv = {"/usr/bin/microsocks", "-i", "127.0.0.1", "-p", port};
      if (!user.empty()) argv.insert(argv.end(), {"-u", user, "-P", password});
      break;
    case Kind::DanteSocks: {
      // SOCKS4 and SOCKS5 without authentication.
      std::string conf = "logoutput: stderr\ninternal: 127.0.0.1 port = " + port +
                         "\nexternal: 127.0.0.1\nclientmethod: none\nsocksmethod: none\n"
                         "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
                         "socks pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n";
      dorvtest::WriteFile(folder / "danted.conf", conf);
      argv = {"/usr/sbin/danted", "-f", (folder / "danted.conf").string(), "-p", (folder / "danted.pid").string(),
              "-N", "1"};
      break;
    }
  }
  m_started = Spawn(argv) && WaitUntilListening();
}

bool ProxyProcess::Spawn(const std::vector<std::string>& argv) {
  if (access(argv[0].c_str(), X_OK) != 0) {
    m_problem = argv[0] + " is not installed (scripts/setup installs it)";
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    m_problem = "cannot start " + argv[0];
    return false;
  }
  m_pid = pid;
  return true;
}

bool ProxyProcess::WaitUntilListening() {
  // The proxy's start-up is observed: poll its port until it answers, unless
  // the process ends first.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (CanConnect(m_port)) return true;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
      m_pid = -1;
      m_problem = "the proxy exited at start: " + dorvtest::ReadFile(m_log);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  m_problem = "the proxy did not listen within 10 s: " + dorvtest::ReadFile(m_log);
  return false;
}

ProxyProcess::~ProxyProcess() {
  if (m_pid > 0) {
    kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
  }
}
