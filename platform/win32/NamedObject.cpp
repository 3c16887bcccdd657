#include "win32/NamedObject.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "win32/NativePath.h"
#include "win32/WinError.h"

namespace win32 {
namespace {

// A file name for an object name: safe bytes kept, the rest %XX; a long name is
// cut and given a hash of the whole so that names stay apart.
std::string FileNameFor(const std::wstring& name) {
  std::string utf8 = NativePath(name.c_str());
  std::string out = "name.";
  for (unsigned char c : utf8) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
        c == '-' || c == '_') {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  if (out.size() > 200) {
    std::uint64_t hash = 1469598103934665603ULL;  // FNV-1a
    for (unsigned char c : utf8) hash = (hash ^ c) * 1099511628211ULL;
    char tail[20];
    std::snprintf(tail, sizeof tail, "#%016llx", static_cast<unsigned long long>(hash));
    out = out.substr(0, 180) + tail;
  }
  return out;
}

// Serialises look-ups and releases of names among all processes, so that taking
// a name (test, then hold) and letting go of the last hold (test, then remove)
// are each one step.
class GuardLock {
 public:
  explicit GuardLock(const std::string& folder) {
    m_fd = ::open((folder + "/names.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd >= 0) {
      while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~GuardLock() {
    if (m_fd >= 0) ::close(m_fd);
  }
  bool ok() const { return m_fd >= 0; }

 private:
  int m_fd = -1;
};

}  // namespace

std::string RuntimeFolder() {
  std::string folder;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') {  // a relative value is ignored, as the XDG rules say
    ::mkdir(runtime, 0700);
    folder = std::string(runtime) + "/dorv";
  } else {
    folder = "/tmp/dorv-" + std::to_string(::getuid());
  }
  ::mkdir(folder.c_str(), 0700);  // a failure shows in the first use of the folder
  return folder;
}

NameHold::~NameHold() {
  std::string folder = m_path.substr(0, m_path.rfind('/'));
  GuardLock guard(folder);
  // The last holder anywhere removes the file; nobody can take the name meanwhile.
  if (guard.ok() && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0) ::unlink(m_path.c_str());
  ::close(m_fd);
}

std::unique_ptr<NameHold> NameHold::Take(const std::wstring& name, bool& existed) {
  existed = false;
  std::string folder = RuntimeFolder();
  GuardLock guard(folder);
  if (!guard.ok()) {
    SetLastError(ErrnoToWin32(errno));
    return nullptr;
  }
  std::string path = folder + "/" + FileNameFor(name);
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    SetLastError(ErrnoToWin32(errno));
    return nullptr;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    ::flock(fd, LOCK_SH);  // not atomic, but every other look-up waits for the guard
  } else {
    existed = true;
    if (::flock(fd, LOCK_SH) != 0) {
      SetLastError(ErrnoToWin32(errno));
      ::close(fd);
      return nullptr;
    }
  }
  return std::unique_ptr<NameHold>(new NameHold(fd, path));
}

bool NameHold::Exists(const std::wstring& name) {
  std::string folder = RuntimeFolder();
  GuardLock guard(folder);
  int fd = ::open((folder + "/" + FileNameFor(name)).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  ::close(fd);
  return held;
}

std::shared_ptr<NamedWaitable> FindOrCreateNamed(
    const std::wstring& name, bool openOnly,
    const std::function<std::shared_ptr<NamedWaitable>()>& make,
    const std::function<bool(const NamedWaitable&)>& sameKind) {
  static std::mutex tableLock;
  static auto* table = new std::map<std::wstring, std::weak_ptr<NamedWaitable>>;
  std::lock_guard guard(tableLock);
  auto it = table->find(name);
  if (it != table->end()) {
    if (auto existing = it->second.lock()) {
      if (!sameKind(*existing)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
      }
      SetLastError(ERROR_ALREADY_EXISTS);
      return existing;
    }
    table->erase(it);
  }
  if (openOnly && !NameHold::Exists(name)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  bool existed = false;
  std::unique_ptr<NameHold> hold = NameHold::Take(name, existed);
  if (!hold) return nullptr;
  std::shared_ptr<NamedWaitable> object = make();
  object->m_hold = std::move(hold);
  (*table)[name] = object;
  SetLastError(existed && !openOnly ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return object;
}

}  // namespace win32
