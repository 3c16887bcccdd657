#include "win32/FileMapping.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <memory>
#include <mutex>

#include "win32/Handle.h"
#include "win32/NamedObject.h"
#include "win32/RuntimeName.h"
#include "win32/WinError.h"

namespace {

constexpr ULONGLONG kGranularity = 65536;

// Makes taking and letting go of a mapping's name one step among all processes:
// every holder keeps a shared lock on the memory's file, and whoever finds no other
// holder (an exclusive lock succeeds) while holding the folder's lock is alone.
class FolderLock {
 public:
  FolderLock() : m_fd(::open(win32::RuntimeFolder().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)) {
    if (m_fd >= 0) {
      while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~FolderLock() {
    if (m_fd >= 0) ::close(m_fd);
  }
  bool ok() const { return m_fd >= 0; }

 private:
  int m_fd;
};

class MappingObject : public win32::KernelObject {
 public:
  MappingObject(int fd, std::string path, bool writable) : m_fd(fd), m_path(std::move(path)), m_writable(writable) {}
  ~MappingObject() override {
    if (!m_path.empty()) {
      FolderLock guard;
      if (guard.ok() && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0) ::unlink(m_path.c_str());  // the last holder
    }
    ::close(m_fd);
  }
  int fd() const { return m_fd; }
  bool writable() const { return m_writable; }

 private:
  int m_fd;
  std::string m_path;  // empty for memory without a name
  bool m_writable;
};

struct View {
  SIZE_T bytes;
  std::shared_ptr<MappingObject> mapping;  // a view keeps its mapping alive
};

struct ViewTable {
  std::mutex lock;
  std::map<const void*, View> views;
};

ViewTable& Views() {
  static ViewTable* table = new ViewTable;  // lives until process end
  return *table;
}

HANDLE Register(int fd, std::string path, bool writable, DWORD lastError) {
  HANDLE handle = win32::RegisterHandle(std::make_shared<MappingObject>(fd, std::move(path), writable));
  SetLastError(lastError);
  return handle;
}

HANDLE Fail(DWORD error) {
  SetLastError(error);
  return nullptr;
}

}  // namespace

HANDLE CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect, DWORD sizeHigh, DWORD sizeLow,
                          LPCWSTR name) {
  if (file != INVALID_HANDLE_VALUE) return Fail(ERROR_NOT_SUPPORTED);
  if (protect != PAGE_READWRITE && protect != PAGE_READONLY) return Fail(ERROR_INVALID_PARAMETER);
  bool writable = protect == PAGE_READWRITE;
  off_t size = static_cast<off_t>((static_cast<ULONGLONG>(sizeHigh) << 32) | sizeLow);
  if (!name || !*name) {
    if (size == 0) return Fail(ERROR_INVALID_PARAMETER);
    int fd = ::memfd_create("mapping", MFD_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, size) != 0) {
      DWORD err = ErrnoToWin32(errno);
      if (fd >= 0) ::close(fd);
      return Fail(err);
    }
    return Register(fd, {}, writable, ERROR_SUCCESS);
  }
  std::string path = win32::RuntimeFileName("map", name);
  FolderLock guard;
  if (!guard.ok()) return Fail(ErrnoToWin32(errno));
  int fd = win32::OpenRuntimeFile(path, O_RDWR, win32::RuntimeOpen::CreateIfMissing);
  if (fd < 0) return Fail(ErrnoToWin32(errno));
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    // Nobody holds the name: new memory, also over what a crashed holder left.
    if (size == 0 || ::ftruncate(fd, 0) != 0 || ::ftruncate(fd, size) != 0) {
      DWORD err = size == 0 ? ERROR_INVALID_PARAMETER : ErrnoToWin32(errno);
      ::unlink(path.c_str());
      ::close(fd);
      return Fail(err);
    }
    ::flock(fd, LOCK_SH);
    return Register(fd, path, writable, ERROR_SUCCESS);
  }
  ::flock(fd, LOCK_SH);
  return Register(fd, path, writable, ERROR_ALREADY_EXISTS);
}

HANDLE OpenFileMappingW(DWORD access, BOOL, LPCWSTR name) {
  if (!name || !*name) return Fail(ERROR_INVALID_PARAMETER);
  std::string path = win32::RuntimeFileName("map", name);
  FolderLock guard;
  if (!guard.ok()) return Fail(ErrnoToWin32(errno));
  int fd = win32::OpenRuntimeFile(path, O_RDWR, win32::RuntimeOpen::Existing);
  if (fd < 0) return Fail(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ErrnoToWin32(errno));
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {  // left by a holder that crashed: the name is gone
    ::unlink(path.c_str());
    ::close(fd);
    return Fail(ERROR_FILE_NOT_FOUND);
  }
  ::flock(fd, LOCK_SH);
  return Register(fd, path, (access & FILE_MAP_WRITE) != 0, ERROR_SUCCESS);
}

LPVOID MapViewOfFile(HANDLE handle, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes) {
  auto mapping = win32::LookupHandleAs<MappingObject>(handle);
  if (!mapping) return Fail(ERROR_INVALID_HANDLE);
  ULONGLONG offset = (static_cast<ULONGLONG>(offsetHigh) << 32) | offsetLow;
  if (offset % kGranularity) return Fail(ERROR_MAPPED_ALIGNMENT);
  bool copy = (access & FILE_MAP_ALL_ACCESS) == FILE_MAP_COPY;
  bool write = (access & FILE_MAP_WRITE) && !copy;
  if (write && !mapping->writable()) return Fail(ERROR_ACCESS_DENIED);
  struct stat st;
  if (::fstat(mapping->fd(), &st) != 0) return Fail(ErrnoToWin32(errno));
  ULONGLONG size = static_cast<ULONGLONG>(st.st_size);
  if (offset >= size) return Fail(ERROR_ACCESS_DENIED);
  if (bytes == 0) bytes = static_cast<SIZE_T>(size - offset);
  if (bytes > size - offset) return Fail(ERROR_ACCESS_DENIED);
  int protection = PROT_READ | ((write || copy) ? PROT_WRITE : 0);
  void* address = ::mmap(nullptr, bytes, protection, copy ? MAP_PRIVATE : MAP_SHARED, mapping->fd(),
                         static_cast<off_t>(offset));
  if (address == MAP_FAILED) return Fail(ErrnoToWin32(errno));
  ViewTable& table = Views();
  std::lock_guard guard(table.lock);
  table.views[address] = View{bytes, std::move(mapping)};
  return address;
}

BOOL UnmapViewOfFile(LPCVOID address) {
  std::shared_ptr<MappingObject> mapping;  // released outside the table's lock
  {
    ViewTable& table = Views();
    std::lock_guard guard(table.lock);
    auto it = table.views.find(address);
    if (it == table.views.end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    ::munmap(const_cast<void*>(address), it->second.bytes);
    mapping = std::move(it->second.mapping);
    table.views.erase(it);
  }
  return TRUE;
}
