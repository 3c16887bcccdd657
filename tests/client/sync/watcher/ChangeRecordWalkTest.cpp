// Change records as a directory read returns them, turned into changes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "client/sync/watcher/ChangeRecordWalk.h"
#include "client/sync/watcher/FileSystemEventArgs.h"
#include "win32/CodePage.h"

namespace {

struct R {
  DWORD action;
  std::wstring name;
};

// Lays records out as the system does: each DWORD aligned, the last with offset 0.
std::vector<DWORD> Records(const std::vector<R>& records) {
  std::vector<BYTE> bytes;
  size_t previous = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    size_t at = bytes.size();
    if (i) {
      DWORD offset = static_cast<DWORD>(at - previous);
      std::memcpy(bytes.data() + previous, &offset, sizeof offset);
    }
    DWORD header[3] = {0, records[i].action, static_cast<DWORD>(records[i].name.size() * sizeof(WCHAR))};
    bytes.resize(at + sizeof header + header[2]);
    std::memcpy(bytes.data() + at, header, sizeof header);
    std::memcpy(bytes.data() + at + sizeof header, records[i].name.data(), header[2]);
    previous = at;
  }
  std::vector<DWORD> aligned((bytes.size() + 3) / 4);
  std::memcpy(aligned.data(), bytes.data(), bytes.size());
  return aligned;
}

struct C {
  int type;
  std::wstring path;
  std::wstring oldPath;
  bool operator==(const C&) const = default;
};

std::ostream& operator<<(std::ostream& out, const C& c) {
  return out << "{" << c.type << ", " << WideToUtf8(c.path) << ", " << WideToUtf8(c.oldPath) << "}";
}

std::vector<C> Plain(const std::vector<WatcherChange>& changes) {
  std::vector<C> out;
  for (const WatcherChange& c : changes) out.push_back({c.type, c.path.GetString(), c.oldPath.GetString()});
  return out;
}

std::vector<C> Walk(CChangeRecordWalk& walk, const std::vector<DWORD>& records, DWORD bytes) {
  return Plain(walk.Walk(reinterpret_cast<const BYTE*>(records.data()), bytes, CString(L"/root/")));
}

std::vector<C> Walk(CChangeRecordWalk& walk, const std::vector<R>& records) {
  std::vector<DWORD> buffer = Records(records);
  return Walk(walk, buffer, static_cast<DWORD>(buffer.size() * sizeof(DWORD)));
}

}  // namespace

TEST(ChangeRecordWalk, OneReadTurnsIntoChangesWithFullPaths) {
  const std::wstring longName = std::wstring(150, L'd') + L"/" + std::wstring(150, L'f');
  struct Case {
    const char* name;
    std::vector<R> records;
    std::vector<C> changes;
  } cases[] = {
      {"plain actions", {{1, L"a"}, {3, L"sub/b"}, {2, L"c"}},
       {{WATCHER_EVENT_ADDED, L"/root/a", L""}, {WATCHER_EVENT_MODIFIED, L"/root/sub/b", L""},
        {WATCHER_EVENT_REMOVED, L"/root/c", L""}}},
      {"a rename pair is one change", {{1, L"x"}, {4, L"old"}, {5, L"new"}, {2, L"y"}},
       {{WATCHER_EVENT_ADDED, L"/root/x", L""}, {WATCHER_EVENT_RENAMED, L"/root/new", L"/root/old"},
        {WATCHER_EVENT_REMOVED, L"/root/y", L""}}},
      {"an old name followed by something else was removed", {{4, L"old"}, {1, L"other"}},
       {{WATCHER_EVENT_REMOVED, L"/root/old", L""}, {WATCHER_EVENT_ADDED, L"/root/other", L""}}},
      {"a new name alone was added", {{5, L"new"}}, {{WATCHER_EVENT_ADDED, L"/root/new", L""}}},
      {"unknown actions are skipped", {{9, L"odd"}, {1, L"a"}}, {{WATCHER_EVENT_ADDED, L"/root/a", L""}}},
      {"names longer than 260 units stay whole", {{1, longName}}, {{WATCHER_EVENT_ADDED, L"/root/" + longName, L""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CChangeRecordWalk walk;
    EXPECT_EQ(Walk(walk, c.records), c.changes);
    EXPECT_TRUE(walk.Flush().empty());
  }
}

TEST(ChangeRecordWalk, AnOldNameEndingAReadWaitsForTheNextRead) {
  CChangeRecordWalk walk;
  EXPECT_EQ(Walk(walk, {{1, L"a"}, {4, L"old"}}), (std::vector<C>{{WATCHER_EVENT_ADDED, L"/root/a", L""}}));
  EXPECT_EQ(Walk(walk, {{5, L"new"}, {3, L"b"}}),
            (std::vector<C>{{WATCHER_EVENT_RENAMED, L"/root/new", L"/root/old"},
                            {WATCHER_EVENT_MODIFIED, L"/root/b", L""}}));

  // Not followed by its new name: given up as removed, before the next read's changes.
  EXPECT_TRUE(Walk(walk, {{4, L"old2"}}).empty());
  EXPECT_EQ(Walk(walk, {{1, L"c"}}),
            (std::vector<C>{{WATCHER_EVENT_REMOVED, L"/root/old2", L""}, {WATCHER_EVENT_ADDED, L"/root/c", L""}}));

  // Lost changes or the end of watching give it up too.
  EXPECT_TRUE(Walk(walk, {{4, L"old3"}}).empty());
  EXPECT_EQ(Plain(walk.Flush()), (std::vector<C>{{WATCHER_EVENT_REMOVED, L"/root/old3", L""}}));
  EXPECT_TRUE(walk.Flush().empty());
}

TEST(ChangeRecordWalk, RecordsReachingPastTheBytesReadEndTheWalk) {
  CChangeRecordWalk walk;
  std::vector<DWORD> buffer = Records({{1, L"first"}, {1, L"second"}});
  const DWORD whole = static_cast<DWORD>(buffer.size() * sizeof(DWORD));
  const DWORD firstBytes = buffer[0];
  EXPECT_EQ(Walk(walk, buffer, firstBytes), (std::vector<C>{{WATCHER_EVENT_ADDED, L"/root/first", L""}}));
  EXPECT_TRUE(Walk(walk, buffer, 8).empty());
  EXPECT_TRUE(Walk(walk, buffer, 0).empty());

  std::vector<DWORD> badLength = buffer;
  badLength[2] = 4096;  // the first name's length runs past the end
  EXPECT_TRUE(Walk(walk, badLength, whole).empty());

  std::vector<DWORD> overlapping = buffer;
  overlapping[0] = 4;  // the next record would start inside this one
  EXPECT_EQ(Walk(walk, overlapping, whole), (std::vector<C>{{WATCHER_EVENT_ADDED, L"/root/first", L""}}));
}
