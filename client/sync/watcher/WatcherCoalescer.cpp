#include "client/sync/watcher/WatcherCoalescer.h"

#include <cwctype>

#include "client/sync/watcher/FileSystemEventArgs.h"
#include "common/FileHelpers.h"
#include "common/PathText.h"
#include "win32/Windows.h"

namespace {

void MakeVoid(WatcherEvent& e) {
  e.type = WATCHER_EVENT_VOID;
  e.path.Empty();
  e.otherPath.Empty();
}

bool SamePath(const CString& a, const CString& b) { return a == b; }

}  // namespace

CString CWatcherCoalescer::ParentFolder(const CString& path) { return Common::GetFileDirFromPath(path); }

bool CWatcherCoalescer::MergePair(WatcherEvent& a, const WatcherEvent& b) {
  if (a.type == WATCHER_EVENT_REMOVED && b.type == WATCHER_EVENT_ADDED) {
    if (SamePath(a.path, b.path)) {
      a.type = WATCHER_EVENT_MODIFIED;
      return true;
    }
    if (Common::GetFileNameFromPath(a.path) == Common::GetFileNameFromPath(b.path)) {
      a.type = WATCHER_EVENT_MOVED;
      a.otherPath = a.path;
      a.path = b.path;
      return true;
    }
    return false;
  }
  if (a.type == WATCHER_EVENT_ADDED && b.type == WATCHER_EVENT_REMOVED && SamePath(a.path, b.path)) {
    MakeVoid(a);
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
    if (Common::GetFileNameFromPath(b.path) != Common::GetFileNameFromPath(c.path)) return false;
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

bool CWatcherCoalescer::ParentRemovalPending(Iterator self) {
  CString parent = ParentFolder(self->path);
  if (parent.IsEmpty()) return false;
  for (Iterator p = m_pending.begin(); p != m_pending.end(); ++p) {
    if (p == self || p->type != WATCHER_EVENT_REMOVED) continue;
    CString folder = p->path;
    folder += Common::kPathSeparator;
    if (folder == parent) return true;
  }
  return false;
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

std::vector<WatcherEvent> CWatcherCoalescer::RunPass() {
  std::vector<WatcherEvent> ready;
  Iterator i = m_pending.begin();
  while (i != m_pending.end()) {
    // 1. Pair search.
    for (Iterator j = std::next(i); j != m_pending.end();) {
      if (MergePair(*i, *j)) {
        m_pending.erase(j);
        break;
      }
      Iterator k = std::next(j);
      if (k != m_pending.end() && MergeTriple(*i, *j, *k)) {
        m_pending.erase(k);
        m_pending.erase(j);
        break;
      }
      bool repeat = (i->type == WATCHER_EVENT_ADDED && j->type == WATCHER_EVENT_MODIFIED) ||
                    (i->type == WATCHER_EVENT_MODIFIED && j->type == WATCHER_EVENT_MODIFIED) ||
                    (i->type == WATCHER_EVENT_ADDED && j->type == WATCHER_EVENT_ADDED);
      if (repeat && SamePath(i->path, j->path)) {
        j = m_pending.erase(j);
        continue;
      }
      ++j;
    }
    // 2. Merged away.
    if (i->type == WATCHER_EVENT_VOID) {
      i = m_pending.erase(i);
      continue;
    }
    // 3. A removal inside a folder that is removed as well goes with the folder.
    if (i->type == WATCHER_EVENT_REMOVED && ParentRemovalPending(i)) {
      i = m_pending.erase(i);
      continue;
    }
    // 4. A folder that arrived whole (no change of its contents follows it) is
    //    delivered with everything inside it.
    if (i->type == WATCHER_EVENT_ADDED && !i->path.IsEmpty() && Common::IsDirectory(i->path) &&
        !(GetFileAttributesW(i->path) & FILE_ATTRIBUTE_REPARSE_POINT)) {
      Iterator next = std::next(i);
      CString folder = i->path;
      folder += Common::kPathSeparator;
      bool contentsFollow = next != m_pending.end() && ParentFolder(next->path) == folder;
      if (!contentsFollow) {
        ready.push_back(*i);
        ExpandFolder(i->path, ready);
        i = m_pending.erase(i);
        continue;
      }
    }
    // 5. Ready unless an added or changed file can't be read yet.
    if (i->path.IsEmpty()) {
      i = m_pending.erase(i);
      continue;
    }
    bool contentChange = i->type == WATCHER_EVENT_ADDED || i->type == WATCHER_EVENT_MODIFIED;
    // A file that is gone can't become readable: it is delivered and judged there.
    bool gone = GetFileAttributesW(i->path.GetString()) == INVALID_FILE_ATTRIBUTES;
    if (!contentChange || gone || Common::IsDirectory(i->path) || CanOpenForReading(i->path)) {
      ready.push_back(*i);
      i = m_pending.erase(i);
      continue;
    }
    if (IsDroppedWhenUnreadable(i->path)) {
      i = m_pending.erase(i);
      continue;
    }
    ++i;
  }
  return ready;
}
