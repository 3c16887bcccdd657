#include "win32/FolderWatch.h"

#include <dirent.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <deque>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "win32/DirectoryChanges.h"
#include "win32/NativePath.h"
#include "win32/Thread.h"
#include "win32/WinError.h"

namespace win32 {
namespace {

constexpr uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_CLOSE_WRITE |
                                IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;
// The two halves of a rename are queued one after the other; a read may fall
// between them. This long the second half may lag before the first counts alone.
constexpr int kMovePairWaitMs = 20;
constexpr DWORD kHeaderBytes = offsetof(FILE_NOTIFY_INFORMATION, FileName);
constexpr size_t kBatchBytes = 1024 * 1024;
// The records a watch holds between reads: the kernel's queue is drained into
// this, so a burst is lost only when the kernel's own queue overflows (or,
// with no reader at all, this much has piled up).
constexpr DWORD kMaxHeldBytes = 64 * 1024 * 1024;

DWORD RecordBytes(const std::wstring& name) {
  DWORD bytes = kHeaderBytes + static_cast<DWORD>(name.size() * sizeof(WCHAR));
  return (bytes + 3) & ~3u;
}

std::string Join(const std::string& folder, const char* name) {
  return folder.empty() ? std::string(name) : folder + "/" + name;
}

bool IsUnder(const std::string& path, const std::string& folder) {
  return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                            path[folder.size()] == '/');
}

// The inotify events of one read, parsed in place.
std::vector<const inotify_event*> Parse(const std::vector<char>& bytes) {
  std::vector<const inotify_event*> events;
  size_t at = 0;
  while (at + sizeof(inotify_event) <= bytes.size()) {
    auto* event = reinterpret_cast<const inotify_event*>(bytes.data() + at);
    size_t size = sizeof(inotify_event) + event->len;
    if (at + size > bytes.size()) break;
    events.push_back(event);
    at += size;
  }
  return events;
}

struct ChangeRecord {
  DWORD action;
  std::wstring name;
  bool joinedToNext;  // the old name of a rename: never delivered without its new name
};

class FolderWatch final : public OverlappedIoObject {
 public:
  explicit FolderWatch(std::string root) : m_root(std::move(root)) {}
  ~FolderWatch() override;

  DWORD Read(void* buffer, DWORD length, bool subtree, DWORD filter, OVERLAPPED* overlapped);
  bool CancelRequests(DWORD thread, OVERLAPPED* which) override;

 private:
  struct PendingRead {
    BYTE* buffer;
    DWORD length;
    OVERLAPPED* overlapped;
    DWORD thread;
  };

  // All below with m_lock held.
  DWORD StartLocked();
  void HandleBatch(const std::vector<char>& bytes);
  void HandleEvent(const inotify_event& event);
  void HandleMove(const inotify_event& from, const inotify_event* to);
  void WatchFolder(const std::string& folder, bool reportContents);
  void WalkFolder(const std::string& folder, bool reportContents);
  void ForgetTree(const std::string& folder);
  // A listed path (and, for a folder, what is under it) that left: made
  // again, it is reported again.
  void ForgetListed(const std::string& path, bool isFolder);
  void MoveTree(const std::string& from, const std::string& to);
  bool Wanted(DWORD action, bool isFolder) const;
  void Emit(DWORD action, const std::string& path, bool isFolder);
  void Push(std::vector<ChangeRecord> group);
  void Overflow();
  void Break(DWORD error);
  void DeliverLocked();
  void EndReadLocked(ULONG_PTR status, DWORD error, DWORD bytes);
  std::string Absolute(const std::string& path) const { return path.empty() ? m_root : m_root + "/" + path; }

  void Run();
  void ReadAvailable(std::vector<char>& bytes);

  const std::string m_root;
  std::mutex m_lock;
  bool m_started = false;
  bool m_subtree = false;
  DWORD m_filter = 0;
  int m_inotify = -1;
  int m_wake = -1;
  int m_rootWatch = -1;
  std::thread m_thread;
  std::unordered_map<int, std::string> m_folders;  // watch -> folder relative to the root ("" the root)
  // Entries that a listing of a new folder reported, and those of the listings
  // before: their own creations, queued before the listing ended, come within the
  // next batch and are not reported twice.
  std::unordered_set<std::string> m_listed;
  std::unordered_set<std::string> m_listedBefore;
  std::deque<ChangeRecord> m_records;              // collected, not yet delivered
  DWORD m_recordBytes = 0;
  bool m_overflowed = false;
  DWORD m_broken = ERROR_SUCCESS;
  std::optional<PendingRead> m_read;
};

FolderWatch::~FolderWatch() {
  {
    std::lock_guard guard(m_lock);
    if (m_read) EndReadLocked(STATUS_CANCELLED, ERROR_OPERATION_ABORTED, 0);
  }
  if (m_thread.joinable()) {
    uint64_t one = 1;
    ssize_t written = write(m_wake, &one, sizeof one);
    (void)written;
    m_thread.join();
  }
  if (m_inotify >= 0) close(m_inotify);
  if (m_wake >= 0) close(m_wake);
}

DWORD FolderWatch::Read(void* buffer, DWORD length, bool subtree, DWORD filter, OVERLAPPED* overlapped) {
  if (!overlapped || !filter || (length && !buffer) || (reinterpret_cast<uintptr_t>(buffer) & 3)) {
    return ERROR_INVALID_PARAMETER;
  }
  std::lock_guard guard(m_lock);
  if (m_read) return ERROR_INVALID_PARAMETER;
  if (m_broken && m_records.empty()) return m_broken;
  if (!m_started) {
    m_subtree = subtree;
    m_filter = filter;
    if (DWORD error = StartLocked()) return error;
  }
  overlapped->Internal = STATUS_PENDING;
  overlapped->InternalHigh = 0;
  m_read = PendingRead{static_cast<BYTE*>(buffer), length, overlapped, GetCurrentThreadId()};
  DeliverLocked();
  return ERROR_SUCCESS;
}

bool FolderWatch::CancelRequests(DWORD thread, OVERLAPPED* which) {
  std::lock_guard guard(m_lock);
  if (!m_read || (thread && m_read->thread != thread) || (which && m_read->overlapped != which)) return false;
  EndReadLocked(STATUS_CANCELLED, ERROR_OPERATION_ABORTED, 0);
  return true;
}

DWORD FolderWatch::StartLocked() {
  // What a failed start left behind.
  if (m_inotify >= 0) close(m_inotify);
  if (m_wake >= 0) close(m_wake);
  m_wake = -1;
  m_folders.clear();
  m_inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (m_inotify < 0) return ErrnoToWin32(errno);
  m_wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (m_wake < 0) return ErrnoToWin32(errno);
  m_rootWatch = inotify_add_watch(m_inotify, m_root.c_str(), kWatchMask);
  if (m_rootWatch < 0) return errno == ENOSPC ? ERROR_NOT_ENOUGH_QUOTA : ErrnoToWin32(errno);
  m_folders[m_rootWatch] = "";
  if (m_subtree) WalkFolder("", false);
  if (m_broken) return m_broken;
  try {
    m_thread = std::thread(&FolderWatch::Run, this);
  } catch (const std::system_error&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  m_started = true;
  return ERROR_SUCCESS;
}

void FolderWatch::Run() {
  for (;;) {
    pollfd fds[2] = {{m_inotify, POLLIN, 0}, {m_wake, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    std::vector<char> bytes;
    ReadAvailable(bytes);
    for (;;) {
      std::vector<const inotify_event*> events = Parse(bytes);
      if (events.empty() || !(events.back()->mask & IN_MOVED_FROM)) break;
      pollfd more{m_inotify, POLLIN, 0};
      if (poll(&more, 1, kMovePairWaitMs) <= 0) break;
      ReadAvailable(bytes);
    }
    std::lock_guard guard(m_lock);
    HandleBatch(bytes);
    DeliverLocked();
  }
}

void FolderWatch::ReadAvailable(std::vector<char>& bytes) {
  alignas(inotify_event) char chunk[64 * 1024];
  // A flood that never pauses is taken in batches of bounded size.
  while (bytes.size() < kBatchBytes) {
    ssize_t n = read(m_inotify, chunk, sizeof chunk);
    if (n > 0) {
      bytes.insert(bytes.end(), chunk, chunk + n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return;  // EAGAIN: all taken
  }
}

void FolderWatch::HandleBatch(const std::vector<char>& bytes) {
  // The events are copied out of the byte stream before anything may move it.
  std::vector<const inotify_event*> events = Parse(bytes);
  m_listedBefore.swap(m_listed);
  m_listed.clear();
  for (size_t i = 0; i < events.size(); ++i) {
    const inotify_event& event = *events[i];
    if (event.mask & IN_MOVED_FROM) {
      const inotify_event* next = i + 1 < events.size() ? events[i + 1] : nullptr;
      bool paired = next && (next->mask & IN_MOVED_TO) && next->cookie == event.cookie;
      HandleMove(event, paired ? next : nullptr);
      if (paired) ++i;
    } else {
      HandleEvent(event);
    }
  }
}

void FolderWatch::HandleEvent(const inotify_event& event) {
  if (event.mask & IN_Q_OVERFLOW) {
    Overflow();
    if (m_subtree) WalkFolder("", false);  // folders made meanwhile need their watches
    return;
  }
  auto it = m_folders.find(event.wd);
  if (it == m_folders.end()) return;  // a watch given up already
  if (event.mask & IN_IGNORED) {
    m_folders.erase(it);
    if (event.wd == m_rootWatch) Break(ERROR_ACCESS_DENIED);
    return;
  }
  if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
    if (event.wd == m_rootWatch) Break(ERROR_ACCESS_DENIED);
    return;  // any other folder is reported by its parent
  }
  if (!event.len) return;
  const std::string path = Join(it->second, event.name);
  const bool isFolder = event.mask & IN_ISDIR;
  if (event.mask & IN_CREATE) {
    if (m_listedBefore.erase(path)) return;
    Emit(FILE_ACTION_ADDED, path, isFolder);
    if (isFolder && m_subtree) WatchFolder(path, true);
  } else if (event.mask & IN_DELETE) {
    ForgetListed(path, isFolder);
    Emit(FILE_ACTION_REMOVED, path, isFolder);
  } else if (event.mask & IN_MOVED_TO) {  // moved in from outside the tree
    Emit(FILE_ACTION_ADDED, path, isFolder);
    if (isFolder && m_subtree) WatchFolder(path, false);  // its contents are the caller's to list
  } else if (!isFolder && (event.mask & (IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB))) {
    DWORD wanted = (event.mask & IN_ATTRIB) ? FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                                  FILE_NOTIFY_CHANGE_SECURITY | FILE_NOTIFY_CHANGE_CREATION
                                            : FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;
    if (!(m_filter & wanted)) return;
    std::wstring name = WidePath(path.c_str());
    // A write is many events; one record stands for all until it is delivered.
    if (!m_records.empty() && m_records.back().action == FILE_ACTION_MODIFIED && m_records.back().name == name) return;
    Push({{FILE_ACTION_MODIFIED, std::move(name), false}});
  }
}

void FolderWatch::HandleMove(const inotify_event& from, const inotify_event* to) {
  auto source = m_folders.find(from.wd);
  if (source == m_folders.end()) {
    if (to) HandleEvent(*to);
    return;
  }
  const std::string oldPath = Join(source->second, from.name);
  const bool isFolder = from.mask & IN_ISDIR;
  // What is made under the name from now on is new, not what the listing saw.
  ForgetListed(oldPath, isFolder);
  if (!to) {  // moved out of the tree
    Emit(FILE_ACTION_REMOVED, oldPath, isFolder);
    if (isFolder) ForgetTree(oldPath);
    return;
  }
  auto target = m_folders.find(to->wd);
  if (target == m_folders.end()) {
    Emit(FILE_ACTION_REMOVED, oldPath, isFolder);
    if (isFolder) ForgetTree(oldPath);
    return;
  }
  const std::string newPath = Join(target->second, to->name);
  if (from.wd == to->wd) {
    if (Wanted(FILE_ACTION_RENAMED_OLD_NAME, isFolder)) {
      Push({{FILE_ACTION_RENAMED_OLD_NAME, WidePath(oldPath.c_str()), true},
            {FILE_ACTION_RENAMED_NEW_NAME, WidePath(newPath.c_str()), false}});
    }
  } else {
    Emit(FILE_ACTION_REMOVED, oldPath, isFolder);
    Emit(FILE_ACTION_ADDED, newPath, isFolder);
  }
  if (isFolder) MoveTree(oldPath, newPath);
}

void FolderWatch::WatchFolder(const std::string& folder, bool reportContents) {
  int watch = inotify_add_watch(m_inotify, Absolute(folder).c_str(), kWatchMask | IN_DONT_FOLLOW);
  if (watch < 0) {
    // A folder already gone is reported by its own removal.
    if (errno == ENOSPC) Break(ERROR_NOT_ENOUGH_QUOTA);
    return;
  }
  m_folders[watch] = folder;
  // Listed after its watch exists, so nothing made in it slips between the two.
  WalkFolder(folder, reportContents);
}

void FolderWatch::WalkFolder(const std::string& folder, bool reportContents) {
  DIR* dir = opendir(Absolute(folder).c_str());
  if (!dir) return;
  while (dirent* entry = readdir(dir)) {
    if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, "..")) continue;
    std::string path = Join(folder, entry->d_name);
    bool isFolder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN) {
      struct stat st;
      isFolder = lstat(Absolute(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    if (reportContents) {
      Emit(FILE_ACTION_ADDED, path, isFolder);
      m_listed.insert(path);
    }
    if (isFolder) WatchFolder(path, reportContents);
    if (m_broken) break;
  }
  closedir(dir);
}

void FolderWatch::ForgetListed(const std::string& path, bool isFolder) {
  for (auto* listed : {&m_listed, &m_listedBefore}) {
    listed->erase(path);
    if (!isFolder || listed->empty()) continue;
    for (auto it = listed->begin(); it != listed->end();) {
      if (IsUnder(*it, path)) it = listed->erase(it);
      else ++it;
    }
  }
}

void FolderWatch::ForgetTree(const std::string& folder) {
  for (auto it = m_folders.begin(); it != m_folders.end();) {
    if (it->first != m_rootWatch && IsUnder(it->second, folder)) {
      inotify_rm_watch(m_inotify, it->first);
      it = m_folders.erase(it);
    } else {
      ++it;
    }
  }
}

void FolderWatch::MoveTree(const std::string& from, const std::string& to) {
  for (auto& [watch, path] : m_folders) {
    if (watch != m_rootWatch && IsUnder(path, from)) path = to + path.substr(from.size());
  }
}

bool FolderWatch::Wanted(DWORD action, bool isFolder) const {
  if (action == FILE_ACTION_MODIFIED) return true;  // filtered where it is made
  return m_filter & (isFolder ? FILE_NOTIFY_CHANGE_DIR_NAME : FILE_NOTIFY_CHANGE_FILE_NAME);
}

void FolderWatch::Emit(DWORD action, const std::string& path, bool isFolder) {
  if (Wanted(action, isFolder)) Push({{action, WidePath(path.c_str()), false}});
}

void FolderWatch::Push(std::vector<ChangeRecord> group) {
  if (m_overflowed || m_broken) return;
  DWORD bytes = 0;
  for (const ChangeRecord& record : group) bytes += RecordBytes(record.name);
  if (m_recordBytes + bytes > kMaxHeldBytes) {
    Overflow();
    return;
  }
  for (ChangeRecord& record : group) m_records.push_back(std::move(record));
  m_recordBytes += bytes;
}

void FolderWatch::Overflow() {
  m_records.clear();
  m_recordBytes = 0;
  m_overflowed = true;
}

void FolderWatch::Break(DWORD error) {
  if (!m_broken) m_broken = error;  // what was collected before still goes out
}

void FolderWatch::DeliverLocked() {
  if (!m_read) return;
  if (m_overflowed) {
    m_overflowed = false;
    EndReadLocked(STATUS_NOTIFY_ENUM_DIR, ERROR_SUCCESS, 0);
    return;
  }
  if (m_records.empty()) {
    if (m_broken) EndReadLocked(STATUS_UNSUCCESSFUL, m_broken, 0);
    return;
  }
  DWORD offset = 0;
  FILE_NOTIFY_INFORMATION* last = nullptr;
  while (!m_records.empty()) {
    size_t count = m_records.front().joinedToNext && m_records.size() > 1 ? 2 : 1;
    DWORD bytes = 0;
    for (size_t i = 0; i < count; ++i) bytes += RecordBytes(m_records[i].name);
    if (offset + bytes > m_read->length) break;
    for (size_t i = 0; i < count; ++i) {
      ChangeRecord record = std::move(m_records.front());
      m_records.pop_front();
      DWORD size = RecordBytes(record.name);
      auto* info = reinterpret_cast<FILE_NOTIFY_INFORMATION*>(m_read->buffer + offset);
      info->NextEntryOffset = size;
      info->Action = record.action;
      info->FileNameLength = static_cast<DWORD>(record.name.size() * sizeof(WCHAR));
      std::memcpy(m_read->buffer + offset + kHeaderBytes, record.name.data(), info->FileNameLength);
      m_recordBytes -= size;
      offset += size;
      last = info;
    }
  }
  if (!last) {  // not even the first change fits this read: it is lost like an overflow
    Overflow();
    m_overflowed = false;
    EndReadLocked(STATUS_NOTIFY_ENUM_DIR, ERROR_SUCCESS, 0);
    return;
  }
  last->NextEntryOffset = 0;
  EndReadLocked(STATUS_SUCCESS, ERROR_SUCCESS, offset);
}

void FolderWatch::EndReadLocked(ULONG_PTR status, DWORD error, DWORD bytes) {
  PendingRead read = *m_read;
  m_read.reset();
  CompleteRequest(read.overlapped, status, error, bytes);
}

}  // namespace

std::shared_ptr<OverlappedIoObject> MakeFolderWatch(int fd, const std::string& nativePath) {
  // An open descriptor would keep a removed folder alive, and inotify tells of
  // its removal only once nothing holds it: the watch goes by the name.
  close(fd);
  return std::make_shared<FolderWatch>(nativePath);
}

}  // namespace win32

BOOL ReadDirectoryChangesW(HANDLE directory, LPVOID buffer, DWORD bufferLength, BOOL watchSubtree,
                           DWORD notifyFilter, LPDWORD bytesReturned, LPOVERLAPPED overlapped,
                           LPOVERLAPPED_COMPLETION_ROUTINE completionRoutine) {
  if (bytesReturned) *bytesReturned = 0;
  if (completionRoutine) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  auto watch = win32::LookupHandleAs<win32::FolderWatch>(directory);
  if (!watch) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (DWORD error = watch->Read(buffer, bufferLength, watchSubtree != FALSE, notifyFilter, overlapped)) {
    SetLastError(error);
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
