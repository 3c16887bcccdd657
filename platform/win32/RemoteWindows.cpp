#include "win32/RemoteWindows.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <thread>
#include <unordered_map>

#include "win32/HexText.h"
#include "win32/NamedObject.h"
#include "win32/WinError.h"
#include "win32/WindowClass.h"
#include "win32/WindowTable.h"

namespace win32 {
namespace {

constexpr uint32_t kPacketMagic = 0x444F5257;  // "DORW"

struct Packet {
  uint32_t magic;
  uint32_t msg;
  uint64_t instance;  // the receiving process's, from its list: a later process with its pid refuses it
  uint64_t hwnd;
  uint64_t wParam;
  int64_t lParam;
};
static_assert(sizeof(Packet) == 40);

struct Listed {
  uint64_t hwnd = 0;
  DWORD threadId = 0;
  std::wstring className;
  std::wstring title;
};

// What a process's list says: which run of the process wrote it, and its windows.
struct ListFile {
  uint64_t instance = 0;
  std::vector<Listed> windows;
};

struct Proxy {
  pid_t pid;
  uint64_t instance;
  uint64_t remote;
  DWORD threadId;
};

constexpr ULONG_PTR kProxyBase = 0x7F000000;

struct State {
  std::mutex lock;
  std::mutex publishLock;  // orders whole rewrites of our list; taken before WindowLock()
  std::atomic<bool> endpointStarted{false};
  std::atomic<uint64_t> instance{0};  // this run of this process, in our list and in every packet to us
  std::string published;  // what our list holds now; guarded by publishLock
  std::unordered_map<ULONG_PTR, Proxy> proxies;
  ULONG_PTR nextProxy = kProxyBase;
};

State& TheState() {
  static State* state = new State;
  return *state;
}

std::string WindowsFolder() {
  std::string folder = RuntimePath("windows");
  if (folder.empty()) return folder;
  mkdir(folder.c_str(), 0700);
  // Inside the checked runtime folder; still, only a real folder of its own.
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid()) return {};
  return folder;
}

std::string InWindowsFolder(const std::string& name) {
  std::string folder = WindowsFolder();
  return folder.empty() ? folder : folder + "/" + name;
}

std::string SocketPath(pid_t pid) { return InWindowsFolder(std::to_string(pid) + ".sock"); }
std::string ListPath(pid_t pid) { return InWindowsFolder(std::to_string(pid) + ".list"); }

bool FillAddress(const std::string& path, sockaddr_un& addr) {
  addr = sockaddr_un{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

// Whether a process's socket is bound by a living process.
bool EndpointAlive(pid_t pid) {
  sockaddr_un addr;
  if (!FillAddress(SocketPath(pid), addr)) return false;
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool alive = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  close(fd);
  return alive;
}

ListFile ReadList(pid_t pid) {
  ListFile out;
  std::ifstream in(ListPath(pid));
  std::string line;
  if (!std::getline(in, line) || line.rfind("instance ", 0) != 0) return out;
  out.instance = std::strtoull(line.c_str() + 9, nullptr, 16);
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string hwnd, thread, cls, title;
    if (!(fields >> hwnd >> thread >> cls >> title)) continue;
    Listed entry;
    char* end = nullptr;
    entry.hwnd = std::strtoull(hwnd.c_str(), &end, 16);
    if (*end) continue;
    entry.threadId = static_cast<DWORD>(std::strtoul(thread.c_str(), &end, 10));
    if (*end || !DecodeHexText(cls, entry.className) || !DecodeHexText(title, entry.title)) continue;
    out.windows.push_back(std::move(entry));
  }
  return out;
}

void Listen(int fd) {
  for (;;) {
    Packet p;
    ssize_t n = recv(fd, &p, sizeof p, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return;
    // Another process's bytes: only a well-formed packet for one of our windows gets through.
    if (n != static_cast<ssize_t>(sizeof p) || p.magic != kPacketMagic || !MayCrossProcess(p.msg) ||
        p.instance != TheState().instance.load())
      continue;
    HWND hwnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(p.hwnd));
    if (!hwnd || IsRemoteWindow(hwnd) || hwnd == DesktopHandle()) continue;
    if (hwnd == HWND_BROADCAST) {
      // To our own top-level windows only: a broadcast does not travel on.
      for (HWND target : TopLevelWindows()) PostMessageW(target, p.msg, static_cast<WPARAM>(p.wParam), static_cast<LPARAM>(p.lParam));
      continue;
    }
    PostMessageW(hwnd, p.msg, static_cast<WPARAM>(p.wParam), static_cast<LPARAM>(p.lParam));
  }
}

void RemoveOwnFiles() {
  unlink(ListPath(getpid()).c_str());
  unlink(SocketPath(getpid()).c_str());
}

// Binds this process's socket and starts its listener, once.
bool StartEndpoint() {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  if (s.endpointStarted) return true;
  std::string path = SocketPath(getpid());
  sockaddr_un addr;
  if (!FillAddress(path, addr)) return false;
  unlink(path.c_str());  // left by a dead process that had our pid
  unlink(ListPath(getpid()).c_str());
  std::random_device random;
  uint64_t instance = 0;
  while (instance == 0) instance = (static_cast<uint64_t>(random()) << 32) | random();
  s.instance = instance;
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return false;
  }
  std::thread(Listen, fd).detach();
  std::atexit(RemoveOwnFiles);
  s.endpointStarted = true;
  return true;
}

HWND ProxyFor(pid_t pid, uint64_t instance, const Listed& entry) {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  for (auto& [value, proxy] : s.proxies) {
    if (proxy.pid == pid && proxy.instance == instance && proxy.remote == entry.hwnd)
      return reinterpret_cast<HWND>(value);
  }
  ULONG_PTR value = s.nextProxy;
  s.nextProxy += 2;
  s.proxies.emplace(value, Proxy{pid, instance, entry.hwnd, entry.threadId});
  return reinterpret_cast<HWND>(value);
}

bool LookupProxy(HWND hwnd, Proxy& out) {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  auto it = s.proxies.find(reinterpret_cast<ULONG_PTR>(hwnd));
  if (it == s.proxies.end()) return false;
  out = it->second;
  return true;
}

// Other processes that list windows and still answer; the files of dead ones are removed
// on the way, so that nothing of them can be found.
std::vector<pid_t> LiveOtherProcesses() {
  std::vector<pid_t> pids;
  std::string folder = WindowsFolder();
  DIR* dir = opendir(folder.c_str());
  if (!dir) return pids;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name.size() <= 5 || name.compare(name.size() - 5, 5, ".list") != 0) continue;
    char* end = nullptr;
    long pid = std::strtol(name.c_str(), &end, 10);
    if (std::string(end) != ".list" || pid <= 0 || pid == getpid()) continue;
    pids.push_back(static_cast<pid_t>(pid));
  }
  closedir(dir);
  std::sort(pids.begin(), pids.end());
  std::erase_if(pids, [](pid_t pid) {
    if (EndpointAlive(pid)) return false;
    unlink(ListPath(pid).c_str());
    unlink(SocketPath(pid).c_str());
    return true;
  });
  return pids;
}

// Sends one packet to a process's socket; false when nobody receives it.
bool SendPacket(pid_t pid, const Packet& p) {
  sockaddr_un addr;
  if (!FillAddress(SocketPath(pid), addr)) return false;
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ssize_t n = sendto(fd, &p, sizeof p, 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  close(fd);
  return n == static_cast<ssize_t>(sizeof p);
}

}  // namespace

bool MayCrossProcess(UINT msg) {
  switch (msg) {
    // These carry pointers into the sender's memory.
    case WM_CREATE:
    case WM_NCCREATE:
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETMINMAXINFO:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
    case WM_NCCALCSIZE:
      return false;
  }
  return true;
}

bool IsRemoteWindow(HWND hwnd) {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  return s.proxies.count(reinterpret_cast<ULONG_PTR>(hwnd)) != 0;
}

bool RemoteWindowAlive(HWND hwnd) {
  Proxy proxy;
  if (!LookupProxy(hwnd, proxy) || !EndpointAlive(proxy.pid)) return false;
  ListFile list = ReadList(proxy.pid);
  if (list.instance != proxy.instance) return false;  // another run of a process with that pid
  for (const Listed& entry : list.windows) {
    if (entry.hwnd == proxy.remote) return true;
  }
  return false;
}

bool PostRemoteMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!MayCrossProcess(msg)) {
    SetLastError(ERROR_MESSAGE_SYNC_ONLY);
    return false;
  }
  Proxy proxy;
  if (!LookupProxy(hwnd, proxy) ||
      !SendPacket(proxy.pid, Packet{kPacketMagic, msg, proxy.instance, proxy.remote,
                                    static_cast<uint64_t>(wParam), static_cast<int64_t>(lParam)})) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);  // no such window, or its process has gone
    return false;
  }
  return true;
}

DWORD RemoteWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
  Proxy proxy;
  if (!LookupProxy(hwnd, proxy)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (processId) *processId = static_cast<DWORD>(proxy.pid);
  return proxy.threadId;
}

void BroadcastToOtherProcesses(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!MayCrossProcess(msg)) return;
  for (pid_t pid : LiveOtherProcesses()) {
    SendPacket(pid, Packet{kPacketMagic, msg, ReadList(pid).instance, reinterpret_cast<ULONG_PTR>(HWND_BROADCAST),
                           static_cast<uint64_t>(wParam), static_cast<int64_t>(lParam)});
  }
}

std::vector<HWND> FindRemoteWindows(LPCWSTR className, LPCWSTR title) {
  std::vector<HWND> out;
  for (pid_t pid : LiveOtherProcesses()) {
    ListFile list = ReadList(pid);
    for (const Listed& entry : list.windows) {
      if (className && !NamesEqual(entry.className, className)) continue;
      if (title && !NamesEqual(entry.title, title)) continue;
      out.push_back(ProxyFor(pid, list.instance, entry));
    }
  }
  return out;
}

void NotifyTopLevelChanged() {
  std::lock_guard publishing(TheState().publishLock);
  std::ostringstream list;
  size_t count = 0;
  {
    std::lock_guard guard(WindowLock());
    for (HWND hwnd : TopLevelLocked()) {
      Window* w = LookupWindowLocked(hwnd);
      if (!w || w->stage == Window::Stage::Destroying) continue;
      list << std::hex << reinterpret_cast<ULONG_PTR>(hwnd) << std::dec << ' ' << w->threadId << ' '
           << EncodeHexText(w->cls->name) << ' ' << EncodeHexText(w->text) << '\n';
      ++count;
    }
  }
  State& s = TheState();
  if (count == 0 && !s.endpointStarted) return;
  if (s.endpointStarted && list.str() == s.published) return;  // a change others cannot see
  if (!StartEndpoint()) return;
  std::string path = ListPath(getpid());
  std::string temp = path + ".tmp";
  {
    std::ostringstream text;
    text << "instance " << std::hex << s.instance.load() << '\n' << list.str();
    const std::string bytes = text.str();
    int fd = OpenRuntimeFile(temp, O_WRONLY | O_TRUNC, RuntimeOpen::CreateIfMissing);
    if (fd < 0) return;
    const bool written = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    close(fd);
    if (!written) return;
  }
  if (std::rename(temp.c_str(), path.c_str()) == 0) s.published = list.str();
}

}  // namespace win32
