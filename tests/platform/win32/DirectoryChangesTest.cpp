// ReadDirectoryChangesW over real folders: records, moves, new and moved-in
// folders, overflow, cancelling. Every wait is on the completion port.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "win32/NativePath.h"
#include "win32/Windows.h"

namespace fs = std::filesystem;
using dorvtest::TempDir;

namespace {

constexpr DWORD kFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;
constexpr DWORD kWaitMs = 10000;

struct Change {
  DWORD action;
  std::wstring name;
  bool operator==(const Change&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Change& c) {
  return out << "{" << c.action << ", " << WideToUtf8(c.name) << "}";
}

void Touch(const fs::path& file, const std::string& text = "") { std::ofstream(file) << text; }

// A watched folder bound to its own port, read the way a watcher reads it.
class Watch {
 public:
  explicit Watch(const fs::path& folder, DWORD bufferBytes = 8192, BOOL subtree = TRUE, DWORD filter = kFilter)
      : m_buffer(bufferBytes / sizeof(DWORD) + 1), m_bytes(bufferBytes), m_subtree(subtree), m_filter(filter) {
    m_folder = CreateFileW(WidePath(folder.c_str()).c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    EXPECT_NE(m_folder, INVALID_HANDLE_VALUE);
    m_port = CreateIoCompletionPort(m_folder, nullptr, kKey, 0);
    EXPECT_NE(m_port, nullptr);
  }
  ~Watch() {
    if (m_folder != INVALID_HANDLE_VALUE) CloseHandle(m_folder);
    CloseHandle(m_port);
  }

  BOOL Issue() {
    DWORD returned = 0;
    return ReadDirectoryChangesW(m_folder, m_buffer.data(), m_bytes, m_subtree, m_filter, &returned, &m_overlapped,
                                 nullptr);
  }

  // One completion: its result, error and byte count.
  struct Completion {
    BOOL ok;
    DWORD error;
    DWORD bytes;
    std::vector<Change> changes;
  };
  Completion Next() {
    Completion c{};
    ULONG_PTR key = 0;
    OVERLAPPED* overlapped = nullptr;
    c.ok = GetQueuedCompletionStatus(m_port, &c.bytes, &key, &overlapped, kWaitMs);
    c.error = c.ok ? ERROR_SUCCESS : GetLastError();
    EXPECT_NE(overlapped, nullptr) << "no completion within " << kWaitMs << " ms";
    if (!overlapped) return c;
    EXPECT_EQ(key, kKey);
    EXPECT_EQ(overlapped, &m_overlapped);
    EXPECT_TRUE(HasOverlappedIoCompleted(overlapped));
    EXPECT_EQ(overlapped->InternalHigh, c.bytes);
    const BYTE* at = reinterpret_cast<const BYTE*>(m_buffer.data());
    for (DWORD offset = 0; c.ok && c.bytes;) {
      auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(at + offset);
      EXPECT_EQ(info->NextEntryOffset % 4, 0u);
      std::wstring name(info->FileNameLength / sizeof(WCHAR), L'\0');
      std::memcpy(name.data(), at + offset + offsetof(FILE_NOTIFY_INFORMATION, FileName), info->FileNameLength);
      c.changes.push_back({info->Action, name});
      if (!info->NextEntryOffset) break;
      offset += info->NextEntryOffset;
      EXPECT_LT(offset, c.bytes);
    }
    return c;
  }

  // Reads on until a record with `name` came (the read stays issued); returns all
  // records, a write reported twice in a row (as reads fall) counted once.
  std::vector<Change> Until(const std::wstring& name) {
    std::vector<Change> all;
    for (;;) {
      Completion c = Next();
      if (!c.ok || !c.bytes) {
        ADD_FAILURE() << "read ended: ok " << c.ok << " error " << c.error << " bytes " << c.bytes;
        return all;
      }
      all.insert(all.end(), c.changes.begin(), c.changes.end());
      EXPECT_TRUE(Issue());
      for (const Change& change : c.changes) {
        if (change.name == name) {
          all.erase(std::unique(all.begin(), all.end()), all.end());
          return all;
        }
      }
    }
  }

  HANDLE folder() const { return m_folder; }
  bool Pending() const { return !HasOverlappedIoCompleted(&m_overlapped); }
  void ForgetFolder() { m_folder = INVALID_HANDLE_VALUE; }

 private:
  static constexpr ULONG_PTR kKey = 0x5150;
  std::vector<DWORD> m_buffer;
  DWORD m_bytes;
  BOOL m_subtree;
  DWORD m_filter;
  OVERLAPPED m_overlapped{};
  HANDLE m_folder = INVALID_HANDLE_VALUE;
  HANDLE m_port = nullptr;
};

bool Has(const std::vector<Change>& all, DWORD action, const std::wstring& name) {
  for (const Change& c : all) {
    if (c.action == action && c.name == name) return true;
  }
  return false;
}

size_t IndexOf(const std::vector<Change>& all, DWORD action, const std::wstring& name) {
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i].action == action && all[i].name == name) return i;
  }
  return all.size();
}

}  // namespace

TEST(DirectoryChanges, CreateWriteDeleteOfAFileInAnyFolder) {
  TempDir dir;
  fs::create_directories(dir / "sub");
  Watch watch(dir.path());
  ASSERT_TRUE(watch.Issue());
  Touch(dir / "sub" / "a.txt", "hello");
  fs::remove(dir / "sub" / "a.txt");
  Touch(dir / "end");
  std::vector<Change> all = watch.Until(L"end");
  std::vector<Change> expected = {{FILE_ACTION_ADDED, L"sub/a.txt"},
                                  {FILE_ACTION_MODIFIED, L"sub/a.txt"},
                                  {FILE_ACTION_REMOVED, L"sub/a.txt"},
                                  {FILE_ACTION_ADDED, L"end"}};
  all.resize(std::min(all.size(), size_t{4}));
  EXPECT_EQ(all, expected);
}

TEST(DirectoryChanges, ARenameInOneFolderIsAnAdjacentPairAMoveBetweenFoldersIsRemoveThenAdd) {
  TempDir dir;
  fs::create_directories(dir / "x");
  fs::create_directories(dir / "y");
  Touch(dir / "x" / "old");
  Touch(dir / "x" / "moving");
  Watch watch(dir.path());
  ASSERT_TRUE(watch.Issue());
  fs::rename(dir / "x" / "old", dir / "x" / "new");
  fs::rename(dir / "x" / "moving", dir / "y" / "moving");
  Touch(dir / "end");
  std::vector<Change> all = watch.Until(L"end");
  size_t old = IndexOf(all, FILE_ACTION_RENAMED_OLD_NAME, L"x/old");
  ASSERT_LT(old + 1, all.size());
  EXPECT_EQ(all[old + 1], (Change{FILE_ACTION_RENAMED_NEW_NAME, L"x/new"}));
  size_t removed = IndexOf(all, FILE_ACTION_REMOVED, L"x/moving");
  ASSERT_LT(removed + 1, all.size());
  EXPECT_EQ(all[removed + 1], (Change{FILE_ACTION_ADDED, L"y/moving"}));
}

TEST(DirectoryChanges, ANewFolderFilledAtOnceReportsEveryEntryAfterTheFolder) {
  TempDir dir;
  Watch watch(dir.path());
  ASSERT_TRUE(watch.Issue());
  // Made faster than a watch can be set on each new folder.
  fs::create_directories(dir / "n" / "deep" / "er");
  Touch(dir / "n" / "one");
  Touch(dir / "n" / "deep" / "two");
  Touch(dir / "n" / "deep" / "er" / "three");
  Touch(dir / "end");
  std::vector<Change> all = watch.Until(L"end");
  size_t folder = IndexOf(all, FILE_ACTION_ADDED, L"n");
  ASSERT_LT(folder, all.size());
  for (const wchar_t* name : {L"n/deep", L"n/deep/er", L"n/one", L"n/deep/two", L"n/deep/er/three"}) {
    size_t at = IndexOf(all, FILE_ACTION_ADDED, name);
    EXPECT_LT(at, all.size()) << WideToUtf8(name);
    EXPECT_GT(at, folder) << WideToUtf8(name);
  }
  // The new folders are watched from now on.
  Touch(dir / "n" / "deep" / "er" / "later");
  all = watch.Until(L"n/deep/er/later");
  EXPECT_TRUE(Has(all, FILE_ACTION_ADDED, L"n/deep/er/later"));
}

// An entry listed with its new folder, taken out of the tree and made again
// under its name (a file become a folder) is reported again, with its contents.
TEST(DirectoryChanges, AListedEntryMovedOutAndMadeAgainIsReportedAgain) {
  TempDir dir;
  TempDir outside;
  Watch watch(dir.path());
  ASSERT_TRUE(watch.Issue());
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    const std::wstring n = L"n" + std::to_wstring(round);
    const fs::path folder = dir.path() / ("n" + std::to_string(round));
    fs::create_directories(folder);
    Touch(folder / "f", "file");
    std::vector<Change> all = watch.Until(n + L"/f");
    fs::rename(folder / "f", outside / std::to_string(round));
    fs::create_directories(folder / "f");
    Touch(folder / "f" / "inner", "inner");
    Touch(dir / ("end" + std::to_string(round)));
    all = watch.Until(L"end" + std::to_wstring(round));
    const size_t removed = IndexOf(all, FILE_ACTION_REMOVED, n + L"/f");
    ASSERT_LT(removed, all.size()) << testing::PrintToString(all);
    const size_t added = IndexOf(all, FILE_ACTION_ADDED, n + L"/f");
    EXPECT_GT(added, removed);
    EXPECT_LT(added, all.size()) << testing::PrintToString(all);
    EXPECT_TRUE(Has(all, FILE_ACTION_ADDED, n + L"/f/inner")) << testing::PrintToString(all);
  }
}

TEST(DirectoryChanges, AFolderMovedInIsOneAdditionThenWatchedRenamedFoldersKeepTheirNewPath) {
  TempDir outside;
  fs::create_directories(outside / "m" / "inner");
  Touch(outside / "m" / "inner" / "file");
  TempDir dir;
  fs::create_directories(dir / "r" / "s");
  Watch watch(dir.path());
  ASSERT_TRUE(watch.Issue());
  fs::rename(outside / "m", dir / "m");
  fs::rename(dir / "r", dir / "q");
  std::vector<Change> all = watch.Until(L"q");
  // What is made in the folder from here on is reported under its new place.
  Touch(dir / "m" / "inner" / "later");
  Touch(dir / "q" / "s" / "after-rename");
  std::vector<Change> rest = watch.Until(L"q/s/after-rename");
  all.insert(all.end(), rest.begin(), rest.end());
  std::vector<Change> expected = {{FILE_ACTION_ADDED, L"m"},
                                  {FILE_ACTION_RENAMED_OLD_NAME, L"r"},
                                  {FILE_ACTION_RENAMED_NEW_NAME, L"q"},
                                  {FILE_ACTION_ADDED, L"m/inner/later"},
                                  {FILE_ACTION_MODIFIED, L"m/inner/later"},
                                  {FILE_ACTION_ADDED, L"q/s/after-rename"}};
  all.resize(std::min(all.size(), expected.size()));  // its write may follow
  EXPECT_EQ(all, expected);
}

TEST(DirectoryChanges, AFolderMovedOutIsARemovalAndThenSilent) {
  TempDir outside;
  TempDir dir;
  fs::create_directories(dir / "gone" / "sub");
  Watch watch(dir.path());
  ASSERT_TRUE(watch.Issue());
  fs::rename(dir / "gone", outside / "gone");
  Touch(outside / "gone" / "sub" / "unseen");
  Touch(dir / "end");
  std::vector<Change> all = watch.Until(L"end");
  std::vector<Change> expected = {
      {FILE_ACTION_REMOVED, L"gone"}, {FILE_ACTION_ADDED, L"end"}, {FILE_ACTION_MODIFIED, L"end"}};
  if (all.size() == 2) expected.pop_back();  // the last write may come with the next read
  EXPECT_EQ(all, expected);
}

TEST(DirectoryChanges, FilterAndSubtreeFlagDecideWhatIsReported) {
  TempDir dir;
  fs::create_directories(dir / "sub");
  Watch watch(dir.path(), 8192, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
  ASSERT_TRUE(watch.Issue());
  Touch(dir / "sub" / "below", "not in a watched folder");
  fs::create_directories(dir / "folder");  // not a file name
  Touch(dir / "written", "no write records asked for");
  Touch(dir / "end");
  std::vector<Change> all = watch.Until(L"end");
  std::vector<Change> expected = {{FILE_ACTION_ADDED, L"written"}, {FILE_ACTION_ADDED, L"end"}};
  EXPECT_EQ(all, expected);
}

TEST(DirectoryChanges, ChangesThatOutgrowTheBufferCompleteWithZeroBytesAndWatchingGoesOn) {
  TempDir dir;
  // Collects 64 bytes between reads: the two records of a one-character name, not one of a long name.
  Watch watch(dir.path(), 32);
  ASSERT_TRUE(watch.Issue());
  Touch(dir / "a-much-longer-name");
  Watch::Completion c = watch.Next();
  EXPECT_TRUE(c.ok);
  EXPECT_EQ(c.bytes, 0u);
  // Changes that come along with an overflow are lost with it; then short names
  // come whole again.
  for (char name = 'a';; ++name) {
    ASSERT_LE(name, 'j');
    ASSERT_TRUE(watch.Issue());
    Touch(dir / std::string(1, name));
    c = watch.Next();
    ASSERT_TRUE(c.ok);
    if (c.bytes == 0) continue;
    ASSERT_FALSE(c.changes.empty());
    EXPECT_EQ(c.changes[0].action, FILE_ACTION_ADDED);
    EXPECT_EQ(c.changes[0].name.size(), 1u);
    break;
  }
}

TEST(DirectoryChanges, ABurstFarLargerThanTheReadsBufferIsDeliveredInFullOverLaterReads) {
  TempDir dir;
  Watch watch(dir.path(), 4096);
  ASSERT_TRUE(watch.Issue());
  Touch(dir / "first");
  ASSERT_FALSE(watch.Until(L"first").empty());  // the watch runs; its read is issued again
  // Made while nobody reads: thousands of records, far past what one read holds.
  constexpr int kFiles = 3000;
  for (int i = 0; i < kFiles; ++i) Touch(dir / ("f" + std::to_string(i)));
  Touch(dir / "end");
  std::vector<Change> all = watch.Until(L"end");
  int added = 0;
  for (const Change& c : all) added += c.action == FILE_ACTION_ADDED && c.name[0] == L'f';
  EXPECT_EQ(added, kFiles);
}

TEST(DirectoryChanges, ClosingOrCancellingEndsAPendingReadAsAborted) {
  TempDir dir;
  Watch watch(dir.path());
  ASSERT_TRUE(watch.Issue());
  EXPECT_FALSE(watch.Issue());  // one read at a time
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  // CancelIo cancels only what the calling thread issued; CancelIoEx anything.
  std::thread([&] { EXPECT_TRUE(CancelIo(watch.folder())); }).join();
  EXPECT_TRUE(watch.Pending());
  OVERLAPPED other{};
  EXPECT_FALSE(CancelIoEx(watch.folder(), &other));
  EXPECT_EQ(GetLastError(), ERROR_NOT_FOUND);
  EXPECT_TRUE(watch.Pending());
  ASSERT_TRUE(CancelIo(watch.folder()));
  Watch::Completion c = watch.Next();
  EXPECT_FALSE(c.ok);
  EXPECT_EQ(c.error, ERROR_OPERATION_ABORTED);
  EXPECT_FALSE(CancelIoEx(watch.folder(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_NOT_FOUND);

  // Changes made meanwhile wait for the next read (a folder: one record, nothing after it).
  fs::create_directory(dir / "kept");
  ASSERT_TRUE(watch.Issue());
  EXPECT_TRUE(watch.Until(L"kept").size() >= 1);

  ASSERT_TRUE(CloseHandle(watch.folder()));
  watch.ForgetFolder();
  c = watch.Next();
  EXPECT_FALSE(c.ok);
  EXPECT_EQ(c.error, ERROR_OPERATION_ABORTED);
}

TEST(DirectoryChanges, TheWatchedFolderGoingAwayFailsTheReadAndRefusesTheNext) {
  TempDir dir;
  fs::create_directories(dir / "root");
  Watch watch(dir / "root");
  ASSERT_TRUE(watch.Issue());
  fs::remove_all(dir / "root");
  Watch::Completion c = watch.Next();
  EXPECT_FALSE(c.ok) << c.bytes << testing::PrintToString(c.changes);
  EXPECT_EQ(c.error, ERROR_ACCESS_DENIED);
  EXPECT_FALSE(watch.Issue());
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(DirectoryChanges, BadArgumentsAreRefused) {
  TempDir dir;
  Watch watch(dir.path());
  DWORD buffer[64];
  OVERLAPPED overlapped{};
  DWORD returned;
  EXPECT_FALSE(
      ReadDirectoryChangesW(watch.folder(), buffer, sizeof buffer, TRUE, kFilter, &returned, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(ReadDirectoryChangesW(watch.folder(), buffer, sizeof buffer, TRUE, 0, &returned, &overlapped, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(ReadDirectoryChangesW(watch.folder(), reinterpret_cast<BYTE*>(buffer) + 2, 32, TRUE, kFilter,
                                     &returned, &overlapped, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  HANDLE plain = CreateFileW(WidePath(dir.path().c_str()).c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  EXPECT_FALSE(ReadDirectoryChangesW(plain, buffer, sizeof buffer, TRUE, kFilter, &returned, &overlapped, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  CloseHandle(plain);
}
