// One change on device A until device B holds it, Dorv beside a peer sync
// program on the same machine: two engines (each a child process of this
// program) against the local cloud service, and two Syncthing instances
// (Debian's package) joined over loopback, its watcher delay at 2 s.
// Contenders take turns within each round so that a busy moment of the
// machine hits both alike; the best and worst of the rounds are printed with
// the ratio of the best times (Dorv / peer). Without `syncthing` on the path
// the peer is skipped.
//
//   device_bench [rounds] [small files] [large MiB] [renamed]   (default 3 2000 256 500)
//
// Works: the small files (4 KiB) written at once; one large file; the
// renamed files moved into a new folder. With DORV_BENCH_KEEP=<new path>, the
// work folder (devices' homes, logs) is moved there at the end. Not run by ctest.
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <json/json.h>

#include "DevServer.h"
#include "TempDir.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"
#include "client/core/login/LoginManager.h"
#include "client/core/protocol/ServerList.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncRootFolder.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kSmallSize = 4096;
const char* const kAccount = "alice@example.com";
const char* const kPassword = "secret";

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void Fail(const std::string& what) {
  std::fprintf(stderr, "device_bench: %s\n", what.c_str());
  std::exit(1);
}

// ---- The device: one engine on a sync folder, in a child process. ----

class LoginWaiter {
 public:
  static void CallBack(void* self) {
    auto* waiter = static_cast<LoginWaiter*>(self);
    std::lock_guard<std::mutex> hold(waiter->m_lock);
    waiter->m_called = true;
    waiter->m_done.notify_all();
  }
  bool Wait() {
    std::unique_lock<std::mutex> hold(m_lock);
    return m_done.wait_for(hold, std::chrono::seconds(60), [this] { return m_called; });
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_done;
  bool m_called = false;
};

// Signs in, starts the engine on the folder and runs until its standard
// input closes. Prints "ready" once the engine runs.
int RunDevice(const fs::path& home, const fs::path& serverList, const fs::path& root, juce::int64 rootID) {
  for (const char* var : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
    fs::create_directories(home / var);
    setenv(var, (home / var).c_str(), 1);
  }
  setenv("DORV_STAGING_DIR", (home / "staging").c_str(), 1);
  InstallSyncEngine();  // before the context is made, which makes the engine
  if (OpenMainDB() != 0) Fail("the main database does not open");
  CreateDBLocks();
  if (!InitUserTables() || !LoadProductInfo()) Fail("the product tables cannot be made");
  ServerList::LoadInstance(juce::File(serverList.string()));
  LoginManager login;
  LoginWaiter waiter;
  login.SetAfterLoginCallBack(&waiter, &LoginWaiter::CallBack);
  login.Login(kAccount, kPassword, true, false);
  if (!waiter.Wait() || login.GetResultCode() != LoginManager::kOk) Fail("the device cannot sign in");
  if (OpenUserDB(kAccount) != 0) Fail("the user database does not open");
  GlobalContext* context = GetGlobalContext();
  if (context->m_pFileDBManager->CreateDBTable() != 0 || context->m_pFolderDBManager->CreateDBTable() != 0)
    Fail("the engine's tables cannot be made");

  SyncFolderData folder;
  folder.m_FolderID = rootID;
  folder.m_ParentID = -1;
  folder.m_FolderName = "Dorv";
  folder.m_FolderSysType = 18;
  folder.m_ParentPath = "/";
  folder.m_VersionValue = "0|0";
  folder.m_FolderPath = juce::String(root.string());
  SyncRootFolder::GetInstance()->SetRootFolder(folder.m_FolderPath, "0|0", folder);
  SyncLogic* logic = GetSyncLogic();
  if (logic == nullptr) Fail("no engine");
  logic->CreateSyncWorkers();
  if (!logic->StartWorkflow()) Fail("the engine does not start");
  std::printf("ready\n");
  std::fflush(stdout);
  char buffer[64];
  while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
  }
  // A benchmark's device ends without the orderly stop: its folders go.
  std::_Exit(0);
}

// ---- The parent: processes, folders and the works. ----

class Child {
 public:
  // Starts the program with the arguments; its standard input is a pipe
  // kept open until Stop, its output goes to `log`.
  Child(const std::vector<std::string>& args, const fs::path& log) {
    int in[2];
    if (::pipe2(in, O_CLOEXEC) != 0) Fail("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    if (posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) Fail("cannot start " + args[0]);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    m_stdin = in[1];
  }
  ~Child() { Stop(); }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  void Stop() {
    if (m_pid <= 0) return;
    ::close(m_stdin);
    ::kill(m_pid, SIGTERM);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
  }

 private:
  pid_t m_pid = -1;
  int m_stdin = -1;
};

std::string FileText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Waits (looking every 20 ms) until cond holds; false after the limit.
bool WaitFor(const std::function<bool()>& cond, std::chrono::seconds limit = std::chrono::seconds(600)) {
  const Clock::time_point giveUp = Clock::now() + limit;
  while (!cond()) {
    if (Clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// Regular files of the size in the folder, leaving out hidden names (the
// programs' partial files).
int CountFiles(const fs::path& folder, uintmax_t size) {
  int count = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name[0] == '.' || name[0] == '~') continue;
    if (entry.is_regular_file(error) && fs::file_size(entry.path(), error) == size) ++count;
  }
  return count;
}

int FreePort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    Fail("no free port");
  ::close(s);
  return ntohs(address.sin_port);
}

void WriteBytes(const fs::path& file, size_t size, unsigned seed) {
  std::mt19937_64 random(seed);
  std::vector<uint64_t> words((size + 7) / 8);
  for (uint64_t& word : words) word = random();
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(size));
}

// A pair of synced folders: what is put into A is timed until B holds it.
class Pair {
 public:
  virtual ~Pair() = default;
  virtual std::string Name() const = 0;
  const fs::path& A() const { return m_a; }
  const fs::path& B() const { return m_b; }

  // A marker written in A that reaches B: both ends run and see each other.
  void WaitConnected() {
    WriteBytes(m_a / "warm-up.bin", kSmallSize, 1);
    if (!WaitFor([&] { return CountFiles(m_b, kSmallSize) >= 1; }, std::chrono::seconds(300)))
      Fail(Name() + ": the devices never connected");
  }

 protected:
  fs::path m_a, m_b;
};

class DorvPair : public Pair {
 public:
  DorvPair(const fs::path& self, const fs::path& work) {
    const fs::path list = work / "server_list.xml";
    std::ofstream(list) << m_server.ServerListXml();
    Json::Value reply;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
    const std::string text =
        m_server.Admin(std::string("mkdir?account=") + kAccount + "&parentId=-1&name=Dorv");
    if (!reader->parse(text.data(), text.data() + text.size(), &reply, &errors)) Fail("the service makes no root");
    const std::string rootID = std::to_string(reply["result"]["dir"]["id"].asInt64());
    m_a = work / "dorv-a" / "Dorv";
    m_b = work / "dorv-b" / "Dorv";
    for (const fs::path& root : {m_a, m_b}) {
      fs::create_directories(root);
      const fs::path home = root.parent_path();
      m_devices.push_back(std::make_unique<Child>(
          std::vector<std::string>{self.string(), "--device", home.string(), list.string(), root.string(), rootID},
          home / "device.log"));
    }
    for (const fs::path& root : {m_a, m_b})
      if (!WaitFor([&] { return FileText(root.parent_path() / "device.log").find("ready") != std::string::npos; },
                   std::chrono::seconds(120)))
        Fail("a Dorv device did not start: see " + (root.parent_path() / "device.log").string());
  }
  std::string Name() const override { return "Dorv"; }

 private:
  dorvtest::DevServer m_server;
  std::vector<std::unique_ptr<Child>> m_devices;
};

class SyncthingPair : public Pair {
 public:
  explicit SyncthingPair(const fs::path& work) {
    m_a = work / "peer-a" / "folder";
    m_b = work / "peer-b" / "folder";
    std::vector<std::string> ids;
    for (const fs::path& folder : {m_a, m_b}) {
      const fs::path home = folder.parent_path() / "home";
      fs::create_directories(folder / ".stfolder");
      const std::string command = "syncthing generate --no-default-folder --skip-port-probing --home=" +
                                  home.string() + " 2>&1";
      std::string out;
      if (FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
        ::pclose(p);
      }
      const size_t at = out.find("Device ID: ");
      if (at == std::string::npos) Fail("syncthing made no device: " + out);
      ids.push_back(out.substr(at + 11, out.find_first_of("\r\n", at) - at - 11));
    }
    const int ports[2] = {FreePort(), FreePort()};
    for (int n = 0; n < 2; ++n) {
      const fs::path folder = n == 0 ? m_a : m_b;
      const fs::path home = folder.parent_path() / "home";
      std::ofstream(home / "config.xml") << Config(folder, ids, ports, n);
      m_devices.push_back(std::make_unique<Child>(
          std::vector<std::string>{"syncthing", "serve", "--home=" + home.string(), "--no-browser", "--no-restart"},
          folder.parent_path() / "syncthing.log"));
    }
  }
  std::string Name() const override { return "Syncthing"; }

 private:
  static std::string Config(const fs::path& folder, const std::vector<std::string>& ids, const int ports[2], int self) {
    std::string devices, folderDevices;
    for (int n = 0; n < 2; ++n) {
      folderDevices += "    <device id=\"" + ids[n] + "\"></device>\n";
      devices += "  <device id=\"" + ids[n] + "\" name=\"d" + std::to_string(n) +
                 "\" compression=\"metadata\" introducer=\"false\"><address>tcp://127.0.0.1:" +
                 std::to_string(ports[n]) + "</address><autoAcceptFolders>false</autoAcceptFolders></device>\n";
    }
    return "<configuration version=\"36\">\n"
           "  <folder id=\"bench\" label=\"bench\" path=\"" + folder.string() +
           "\" type=\"sendreceive\" rescanIntervalS=\"3600\" fsWatcherEnabled=\"true\" fsWatcherDelayS=\"2\""
           " ignorePerms=\"false\" autoNormalize=\"true\">\n"
           "    <filesystemType>basic</filesystemType>\n" + folderDevices +
           "    <minDiskFree unit=\"%\">0</minDiskFree>\n"
           "    <markerName>.stfolder</markerName>\n"
           "  </folder>\n" + devices +
           "  <gui enabled=\"false\" tls=\"false\"><address>127.0.0.1:" + std::to_string(FreePort()) + "</address></gui>\n"
           "  <options>\n"
           "    <listenAddress>tcp://127.0.0.1:" + std::to_string(ports[self]) + "</listenAddress>\n"
           "    <globalAnnounceEnabled>false</globalAnnounceEnabled>\n"
           "    <localAnnounceEnabled>false</localAnnounceEnabled>\n"
           "    <relaysEnabled>false</relaysEnabled>\n"
           "    <natEnabled>false</natEnabled>\n"
           "    <urAccepted>-1</urAccepted>\n"
           "    <autoUpgradeIntervalH>0</autoUpgradeIntervalH>\n"
           "    <crashReportingEnabled>false</crashReportingEnabled>\n"
           "    <startBrowser>false</startBrowser>\n"
           "    <minHomeDiskFree unit=\"%\">0</minHomeDiskFree>\n"
           "  </options>\n"
           "</configuration>\n";
  }
  std::vector<std::unique_ptr<Child>> m_devices;
};

struct Works {
  int smallFiles = 2000;
  size_t largeMiB = 256;
  int renamed = 500;
};

// The three works of one round on a pair; seconds of each by name.
std::map<std::string, double> RunRound(Pair& pair, const Works& works, int round) {
  std::map<std::string, double> seconds;
  const std::string tag = "r" + std::to_string(round);
  const fs::path smallA = pair.A() / (tag + "-small"), smallB = pair.B() / (tag + "-small");
  // Written beside the folder and moved in at once, as a copy into it lands.
  const fs::path staging = pair.A().parent_path() / (tag + "-small");
  fs::create_directories(staging);
  for (int i = 0; i < works.smallFiles; ++i)
    WriteBytes(staging / ("f" + std::to_string(i) + ".bin"), kSmallSize, static_cast<unsigned>(round * 100000 + i));
  Clock::time_point start = Clock::now();
  fs::rename(staging, smallA);
  if (!WaitFor([&] { return CountFiles(smallB, kSmallSize) == works.smallFiles; }))
    Fail(pair.Name() + ": the small files never all arrived");
  seconds["small files"] = Seconds(start);

  const std::string large = tag + "-large.bin";
  const uintmax_t largeSize = works.largeMiB * 1024 * 1024;
  WriteBytes(pair.A().parent_path() / large, largeSize, static_cast<unsigned>(round));
  start = Clock::now();
  fs::rename(pair.A().parent_path() / large, pair.A() / large);
  if (!WaitFor([&] {
        std::error_code error;
        return fs::exists(pair.B() / large, error) && fs::file_size(pair.B() / large, error) == largeSize;
      }))
    Fail(pair.Name() + ": the large file never arrived");
  seconds["large file"] = Seconds(start);
  if (FileText(pair.A() / large) != FileText(pair.B() / large)) Fail(pair.Name() + ": the large file differs");

  const fs::path movedA = pair.A() / (tag + "-moved"), movedB = pair.B() / (tag + "-moved");
  start = Clock::now();
  fs::create_directory(movedA);
  for (int i = 0; i < works.renamed; ++i)
    fs::rename(smallA / ("f" + std::to_string(i) + ".bin"), movedA / ("f" + std::to_string(i) + ".bin"));
  if (!WaitFor([&] {
        return CountFiles(movedB, kSmallSize) == works.renamed &&
               CountFiles(smallB, kSmallSize) == works.smallFiles - works.renamed;
      }))
    Fail(pair.Name() + ": the renamed files never all arrived");
  seconds["renamed files"] = Seconds(start);

  // The large file goes again, untimed, so that the disk holds one at a time.
  fs::remove(pair.A() / large);
  WaitFor([&] { return !fs::exists(pair.B() / large); });
  return seconds;
}

bool HavePeer() { return std::system("command -v syncthing >/dev/null 2>&1") == 0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::string(argv[1]) == "--device")
    return RunDevice(argv[2], argv[3], argv[4], std::atoll(argv[5]));

  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  Works works;
  if (argc > 2) works.smallFiles = std::max(1, std::atoi(argv[2]));
  if (argc > 3) works.largeMiB = static_cast<size_t>(std::max(1, std::atoi(argv[3])));
  if (argc > 4) works.renamed = std::clamp(std::atoi(argv[4]), 1, works.smallFiles);

  dorvtest::TempDir work("device-bench");
  const fs::path self = fs::read_symlink("/proc/self/exe");
  std::printf("device_bench: %d rounds; %d files of 4 KiB, one file of %zu MiB, %d files renamed into a new folder\n",
              rounds, works.smallFiles, works.largeMiB, works.renamed);
  std::fflush(stdout);

  std::vector<std::unique_ptr<Pair>> pairs;
  pairs.push_back(std::make_unique<DorvPair>(self, work.path()));
  if (HavePeer()) pairs.push_back(std::make_unique<SyncthingPair>(work.path()));
  else std::printf("syncthing is not installed: the peer is left out\n");
  for (auto& pair : pairs) pair->WaitConnected();

  std::map<std::string, std::map<std::string, std::vector<double>>> times;  // pair, work: seconds
  for (int round = 1; round <= rounds; ++round) {
    // Who goes first alternates, so that neither always meets the other's
    // leftover work (a disk flushing, a cache cold).
    std::vector<Pair*> order;
    for (auto& pair : pairs) order.push_back(pair.get());
    if (round % 2 == 0) std::reverse(order.begin(), order.end());
    for (Pair* pair : order) {
      for (const auto& [what, s] : RunRound(*pair, works, round)) {
        times[pair->Name()][what].push_back(s);
        std::printf("round %d  %-10s %-14s %7.2f s\n", round, pair->Name().c_str(), what.c_str(), s);
        std::fflush(stdout);
      }
    }
  }

  std::printf("\n%-14s %-20s %-20s %s\n", "work", "Dorv (best-worst)", "Syncthing", "ratio (best)");
  for (const char* what : {"small files", "large file", "renamed files"}) {
    const auto& ours = times["Dorv"][what];
    const double oursBest = *std::min_element(ours.begin(), ours.end());
    const double oursWorst = *std::max_element(ours.begin(), ours.end());
    char peer[64] = "-", ratio[32] = "-";
    if (times.count("Syncthing")) {
      const auto& theirs = times["Syncthing"][what];
      const double best = *std::min_element(theirs.begin(), theirs.end());
      std::snprintf(peer, sizeof peer, "%.2f-%.2f s", best, *std::max_element(theirs.begin(), theirs.end()));
      std::snprintf(ratio, sizeof ratio, "%.2fx", oursBest / best);
    }
    char mine[64];
    std::snprintf(mine, sizeof mine, "%.2f-%.2f s", oursBest, oursWorst);
    std::printf("%-14s %-20s %-20s %s\n", what, mine, peer, ratio);
  }
  pairs.clear();
  if (const char* keep = std::getenv("DORV_BENCH_KEEP")) {
    fs::rename(work.path(), keep);
    std::printf("the devices' folders and logs are kept in %s\n", keep);
  }
  return 0;
}
