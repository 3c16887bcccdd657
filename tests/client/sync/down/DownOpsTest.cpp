// The down side of the engine end to end: another device changes the
// account on the local cloud service, the pulls queue down tasks, the down
// operations apply them to a real sync folder; the local tree and the rows
// are checked after each step.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <thread>
#include <random>

#include "DownOpsFixture.h"
#include "LockHolderProcess.h"
#include "client/core/context/GlobalContext.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncNotify.h"
#include "client/sync/ops/LocalNetErrorManager.h"
#include "client/sync/ops/SyncResult.h"
#include "client/sync/ops/down/SyncDownloadFileOp.h"
#include "client/sync/pull/SyncFolderFromServerOp.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "win32/Windows.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "win32/ManualClock.h"

using namespace downtest;
using wintest::LockHolderProcess;

namespace {

std::string Bytes(size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(generator());
  return bytes;
}

using Tree = std::vector<std::string>;

bool HasPartFiles(const std::filesystem::path& root) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
    if (entry.path().filename().string().find(".dorv-part") != std::string::npos) return true;
  return false;
}

}  // namespace

// A first pull into an empty folder: nested folders, files of 0 bytes, one
// byte, exactly one range, one byte more than a range, and several ranges.
TEST_F(DownOpsTest, FullPullBuildsTheTreeWithOneRequestPerRange) {
  const juce::int64 a = Mkdir(m_rootID, "a");
  const juce::int64 b = Mkdir(a, "b");
  Put(m_rootID, "empty.txt", "");
  Put(m_rootID, "one.bin", "x");
  Put(a, "range.bin", Bytes(409600, 1));
  Put(a, "range+1.bin", Bytes(409601, 2));
  const juce::int64 big = Put(b, "big.bin", Bytes(1000000, 3));
  Admin("log/clear");

  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  EXPECT_EQ(LocalTree(), ServerTree());
  EXPECT_EQ(LocalTree().size(), 7u);
  // 0 + 1 + 1 + 1 + 3 ranges (a range is 409,601 bytes); the empty file asks
  // nothing at all.
  EXPECT_EQ(Requests("downloadFile"), 6);
  EXPECT_EQ(Requests("downloadFileControl"), 4);
  EXPECT_EQ(RowPath(big), Local("a/b/big.bin").toStdString());
  EXPECT_EQ(RowMd5(big), Md5(Bytes(1000000, 3)));
  SyncFolderData row;
  ASSERT_TRUE(SyncFileDataManager::SelectSyncFolderDataByID(b, row));
  EXPECT_EQ(row.m_FolderPath, Local("a/b"));
  EXPECT_EQ(row.m_ParentPath, "/" + juce::String(m_rootID) + "/" + juce::String(a) + "/");
  // Every local change was announced to the ignore list beforehand.
  for (const char* path : {"a", "a/b", "empty.txt", "one.bin", "a/b/big.bin"}) {
    const std::string entry = Local(path).toStdString();
    const auto ignored = IgnoredChanges();
    EXPECT_TRUE(std::any_of(ignored.begin(), ignored.end(), [&](const std::string& e) {
      return e.find("-> " + entry) != std::string::npos;
    })) << path;
  }
  EXPECT_FALSE(HasPartFiles(m_rootPath));
  // The root's version followed the applied changes.
  EXPECT_NE(SyncRootFolder::GetInstance()->GetGlobalVersion(), "0|0");
}

// Every kind of change another device makes reaches the folder through the
// incremental pull.
TEST_F(DownOpsTest, IncrementalPullAppliesAddModifyRenameMoveAndDelete) {
  const juce::int64 a = Mkdir(m_rootID, "a");
  const juce::int64 gone = Mkdir(m_rootID, "gone");
  Put(gone, "inside.txt", "inside");
  const juce::int64 f1 = Put(m_rootID, "f1.txt", "one");
  const juce::int64 f2 = Put(m_rootID, "f2.txt", "two");
  const juce::int64 f3 = Put(m_rootID, "f3.txt", "three");
  const juce::int64 f4 = Put(a, "f4.txt", "four");
  const juce::int64 f5 = Put(m_rootID, "f5.txt", "five");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  ASSERT_EQ(LocalTree(), ServerTree());

  Put(m_rootID, "f1.txt", "one, changed");
  Rename(f2, "f2-renamed.txt");
  Move(f3, a);
  Delete(f4);
  Delete(gone);
  Rename(a, "a2");
  const juce::int64 c = Mkdir(m_rootID, "c");
  Put(c, "new.txt", "new");
  // Renamed and changed at once: the old copy must not stay behind.
  Rename(f5, "f5-renamed.txt");
  Put(m_rootID, "f5-renamed.txt", "five, changed");

  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  Drain();
  EXPECT_EQ(LocalTree(), ServerTree());
  EXPECT_EQ(RowPath(f1), Local("f1.txt").toStdString());
  EXPECT_EQ(RowMd5(f1), Md5("one, changed"));
  EXPECT_EQ(RowPath(f2), Local("f2-renamed.txt").toStdString());
  EXPECT_EQ(RowPath(f3), Local("a2/f3.txt").toStdString());  // the folder's rename reached its rows
  EXPECT_EQ(RowPath(f4), "");
  EXPECT_EQ(RowPath(f5), Local("f5-renamed.txt").toStdString());
  EXPECT_EQ(RowMd5(f5), Md5("five, changed"));
  EXPECT_FALSE(SyncFileDataManager::IsFolderInDB(Local("gone")));
  EXPECT_FALSE(HasPartFiles(m_rootPath));
}

// A down operation never overwrites, moves away or deletes a local file
// whose content differs from the digest of the last sync.
TEST_F(DownOpsTest, LocalChangesSurviveEveryServerChange) {
  const juce::int64 d = Mkdir(m_rootID, "d");
  const juce::int64 kept = Put(d, "kept.txt", "server");
  Put(d, "plain.txt", "plain");
  const juce::int64 edited = Put(m_rootID, "edited.txt", "old");
  const juce::int64 deleted = Put(m_rootID, "deleted.txt", "old");
  const juce::int64 renamed = Put(m_rootID, "from.txt", "from");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();

  dorvtest::WriteFile(Path("edited.txt"), "mine");
  dorvtest::WriteFile(Path("deleted.txt"), "mine too");
  dorvtest::WriteFile(Path("d/kept.txt"), "my edit");
  dorvtest::WriteFile(Path("to.txt"), "not synced yet");  // the rename's target name
  Put(m_rootID, "edited.txt", "theirs");
  Delete(deleted);
  Delete(d);
  Rename(renamed, "to.txt");

  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  Drain();
  EXPECT_EQ(dorvtest::ReadFile(Path("edited.txt")), "mine");
  EXPECT_EQ(RowMd5(edited), Md5("old"));  // still the last sync's: the edit goes up
  EXPECT_EQ(dorvtest::ReadFile(Path("deleted.txt")), "mine too");
  EXPECT_EQ(dorvtest::ReadFile(Path("d/kept.txt")), "my edit");
  EXPECT_FALSE(std::filesystem::exists(Path("d/plain.txt")));
  EXPECT_EQ(RowMd5(kept), Md5("server"));
  EXPECT_EQ(dorvtest::ReadFile(Path("to.txt")), "not synced yet");
  EXPECT_EQ(dorvtest::ReadFile(Path("from.txt")), "from");
  EXPECT_FALSE(HasPartFiles(m_rootPath));
}

// A file renamed here a moment ago (the watcher has not said so yet): an
// edit pulled meanwhile waits for the rename instead of making the file
// again under its old name, and lands under the new one once the rename
// has gone up and moved the row.
TEST_F(DownOpsTest, AnEditForAFileThatLeftItsNameWaitsForThatChange) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  const juce::int64 f = Put(m_rootID, "f.txt", "v1");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  Put(m_rootID, "f.txt", "v2");
  std::filesystem::rename(Path("f.txt"), Path("g.txt"));
  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  EXPECT_EQ(Drain(3), std::vector<int>(3, SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN));
  EXPECT_EQ(LocalTree(), std::vector<std::string>{"g.txt=v1"});

  // What the rename's success writes.
  SyncFileData row;
  ASSERT_TRUE(SyncFileDataManager::SelectSyncFileData(Local("f.txt"), row));
  row.m_FilePath = Local("g.txt");
  ASSERT_TRUE(SaveSyncFileData(row));
  clock.Advance(1000);
  Drain();
  EXPECT_TRUE(m_manager->AreQueuesEmpty());
  EXPECT_EQ(LocalTree(), std::vector<std::string>{"g.txt=v2"});
  EXPECT_EQ(RowPath(f), Local("g.txt").toStdString());
  EXPECT_EQ(RowMd5(f), Md5("v2"));
}

// Two pulls listed a new file, the second after the service renamed it (and,
// for the second file, changed it): both found no row, so both queued an
// addition. The first puts the file in place under its old name; the second
// carries it to the new name instead of fetching a second copy beside it.
TEST_F(DownOpsTest, ANewFileRenamedBeforeItsFirstDownloadRanEndsUnderItsNewNameOnly) {
  const juce::int64 f = Put(m_rootID, "f.txt", "v1");
  const juce::int64 e = Put(m_rootID, "e.txt", "e1");
  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  Rename(f, "g.txt");
  Rename(e, "h.txt");
  Put(m_rootID, "h.txt", "e2");
  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  Drain();
  EXPECT_TRUE(m_manager->AreQueuesEmpty());
  EXPECT_EQ(LocalTree(), (std::vector<std::string>{"g.txt=v1", "h.txt=e2"}));
  EXPECT_EQ(RowPath(f), Local("g.txt").toStdString());
  EXPECT_EQ(RowPath(e), Local("h.txt").toStdString());
  EXPECT_EQ(RowMd5(e), Md5("e2"));
  EXPECT_FALSE(HasPartFiles(m_rootPath));
}

// Another folder renamed here to the name a service rename takes, its change
// still on its way up: the service's rename waits for it rather than take
// that folder for its own, and lands once the name is free.
TEST_F(DownOpsTest, AServiceFolderRenameWaitsForAnotherFolderRenamedHereToItsName) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  const juce::int64 d = Mkdir(m_rootID, "d");
  const juce::int64 e = Mkdir(m_rootID, "e");
  Put(e, "x.txt", "x");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  Rename(d, "P");
  std::filesystem::rename(Path("e"), Path("P"));
  bool pending = true;
  SyncEngineLinks links;
  links.isPathPending = [&](const juce::String& path) { return pending && path == Local("P"); };
  InstallSyncEngineLinks(links);
  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  EXPECT_EQ(Drain(1), std::vector<int>{SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN});
  EXPECT_EQ(LocalTree(), (std::vector<std::string>{"P/", "P/x.txt=x", "d/"}));

  // The other folder's rename went up and took another name.
  std::filesystem::rename(Path("P"), Path("P (1)"));
  SyncFileDataManager::ReplacePathPrefix(Local("e/"), Local("P (1)/"));
  pending = false;
  clock.Advance(1000);
  Drain();
  EXPECT_TRUE(m_manager->AreQueuesEmpty());
  EXPECT_EQ(LocalTree(), (std::vector<std::string>{"P (1)/", "P (1)/x.txt=x", "P/"}));
  EXPECT_EQ(SyncFileDataManager::GetFolderPathByID(d), Local("P"));
}

// The program itself took the file away from its name (the local version of
// a conflict, kept as a copy): nothing of the user's is on its way, and the
// edit lands at once.
TEST_F(DownOpsTest, AnEditForAFileTheProgramMovedAwayItselfLandsAtOnce) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  Put(m_rootID, "f.txt", "v1");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  Put(m_rootID, "f.txt", "v2");
  std::filesystem::rename(Path("f.txt"), Path("f (1).txt"));
  SyncDownloadFileOp::NameFreedForService(Local("f.txt"));
  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  EXPECT_EQ(Drain(1), std::vector<int>{SYNC_RESULT_SUCCESS});
  EXPECT_EQ(LocalTree(), (std::vector<std::string>{"f (1).txt=v1", "f.txt=v2"}));
}

// A synced file that has a second name outside the sync folder is replaced
// by a pulled edit like any other (its second name keeps the old content).
TEST_F(DownOpsTest, AnEditReplacesAFileThatHasASecondName) {
  Put(m_rootID, "f.txt", "v1");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  std::filesystem::create_hard_link(Path("f.txt"), m_dir.path() / "second name");
  Put(m_rootID, "f.txt", "v2");
  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  EXPECT_EQ(Drain(1), std::vector<int>{SYNC_RESULT_SUCCESS});
  EXPECT_EQ(LocalTree(), std::vector<std::string>{"f.txt=v2"});
  EXPECT_EQ(dorvtest::ReadFile(m_dir.path() / "second name"), "v1");
}

// Another item's file stands under a file's synced name (that item's row
// there too): a service rename of the file fetches its content into the new
// name and leaves the other item's file where it is.
TEST_F(DownOpsTest, AServiceRenameNeverCarriesOffAnotherItemsFile) {
  const juce::int64 f = Put(m_rootID, "f.txt", "mine");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  SyncFileData other;
  ASSERT_TRUE(SyncFileDataManager::SelectSyncFileData(Local("f.txt"), other));
  other.m_FileID = f + 1000;
  other.m_Md5 = juce::String(Md5("the other item's").c_str());
  ASSERT_TRUE(SaveSyncFileData(other));
  dorvtest::WriteFile(Path("f.txt"), "the other item's");

  Rename(f, "g.txt");
  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  Drain();
  EXPECT_EQ(LocalTree(), (std::vector<std::string>{"f.txt=the other item's", "g.txt=mine"}));
  EXPECT_EQ(RowPath(f), Local("g.txt").toStdString());
}

// A file another program holds: the change waits, the user is told once,
// and it is applied once the file is free.
TEST_F(DownOpsTest, AHeldFileWaitsAndIsReplacedOrDeletedWhenFree) {
  const juce::int64 f = Put(m_rootID, "held.txt", "v1");
  const juce::int64 g = Put(m_rootID, "held2.txt", "v1");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  Put(m_rootID, "held.txt", "v2");
  Delete(g);
  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  Admin("log/clear");
  {
    LockHolderProcess holder(Path("held.txt").string(), "flock-exclusive");
    LockHolderProcess holder2(Path("held2.txt").string(), "flock-exclusive");
    const std::vector<int> results = Drain(6);
    EXPECT_NE(std::find(results.begin(), results.end(), SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN), results.end());
    EXPECT_EQ(dorvtest::ReadFile(Path("held.txt")), "v1");
    EXPECT_TRUE(std::filesystem::exists(Path("held2.txt")));
    EXPECT_EQ(m_sink.Count(SNT_OCCUPIED), 2);
    EXPECT_FALSE(HasPartFiles(m_rootPath));  // the content waits out of the user's sight
  }
  Drain();
  EXPECT_TRUE(m_manager->AreQueuesEmpty());
  EXPECT_EQ(dorvtest::ReadFile(Path("held.txt")), "v2");
  EXPECT_EQ(Requests("downloadFile"), 1);  // received once, however often the placement waited
  EXPECT_EQ(RowMd5(f), Md5("v2"));
  EXPECT_FALSE(std::filesystem::exists(Path("held2.txt")));
  EXPECT_EQ(RowPath(g), "");
  EXPECT_EQ(m_sink.Count(SNT_OCCUPIED), 2);
}

// A download that breaks off in the middle leaves the local file as it was,
// and no half-written file anywhere in the folder; the retry completes it.
TEST_F(DownOpsTest, AnInterruptedDownloadLeavesTheLocalFileWhole) {
  const juce::int64 f = Put(m_rootID, "big.bin", Bytes(900000, 7));
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  Put(m_rootID, "big.bin", Bytes(900000, 8));
  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  Fault("op=downloadFile&drop=1&skip=1&times=1");
  const std::vector<int> first = Drain(1);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_NE(first[0], SYNC_RESULT_SUCCESS);
  EXPECT_EQ(dorvtest::ReadFile(Path("big.bin")), Bytes(900000, 7));
  EXPECT_EQ(RowMd5(f), Md5(Bytes(900000, 7)));
  EXPECT_FALSE(HasPartFiles(m_rootPath));

  // The broken connection took the engine offline; a transfer waits until it
  // is back (in the engine the link's next answer says so).
  EXPECT_FALSE(LocalNetErrorManager::GetInstance()->IsOnline());
  LocalNetErrorManager::GetInstance()->SetBackOnline();
  Drain();
  EXPECT_EQ(dorvtest::ReadFile(Path("big.bin")), Bytes(900000, 8));
  EXPECT_EQ(RowMd5(f), Md5(Bytes(900000, 8)));
}

// The content is received beside the file it replaces: what the user writes
// there while the ranges arrive (an edit of the synced file, a file of their
// own at a free name) is never overwritten, and the folder keeps no part.
class DownOpsWhileArrivingTest : public DownOpsTest {
 protected:
  // Pulls and runs the one download queued, writing the user's file at name
  // while its first range is on the way; then lets the retries run out.
  void WriteWhileTheContentArrives(const std::string& name) {
    ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
    // The service holds the first range back; the part is made before it is asked for.
    Fault("op=downloadFile&delayMs=500&times=1");
    auto run = std::async(std::launch::async, [&] { return Drain(1); });
    for (int i = 0; i < 2000 && !HasPartFiles(m_rootPath); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(HasPartFiles(m_rootPath));
    dorvtest::WriteFile(Path(name), "the user's");
    const std::vector<int> first = run.get();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_NE(first[0], SYNC_RESULT_SUCCESS);
    Drain();
    EXPECT_EQ(dorvtest::ReadFile(Path(name)), "the user's");
    EXPECT_FALSE(HasPartFiles(m_rootPath));
  }
};

TEST_F(DownOpsWhileArrivingTest, AnEditOfTheSyncedFileIsKept) {
  const juce::int64 f = Put(m_rootID, "edited.bin", Bytes(500000, 1));
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  Put(m_rootID, "edited.bin", Bytes(500000, 2));
  WriteWhileTheContentArrives("edited.bin");
  EXPECT_EQ(RowMd5(f), Md5(Bytes(500000, 1)));  // still the last sync's: the edit goes up
}

TEST_F(DownOpsWhileArrivingTest, AFileAtTheFreeNameIsKept) {
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  const juce::int64 f = Put(m_rootID, "new.bin", Bytes(500000, 2));
  WriteWhileTheContentArrives("new.bin");
  EXPECT_EQ(RowPath(f), "");
}

// A download whose name was free takes it only while it still is: a file put
// there meanwhile is never replaced, and the part waits for the next try.
TEST_F(DownOpsTest, ADownloadPlacedAtAFreeNameNeverReplacesAFileThatTookItMeanwhile) {
  const juce::String part = SyncDownloadFileOp::GetPartPath(juce::String(Path("taken.txt").string()), 42);
  { std::ofstream(part.toStdString(), std::ios::binary) << "the service's content"; }
  std::ofstream(Path("taken.txt"), std::ios::binary) << "the user's file";
  EXPECT_FALSE(SyncDownloadFileOp::PlacePart(part, juce::String(Path("taken.txt").string()), false));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(dorvtest::ReadFile(Path("taken.txt")), "the user's file");
  EXPECT_EQ(dorvtest::ReadFile(part.toStdString()), "the service's content");
  EXPECT_TRUE(SyncDownloadFileOp::PlacePart(part, juce::String(Path("free.txt").string()), false));
  EXPECT_EQ(dorvtest::ReadFile(Path("free.txt")), "the service's content");
  EXPECT_FALSE(HasPartFiles(m_rootPath));
}

// A wrong answer (an error page, a body with other bytes) is never put in
// place: the digest check refuses it and the task is retried.
TEST_F(DownOpsTest, ContentWithTheWrongDigestIsNeverPutInPlace) {
  const juce::int64 f = Put(m_rootID, "doc.txt", "server content");
  Fault("op=downloadFile&wrongMd5=1&times=1");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  const std::vector<int> first = Drain(1);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0], SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK);
  EXPECT_FALSE(std::filesystem::exists(Path("doc.txt")));
  Drain();
  EXPECT_EQ(dorvtest::ReadFile(Path("doc.txt")), "server content");
  EXPECT_EQ(RowMd5(f), Md5("server content"));
}

// An empty listing for a root the database knows items of, or a sync root
// that is not there (an unmounted drive), never deletes local files.
TEST_F(DownOpsTest, AnEmptyListingOrAMissingRootDeletesNothing) {
  const juce::int64 a = Mkdir(m_rootID, "a");
  const juce::int64 f = Put(a, "f.txt", "content");
  const juce::int64 g = Put(m_rootID, "g.txt", "content");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  const Tree before = LocalTree();

  Delete(a);
  Delete(g);
  EXPECT_EQ(FullPull(), SYNC_RESULT_ERROR_REMOVE);
  EXPECT_TRUE(m_manager->AreQueuesEmpty());
  EXPECT_EQ(LocalTree(), before);
  EXPECT_EQ(RowPath(f), Local("a/f.txt").toStdString());

  std::filesystem::rename(m_rootPath, m_dir.path() / "unmounted");
  Put(m_rootID, "new.txt", "new");
  EXPECT_EQ(FullPull(), SYNC_RESULT_ERROR_REMOVE);
  EXPECT_TRUE(m_manager->AreQueuesEmpty());
  EXPECT_FALSE(std::filesystem::exists(m_rootPath));
}

// The full pull on a folder with history: unchanged files the server no
// longer has go, changed ones stay (their rows go), a renamed file with new
// content keeps a locally changed old copy, and the root is never renamed.
TEST_F(DownOpsTest, FullPullKeepsChangedFilesAndTheRootsName) {
  const juce::int64 gone = Put(m_rootID, "gone.txt", "same");
  const juce::int64 changed = Put(m_rootID, "changed.txt", "same");
  const juce::int64 both = Put(m_rootID, "both.txt", "v1");
  const juce::int64 old = Mkdir(m_rootID, "old");
  Put(old, "old.txt", "old");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  const juce::String version = SyncRootFolder::GetInstance()->GetGlobalVersion();
  dorvtest::WriteFile(Path("changed.txt"), "mine");
  dorvtest::WriteFile(Path("both.txt"), "mine");
  Delete(gone);
  Delete(changed);
  Rename(both, "both2.txt");
  Put(m_rootID, "both2.txt", "v2");
  Rename(m_rootID, "ServerName");
  Delete(old);

  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  // The folder the server no longer has went, and its delete did not move
  // the root's version (least of all to a number the service can't take).
  EXPECT_FALSE(std::filesystem::exists(Path("old")));
  EXPECT_FALSE(SyncFileDataManager::IsFolderInDB(Local("old")));
  const juce::String after = SyncRootFolder::GetInstance()->GetGlobalVersion();
  EXPECT_GT(SyncHelper::CompareVersionValue(after, version), 0) << after;  // the other changes did
  EXPECT_LE(SyncHelper::GetVersionNumber(after).getLargeIntValue(),
            Admin("tree?account=" + std::string(signintest::kAccount))["g"].asInt64())
      << after;
  EXPECT_FALSE(std::filesystem::exists(Path("gone.txt")));
  EXPECT_EQ(dorvtest::ReadFile(Path("changed.txt")), "mine");
  EXPECT_EQ(RowPath(changed), "");
  EXPECT_EQ(dorvtest::ReadFile(Path("both.txt")), "mine");
  EXPECT_EQ(dorvtest::ReadFile(Path("both2.txt")), "v2");
  EXPECT_TRUE(std::filesystem::is_directory(m_rootPath));
  EXPECT_EQ(SyncRootFolder::GetInstance()->GetRootPath(), Local(""));
}

// A folder moved on the server: unchanged files move along, a changed file
// stays in the old place and is queued for upload, a held file waits in the
// moved-folder registry until it is free.
TEST_F(DownOpsTest, AFolderMoveCarriesUnchangedFilesAndKeepsTheRest) {
  const juce::int64 src = Mkdir(m_rootID, "src");
  const juce::int64 sub = Mkdir(src, "sub");
  const juce::int64 dst = Mkdir(m_rootID, "dst");
  const juce::int64 plain = Put(src, "plain.txt", "plain");
  Put(sub, "deep.txt", "deep");
  Put(src, "mine.txt", "v1");
  const juce::int64 held = Put(src, "held.txt", "held");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  dorvtest::WriteFile(Path("src/mine.txt"), "my edit");
  Move(src, dst);
  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  {
    LockHolderProcess holder(Path("src/held.txt").string(), "flock-exclusive");
    Drain(4);
    EXPECT_EQ(dorvtest::ReadFile(Path("dst/src/plain.txt")), "plain");
    EXPECT_EQ(dorvtest::ReadFile(Path("dst/src/sub/deep.txt")), "deep");
    EXPECT_EQ(dorvtest::ReadFile(Path("src/held.txt")), "held");
    EXPECT_EQ(dorvtest::ReadFile(Path("src/mine.txt")), "my edit");
    EXPECT_EQ(m_sink.Count(SNT_OCCUPIED), 1);
  }
  Drain();
  EXPECT_EQ(dorvtest::ReadFile(Path("dst/src/held.txt")), "held");
  EXPECT_EQ(RowPath(held), Local("dst/src/held.txt").toStdString());
  EXPECT_EQ(RowPath(plain), Local("dst/src/plain.txt").toStdString());
  // The server's mine.txt came down into the new place; the edit stays in
  // the old one and goes up from there.
  EXPECT_EQ(dorvtest::ReadFile(Path("dst/src/mine.txt")), "v1");
  EXPECT_EQ(dorvtest::ReadFile(Path("src/mine.txt")), "my edit");
  EXPECT_FALSE(std::filesystem::exists(Path("src/sub")));
  EXPECT_NE(std::find(m_localAdds.begin(), m_localAdds.end(), Local("src/mine.txt").toStdString()), m_localAdds.end());
}

// A record whose size does not fit the wire is refused plainly: no empty
// file takes its place, and the user is told.
TEST_F(DownOpsTest, ASizeOutOfRangeIsRefusedNotMadeEmpty) {
  SyncFileData record;
  record.m_FileID = 999001;
  record.m_ParentID = m_rootID;
  record.m_FileName = "huge.iso";
  record.m_Md5 = "0123456789abcdef0123456789abcdef";
  record.m_FileSize = -2;
  record.m_VersionValue = "1|5";
  auto* task = new DownSyncTask();
  task->m_pFileData = std::make_unique<SyncFileData>(record);
  task->m_nServerID = record.m_FileID;
  task->m_nOp = DOWN_OP_FILE_ADD;
  m_manager->AddTask(task);
  EXPECT_EQ(Drain(), std::vector<int>{SYNC_RESULT_ERROR_REMOVE});
  EXPECT_FALSE(std::filesystem::exists(Path("huge.iso")));
  EXPECT_EQ(Requests("downloadFileControl"), 0);
  EXPECT_EQ(m_sink.Count(SNT_FILE_TOO_BIG), 1);
}

// A folder creation for a folder the database knows under another name runs
// again as a rename of that folder; its files' rows follow.
TEST_F(DownOpsTest, ACreationOfAKnownFolderBecomesItsRename) {
  const juce::int64 a = Mkdir(m_rootID, "a");
  const juce::int64 f = Put(a, "f.txt", "f");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  Rename(a, "b");
  SyncFolderData record;
  ASSERT_TRUE(SyncFileDataManager::SelectSyncFolderDataByID(a, record));
  record.m_FolderName = "b";
  record.m_FolderPath = juce::String();
  record.m_VersionValue = "1|999";
  auto* task = new DownSyncTask();
  task->m_bIsFile = 0;
  task->m_pFolderData = std::make_unique<SyncFolderData>(record);
  task->m_nServerID = a;
  task->m_nOp = DOWN_OP_FOLDER_ADD;
  task->m_bTracksVersion = false;
  m_manager->AddTask(task);
  EXPECT_EQ(Drain(), (std::vector<int>{SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK, SYNC_RESULT_SUCCESS}));
  EXPECT_EQ(LocalTree(), (Tree{"b/", "b/f.txt=f"}));
  EXPECT_EQ(RowPath(f), Local("b/f.txt").toStdString());
}

// The local file was changed to exactly what the server now holds: the
// change is taken as applied, not as a conflict that fails the task.
TEST_F(DownOpsTest, ALocalFileAlreadyHoldingTheServersContentIsTakenAsDone) {
  const juce::int64 f = Put(m_rootID, "same.txt", "v1");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  dorvtest::WriteFile(Path("same.txt"), "v2");
  Put(m_rootID, "same.txt", "v2");
  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  EXPECT_EQ(Drain(), std::vector<int>{SYNC_RESULT_SUCCESS});
  EXPECT_EQ(dorvtest::ReadFile(Path("same.txt")), "v2");
  EXPECT_EQ(RowMd5(f), Md5("v2"));
}

// A pull of one folder (after an upload conflict there) lists only that
// folder's changes: the root's stored version must not pass the changes
// elsewhere that it did not list.
// Another device changed the file again between the pull that listed its
// change and the download: the service no longer holds the listed content.
// That change is over (the newer one comes with the next pull), so it holds
// the stored version back no longer; the next pull brings the newer content.
TEST_F(DownOpsTest, ADownloadOfContentTheServiceReplacedSinceLetsTheStoredVersionGoOn) {
  Put(m_rootID, "f.txt", "one");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  Put(m_rootID, "f.txt", "two");
  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  const juce::StringArray listed = m_manager->GetPendingVersions().GetVersions();
  ASSERT_EQ(listed.size(), 1);
  Put(m_rootID, "f.txt", "three");
  Drain();
  EXPECT_TRUE(m_manager->GetPendingVersions().GetVersions().isEmpty());
  EXPECT_EQ(SyncRootFolder::GetInstance()->GetGlobalVersion(), listed[0]);
  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  Drain();
  EXPECT_EQ(LocalTree(), ServerTree());
}

TEST_F(DownOpsTest, APullOfOneFolderLeavesTheRootsVersionForTheOthers) {
  const juce::int64 a = Mkdir(m_rootID, "a");
  const juce::int64 b = Mkdir(m_rootID, "b");
  Put(a, "x.txt", "x1");
  Put(b, "y.txt", "y1");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  const juce::String before = SyncRootFolder::GetInstance()->GetGlobalVersion();

  Put(b, "y.txt", "y2");  // the lower version, in the other folder
  Put(a, "x.txt", "x2");
  SyncFolderFromServerOp folderPull(before, a, m_manager.get());
  ASSERT_EQ(folderPull.Run(), SYNC_RESULT_SUCCESS);
  Drain();
  ASSERT_EQ(dorvtest::ReadFile(Path("a/x.txt")), "x2");
  EXPECT_EQ(SyncRootFolder::GetInstance()->GetGlobalVersion(), before);

  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  Drain();
  EXPECT_EQ(dorvtest::ReadFile(Path("b/y.txt")), "y2");
  EXPECT_EQ(LocalTree(), ServerTree());
}
