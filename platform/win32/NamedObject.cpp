#include "win32/NamedObject.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

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
    m_fd = folder.empty() ? -1 : OpenRuntimeFile(folder + "/names.lock", O_RDWR, RuntimeOpen::CreateIfMissing);
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

namespace {

// Why the folder may not hold this user's objects; empty when it may.
std::string FolderFault(const std::string& folder) {
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0) return std::string("cannot be created: ") + std::strerror(errno);
  if (S_ISLNK(info.st_mode)) return "is a symbolic link";
  if (!S_ISDIR(info.st_mode)) return "is not a folder";
  if (info.st_uid != ::geteuid()) return "belongs to user " + std::to_string(info.st_uid);
  if ((info.st_mode & 077) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%03o", static_cast<unsigned>(info.st_mode & 0777));
    return std::string("is open to other users (mode ") + mode + ")";
  }
  return {};
}

void SayRefused(const std::string& folder, const std::string& fault) {
  static std::mutex lock;
  static auto* said = new std::set<std::string>;
  std::lock_guard guard(lock);
  if (said->insert(folder + fault).second)
    std::fprintf(stderr, "dorv: the runtime folder %s is not used: it %s\n", folder.c_str(), fault.c_str());
}

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
  ::mkdir(folder.c_str(), 0700);
  const std::string fault = FolderFault(folder);
  if (fault.empty()) return folder;
  SayRefused(folder, fault);
  errno = EACCES;
  return {};
}

std::string RuntimePath(const std::string& name) {
  std::string folder = RuntimeFolder();
  return folder.empty() ? folder : folder + "/" + name;
}

int OpenRuntimeFile(const std::string& path, int flags, RuntimeOpen open) {
  if (path.empty()) {
    errno = EACCES;
    return -1;
  }
  flags |= O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
  for (int attempt = 0; attempt < 100; ++attempt) {
    int fd = ::open(path.c_str(), flags);
    if (fd < 0 && errno == ENOENT && open == RuntimeOpen::CreateIfMissing) {
      fd = ::open(path.c_str(), (flags & ~O_TRUNC) | O_CREAT | O_EXCL, 0600);
      if (fd < 0 && errno == EEXIST) continue;  // made meanwhile by another holder: open that one
    }
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      ::close(fd);
      errno = EACCES;
      return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
  }
  errno = EAGAIN;
  return -1;
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
  int fd = OpenRuntimeFile(path, O_RDWR, RuntimeOpen::CreateIfMissing);
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
  if (!guard.ok()) return false;
  int fd = OpenRuntimeFile(folder + "/" + FileNameFor(name), O_RDONLY, RuntimeOpen::Existing);
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
