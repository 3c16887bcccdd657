#include "win32/NamedPipe.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <linux/sockios.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <cwctype>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "win32/Clock.h"
#include "win32/NamedObject.h"
#include "win32/RuntimeName.h"
#include "win32/WinError.h"

namespace {

constexpr wchar_t kPipePrefix[] = L"\\\\.\\pipe\\";
constexpr size_t kPipePrefixLength = 9;
constexpr int kSlots = 255;             // bytes 0-254 of the slot file: one per instance
constexpr off_t kTimeoutOffset = 256;   // the server's default time-out, 4 bytes
constexpr off_t kFreedOffset = 260;     // counts instances made free, 4 bytes (a futex word)
constexpr off_t kSlotsFileSize = 264;
// The longest a blocking wait sleeps before it looks at the process clock again
// (a test's manual clock moves without waking it) and, for a pipe's waiters,
// whether the server has gone without a word (a process that died).
constexpr int kWaitSliceMs = 100;

// The milliseconds a blocking wait may sleep now towards `deadline` of the
// process clock, at most one slice; 0 once the deadline has passed.
int SliceUntil(ULONGLONG deadline) {
  ULONGLONG now = win32::CurrentClock().NowMs();
  if (now >= deadline) return 0;
  return static_cast<int>(std::min<ULONGLONG>(deadline - now, kWaitSliceMs));
}

long Futex(void* word, int op, uint32_t value, const timespec* timeout) {
  return ::syscall(SYS_futex, word, op, value, timeout, nullptr, 0);
}

// The pipe's own name in lower case (pipe names ignore case), or empty when `path`
// is no pipe name.
std::wstring PipeKey(LPCWSTR path) {
  if (!win32::IsPipeName(path)) return {};
  std::wstring key(path + kPipePrefixLength);
  for (auto& c : key) c = static_cast<wchar_t>(std::towlower(c));
  return key;
}

std::string SocketPath(const std::wstring& key) { return win32::RuntimeFileName("pipe", key); }

std::wstring HoldName(const std::wstring& key) { return L"pipe:" + key; }

// A socket address for `path`; a path too long for sun_path is reached through the
// descriptor of its folder (`folderFd`, closed by the caller after use).
bool MakeAddress(const std::string& path, sockaddr_un& address, int& folderFd) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  folderFd = -1;
  std::string target = path;
  if (target.size() >= sizeof address.sun_path) {
    size_t slash = path.rfind('/');
    folderFd = ::open(path.substr(0, slash).c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folderFd < 0) return false;
    target = "/proc/self/fd/" + std::to_string(folderFd) + path.substr(slash);
    if (target.size() >= sizeof address.sun_path) return false;
  }
  std::memcpy(address.sun_path, target.c_str(), target.size() + 1);
  return true;
}

bool SetSlotLock(int fd, int index, bool locked) {
  struct flock lock{};
  lock.l_type = locked ? F_WRLCK : F_UNLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = index;
  lock.l_len = 1;
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Whether some instance of the pipe waits for a client: free instances lock their slot.
bool AnySlotFree(const std::string& slotsPath) {
  int fd = win32::OpenRuntimeFile(slotsPath, O_RDWR, win32::RuntimeOpen::Existing);
  if (fd < 0) return false;
  struct flock probe{};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = 0;
  probe.l_len = kSlots;
  bool free = ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  ::close(fd);
  return free;
}

DWORD ReadDefaultTimeout(const std::string& slotsPath) {
  DWORD timeout = 50;  // the system's default when the server gave none
  int fd = win32::OpenRuntimeFile(slotsPath, O_RDONLY, win32::RuntimeOpen::Existing);
  if (fd >= 0) {
    DWORD stored = 0;
    if (::pread(fd, &stored, sizeof stored, kTimeoutOffset) == sizeof stored && stored) timeout = stored;
    ::close(fd);
  }
  return timeout;
}

// One connected end: a socket carrying messages, with the rest of a message that
// a short read left behind.
class Connection {
 public:
  ~Connection() { Close(); }
  bool IsOpen() const { return m_fd >= 0; }
  void Adopt(int fd) {
    Close();
    m_fd = fd;
  }
  void Close() {
    if (m_fd >= 0) {
      ::shutdown(m_fd, SHUT_RDWR);
      ::close(m_fd);
    }
    m_fd = -1;
    m_pending.clear();
    m_offset = 0;
  }
  bool m_messageMode = false;

  // Whether the other end has gone (its close is waiting to be read).
  bool PeerGone() {
    if (m_fd < 0) return true;
    if (m_offset < m_pending.size()) return false;
    char byte;
    ssize_t n = ::recv(m_fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return n == 0;
  }

  BOOL Read(LPVOID buffer, DWORD toRead, LPDWORD read) {
    if (m_fd < 0) {
      SetLastError(ERROR_PIPE_NOT_CONNECTED);
      return FALSE;
    }
    if (m_offset >= m_pending.size()) {
      DWORD err = Receive(0);
      if (err != ERROR_SUCCESS) {
        SetLastError(err);
        return FALSE;
      }
    }
    size_t left = m_pending.size() - m_offset;
    DWORD copied = static_cast<DWORD>(std::min<size_t>(left, toRead));
    if (copied) std::memcpy(buffer, m_pending.data() + m_offset, copied);
    m_offset += copied;
    if (read) *read = copied;
    if (m_offset < m_pending.size() && m_messageMode) {
      SetLastError(ERROR_MORE_DATA);
      return FALSE;
    }
    return TRUE;
  }

  BOOL Write(LPCVOID buffer, DWORD toWrite, LPDWORD written) {
    if (m_fd < 0) {
      SetLastError(ERROR_PIPE_NOT_CONNECTED);
      return FALSE;
    }
    if (toWrite == 0) return TRUE;
    for (;;) {
      ssize_t n = ::send(m_fd, buffer, toWrite, MSG_NOSIGNAL);
      if (n >= 0) {
        if (written) *written = static_cast<DWORD>(n);
        return TRUE;
      }
      if (errno == EINTR) continue;
      SetLastError(errno == EMSGSIZE ? ERROR_INVALID_PARAMETER
                   : (errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN) ? ERROR_NO_DATA
                                                                                   : ErrnoToWin32(errno));
      return FALSE;
    }
  }

  // Returns once the other end has read everything written, or has gone. Each
  // message the other end takes (or drops by closing) wakes the writer's
  // socket; an edge-triggered wait sees every such wake-up, also one that comes
  // between the look at the queue and the wait.
  BOOL Flush() {
    if (m_fd < 0) {
      SetLastError(ERROR_PIPE_NOT_CONNECTED);
      return FALSE;
    }
    if (Unread() == 0) return TRUE;
    int watch = ::epoll_create1(EPOLL_CLOEXEC);
    epoll_event interest{};
    interest.events = EPOLLOUT | EPOLLET;
    if (watch >= 0 && ::epoll_ctl(watch, EPOLL_CTL_ADD, m_fd, &interest) != 0) {
      ::close(watch);
      watch = -1;
    }
    while (Unread() != 0) {
      epoll_event woken;
      if (watch >= 0) {
        ::epoll_wait(watch, &woken, 1, kWaitSliceMs);
      } else {
        ::poll(nullptr, 0, 1);  // no wake-ups to be had: look again shortly
      }
    }
    if (watch >= 0) ::close(watch);
    return TRUE;
  }

  // Waits until a read would not block: a message waits, or the other end has
  // gone. ERROR_SEM_TIMEOUT after timeoutMs of the process clock.
  DWORD WaitInput(DWORD timeoutMs) {
    if (m_fd < 0) return ERROR_PIPE_NOT_CONNECTED;
    if (m_offset < m_pending.size()) return ERROR_SUCCESS;
    ULONGLONG deadline = win32::CurrentClock().DeadlineAfter(timeoutMs);
    for (;;) {
      int slice = SliceUntil(deadline);
      pollfd input{m_fd, POLLIN, 0};
      int ready = ::poll(&input, 1, slice);
      if (ready > 0) return ERROR_SUCCESS;  // data, a hang-up or an error: a read answers at once
      if (ready < 0 && errno != EINTR) return ErrnoToWin32(errno);
      if (ready == 0 && slice == 0) return ERROR_SEM_TIMEOUT;
    }
  }

  BOOL Peek(LPVOID buffer, DWORD bufferSize, LPDWORD bytesRead, LPDWORD total, LPDWORD leftThisMessage) {
    if (bytesRead) *bytesRead = 0;
    if (total) *total = 0;
    if (leftThisMessage) *leftThisMessage = 0;
    if (m_fd < 0) {
      SetLastError(ERROR_PIPE_NOT_CONNECTED);
      return FALSE;
    }
    if (m_offset >= m_pending.size()) {
      DWORD err = Receive(MSG_DONTWAIT);
      if (err == ERROR_NO_DATA) return TRUE;  // nothing waiting
      if (err != ERROR_SUCCESS) {
        SetLastError(err);
        return FALSE;
      }
    }
    size_t left = m_pending.size() - m_offset;
    DWORD copied = buffer ? static_cast<DWORD>(std::min<size_t>(left, bufferSize)) : 0;
    if (copied) std::memcpy(buffer, m_pending.data() + m_offset, copied);
    if (bytesRead) *bytesRead = copied;
    if (total) *total = static_cast<DWORD>(left);
    if (leftThisMessage) *leftThisMessage = m_messageMode ? static_cast<DWORD>(left - copied) : 0;
    return TRUE;
  }

 private:
  // Takes the next whole message into the pending buffer. ERROR_BROKEN_PIPE when the
  // other end has gone, ERROR_NO_DATA when nothing waits (with MSG_DONTWAIT).
  DWORD Receive(int flags) {
    for (;;) {
      ssize_t size = ::recv(m_fd, nullptr, 0, MSG_PEEK | MSG_TRUNC | flags);
      if (size < 0) {
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return ERROR_NO_DATA;
        return errno == ECONNRESET ? ERROR_BROKEN_PIPE : ErrnoToWin32(errno);
      }
      if (size == 0) return ERROR_BROKEN_PIPE;  // writes of nothing send nothing: 0 is the end
      m_pending.resize(static_cast<size_t>(size));
      m_offset = 0;
      ssize_t got = ::recv(m_fd, m_pending.data(), m_pending.size(), 0);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return ERROR_BROKEN_PIPE;
      m_pending.resize(static_cast<size_t>(got));
      return ERROR_SUCCESS;
    }
  }

  // Bytes written on this end that the other end has not taken yet (0 when that
  // cannot be asked: nothing to wait for then).
  int Unread() const {
    int unread = 0;
    return ::ioctl(m_fd, SIOCOUTQ, &unread) == 0 ? unread : 0;
  }

  int m_fd = -1;
  std::vector<char> m_pending;
  size_t m_offset = 0;
};

// What the instances of one pipe name in this process share.
struct PipeShared {
  ~PipeShared() {
    if (m_listenFd >= 0) ::close(m_listenFd);
    ::unlink(m_socketPath.c_str());
    ::unlink(m_slotsPath.c_str());
    m_hold.reset();  // the name is free: waiting clients learn it when woken
    InstanceFreed(INT_MAX);  // every waiter, to find the server gone
    if (m_view) ::munmap(m_view, kSlotsFileSize);
  }
  // Wakes clients waiting for a free instance (in any process): one for each
  // instance made free (more would only find it taken and sleep again), all
  // when the server has gone. A waiter that sleeps past a wake-up it missed
  // looks again within its slice.
  void InstanceFreed(int waiters = 1) {
    if (!m_freed) return;
    std::atomic_ref<uint32_t>(*m_freed).fetch_add(1);
    Futex(m_freed, FUTEX_WAKE, waiters, nullptr);
  }
  int m_listenFd = -1;
  void* m_view = nullptr;        // the slot file, mapped shared
  uint32_t* m_freed = nullptr;  // its futex word
  std::string m_socketPath, m_slotsPath;
  DWORD m_maxInstances = 1;
  bool m_messageType = false;
  std::set<int> m_used;  // slot indexes of the living instances (under the table's lock)
  std::unique_ptr<win32::NameHold> m_hold;
};

struct PipeTable {
  std::mutex lock;
  std::map<std::wstring, std::weak_ptr<PipeShared>> pipes;
};

PipeTable& Pipes() {
  static PipeTable* table = new PipeTable;  // lives until process end
  return *table;
}

class PipeServerEnd : public win32::StreamObject {
 public:
  PipeServerEnd(std::shared_ptr<PipeShared> shared, int index, int slotFd, bool messageRead)
      : m_shared(std::move(shared)), m_index(index), m_slotFd(slotFd) {
    m_connection.m_messageMode = messageRead;
  }
  ~PipeServerEnd() override {
    m_connection.Close();
    ::close(m_slotFd);  // lets go of the slot lock
    std::lock_guard guard(Pipes().lock);
    m_shared->m_used.erase(m_index);
  }

  BOOL Connect() {
    {
      std::lock_guard guard(m_lock);
      if (m_connection.IsOpen()) {
        SetLastError(m_connection.PeerGone() ? ERROR_NO_DATA : ERROR_PIPE_CONNECTED);
        return FALSE;
      }
    }
    int fd;
    do {
      fd = ::accept4(m_shared->m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      SetLastError(ErrnoToWin32(errno));
      return FALSE;
    }
    std::lock_guard guard(m_lock);
    m_connection.Adopt(fd);
    SetSlotLock(m_slotFd, m_index, false);  // busy
    return TRUE;
  }

  BOOL Disconnect() {
    std::lock_guard guard(m_lock);
    if (!m_connection.IsOpen()) {
      SetLastError(ERROR_PIPE_NOT_CONNECTED);
      return FALSE;
    }
    m_connection.Close();
    SetSlotLock(m_slotFd, m_index, true);  // free again
    m_shared->InstanceFreed();
    return TRUE;
  }

  BOOL Read(LPVOID buffer, DWORD toRead, LPDWORD read) override { return m_connection.Read(buffer, toRead, read); }
  BOOL Write(LPCVOID buffer, DWORD toWrite, LPDWORD written) override {
    return m_connection.Write(buffer, toWrite, written);
  }
  BOOL Flush() override { return m_connection.Flush(); }
  Connection& connection() { return m_connection; }
  bool MessageType() const { return m_shared->m_messageType; }

 private:
  std::shared_ptr<PipeShared> m_shared;
  int m_index;
  int m_slotFd;
  std::mutex m_lock;
  Connection m_connection;
};

class PipeClientEnd : public win32::StreamObject {
 public:
  explicit PipeClientEnd(int fd) { m_connection.Adopt(fd); }
  BOOL Read(LPVOID buffer, DWORD toRead, LPDWORD read) override { return m_connection.Read(buffer, toRead, read); }
  BOOL Write(LPCVOID buffer, DWORD toWrite, LPDWORD written) override {
    return m_connection.Write(buffer, toWrite, written);
  }
  BOOL Flush() override { return m_connection.Flush(); }
  Connection& connection() { return m_connection; }

 private:
  Connection m_connection;
};

Connection* ConnectionOf(const std::shared_ptr<win32::KernelObject>& object) {
  if (auto server = std::dynamic_pointer_cast<PipeServerEnd>(object)) return &server->connection();
  if (auto client = std::dynamic_pointer_cast<PipeClientEnd>(object)) return &client->connection();
  return nullptr;
}

std::shared_ptr<PipeShared> OpenShared(const std::wstring& key, DWORD openMode, DWORD pipeMode, DWORD maxInstances,
                                       DWORD defaultTimeOut) {
  DWORD busyError = (openMode & FILE_FLAG_FIRST_PIPE_INSTANCE) ? ERROR_ACCESS_DENIED : ERROR_PIPE_BUSY;
  bool existed = false;
  auto hold = win32::NameHold::Take(HoldName(key), existed);
  if (!hold) return nullptr;
  if (existed) {  // served by another process
    SetLastError(busyError);
    return nullptr;
  }
  auto shared = std::make_shared<PipeShared>();
  shared->m_hold = std::move(hold);
  shared->m_maxInstances = maxInstances;
  shared->m_messageType = pipeMode & PIPE_TYPE_MESSAGE;
  shared->m_socketPath = SocketPath(key);
  if (shared->m_socketPath.empty()) {  // the runtime folder was refused
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  shared->m_slotsPath = shared->m_socketPath + ".slots";
  ::unlink(shared->m_socketPath.c_str());  // left by a server that died: the name was free
  // A file left by a server that died is taken over as it is: clients of that
  // server may still have it mapped, and a file cut shorter would fault them.
  int slots = win32::OpenRuntimeFile(shared->m_slotsPath, O_RDWR, win32::RuntimeOpen::CreateIfMissing);
  if (slots < 0) {
    SetLastError(ErrnoToWin32(errno));
    return nullptr;
  }
  struct stat info{};
  bool stored = ::fstat(slots, &info) == 0 &&
                (info.st_size >= kSlotsFileSize || ::ftruncate(slots, kSlotsFileSize) == 0) &&
                ::pwrite(slots, &defaultTimeOut, sizeof defaultTimeOut, kTimeoutOffset) == sizeof defaultTimeOut;
  if (stored) {
    void* view = ::mmap(nullptr, kSlotsFileSize, PROT_READ | PROT_WRITE, MAP_SHARED, slots, 0);
    if (view != MAP_FAILED) {
      shared->m_view = view;
      shared->m_freed = reinterpret_cast<uint32_t*>(static_cast<char*>(view) + kFreedOffset);
    }
  }
  ::close(slots);
  int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  sockaddr_un address;
  int folderFd = -1;
  bool ok = stored && fd >= 0 && MakeAddress(shared->m_socketPath, address, folderFd) &&
            ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(fd, 64) == 0;
  int err = errno;
  if (folderFd >= 0) ::close(folderFd);
  if (fd >= 0) shared->m_listenFd = fd;
  if (!ok) {
    SetLastError(ErrnoToWin32(err));
    return nullptr;
  }
  return shared;
}

}  // namespace

namespace win32 {

bool IsPipeName(LPCWSTR path) {
  if (!path) return false;
  for (size_t i = 0; i < kPipePrefixLength; ++i) {
    if (!path[i] || static_cast<wchar_t>(std::towlower(path[i])) != kPipePrefix[i]) return false;
  }
  return path[kPipePrefixLength] != L'\0';
}

HANDLE OpenPipeClient(LPCWSTR name, DWORD, DWORD) {
  std::wstring key = PipeKey(name);
  if (key.empty()) {
    SetLastError(ERROR_BAD_PATHNAME);
    return INVALID_HANDLE_VALUE;
  }
  // A free instance's slot lock is held by a living server (the lock goes with
  // its process), and the connection itself fails when the server has gone: the
  // name is looked up only when every instance is busy.
  std::string path = SocketPath(key);
  if (!AnySlotFree(path + ".slots")) {
    SetLastError(NameHold::Exists(HoldName(key)) ? ERROR_PIPE_BUSY : ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    SetLastError(ErrnoToWin32(errno));
    return INVALID_HANDLE_VALUE;
  }
  sockaddr_un address;
  int folderFd = -1;
  int rc = -1;
  if (MakeAddress(path, address, folderFd)) {
    do {
      rc = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    } while (rc != 0 && errno == EINTR);
  }
  int err = errno;
  if (folderFd >= 0) ::close(folderFd);
  if (rc != 0) {
    ::close(fd);
    SetLastError(err == EAGAIN ? ERROR_PIPE_BUSY : ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  SetLastError(ERROR_SUCCESS);
  return RegisterHandle(std::make_shared<PipeClientEnd>(fd));
}

}  // namespace win32

HANDLE CreateNamedPipeW(LPCWSTR name, DWORD openMode, DWORD pipeMode, DWORD maxInstances, DWORD, DWORD,
                        DWORD defaultTimeOut, LPSECURITY_ATTRIBUTES) {
  std::wstring key = PipeKey(name);
  if (key.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  if ((openMode & FILE_FLAG_OVERLAPPED) || (pipeMode & PIPE_NOWAIT)) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return INVALID_HANDLE_VALUE;
  }
  bool messageRead = pipeMode & PIPE_READMODE_MESSAGE;
  if (maxInstances == 0 || maxInstances > PIPE_UNLIMITED_INSTANCES || (messageRead && !(pipeMode & PIPE_TYPE_MESSAGE)) ||
      !(openMode & PIPE_ACCESS_DUPLEX)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  PipeTable& table = Pipes();
  std::lock_guard guard(table.lock);
  std::shared_ptr<PipeShared> shared = table.pipes[key].lock();
  if (shared) {
    if (openMode & FILE_FLAG_FIRST_PIPE_INSTANCE) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    if (shared->m_used.size() >= shared->m_maxInstances) {
      SetLastError(ERROR_PIPE_BUSY);
      return INVALID_HANDLE_VALUE;
    }
  } else {
    shared = OpenShared(key, openMode, pipeMode, maxInstances, defaultTimeOut);
    if (!shared) {
      table.pipes.erase(key);
      return INVALID_HANDLE_VALUE;
    }
    table.pipes[key] = shared;
  }
  int index = 0;
  while (shared->m_used.count(index)) ++index;
  int slotFd = win32::OpenRuntimeFile(shared->m_slotsPath, O_RDWR, win32::RuntimeOpen::Existing);
  if (slotFd < 0 || !SetSlotLock(slotFd, index, true)) {
    SetLastError(ErrnoToWin32(errno));
    if (slotFd >= 0) ::close(slotFd);
    return INVALID_HANDLE_VALUE;
  }
  shared->m_used.insert(index);
  shared->InstanceFreed();
  auto instance = std::make_shared<PipeServerEnd>(shared, index, slotFd, messageRead);
  SetLastError(ERROR_SUCCESS);
  return win32::RegisterHandle(std::move(instance));
}

BOOL ConnectNamedPipe(HANDLE pipe, OVERLAPPED* overlapped) {
  if (overlapped) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  auto server = win32::LookupHandleAs<PipeServerEnd>(pipe);
  if (!server) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return server->Connect();
}

BOOL DisconnectNamedPipe(HANDLE pipe) {
  auto server = win32::LookupHandleAs<PipeServerEnd>(pipe);
  if (!server) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return server->Disconnect();
}

namespace {

// A client's view of the slot file's futex word, for sleeping until the server
// frees an instance.
class FreedWatch {
 public:
  explicit FreedWatch(const std::string& slotsPath) {
    m_fd = win32::OpenRuntimeFile(slotsPath, O_RDONLY, win32::RuntimeOpen::Existing);
    if (m_fd < 0) return;
    void* view = ::mmap(nullptr, kSlotsFileSize, PROT_READ, MAP_SHARED, m_fd, 0);
    if (view != MAP_FAILED) m_view = view;
  }
  ~FreedWatch() {
    if (m_view) ::munmap(m_view, kSlotsFileSize);
    if (m_fd >= 0) ::close(m_fd);
  }
  FreedWatch(const FreedWatch&) = delete;
  FreedWatch& operator=(const FreedWatch&) = delete;

  // The count as it stands; read from the file, so that a file cut short by
  // someone else reads as nothing instead of faulting.
  bool Read(uint32_t& count) const {
    return m_fd >= 0 && ::pread(m_fd, &count, sizeof count, kFreedOffset) == sizeof count;
  }
  // Sleeps up to `ms` unless the count is no longer `seen`; wakes as soon as the
  // server frees an instance.
  void WaitPast(uint32_t seen, int ms) const {
    timespec timeout{ms / 1000, (ms % 1000) * 1000000L};
    if (!m_view || Futex(static_cast<char*>(m_view) + kFreedOffset, FUTEX_WAIT, seen, &timeout) != 0) {
      if (errno != EAGAIN && errno != ETIMEDOUT && errno != EINTR) ::poll(nullptr, 0, std::min(ms, 1));
    }
  }

 private:
  int m_fd = -1;
  void* m_view = nullptr;
};

}  // namespace

BOOL WaitNamedPipeW(LPCWSTR name, DWORD timeOut) {
  std::wstring key = PipeKey(name);
  if (key.empty()) {
    SetLastError(ERROR_BAD_PATHNAME);
    return FALSE;
  }
  std::string slots = SocketPath(key) + ".slots";
  if (timeOut == NMPWAIT_USE_DEFAULT_WAIT) timeOut = ReadDefaultTimeout(slots);
  ULONGLONG deadline = win32::CurrentClock().DeadlineAfter(timeOut);
  // Made when the first look finds every instance busy. The count is read before
  // each look, so an instance freed after the look wakes the sleep that follows.
  std::unique_ptr<FreedWatch> watch;
  for (;;) {
    uint32_t seen = 0;
    bool counted = watch && watch->Read(seen);
    if (AnySlotFree(slots)) return TRUE;  // held by a living server's free instance
    if (!win32::NameHold::Exists(HoldName(key))) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return FALSE;
    }
    int slice = SliceUntil(deadline);
    if (slice == 0) {
      SetLastError(ERROR_SEM_TIMEOUT);
      return FALSE;
    }
    if (!watch) {
      watch = std::make_unique<FreedWatch>(slots);
      continue;  // look again, now with the count read first
    }
    if (counted) {
      watch->WaitPast(seen, slice);
    } else {
      ::poll(nullptr, 0, 1);  // a slot file without its count: look again shortly
    }
  }
}

namespace win32 {

BOOL WaitForPipeInput(HANDLE pipe, DWORD timeoutMs) {
  auto object = win32::LookupHandle(pipe);  // held while the wait runs
  Connection* connection = ConnectionOf(object);
  if (!connection) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  DWORD error = connection->WaitInput(timeoutMs);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

}  // namespace win32

BOOL PeekNamedPipe(HANDLE pipe, LPVOID buffer, DWORD bufferSize, LPDWORD bytesRead, LPDWORD totalBytesAvail,
                   LPDWORD bytesLeftThisMessage) {
  Connection* connection = ConnectionOf(win32::LookupHandle(pipe));
  if (!connection) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return connection->Peek(buffer, bufferSize, bytesRead, totalBytesAvail, bytesLeftThisMessage);
}

BOOL SetNamedPipeHandleState(HANDLE pipe, LPDWORD mode, LPDWORD maxCollectionCount, LPDWORD collectDataTimeout) {
  auto object = win32::LookupHandle(pipe);
  Connection* connection = ConnectionOf(object);
  if (!connection) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (maxCollectionCount || collectDataTimeout || (mode && (*mode & PIPE_NOWAIT))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (mode) connection->m_messageMode = *mode & PIPE_READMODE_MESSAGE;
  return TRUE;
}
