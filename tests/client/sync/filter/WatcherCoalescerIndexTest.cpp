// The indexed coalescing pass against a straightforward one (every record
// compared with every later record) on random change sequences over a small
// set of paths on disk, so that merges, repeats, folders, removed parents and
// files that wait all meet: both must deliver the same changes and keep the
// same ones pending.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <list>
#include <random>
#include <string>
#include <vector>

#include "LockHolderProcess.h"
#include "TempDir.h"
#include "client/sync/watcher/FileSystemEventArgs.h"
#include "client/sync/watcher/WatcherCoalescer.h"
#include "client/sync/watcher/WatcherPendingIndex.h"
#include "common/FileHelpers.h"
#include "common/PathText.h"
#include "win32/CodePage.h"
#include "win32/NativePath.h"
#include "win32/Windows.h"

namespace fs = std::filesystem;

namespace {

// The pass written as plainly as it reads: for every record, a walk over all later ones.
class ReferenceCoalescer {
 public:
  void Add(const WatcherEvent& e) { m_pending.push_back(e); }
  size_t PendingCount() const { return m_pending.size(); }

  std::vector<WatcherEvent> RunPass() {
    using C = CWatcherCoalescer;
    std::vector<WatcherEvent> ready;
    auto i = m_pending.begin();
    while (i != m_pending.end()) {
      for (auto j = std::next(i); j != m_pending.end();) {
        // An added or changed item that is renamed away merges with nothing after that.
        const bool content = i->type == WATCHER_EVENT_ADDED || i->type == WATCHER_EVENT_MODIFIED;
        if (content && (j->type == WATCHER_EVENT_RENAMED || j->type == WATCHER_EVENT_MOVED) && j->otherPath == i->path)
          break;
        // A folder made where something was removed leaves the removal as it is.
        if (i->type == WATCHER_EVENT_REMOVED && j->type == WATCHER_EVENT_ADDED && j->path == i->path &&
            Common::IsDirectory(j->path))
          break;
        if (C::MergePair(*i, *j)) {
          m_pending.erase(j);
          break;
        }
        auto k = std::next(j);
        if (k != m_pending.end() && C::MergeTriple(*i, *j, *k)) {
          m_pending.erase(k);
          m_pending.erase(j);
          break;
        }
        bool repeat = (i->type == WATCHER_EVENT_ADDED && j->type == WATCHER_EVENT_MODIFIED) ||
                      (i->type == WATCHER_EVENT_MODIFIED && j->type == WATCHER_EVENT_MODIFIED) ||
                      (i->type == WATCHER_EVENT_ADDED && j->type == WATCHER_EVENT_ADDED);
        if (repeat && i->path == j->path) {
          j = m_pending.erase(j);
          continue;
        }
        bool contentChange = i->type == WATCHER_EVENT_ADDED || i->type == WATCHER_EVENT_MODIFIED;
        bool leaves = j->type == WATCHER_EVENT_RENAMED || j->type == WATCHER_EVENT_MOVED;
        if (contentChange && leaves && j->otherPath == i->path) break;
        ++j;
      }
      if (i->type == WATCHER_EVENT_VOID) {
        i = m_pending.erase(i);
        continue;
      }
      if (i->type == WATCHER_EVENT_REMOVED && ParentRemovalPending(i)) {
        i = m_pending.erase(i);
        continue;
      }
      if (i->type == WATCHER_EVENT_ADDED && !i->path.IsEmpty() && Common::IsDirectory(i->path)) {
        auto next = std::next(i);
        CString folder = i->path;
        folder += Common::kPathSeparator;
        if (next == m_pending.end() || C::ParentFolder(next->path) != folder) {
          ready.push_back(*i);
          C::ExpandFolder(i->path, ready);
          i = m_pending.erase(i);
          continue;
        }
      }
      if (i->path.IsEmpty()) {
        i = m_pending.erase(i);
        continue;
      }
      bool contentChange = i->type == WATCHER_EVENT_ADDED || i->type == WATCHER_EVENT_MODIFIED;
      bool gone = GetFileAttributesW(i->path.GetString()) == INVALID_FILE_ATTRIBUTES;
      if (!contentChange || gone || Common::IsDirectory(i->path) || C::CanOpenForReading(i->path)) {
        ready.push_back(*i);
        i = m_pending.erase(i);
      } else if (C::IsDroppedWhenUnreadable(i->path)) {
        i = m_pending.erase(i);
      } else {
        ++i;
      }
    }
    return ready;
  }

 private:
  bool ParentRemovalPending(std::list<WatcherEvent>::iterator self) {
    CString parent = CWatcherCoalescer::ParentFolder(self->path);
    if (parent.IsEmpty()) return false;
    for (auto p = m_pending.begin(); p != m_pending.end(); ++p) {
      if (p == self || p->type != WATCHER_EVENT_REMOVED) continue;
      CString folder = p->path;
      folder += Common::kPathSeparator;
      if (folder == parent) return true;
    }
    return false;
  }

  std::list<WatcherEvent> m_pending;
};

std::string Show(const std::vector<WatcherEvent>& events) {
  std::string out;
  for (const WatcherEvent& e : events) {
    out += std::to_string(e.type) + " " + WideToUtf8(e.path.GetString());
    if (!e.otherPath.IsEmpty()) out += " <- " + WideToUtf8(e.otherPath.GetString());
    out += "\n";
  }
  return out;
}

TEST(WatcherCoalescerIndexTest, IndexedPassDeliversWhatAPlainPassDelivers) {
  dorvtest::TempDir dir{"dorv-coalesce-index"};
  const std::vector<std::string> folders = {"", "a/", "b/", "a/c/"};
  const std::vector<std::string> names = {"x.txt", "y.txt", "c", "doc", "x.tmp", "held.doc", "held"};
  std::vector<std::string> paths;
  for (const std::string& f : folders)
    for (const std::string& n : names) paths.push_back(f + n);
  paths.push_back("a");
  paths.push_back("b");

  // Files that stay locked, so that changes of them wait (or a temporary one is dropped).
  fs::create_directories(dir.path() / "a/c");
  fs::create_directories(dir.path() / "b");
  std::vector<std::unique_ptr<wintest::LockHolderProcess>> holders;
  for (const char* held : {"held.doc", "a/held", "b/x.tmp"}) {
    std::ofstream(dir.path() / held) << "x";
    holders.push_back(std::make_unique<wintest::LockHolderProcess>((dir.path() / held).string(), "ofd-exclusive"));
  }

  auto full = [&](const std::string& relative) { return CString(WidePath((dir.path() / relative).c_str()).c_str()); };
  std::mt19937 random(20261210);
  for (int round = 0; round < 600; ++round) {
    // A fresh disk state: some plain files present, some absent.
    for (const std::string& p : paths) {
      bool held = p == "held.doc" || p == "a/held" || p == "b/x.tmp";
      if (held || p == "a" || p == "b" || p == "a/c") continue;
      fs::path file = dir.path() / p;
      std::error_code ignored;
      if (random() % 2) std::ofstream(file) << "x";
      else fs::remove_all(file, ignored);
    }
    CWatcherCoalescer indexed;
    ReferenceCoalescer reference;
    int count = 1 + static_cast<int>(random() % (round % 10 == 0 ? 200 : 24));
    for (int n = 0; n < count; ++n) {
      int type = 1 + static_cast<int>(random() % 5);
      WatcherEvent e{full(paths[random() % paths.size()]), CString(), type};
      if (type == WATCHER_EVENT_RENAMED || type == WATCHER_EVENT_MOVED) e.otherPath = full(paths[random() % paths.size()]);
      indexed.Add(e);
      reference.Add(e);
    }
    for (int pass = 0; pass < 2; ++pass) {
      SCOPED_TRACE("round " + std::to_string(round) + " pass " + std::to_string(pass));
      ASSERT_EQ(Show(indexed.RunPass()), Show(reference.RunPass()));
      ASSERT_EQ(indexed.PendingCount(), reference.PendingCount());
      if (pass == 0) {
        // More changes arrive behind those still waiting.
        WatcherEvent e{full(paths[random() % paths.size()]), CString(), 1 + static_cast<int>(random() % 3)};
        indexed.Add(e);
        reference.Add(e);
      }
    }
  }
}

// A burst big enough for the disk to be looked at on several threads before the
// walk: the same merges and the same files left waiting as the plain pass.
TEST(WatcherCoalescerIndexTest, ABurstLookedAtOnSeveralThreadsDeliversWhatAPlainPassDelivers) {
  dorvtest::TempDir dir{"dorv-coalesce-burst"};
  fs::create_directories(dir.path() / "in");
  std::mt19937 random(20261211);
  std::vector<CString> files;
  for (int n = 0; n < 6000; ++n) {
    fs::path file = dir.path() / "in" / ("f" + std::to_string(n) + (n % 7 ? ".txt" : ".tmp"));
    if (n % 5) std::ofstream(file) << "x";  // every fifth is gone again
    files.emplace_back(WidePath(file.c_str()).c_str());
  }
  std::ofstream(dir.path() / "in" / "held.txt") << "x";
  wintest::LockHolderProcess holder((dir.path() / "in" / "held.txt").string(), "ofd-exclusive");
  files.emplace_back(WidePath((dir.path() / "in" / "held.txt").c_str()).c_str());

  CWatcherCoalescer indexed;
  ReferenceCoalescer reference;
  for (const CString& file : files) {
    int type = random() % 10 == 0 ? WATCHER_EVENT_REMOVED : WATCHER_EVENT_ADDED;
    for (int again = 0; again < 2; ++again) {
      WatcherEvent e{file, CString(), type};
      indexed.Add(e);
      reference.Add(e);
      type = WATCHER_EVENT_MODIFIED;
    }
  }
  ASSERT_EQ(Show(indexed.RunPass()), Show(reference.RunPass()));
  ASSERT_EQ(indexed.PendingCount(), reference.PendingCount());
  EXPECT_GT(indexed.PendingCount(), 0u) << "the held file waits";
}

// Paths in unusual forms meet the index's own reading of names and folders:
// foreign, doubled and trailing separators, names that differ only in case, a
// path beside its prefix, no folder at all. None is on disk, so every change
// that survives is delivered; the merges must be those of the plain pass.
TEST(WatcherCoalescerIndexTest, PathsInUnusualFormsMergeAsInAPlainPass) {
  const std::vector<std::wstring> paths = {
      L"/dorv-absent/a/x.txt", L"/dorv-absent/a/X.txt",  L"/dorv-absent/a/x.txt/", L"/dorv-absent/a\\x.txt",
      L"/dorv-absent//a/x.txt", L"/dorv-absent/b/x.txt", L"/dorv-absent/a/x.txt2", L"/dorv-absent/a/x.tx",
      L"/dorv-absent/a",       L"/dorv-absent/A",       L"/dorv-absent/a/",      L"/dorv-absent\\a",
      L"dorv-absent-x.txt",    L"c:dorv-absent-x.txt",  L"/x.txt",               L""};
  for (const std::wstring& p : paths) {
    CString path(p.c_str()), spare;
    EXPECT_EQ(std::wstring(FileNameView(path, spare)), Common::GetFileNameFromPath(path).str()) << WideToUtf8(p);
    EXPECT_EQ(std::wstring(FileDirView(path, spare)), Common::GetFileDirFromPath(path).str()) << WideToUtf8(p);
  }

  std::mt19937 random(20261212);
  auto any = [&] { return CString(paths[random() % paths.size()].c_str()); };
  for (int round = 0; round < 4000; ++round) {
    CWatcherCoalescer indexed;
    ReferenceCoalescer reference;
    int count = 2 + static_cast<int>(random() % 7);
    for (int n = 0; n < count; ++n) {
      int type = 1 + static_cast<int>(random() % 5);
      WatcherEvent e{any(), CString(), type};
      if (type == WATCHER_EVENT_RENAMED || type == WATCHER_EVENT_MOVED) e.otherPath = any();
      indexed.Add(e);
      reference.Add(e);
    }
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(Show(indexed.RunPass()), Show(reference.RunPass()));
    ASSERT_EQ(indexed.PendingCount(), reference.PendingCount());
  }
}

}  // namespace
