#include "client/sync/watcher/WatcherCoalescer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string>
#include <thread>

#include "client/sync/watcher/FileSystemEventArgs.h"
#include "client/sync/watcher/WatcherPendingIndex.h"
#include "common/FileHelpers.h"
#include "common/PathText.h"
#include "win32/FileLocks.h"
#include "win32/NativePath.h"
#include "win32/Windows.h"

namespace {

bool SamePath(const CString& a, const CString& b) { return a == b; }

bool SameName(const CString& a, const CString& b) {
  CString spareA, spareB;
  return FileNameView(a, spareA) == FileNameView(b, spareB);
}

}  // namespace

void CWatcherCoalescer::PutBack(std::vector<WatcherEvent> earlier) {
  earlier.insert(earlier.end(), std::make_move_iterator(m_pending.begin()), std::make_move_iterator(m_pending.end()));
  m_pending = std::move(earlier);
}

CString CWatcherCoalescer::ParentFolder(const CString& path) { return Common::GetFileDirFromPath(path); }

bool CWatcherCoalescer::AnyChangeOf(const std::vector<WatcherEvent>& changes, const CString& path, bool departures) {
  const std::wstring_view wanted = path.str();
  // 0: elsewhere, 1: the path itself, 2: a folder above it.
  auto place = [wanted](const CString& named) {
    const std::wstring_view item = named.str();
    if (item.empty() || wanted.size() < item.size() || wanted.substr(0, item.size()) != item) return 0;
    if (wanted.size() == item.size()) return 1;
    return wanted[item.size()] == Common::kPathSeparator ? 2 : 0;
  };
  if (departures)
    return std::any_of(changes.begin(), changes.end(), [&](const WatcherEvent& e) {
      return (e.type == WATCHER_EVENT_REMOVED && place(e.path) != 0) ||
             ((e.type == WATCHER_EVENT_RENAMED || e.type == WATCHER_EVENT_MOVED) && place(e.otherPath) != 0);
    });
  // A folder above that was only added (the engine's own new folder, most
  // often) has taken nothing away from below it.
  return std::any_of(changes.begin(), changes.end(), [&](const WatcherEvent& e) {
    const int at = place(e.path);
    return at == 1 || (at == 2 && e.type != WATCHER_EVENT_ADDED) || place(e.otherPath) != 0;
  });
}

bool CWatcherCoalescer::MergePair(WatcherEvent& a, const WatcherEvent& b) {
  if (a.type == WATCHER_EVENT_REMOVED && b.type == WATCHER_EVENT_ADDED) {
    if (SamePath(a.path, b.path)) {
      a.type = WATCHER_EVENT_MODIFIED;
      return true;
    }
    if (SameName(a.path, b.path)) {
      a.type = WATCHER_EVENT_MOVED;
      a.otherPath = a.path;
      a.path = b.path;
      return true;
    }
    return false;
  }
  if (a.type == WATCHER_EVENT_ADDED && b.type == WATCHER_EVENT_REMOVED && SamePath(a.path, b.path)) {
    // Made and removed again: the removal still goes on. The item may be one
    // the program itself made a moment before (a folder the service sent),
    // which the engine knows; the filter drops the removal of a path it
    // doesn't know.
    a.type = WATCHER_EVENT_REMOVED;
    return true;
  }
  if (a.type == WATCHER_EVENT_MODIFIED && b.type == WATCHER_EVENT_REMOVED && SamePath(a.path, b.path)) {
    a.type = WATCHER_EVENT_REMOVED;
    return true;
  }
  return false;
}

// Each row holds only when the paths tie the three changes together; three
// unrelated changes of these types are left to the pair rules, so that no
// removal is lost and no unrelated rename becomes a change of another file.
bool CWatcherCoalescer::MergeTriple(WatcherEvent& a, const WatcherEvent& b, const WatcherEvent& c) {
  if (a.type == WATCHER_EVENT_REMOVED && b.type == WATCHER_EVENT_REMOVED && c.type == WATCHER_EVENT_ADDED) {
    // A file moved over another: the target removed, the source removed, the
    // target added again.
    if (!SamePath(a.path, c.path)) return false;
    if (!SameName(b.path, c.path)) return false;
    a.type = WATCHER_EVENT_MOVED;
    a.otherPath = b.path;
    a.path = c.path;
    return true;
  }
  if (a.type == WATCHER_EVENT_RENAMED && b.type == WATCHER_EVENT_RENAMED && c.type == WATCHER_EVENT_REMOVED) {
    // Safe save: the document renamed to a backup, the new copy renamed to the
    // document's name, the backup removed.
    if (!SamePath(b.path, a.otherPath) || !SamePath(c.path, a.path)) return false;
    a.type = WATCHER_EVENT_MODIFIED;
    a.path = a.otherPath;
    a.otherPath.Empty();
    return true;
  }
  if (a.type == WATCHER_EVENT_ADDED && b.type == WATCHER_EVENT_REMOVED && c.type == WATCHER_EVENT_RENAMED) {
    // Safe save: a new file written, the document removed, the new file
    // renamed to the document's name.
    if (!SamePath(a.path, c.otherPath) || !SamePath(b.path, c.path)) return false;
    a.type = WATCHER_EVENT_MODIFIED;
    a.path = c.path;
    a.otherPath.Empty();
    return true;
  }
  return false;
}

bool CWatcherCoalescer::IsDroppedWhenUnreadable(const CString& path) {
  int dot = path.ReverseFind(L'.');
  int sep = path.ReverseFind(Common::kPathSeparator);
  if (dot < 0 || dot < sep) return false;
  CString extension = path.Mid(dot + 1);
  return extension.CompareNoCase(L"tmp") == 0;
}

bool CWatcherCoalescer::CanOpenForReading(const CString& path) {
  HANDLE file = CreateFileW(path.GetString(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

void CWatcherCoalescer::ExpandFolder(const CString& folder, std::vector<WatcherEvent>& ready) {
  CString pattern = folder;
  pattern += Common::kPathSeparator;
  pattern += L"*";
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(pattern.GetString(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    CString name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    CString path = folder;
    path += Common::kPathSeparator;
    path += name;
    ready.push_back(WatcherEvent{path, CString(), WATCHER_EVENT_ADDED});
    // A link is reported as itself and never followed (it may even lead back up).
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      ExpandFolder(path, ready);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

namespace {

// What the pass learns from the disk about one path: its attributes
// (INVALID_FILE_ATTRIBUTES when it is gone; of the others, the pass reads only
// the folder and link bits) and, for a file, whether it can be opened for reading.
struct DiskLook {
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  bool readable = false;
};

DiskLook LookThroughPlatform(const CString& path) {
  DiskLook look;
  look.attributes = GetFileAttributesW(path.GetString());
  if (look.attributes != INVALID_FILE_ATTRIBUTES && !(look.attributes & FILE_ATTRIBUTE_DIRECTORY))
    look.readable = CWatcherCoalescer::CanOpenForReading(path);
  return look;
}

// Another program that holds a file open without sharing it holds an exclusive
// lock on it (win32/FileLocks.h); such a file can't be opened for reading, as
// CanOpenForReading finds through the platform. Opened here without following a link.
bool CanReadRegularFile(const std::string& native) {
  int fd = open(native.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool held = win32::LockOnDescriptor(fd) == win32::FileLock::Exclusive;
  close(fd);
  return !held;
}

// A burst of changes makes this look once per file, so a folder or a regular
// file is looked at with the system's calls directly: one status, and for a
// file one open with its lock queries. Links and anything else go through the
// platform's calls.
DiskLook LookAt(const CString& path) {
  std::string native = NativePath(path.GetString());
  struct stat st;
  if (lstat(native.c_str(), &st) != 0) return DiskLook{};
  if (S_ISDIR(st.st_mode)) return DiskLook{FILE_ATTRIBUTE_DIRECTORY, false};
  if (!S_ISREG(st.st_mode)) return LookThroughPlatform(path);
  return DiskLook{FILE_ATTRIBUTE_NORMAL, CanReadRegularFile(native)};
}

// One look at the disk per path and pass. A burst of many changes has the
// looks taken before the walk, on several threads: they are system calls that
// wait for the file system, not for each other.
class DiskLooks {
 public:
  // Records that a removal may merge away (one of the same path, or for an
  // addition one of the same name: a move) are left to the walk, which looks
  // only if they survive.
  void Prefetch(const CWatcherPendingIndex& list) {
    using Index = CWatcherPendingIndex;
    m_looks.resize(list.TextCount());
    std::vector<std::pair<const CString*, DiskLook*>> wanted;
    for (size_t i = list.First(); i != Index::kNone; i = list.Next(i)) {
      const WatcherEvent& e = list.At(i);
      if ((e.type != WATCHER_EVENT_ADDED && e.type != WATCHER_EVENT_MODIFIED) || e.path.IsEmpty()) continue;
      Index::Term path = Index::One(list.PathOf(i));
      if (list.Has(Index::kRemovedByPath, path, i) ||
          (e.type == WATCHER_EVENT_ADDED && list.Has(Index::kRemovedByName, Index::One(list.NameOf(i)), i)))
        continue;
      std::optional<DiskLook>& look = m_looks[list.PathOf(i)];
      if (look) continue;
      look.emplace();
      wanted.emplace_back(&e.path, &*look);
    }
    // The table is not changed while the threads fill in the looks.
    const size_t threads = std::min<size_t>({kMaxThreads, std::max(1u, std::thread::hardware_concurrency()),
                                             wanted.size() / kPathsPerThread});
    auto fill = [&wanted](size_t from, size_t to) {
      for (size_t n = from; n < to; ++n) *wanted[n].second = LookAt(*wanted[n].first);
    };
    if (threads <= 1) {
      fill(0, wanted.size());
      return;
    }
    std::vector<std::thread> helpers;
    const size_t share = (wanted.size() + threads - 1) / threads;
    for (size_t t = 1; t < threads; ++t)
      helpers.emplace_back(fill, std::min(wanted.size(), t * share), std::min(wanted.size(), (t + 1) * share));
    fill(0, std::min(wanted.size(), share));
    for (std::thread& helper : helpers) helper.join();
  }

  // The look at the path of a record of the list.
  const DiskLook& Get(const CWatcherPendingIndex& list, size_t i) {
    CWatcherPendingIndex::TextId path = list.PathOf(i);
    if (path >= m_looks.size()) m_looks.resize(path + 1);
    std::optional<DiskLook>& look = m_looks[path];
    if (!look) look = LookAt(list.At(i).path);
    return *look;
  }

 private:
  static constexpr size_t kMaxThreads = 8;
  static constexpr size_t kPathsPerThread = 1000;
  // By the path's number in the pass's index.
  std::vector<std::optional<DiskLook>> m_looks;
};

using Index = CWatcherPendingIndex;

size_t Earlier(size_t a, size_t b) { return a < b ? a : b; }

bool IsFolder(const DiskLook& look) {
  return look.attributes != INVALID_FILE_ATTRIBUTES && (look.attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Step 1 of the pass for the record at i: the first later record that merges
// with it (alone or with the record after it), with the repeated additions
// and changes of i's path before that record erased on the way.
void MergeWithPartner(Index& list, DiskLooks& disk, size_t i) {
  const WatcherEvent& a = list.At(i);
  Index::Term path = Index::One(list.PathOf(i));
  size_t j = Index::kNone;
  // Renamed or moved away, the item is no longer at the path: what is added
  // or changed there later is another file, and a removal there is not its own.
  auto untilItLeaves = [&](size_t partner) { return Earlier(list.FirstAfter(Index::kLeftPath, path, i), partner); };
  switch (a.type) {
    case WATCHER_EVENT_ADDED: {
      j = Earlier(list.FirstAfter(Index::kRemovedByPath, path, i),
                  list.FirstAfter(Index::kRemovedThenRenamedOntoIt, path, i));
      const size_t end = untilItLeaves(j);
      list.EraseBetween(Index::kAddedByPath, path, i, end);
      list.EraseBetween(Index::kModifiedByPath, path, i, end);
      if (end != j) return;
      break;
    }
    case WATCHER_EVENT_REMOVED:
      j = Earlier(list.FirstAfter(Index::kAddedByName, Index::One(list.NameOf(i)), i),
                  list.FirstAfter(Index::kRemovedThenAddedSameName, path, i));
      // A folder made where something was removed is no change of what was
      // there (a folder has no content to change): the removal stays one, of
      // a file or of a folder with all it held, and the folder an addition.
      if (j != Index::kNone && list.At(j).type == WATCHER_EVENT_ADDED && list.PathOf(j) == list.PathOf(i) &&
          IsFolder(disk.Get(list, j)))
        return;
      break;
    case WATCHER_EVENT_MODIFIED: {
      j = list.FirstAfter(Index::kRemovedByPath, path, i);
      const size_t end = untilItLeaves(j);
      list.EraseBetween(Index::kModifiedByPath, path, i, end);
      if (end != j) return;
      break;
    }
    case WATCHER_EVENT_RENAMED:
      j = list.FirstAfter(Index::kRenamedThenRemoved, Index::Two(list.OtherPathOf(i), list.PathOf(i)), i);
      break;
    default:
      break;
  }
  if (j == Index::kNone) return;
  WatcherEvent merged = list.At(i);
  if (CWatcherCoalescer::MergePair(merged, list.At(j))) {
    list.Replace(i, merged);
    list.Erase(j);
    return;
  }
  size_t k = list.Next(j);
  if (k != Index::kNone && CWatcherCoalescer::MergeTriple(merged, list.At(j), list.At(k))) {
    list.Replace(i, merged);
    list.Erase(k);
    list.Erase(j);
  }
}

// Whether a removal of the folder holding the record's path is pending too.
bool ParentRemovalPending(const Index& list, size_t i) {
  CString spare;
  std::wstring_view parent = FileDirView(list.At(i).path, spare);
  if (parent.empty() || parent.back() != Common::kPathSeparator) return false;
  Index::TextId folder = list.Find(parent.substr(0, parent.size() - 1));
  return folder != Index::kUnknownText && list.Has(Index::kRemovedByPath, Index::One(folder), i);
}

// Whether the record after i is a change inside the folder at i's path.
bool ContentsFollow(const Index& list, size_t i, size_t next) {
  if (next == Index::kNone) return false;
  CString spare;
  std::wstring_view parent = FileDirView(list.At(next).path, spare);
  std::wstring_view folder = list.At(i).path.str();
  return parent.size() == folder.size() + 1 && parent.back() == Common::kPathSeparator &&
         parent.substr(0, folder.size()) == folder;
}

}  // namespace

std::vector<WatcherEvent> CWatcherCoalescer::RunPass() {
  std::vector<WatcherEvent> ready;
  ready.reserve(m_pending.size());
  Index list(std::move(m_pending));
  m_pending.clear();
  DiskLooks disk;
  disk.Prefetch(list);
  size_t i = list.First();
  while (i != Index::kNone) {
    // 1. Pair search.
    MergeWithPartner(list, disk, i);
    const WatcherEvent& e = list.At(i);
    size_t next = list.Next(i);
    // 2. Merged away.
    if (e.type == WATCHER_EVENT_VOID) {
      list.Erase(i);
      i = next;
      continue;
    }
    // 3. A removal inside a folder that is removed as well goes with the folder.
    if (e.type == WATCHER_EVENT_REMOVED && ParentRemovalPending(list, i)) {
      list.Erase(i);
      i = next;
      continue;
    }
    // 4. A folder that arrived whole (no change of its contents follows it) is
    //    delivered with everything inside it. One look at the disk serves
    //    this step and the next.
    bool contentChange = e.type == WATCHER_EVENT_ADDED || e.type == WATCHER_EVENT_MODIFIED;
    const DiskLook look = contentChange && !e.path.IsEmpty() ? disk.Get(list, i) : DiskLook{0, false};
    DWORD attributes = look.attributes;
    bool folder = IsFolder(look);
    // A link to a folder is never entered.
    if (e.type == WATCHER_EVENT_ADDED && folder && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      if (!ContentsFollow(list, i, next)) {
        CString folderPath = e.path;
        ready.push_back(list.TakeOut(i));
        ExpandFolder(folderPath, ready);
        i = next;
        continue;
      }
    }
    // 5. Ready unless an added or changed file can't be read yet.
    if (e.path.IsEmpty()) {
      list.Erase(i);
      i = next;
      continue;
    }
    // A file that is gone can't become readable: it is delivered and judged there.
    bool gone = attributes == INVALID_FILE_ATTRIBUTES;
    if (!contentChange || gone || folder || look.readable) {
      ready.push_back(list.TakeOut(i));
    } else if (IsDroppedWhenUnreadable(e.path)) {
      list.Erase(i);
    }
    i = next;
  }
  m_pending = list.TakeRemaining();
  return ready;
}
