#include "DumpServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "CourierReport.h"
#include "dump/CourierProtocol.h"
#include "dump/MinidumpWriter.h"
#include "win32/CodePage.h"
#include "win32/PrivateFiles.h"
#include "win32/ShellDirectory.h"

namespace {

constexpr auto kFirstClientLimit = std::chrono::seconds(60);

struct Client {
  int fd = -1;
  bool registered = false;
  std::string input;
  CourierPairs details;
};

CourierPairs ParseCustomInfo(const std::string& block) {
  // UTF-16 units, name NUL value NUL, until an empty name or the end.
  std::vector<char16_t> units(block.size() / 2);
  std::memcpy(units.data(), block.data(), units.size() * 2);
  CourierPairs pairs;
  size_t i = 0;
  auto next = [&](std::wstring& out) {
    std::u16string text;
    while (i < units.size() && units[i] != 0) text += units[i++];
    if (i >= units.size()) return false;
    ++i;
    std::wstring wide;
    for (size_t k = 0; k < text.size(); ++k) {
      char32_t c = text[k];
      if (c >= 0xD800 && c <= 0xDBFF && k + 1 < text.size() && text[k + 1] >= 0xDC00 && text[k + 1] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[k + 1] - 0xDC00);
        ++k;
      } else if (c >= 0xD800 && c <= 0xDFFF) {
        c = 0xFFFD;
      }
      wide += static_cast<wchar_t>(c);
    }
    out = wide;
    return true;
  };
  for (;;) {
    std::wstring name, value;
    if (!next(name) || name.empty() || !next(value)) break;
    pairs.emplace_back(name, value);
  }
  return pairs;
}

class Server {
 public:
  explicit Server(const CourierOptions& options) : m_options(options) {
    m_folder = WideToUtf8(options.dumpPath);
    if (!m_folder.empty() && m_folder.back() != '/') m_folder += '/';
  }

  int Run();

 private:
  bool Listen(const std::string& path);
  // False when the client is to be dropped.
  bool Serve(Client& client);
  bool WriteDump(Client& client, const faultdump::CrashRequest& request, const char* payload, faultdump::Reply& reply);

  CourierOptions m_options;
  std::string m_folder;
  int m_listener = -1;
  std::vector<Client> m_clients;
};

bool Server::Listen(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (m_listener < 0) return false;
  ::unlink(path.c_str());
  mode_t old = ::umask(0077);
  bool ok = ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(m_listener, 16) == 0;
  ::umask(old);
  return ok;
}

int Server::Run() {
  const std::string path = faultdump::CourierSocketPath(m_options.ipcName);
  if (path.empty()) {
    CourierLog("error no usable IPC name");
    return 2;
  }
  const std::string folder = path.substr(0, path.rfind('/'));
  ::mkdir(folder.c_str(), 0700);
  std::unique_ptr<int, void (*)(int*)> lock(new int(-1), [](int* fd) {
    if (*fd >= 0) ::close(*fd);
    delete fd;
  });
  if (m_options.singleton) {
    *lock = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (*lock < 0 || ::flock(*lock, LOCK_EX | LOCK_NB) != 0) {
      CourierLog("already serving " + WideToUtf8(m_options.ipcName));
      return 0;
    }
  }
  if (!m_folder.empty()) {
    ::SHCreateDirectoryExW(nullptr, Utf8ToWide(m_folder).c_str(), nullptr);
    win32::MakePrivateFolder(m_folder);  // dumps hold a process's memory
  }
  if (!Listen(path)) {
    CourierLog("error cannot listen on " + path);
    return 2;
  }
  CourierLog("serving " + path);
  const auto started = std::chrono::steady_clock::now();
  bool hadClient = false;
  for (;;) {
    std::vector<pollfd> fds{{m_listener, POLLIN, 0}};
    for (const Client& c : m_clients) fds.push_back({c.fd, POLLIN, 0});
    int r = ::poll(fds.data(), fds.size(), 1000);
    if (r < 0 && errno != EINTR) break;
    for (size_t i = m_clients.size(); i-- > 0;) {
      if (!(fds[i + 1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      if (!Serve(m_clients[i])) {
        ::close(m_clients[i].fd);
        m_clients.erase(m_clients.begin() + static_cast<long>(i));
      }
    }
    if (fds[0].revents & POLLIN) {
      int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) {
        ucred peer{};
        socklen_t length = sizeof peer;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::getuid())
          m_clients.push_back(Client{fd, false, {}, {}});
        else
          ::close(fd);
      }
    }
    bool anyRegistered = false;
    for (const Client& c : m_clients) anyRegistered = anyRegistered || c.registered;
    hadClient = hadClient || anyRegistered;
    if (hadClient && !anyRegistered) break;
    if (!hadClient && m_clients.empty() && std::chrono::steady_clock::now() - started > kFirstClientLimit) break;
  }
  ::close(m_listener);
  // Under the singleton lock the name is ours alone and goes with us; without
  // it a newer server may have taken the name over, and a stale one is replaced
  // by the next server anyway.
  if (m_options.singleton) ::unlink(path.c_str());
  CourierLog("end");
  return 0;
}

bool Server::Serve(Client& client) {
  char chunk[65536];
  ssize_t n = ::recv(client.fd, chunk, sizeof chunk, 0);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  if (n <= 0) return false;
  client.input.append(chunk, static_cast<size_t>(n));
  for (;;) {
    if (!client.registered) {
      faultdump::RegisterRequest request;
      if (client.input.size() < sizeof request) return true;
      std::memcpy(&request, client.input.data(), sizeof request);
      if (request.magic != faultdump::kRegisterMagic || request.version != faultdump::kProtocolVersion ||
          request.infoBytes > faultdump::kMaxCustomInfoBytes)
        return false;
      if (client.input.size() < sizeof request + request.infoBytes) return true;
      client.details = ParseCustomInfo(client.input.substr(sizeof request, request.infoBytes));
      client.input.erase(0, sizeof request + request.infoBytes);
      client.registered = true;
      faultdump::Reply reply;
      reply.ok = 1;
      if (!faultdump::SendAll(client.fd, &reply, sizeof reply)) return false;
      continue;
    }
    faultdump::CrashRequest request;
    if (client.input.size() < sizeof request) return true;
    std::memcpy(&request, client.input.data(), sizeof request);
    const faultdump::SnapshotHeader& h = request.snapshot;
    if (request.magic != faultdump::kCrashMagic || h.stackSize > faultdump::kStackMax ||
        h.codeSize > faultdump::kCodeMax || h.mapsSize > faultdump::kMapsMax)
      return false;
    const size_t payload = size_t{h.stackSize} + h.codeSize + h.mapsSize;
    if (client.input.size() < sizeof request + payload) return true;
    faultdump::Reply reply;
    WriteDump(client, request, client.input.data() + sizeof request, reply);
    client.input.erase(0, sizeof request + payload);
    if (!faultdump::SendAll(client.fd, &reply, sizeof reply)) return false;
  }
}

bool Server::WriteDump(Client& client, const faultdump::CrashRequest& request, const char* payload,
                       faultdump::Reply& reply) {
  faultdump::SnapshotHeader header = request.snapshot;
  header.osRelease[sizeof header.osRelease - 1] = '\0';
  char id[faultdump::kDumpIdLength + 1];
  faultdump::MakeDumpId(id);
  const std::string file = m_folder + id + ".dmp";
  int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    CourierLog("error cannot create " + file);
    return false;
  }
  auto scratch = std::make_unique<faultdump::MinidumpScratch>();
  const auto* bytes = reinterpret_cast<const uint8_t*>(payload);
  faultdump::SnapshotView view{&header, bytes, bytes + header.stackSize, payload + header.stackSize + header.codeSize};
  bool ok = faultdump::WriteMinidump(fd, view, *scratch);
  ok = ::close(fd) == 0 && ok;
  if (!ok) {
    CourierLog("error cannot write " + file);
    ::unlink(file.c_str());
    return false;
  }
  CourierLog("dump " + file);
  ReportDump(file, client.details);
  reply.ok = 1;
  std::memcpy(reply.dumpId, id, sizeof id);
  return true;
}

}  // namespace

int RunDumpServer(const CourierOptions& options) { return Server(options).Run(); }
