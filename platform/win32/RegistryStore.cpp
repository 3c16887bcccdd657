#include "win32/RegistryStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "win32/PrivateFiles.h"
#include "win32/WinError.h"

namespace win32 {
namespace {

// $XDG_CONFIG_HOME/dorv; a relative value is ignored, as the XDG rules say.
std::string ConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return std::string(config) + "/dorv";
  const char* home = std::getenv("HOME");
  std::string base = home && *home ? home : "";
  if (base.empty()) {
    if (passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) base = pw->pw_dir;
  }
  return base + "/.config/dorv";
}

// The folders on the way are made as the user's own; the registry's folder is
// made private even when it was there before.
void MakeFolders(const std::string& folder) {
  for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
    ::mkdir(folder.substr(0, slash).c_str(), 0700);
  }
  MakePrivateFolder(folder);
}

bool ReadWhole(const std::string& path, std::string& bytes, struct stat& st) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return false;
  }
  char buffer[65536];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<size_t>(n));
  ::close(fd);
  return n == 0;
}

DWORD WriteAtomically(const std::string& path, const std::string& bytes) {
  static unsigned counter = 0;
  std::string temp = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return ErrnoToWin32(errno);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      DWORD error = ErrnoToWin32(errno);
      ::close(fd);
      ::unlink(temp.c_str());
      return error;
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
    DWORD error = ErrnoToWin32(errno);
    ::unlink(temp.c_str());
    return error;
  }
  return ERROR_SUCCESS;
}

}  // namespace

RegistryStore& RegistryStore::Instance() {
  static RegistryStore* store = new RegistryStore;
  return *store;
}

std::string RegistryStore::FilePath() { return ConfigFolder() + "/registry"; }

void RegistryStore::Load(const std::string& path) {
  struct stat st {};
  Signature signature;
  if (::stat(path.c_str(), &st) == 0) {
    signature = {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
                 static_cast<unsigned long long>(st.st_size),
                 static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
  }
  if (path == m_path && signature == m_signature) return;
  m_path = path;
  m_signature = signature;
  m_malformed = false;
  m_tree = RegistryTree();
  if (signature.mtimeNs < 0) return;  // no file yet: empty
  std::string bytes;
  struct stat readSt {};
  std::optional<RegistryTree> tree;
  if (ReadWhole(path, bytes, readSt)) tree = RegistryTree::Parse(bytes);
  if (tree) {
    m_tree = std::move(*tree);
  } else {
    // Unreadable or unparsable: read as empty, and kept aside before any write.
    m_malformed = true;
    std::fprintf(stderr, "registry: %s cannot be read; it is treated as empty and kept\n", path.c_str());
  }
}

LONG RegistryStore::Read(const std::function<LONG(const RegistryTree&)>& read) {
  std::lock_guard guard(m_lock);
  Load(FilePath());
  return read(m_tree);
}

LONG RegistryStore::Write(const std::function<LONG(RegistryTree&, bool& changed)>& change) {
  std::lock_guard guard(m_lock);
  std::string path = FilePath();
  MakeFolders(path.substr(0, path.rfind('/')));
  int lockFd = OpenPrivateFile(path + ".lock", O_RDWR);
  if (lockFd < 0) return static_cast<LONG>(ErrnoToWin32(errno));
  while (::flock(lockFd, LOCK_EX) != 0 && errno == EINTR) {
  }
  Load(path);
  RegistryTree tree = m_tree;  // the cache stays as the file is if the save fails
  bool changed = false;
  LONG result = change(tree, changed);
  if (result == ERROR_SUCCESS && changed) {
    if (m_malformed) {
      std::string aside = path + ".bad-" + std::to_string(std::time(nullptr)) + "-" + std::to_string(::getpid());
      if (::rename(path.c_str(), aside.c_str()) == 0) {
        std::fprintf(stderr, "registry: the unreadable file was moved to %s\n", aside.c_str());
      } else if (errno != ENOENT) {
        result = static_cast<LONG>(ErrnoToWin32(errno));  // never overwrite what could not be kept
        ::close(lockFd);
        return result;
      }
    }
    DWORD error = WriteAtomically(path, tree.Serialize());
    if (error != ERROR_SUCCESS) {
      result = static_cast<LONG>(error);
    } else {
      m_signature = Signature();  // re-read our own file on next use
      m_path.clear();
    }
  }
  ::close(lockFd);
  return result;
}

}  // namespace win32
