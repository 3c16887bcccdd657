#include "DevServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <curl/curl.h>

#include <cstdlib>
#include <stdexcept>

namespace dorvtest {

namespace {

constexpr int kStartTimeoutMs = 30000;
constexpr int kStopTimeoutMs = 10000;

// Waits for the child to end, up to the timeout; true with its status when it did.
bool WaitForExit(pid_t pid, int timeoutMs, int& status) {
  int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (fd >= 0) {
    pollfd p{fd, POLLIN, 0};
    int ready = poll(&p, 1, timeoutMs);
    close(fd);
    if (ready <= 0) return false;
  }
  return waitpid(pid, &status, 0) == pid;
}

size_t Collect(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

std::string Exchange(const std::string& url, const std::string* body) {
  std::string reply;
  CURL* curl = curl_easy_init();
  if (!curl) return reply;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
  if (body) {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body->data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
  }
  if (curl_easy_perform(curl) != CURLE_OK) reply.clear();
  curl_easy_cleanup(curl);
  return reply;
}

}  // namespace

DevServer::DevServer(DevServerOptions options) : m_options(std::move(options)) {
  if (m_options.dataDir.empty()) {
    m_ownData = std::make_unique<TempDir>("dorv-devserver");
    m_dataDir = m_ownData->path();
  } else {
    m_dataDir = m_options.dataDir;
  }
  Start();
}

DevServer::~DevServer() { Stop(); }

std::filesystem::path DevServer::ProgramPath() {
  if (const char* env = std::getenv("DORV_DEVSERVER"); env && *env) return env;
  return DORV_DEVSERVER_PROGRAM;
}

void DevServer::Start() {
  if (running()) return;
  std::vector<std::string> args = {ProgramPath().string(), "--data", m_dataDir.string(), "--port", "0",
                                   "--link-hold-ms", std::to_string(m_options.linkHoldMs)};
  for (const auto& [account, password] : m_options.users) {
    args.push_back("--user");
    args.push_back(account + ":" + password);
  }
  if (m_options.admin) args.push_back("--admin");
  if (!m_options.updateDir.empty()) {
    args.push_back("--update");
    args.push_back(m_options.updateDir.string());
  }
  args.insert(args.end(), m_options.extraArgs.begin(), m_options.extraArgs.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  pid_t parent = getpid();
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);
    dup2(out[1], STDOUT_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  m_pid = pid;
  m_stdout = out[0];

  // The first line is the port.
  std::string line;
  while (line.find('\n') == std::string::npos) {
    pollfd p{m_stdout, POLLIN, 0};
    char buffer[64];
    ssize_t n = poll(&p, 1, kStartTimeoutMs) > 0 ? read(m_stdout, buffer, sizeof buffer) : -1;
    if (n <= 0) {
      Stop();
      throw std::runtime_error("dorv-devserver did not start: " + ProgramPath().string());
    }
    line.append(buffer, static_cast<size_t>(n));
  }
  m_port = std::atoi(line.c_str());
  if (m_port <= 0) {
    Stop();
    throw std::runtime_error("dorv-devserver printed no port: " + line);
  }
}

bool DevServer::Stop() {
  if (!running()) return true;
  kill(m_pid, SIGTERM);
  int status = 0;
  bool clean = WaitForExit(m_pid, kStopTimeoutMs, status);
  if (!clean) {
    kill(m_pid, SIGKILL);
    waitpid(m_pid, &status, 0);
  }
  close(m_stdout);
  m_stdout = -1;
  m_pid = -1;
  m_port = 0;
  return clean && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void DevServer::Restart() {
  Stop();
  Start();
}

std::string DevServer::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }

std::string DevServer::ServerListXml() const {
  std::string b = BaseUrl();
  return "<servers>\n"
         "  <link_server url=\"" + b + "/link/service/\"/>\n"
         "  <app_server url=\"" + b + "/app/service/\"/>\n"
         "  <rpc_server url=\"" + b + "/fs/service/\"/>\n"
         // Each transfer host takes only its own transfer: a mix-up shows.
         "  <upload_server url=\"" + b + "/dfs/upload/\"/>\n"
         "  <download_server url=\"" + b + "/dfs/download/\"/>\n"
         "  <rsync_server url=\"" + b + "/dfs/service/\"/>\n"
         "  <update_xml_url url=\"" + b + "/client/dorv/update/update.xml\"/>\n"
         "</servers>\n";
}

std::string DevServer::Admin(const std::string& request, const std::string& body) const {
  return Exchange(BaseUrl() + "/admin/" + request, &body);
}

std::string DevServer::AdminGet(const std::string& request) const {
  return Exchange(BaseUrl() + "/admin/" + request, nullptr);
}

}  // namespace dorvtest
