// The merging rules of one coalescing pass, on a real folder (folders are
// told from files on disk, a folder that arrived whole is listed, and a file
// another program holds locked cannot be read yet).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "LockHolderProcess.h"
#include "TempDir.h"
#include "client/sync/watcher/FileSystemEventArgs.h"
#include "client/sync/watcher/WatcherCoalescer.h"
#include "win32/CodePage.h"
#include "win32/NativePath.h"

namespace fs = std::filesystem;

namespace {

struct Change {
  int type;
  std::string path;
  std::string other;
  bool operator==(const Change&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Change& c) {
  return out << "{" << c.type << " " << c.path << (c.other.empty() ? "" : " <- " + c.other) << "}";
}

class WatcherCoalescerTest : public testing::Test {
 protected:
  CString P(const std::string& relative) const {
    if (relative.empty()) return CString();
    return CString(WidePath((m_dir.path() / relative).c_str()).c_str());
  }
  std::string R(const CString& path) const {
    if (path.IsEmpty()) return "";
    std::string full = WideToUtf8(path.GetString());
    std::string base = m_dir.path().string() + "/";
    return full.rfind(base, 0) == 0 ? full.substr(base.size()) : full;
  }
  void Add(const Change& c) { m_coalescer.Add(WatcherEvent{P(c.path), P(c.other), c.type}); }
  std::vector<Change> Pass() {
    std::vector<Change> out;
    for (const WatcherEvent& e : m_coalescer.RunPass()) out.push_back({e.type, R(e.path), R(e.otherPath)});
    return out;
  }
  void Touch(const std::string& relative) {
    fs::create_directories((m_dir.path() / relative).parent_path());
    std::ofstream(m_dir.path() / relative) << "x";
  }

  dorvtest::TempDir m_dir{"dorv-coalesce"};
  CWatcherCoalescer m_coalescer;
};

constexpr int A = WATCHER_EVENT_ADDED, D = WATCHER_EVENT_REMOVED, M = WATCHER_EVENT_MODIFIED,
              RN = WATCHER_EVENT_RENAMED, MV = WATCHER_EVENT_MOVED;

struct Row {
  const char* name;
  std::vector<std::string> files;  // made before the pass
  std::vector<Change> in;
  std::vector<Change> out;
};

TEST_F(WatcherCoalescerTest, OnePassMergesRelatedChanges) {
  const Row rows[] = {
      {"a file made and removed again is a removal", {}, {{A, "x.txt", ""}, {D, "x.txt", ""}}, {{D, "x.txt", ""}}},
      {"a change then a removal is a removal", {}, {{M, "x.txt", ""}, {D, "x.txt", ""}}, {{D, "x.txt", ""}}},
      {"removed and made again is a change", {"x.txt"}, {{D, "x.txt", ""}, {A, "x.txt", ""}}, {{M, "x.txt", ""}}},
      {"removed and made again as a folder stays a removal and an addition",
       {"x/in.txt"},
       {{D, "x", ""}, {A, "x", ""}, {A, "x/in.txt", ""}},
       {{D, "x", ""}, {A, "x", ""}, {A, "x/in.txt", ""}}},
      {"removed here and made there under the same name is a move",
       {"b/x.txt"},
       {{D, "a/x.txt", ""}, {A, "b/x.txt", ""}},
       {{MV, "b/x.txt", "a/x.txt"}}},
      {"removed and made under another name stay apart",
       {"b/y.txt"},
       {{D, "a/x.txt", ""}, {A, "b/y.txt", ""}},
       {{D, "a/x.txt", ""}, {A, "b/y.txt", ""}}},
      {"repeated additions and changes of one file are one addition",
       {"x.txt"},
       {{A, "x.txt", ""}, {M, "x.txt", ""}, {M, "x.txt", ""}, {A, "x.txt", ""}},
       {{A, "x.txt", ""}}},
      {"a file made again where one was renamed away is a file of its own",
       {"x.txt", "y.txt"},
       {{A, "x.txt", ""}, {M, "x.txt", ""}, {RN, "y.txt", "x.txt"}, {A, "x.txt", ""}, {M, "x.txt", ""}},
       {{A, "x.txt", ""}, {RN, "y.txt", "x.txt"}, {A, "x.txt", ""}}},
      {"safe save by renames is one change of the document",
       {"doc.txt"},
       {{RN, "doc.bak", "doc.txt"}, {RN, "doc.txt", "doc.new"}, {D, "doc.bak", ""}},
       {{M, "doc.txt", ""}}},
      {"safe save by a new file is one change of the document",
       {"doc.txt"},
       {{A, "doc.new", ""}, {D, "doc.txt", ""}, {RN, "doc.txt", "doc.new"}},
       {{M, "doc.txt", ""}}},
      {"two unrelated renames and a removal stay as they are",
       {"c.txt", "d.txt"},
       {{RN, "c.txt", "a.txt"}, {RN, "d.txt", "b.txt"}, {D, "e.txt", ""}},
       {{RN, "c.txt", "a.txt"}, {RN, "d.txt", "b.txt"}, {D, "e.txt", ""}}},
      {"two removals and an unrelated addition lose no removal",
       {"n/z.txt"},
       {{D, "x.txt", ""}, {D, "y.txt", ""}, {A, "n/z.txt", ""}},
       {{D, "x.txt", ""}, {D, "y.txt", ""}, {A, "n/z.txt", ""}}},
      {"a file moved over another of its name is a move",
       {"b/y.txt"},
       {{D, "b/y.txt", ""}, {D, "a/y.txt", ""}, {A, "b/y.txt", ""}},
       {{MV, "b/y.txt", "a/y.txt"}}},
      {"a file made, renamed away and made again under its first name is two files",
       {"a.txt", "b.txt"},
       {{A, "a.txt", ""}, {RN, "b.txt", "a.txt"}, {A, "a.txt", ""}},
       {{A, "a.txt", ""}, {RN, "b.txt", "a.txt"}, {A, "a.txt", ""}}},
      {"a file changed, renamed away and made again under its name keeps the change",
       {"a.txt", "b.txt"},
       {{M, "a.txt", ""}, {RN, "b.txt", "a.txt"}, {M, "a.txt", ""}},
       {{M, "a.txt", ""}, {RN, "b.txt", "a.txt"}, {M, "a.txt", ""}}},
      {"a file made, renamed away, and the new one at its name removed",
       {"b.txt"},
       {{A, "a.txt", ""}, {RN, "b.txt", "a.txt"}, {A, "a.txt", ""}, {D, "a.txt", ""}},
       {{A, "a.txt", ""}, {RN, "b.txt", "a.txt"}, {D, "a.txt", ""}}},
      {"removals inside a removed folder go with the folder",
       {},
       {{D, "f/one", ""}, {D, "f/two", ""}, {D, "f", ""}},
       {{D, "f", ""}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    for (const std::string& f : row.files) Touch(f);
    for (const Change& c : row.in) Add(c);
    EXPECT_EQ(Pass(), row.out);
    EXPECT_TRUE(m_coalescer.IsEmpty());
    for (const std::string& f : row.files) fs::remove(m_dir.path() / f);
  }
}

TEST_F(WatcherCoalescerTest, AFolderThatArrivedWholeIsDeliveredWithItsContentsFolderFirst) {
  Touch("moved/inside/file");
  Touch("moved/top.txt");
  Add({A, "moved", ""});
  std::vector<Change> out = Pass();
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0], (Change{A, "moved", ""}));
  auto at = [&](const Change& c) { return std::find(out.begin(), out.end(), c) - out.begin(); };
  EXPECT_LT(at({A, "moved/inside", ""}), at({A, "moved/inside/file", ""}));
  EXPECT_LT(at({A, "moved/inside/file", ""}), 4);
  EXPECT_LT(at({A, "moved/top.txt", ""}), 4);
}

TEST_F(WatcherCoalescerTest, AFolderWhoseContentsAreReportedIsNotListed) {
  Touch("made/file");
  Add({A, "made", ""});
  Add({A, "made/file", ""});
  EXPECT_EQ(Pass(), (std::vector<Change>{{A, "made", ""}, {A, "made/file", ""}}));
}

TEST_F(WatcherCoalescerTest, AFileStillHeldWaitsUntilItCanBeReadAndATempFileIsDropped) {
  Touch("report.docx");
  Touch("noextension");
  Touch("report.TMP");
  std::string held = (m_dir.path() / "report.docx").string();
  std::string heldBare = (m_dir.path() / "noextension").string();
  std::string heldTemp = (m_dir.path() / "report.TMP").string();
  {
    wintest::LockHolderProcess a(held, "ofd-exclusive");
    wintest::LockHolderProcess b(heldBare, "ofd-exclusive");
    wintest::LockHolderProcess c(heldTemp, "ofd-exclusive");
    Add({A, "report.docx", ""});
    Add({M, "noextension", ""});
    Add({A, "report.TMP", ""});
    Add({A, "other.txt", ""});  // gone already: delivered, the filter judges it
    EXPECT_EQ(Pass(), (std::vector<Change>{{A, "other.txt", ""}}));
    EXPECT_EQ(m_coalescer.PendingCount(), 2u);  // the temporary file was dropped
    EXPECT_EQ(Pass(), (std::vector<Change>{}));
    EXPECT_EQ(m_coalescer.PendingCount(), 2u);
  }
  EXPECT_EQ(Pass(), (std::vector<Change>{{A, "report.docx", ""}, {M, "noextension", ""}}));
  EXPECT_TRUE(m_coalescer.IsEmpty());
}

// Each kind of lock another program may hold: the pass lets the file wait
// exactly when the platform's own open for reading is refused.
TEST_F(WatcherCoalescerTest, AFileWaitsWhileItsLockRefusesReadingAsThePlatformJudgesIt) {
  const struct {
    const char* mode;
    bool waits;
  } rows[] = {{"ofd-shared", false}, {"ofd-exclusive", true}, {"flock-shared", false}, {"flock-exclusive", true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.mode);
    Touch("held.txt");
    wintest::LockHolderProcess holder((m_dir.path() / "held.txt").string(), row.mode);
    EXPECT_EQ(CWatcherCoalescer::CanOpenForReading(P("held.txt")), !row.waits);
    Add({A, "held.txt", ""});
    const std::vector<Change> delivered = {{A, "held.txt", ""}};
    EXPECT_EQ(Pass(), row.waits ? std::vector<Change>{} : delivered);
    EXPECT_EQ(m_coalescer.PendingCount(), row.waits ? 1u : 0u);
    holder.Release();
    if (row.waits) {
      EXPECT_EQ(Pass(), delivered);
    }
  }
}

}  // namespace
