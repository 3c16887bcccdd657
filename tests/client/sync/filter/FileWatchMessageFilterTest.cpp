// The file-watch message filter against a real per-user database and a real
// sync folder: what each delivered change becomes in the up task manager's
// queue, the changes the program made itself, and one run with the real
// watcher.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
#include <vector>

#include "../EngineTestSupport.h"
#include "client/core/account/AccountData.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/filter/FileWatchMessageFilter.h"
#include "client/sync/filter/UpTaskManagerQueue.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/tasks/SyncUpTaskManager.h"
#include "client/sync/tasks/UpSyncTask.h"
#include "client/sync/watcher/FileSystemWatcher.h"
#include "common/StringConvert.h"

namespace {

using enginetest::EngineTest;

struct QueuedTask {
  int op;
  juce::String path;
  juce::String srcPath;
  juce::String md5;
  int isFile;
  juce::int64 id;
  juce::int64 srcID;
  bool operator==(const QueuedTask&) const = default;
};

std::ostream& operator<<(std::ostream& out, const QueuedTask& t) {
  return out << "{op " << t.op << " " << t.path << " <- " << t.srcPath << " file " << t.isFile << " id " << t.id
             << "/" << t.srcID << "}";
}

// The up task manager as the filter sees it: records what is queued.
class RecordingUpQueue : public IUpTaskQueue {
 public:
  bool HoldForTranslation() override {
    std::lock_guard guard(m_lock);
    if (m_busy == 2) return false;
    m_busy = 1;
    return true;
  }
  void EndTranslation() override {
    std::lock_guard guard(m_lock);
    m_busy = 0;
  }
  void ClassifyTask(UpSyncTask*) override {}
  void AddTask(UpSyncTask* task) override {
    std::unique_ptr<UpSyncTask> owned(task);
    std::lock_guard guard(m_lock);
    m_tasks.push_back({task->m_nOp, task->m_sPath, task->m_sSrcPath, task->m_sMd5, task->m_bIsFile, task->m_nID,
                       task->m_nSrcID});
    m_changed.notify_all();
  }
  bool FindTaskByPath(const juce::String& path, int& isFile) override {
    std::lock_guard guard(m_lock);
    for (const QueuedTask& t : m_tasks) {
      if (t.path == path || t.srcPath == path) {
        isFile = t.isFile;
        return true;
      }
    }
    return false;
  }
  bool IsFileLeaving(const juce::String& path) override {
    std::lock_guard guard(m_lock);
    return std::any_of(m_tasks.begin(), m_tasks.end(), [&](const QueuedTask& t) {
      return (t.op == UP_OP_FILE_RENAME || t.op == UP_OP_FILE_MOVE) && t.srcPath == path && t.path != path;
    });
  }
  std::vector<QueuedTask> Tasks() {
    std::lock_guard guard(m_lock);
    return m_tasks;
  }
  void Forget() {
    std::lock_guard guard(m_lock);
    m_tasks.clear();
  }
  void SetBusy(int state) {
    std::lock_guard guard(m_lock);
    m_busy = state;
  }
  bool WaitFor(const std::function<bool(const std::vector<QueuedTask>&)>& done) {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::seconds(15), [&] { return done(m_tasks); });
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<QueuedTask> m_tasks;
  int m_busy = 0;
};

class FileWatchMessageFilterTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    m_filter = std::make_unique<FileWatchMessageFilter>("FileWatchMessageFilter", &m_up, &m_ignore);
  }
  void TearDown() override {
    m_filter->SignExit();
    m_filter.reset();
    EngineTest::TearDown();
  }

  juce::String Write(const std::string& relative, const std::string& content) {
    juce::File file(Local(relative));
    file.getParentDirectory().createDirectory();
    file.replaceWithText(content);
    return file.getFullPathName();
  }
  juce::String Folder(const std::string& relative) {
    juce::File folder(Local(relative));
    folder.createDirectory();
    return folder.getFullPathName();
  }
  void SaveFile(const SyncFileData& row) {
    SyncFileData copy = row;
    ASSERT_TRUE(SaveSyncFileData(copy));
  }
  void SaveFolder(const SyncFolderData& row) {
    SyncFolderData copy = row;
    ASSERT_TRUE(SaveSyncFolderData(copy));
  }
  static CString C(const juce::String& path) { return Common::String_To_CString(path); }
  void Deliver(int type, const juce::String& path, const juce::String& oldPath = {}) {
    switch (type) {
      case WATCHER_EVENT_ADDED: {
        CFileSystemEventArgs a(type, C(path));
        m_filter->OnFileAdded(&a);
        break;
      }
      case WATCHER_EVENT_REMOVED: {
        CFileSystemEventArgs a(type, C(path));
        m_filter->OnFileDeleted(&a);
        break;
      }
      case WATCHER_EVENT_MODIFIED: {
        CFileSystemEventArgs a(type, C(path));
        m_filter->OnFileChanged(&a);
        break;
      }
      case WATCHER_EVENT_RENAMED: {
        CRenamedEventArgs a(type, C(path), C(oldPath));
        m_filter->OnFileRenamed(&a);
        break;
      }
      case WATCHER_EVENT_MOVED: {
        CMovedEventArgs a(C(path), C(oldPath));
        m_filter->OnFileMoved(&a);
        break;
      }
    }
  }
  // Translates every queued message on the test's thread (the filter's own
  // thread is held).
  void TranslateAll() {
    while (m_filter->TranslateFrontMessage()) {
    }
  }
  std::vector<std::pair<juce::String, int>> Statuses() {
    std::lock_guard guard(m_callsLock);
    return m_calls.pathStatuses;
  }

  RecordingUpQueue m_up;
  ProgramChangeIgnoreList m_ignore;
  std::unique_ptr<FileWatchMessageFilter> m_filter;
};

constexpr int A = WATCHER_EVENT_ADDED, D = WATCHER_EVENT_REMOVED, M = WATCHER_EVENT_MODIFIED,
              RN = WATCHER_EVENT_RENAMED, MV = WATCHER_EVENT_MOVED;

TEST_F(FileWatchMessageFilterTest, ADownloadsOwnChangeIsConsumedAndTheNextChangeIsUploaded) {
  juce::String target = Write("dl.txt", "from the service");
  m_ignore.Add(target, target, M);
  Deliver(M, target);
  TranslateAll();
  EXPECT_TRUE(m_up.Tasks().empty());
  EXPECT_EQ(Statuses(), (std::vector<std::pair<juce::String, int>>{{target, 1}}));

  Deliver(M, target);
  TranslateAll();
  ASSERT_EQ(m_up.Tasks().size(), 1u);
  EXPECT_EQ(m_up.Tasks()[0].op, UP_OP_FILE_MODIFY);
  EXPECT_EQ(m_up.Tasks()[0].md5, SyncHelper::GetFileMD5(target));
}

TEST_F(FileWatchMessageFilterTest, AFolderTheProgramMadeAndTheUserReplacedByAFileLetsTheFileGoUp) {
  // The program made the folder d (its report never came); the user removes
  // it and puts a file d there: the file is the user's.
  const juce::String d = Folder("d");
  m_ignore.Add(d, d, A);
  SaveFolder(FolderRow(17, d, 1));
  juce::File(d).deleteRecursively();
  Deliver(D, d);
  TranslateAll();
  ASSERT_EQ(m_up.Tasks().size(), 1u);
  EXPECT_EQ(m_up.Tasks()[0].op, UP_OP_FOLDER_DELETE);
  m_up.Forget();
  SyncFileDataManager::DeleteFolderByPath(d);  // the delete went up
  Write("d", "now a file");
  Deliver(A, d);
  TranslateAll();
  ASSERT_EQ(m_up.Tasks().size(), 1u);
  EXPECT_EQ(m_up.Tasks()[0].op, UP_OP_FILE_ADD);
}

TEST_F(FileWatchMessageFilterTest, AnAdditionAndAModificationConsumeEachOthersEntries) {
  juce::String a = Write("a.txt", "a");
  juce::String b = Write("b.txt", "b");
  m_ignore.Add(a, a, A);
  m_ignore.Add(b, b, M);
  Deliver(M, a);
  Deliver(A, b);
  TranslateAll();
  EXPECT_TRUE(m_up.Tasks().empty());
  EXPECT_EQ(m_ignore.GetCount(), 0);
}

TEST_F(FileWatchMessageFilterTest, EachChangeBecomesItsTaskWithTheStoredIds) {
  juce::String folder = Folder("docs");
  SaveFolder(FolderRow(10, folder, 1));
  juce::String same = Write("docs/same.txt", "same");
  SaveFile(FileRow(20, same, 10, SyncHelper::GetFileMD5(same)));
  juce::String edited = Write("docs/edited.txt", "new text");
  SaveFile(FileRow(21, edited, 10, "0123"));
  juce::String fresh = Write("docs/fresh.txt", "fresh");
  juce::String renamed = Write("docs/renamed.txt", "r");
  SaveFile(FileRow(22, Local("docs/before.txt"), 10, "0456"));
  SaveFile(FileRow(23, Local("docs/deleted.txt"), 10));
  juce::String sub = Folder("docs/sub");

  Deliver(A, same);                    // content as stored: nothing to send
  Deliver(M, edited);                  // modification
  Deliver(A, fresh);                   // new file
  Deliver(RN, renamed, Local("docs/before.txt"));
  Deliver(D, Local("docs/deleted.txt"));
  Deliver(A, sub);                     // new folder
  Deliver(M, sub);                     // a folder's modification is nothing
  Deliver(D, Local("docs/unknown"));   // neither stored nor queued: nothing
  Deliver(A, Local("docs/vanished"));  // neither on disk nor stored: nothing
  TranslateAll();

  const std::vector<QueuedTask> expected = {
      {UP_OP_FILE_MODIFY, edited, edited, SyncHelper::GetFileMD5(edited), 1, 21, 21},
      {UP_OP_FILE_ADD, fresh, fresh, SyncHelper::GetFileMD5(fresh), 1, 0, 0},
      {UP_OP_FILE_RENAME, renamed, Local("docs/before.txt"), "", 1, 0, 22},
      {UP_OP_FILE_DELETE, Local("docs/deleted.txt"), Local("docs/deleted.txt"), "", 1, 23, 23},
      {UP_OP_FOLDER_ADD, sub, sub, "", 0, 0, 0},
  };
  EXPECT_EQ(m_up.Tasks(), expected);
  EXPECT_EQ(m_sink.PathStates(), (std::vector<std::pair<juce::String, int>>{{same, 3}}));
}

TEST_F(FileWatchMessageFilterTest, AFileWrittenUnderATemporaryNameAndRenamedIntoPlaceIsAnAddition) {
  juce::String saved = Write("saved.txt", "content");
  Deliver(RN, saved, Local(".saved.tmp123"));  // neither stored nor queued
  juce::String folder = Folder("unpacked");
  juce::String inside = Write("unpacked/in.txt", "i");
  Deliver(RN, folder, Local("unpacked.partial"));
  TranslateAll();
  const std::vector<QueuedTask> expected = {
      {UP_OP_FILE_ADD, saved, saved, SyncHelper::GetFileMD5(saved), 1, 0, 0},
      {UP_OP_FOLDER_ADD, folder, folder, "", 0, 0, 0},
      {UP_OP_FILE_ADD, inside, inside, SyncHelper::GetFileMD5(inside), 1, 0, 0},
  };
  EXPECT_EQ(m_up.Tasks(), expected);
}

// A download writes its hidden copy before it lists the copy as its own, so
// the watcher may report the copy first; the copy is the engine's whatever
// the order, and never becomes a file on the service. (A folder moved in with
// one left in it neither.)
TEST_F(FileWatchMessageFilterTest, ADownloadsHiddenCopyIsNeverSentUp) {
  juce::String hidden = Write("docs/.100009.dorv-part", "on its way");
  Deliver(A, hidden);
  Deliver(M, hidden);
  juce::String moved = Folder("moved");
  Write("moved/.7.dorv-part", "left by a download");
  juce::String kept = Write("moved/.dorv-part", "the user's own");
  Deliver(RN, moved, Local("moved.partial"));
  TranslateAll();
  const std::vector<QueuedTask> expected = {
      {UP_OP_FOLDER_ADD, moved, moved, "", 0, 0, 0},
      {UP_OP_FILE_ADD, kept, kept, SyncHelper::GetFileMD5(kept), 1, 0, 0},
  };
  EXPECT_EQ(m_up.Tasks(), expected);
}

TEST_F(FileWatchMessageFilterTest, ARemovalOfAPathOnlyQueuedTakesTheKindOfTheQueuedTask) {
  juce::String folder = Folder("made");
  Deliver(A, folder);
  TranslateAll();
  juce::File(folder).deleteRecursively();
  Deliver(D, folder);
  TranslateAll();
  ASSERT_EQ(m_up.Tasks().size(), 2u);
  EXPECT_EQ(m_up.Tasks()[1].op, UP_OP_FOLDER_DELETE);
}

// The folder a.txt was renamed to "a.txt (1)" and a file a.txt came since;
// the folder's removal goes up as a folder's, by its own row, not as the
// removal of the file that now holds the name the folder left.
TEST_F(FileWatchMessageFilterTest, ARemovalTakesTheKindOfItsOwnRowBeforeThatOfANameARenameLeft) {
  const juce::String folder = Folder("a.txt (1)");
  Deliver(RN, folder, Local("a.txt"));
  TranslateAll();
  m_up.Forget();
  SaveFolder(FolderRow(17, folder, 1));
  SaveFile(FileRow(40, Write("a.txt", "came down"), 1));
  juce::File(folder).deleteRecursively();
  Deliver(D, folder);
  TranslateAll();
  ASSERT_EQ(m_up.Tasks().size(), 1u);
  EXPECT_EQ(m_up.Tasks()[0].op, UP_OP_FOLDER_DELETE);
}

// A folder moved to another parent: the new tree's folders are made, the files
// known at the old place move into them (their ids, and what another device
// did to them, stay), the others are added, and the old folder goes last.
TEST_F(FileWatchMessageFilterTest, AFolderMovedInMovesTheFilesItHeldThenRemovesTheOldFolder) {
  juce::String moved = Folder("dest/moved");
  Folder("dest/moved/inner");
  juce::String top = Write("dest/moved/top.txt", "t");
  juce::String deep = Write("dest/moved/inner/deep.txt", "d");
  Write("dest/moved/Desktop.INI", "i");
  Write("dest/moved/inner/thumbs.db", "i");
  juce::String old = Local("src/moved");
  SaveFile(FileRow(40, old + "/top.txt", 10, SyncHelper::GetFileMD5(top)));

  Deliver(MV, moved, old);
  TranslateAll();
  std::vector<QueuedTask> tasks = m_up.Tasks();
  ASSERT_EQ(tasks.size(), 5u) << testing::PrintToString(tasks);
  EXPECT_EQ(tasks[0], (QueuedTask{UP_OP_FOLDER_ADD, moved, moved, "", 0, 0, 0}));
  EXPECT_EQ(tasks[1], (QueuedTask{UP_OP_FILE_MOVE, top, old + "/top.txt", "", 1, 0, 40}));
  EXPECT_EQ(tasks[2].path, moved + "/inner");
  EXPECT_EQ(tasks[3], (QueuedTask{UP_OP_FILE_ADD, deep, deep, SyncHelper::GetFileMD5(deep), 1, 0, 0}));
  EXPECT_EQ(tasks[4], (QueuedTask{UP_OP_FOLDER_DELETE, old, old, "", 0, 0, 0}));
}

TEST_F(FileWatchMessageFilterTest, AFileMovedUnderItsNameWithNewContentIsMovedThenChanged) {
  juce::String moved = Write("b/x.txt", "new content");
  SaveFile(FileRow(30, Local("a/x.txt"), 10, "0123"));
  juce::String same = Write("b/y.txt", "kept");
  SaveFile(FileRow(31, Local("a/y.txt"), 10, SyncHelper::GetFileMD5(same)));
  Deliver(MV, moved, Local("a/x.txt"));
  Deliver(MV, same, Local("a/y.txt"));
  TranslateAll();
  std::vector<QueuedTask> tasks = m_up.Tasks();
  ASSERT_EQ(tasks.size(), 3u) << testing::PrintToString(tasks);
  EXPECT_EQ(tasks[0], (QueuedTask{UP_OP_FILE_MOVE, moved, Local("a/x.txt"), "", 1, 0, 30}));
  EXPECT_EQ(tasks[1].op, UP_OP_FILE_MODIFY);
  EXPECT_EQ(tasks[1].path, moved);
  EXPECT_EQ(tasks[1].md5, SyncHelper::GetFileMD5(moved));
  EXPECT_EQ(tasks[2], (QueuedTask{UP_OP_FILE_MOVE, same, Local("a/y.txt"), "", 1, 0, 31}));
}

// The user changed a file just before the program renamed it for the
// service; the change, delivered under the old name, found nothing there.
// The program's rename still brings it: the new name's content differs from
// the row's.
TEST_F(FileWatchMessageFilterTest, AChangeMadeJustBeforeTheProgramRenamedTheFileGoesUp) {
  const juce::String renamed = Write("a.txt", "changed here");
  SaveFile(FileRow(60, renamed, 10, "0123"));  // the rename's row, the content as last synced
  const juce::String same = Write("same.txt", "as synced");
  SaveFile(FileRow(61, same, 10, SyncHelper::GetFileMD5(same)));
  m_ignore.Add(Local("Report.TXT"), renamed, RN);
  m_ignore.Add(Local("old.txt"), same, RN);
  Deliver(M, Local("Report.TXT"));
  TranslateAll();  // gone already: nothing to send
  Deliver(RN, renamed, Local("Report.TXT"));
  Deliver(RN, same, Local("old.txt"));
  TranslateAll();
  const std::vector<QueuedTask> tasks = m_up.Tasks();
  ASSERT_EQ(tasks.size(), 1u) << testing::PrintToString(tasks);
  EXPECT_EQ(tasks[0].op, UP_OP_FILE_MODIFY);
  EXPECT_EQ(tasks[0].path, renamed);
  EXPECT_EQ(tasks[0].md5, SyncHelper::GetFileMD5(renamed));
}

// The hidden copy a download writes beside its target before it takes the
// target's name never goes up, also when its report comes late.
TEST_F(FileWatchMessageFilterTest, ADownloadsHiddenCopyIsNeverQueued) {
  const juce::String part = Write(".100008.dorv-part", "staged content");
  Deliver(A, part);
  Deliver(M, part);
  Deliver(RN, part, Local(".100009.dorv-part"));
  TranslateAll();
  EXPECT_TRUE(m_up.Tasks().empty()) << testing::PrintToString(m_up.Tasks());
}

// A stored file replaced (or changed) and renamed a moment later, before the
// filter translated the change: the rename goes first, and the change follows
// it under the new name, so the service renames its file and then takes the
// content instead of getting a second file.
TEST_F(FileWatchMessageFilterTest, AChangeOfAFileRenamedAMomentLaterFollowsTheRename) {
  for (const int change : {A, M}) {
    SCOPED_TRACE(change == A ? "replaced" : "changed");
    m_up.Forget();
    SaveFile(FileRow(50, Local("f.txt"), 10, "0123"));
    const juce::String renamed = Write("g.txt", "edited here");
    Deliver(change, Local("f.txt"));
    Deliver(RN, renamed, Local("f.txt"));
    TranslateAll();
    const std::vector<QueuedTask> tasks = m_up.Tasks();
    ASSERT_EQ(tasks.size(), 2u) << testing::PrintToString(tasks);
    EXPECT_EQ(tasks[0], (QueuedTask{UP_OP_FILE_RENAME, renamed, Local("f.txt"), "", 1, 0, 50}));
    EXPECT_EQ(tasks[1].path, renamed);
    EXPECT_EQ(tasks[1].md5, SyncHelper::GetFileMD5(renamed));
    juce::File(renamed).deleteFile();
  }
}

// The changes inside the folder also go behind its rename: a sub-folder
// made just before the rename and sent first would find no folder of the
// new name on the service, and the engine would make one beside the renamed.
TEST_F(FileWatchMessageFilterTest, RenamingAFolderRewritesTheQueuedPathsInsideItAndPutsThemBehindIt) {
  juce::String oldFolder = Local("old");
  Deliver(A, oldFolder + "/a.txt");
  Deliver(M, oldFolder + "/sub/b.txt");
  Deliver(A, Local("older/c.txt"));  // begins with the same letters, lies elsewhere
  Deliver(D, oldFolder + "/gone.txt");
  Deliver(A, oldFolder + "/made");
  Deliver(RN, oldFolder + "/made2", oldFolder + "/made");
  juce::String newFolder = Folder("new");
  Deliver(RN, newFolder, oldFolder);
  std::vector<juce::String> paths;
  for (const FileWatchMessage& m : m_filter->GetMessages()) paths.push_back(m.m_sSrcPath + " > " + m.m_sPath);
  const std::vector<juce::String> expected = {
      Local("older/c.txt") + " > " + Local("older/c.txt"),
      oldFolder + "/gone.txt > " + oldFolder + "/gone.txt",  // removals stay
      oldFolder + " > " + newFolder,
      newFolder + "/a.txt > " + newFolder + "/a.txt",
      newFolder + "/sub/b.txt > " + newFolder + "/sub/b.txt",
      newFolder + "/made > " + newFolder + "/made",
      newFolder + "/made > " + newFolder + "/made2",
  };
  EXPECT_EQ(paths, expected);
  EXPECT_TRUE(m_filter->IsPathQueued(newFolder + "/a.txt"));
  EXPECT_FALSE(m_filter->IsPathQueued(oldFolder + "/a.txt"));
  m_filter->ClearFileWatchMessage();
  EXPECT_EQ(m_filter->GetMessageCount(), 0);
}

// The folder P is stored (rows under P) and the user renamed it to R before
// the changes made in it were delivered: none is dropped for its path being
// gone, in either order of delivery.
TEST_F(FileWatchMessageFilterTest, ChangesUnderAFolderRenamedAMomentLaterFollowTheRename) {
  SaveFolder(FolderRow(40, Local("P"), 1));
  SaveFolder(FolderRow(41, Local("P/D"), 40));
  SaveFile(FileRow(42, Local("P/a.txt"), 40, "0123"));
  SaveFile(FileRow(43, Local("P/x.txt"), 40, "0456"));
  const juce::String r = Folder("R");
  const juce::String added = Write("R/new.txt", "new"), changed = Write("R/a.txt", "overwritten");
  const juce::String renamed = Write("R/y.txt", "x");

  Deliver(A, Local("P/new.txt"));  // before the rename's delivery
  Deliver(RN, r, Local("P"));
  Deliver(M, Local("P/a.txt"));  // after it
  Deliver(D, r + "/D");          // stored as P/D until the rename goes up
  Deliver(RN, renamed, r + "/x.txt");
  TranslateAll();

  // The rename's look at the folder finds the two changes as well; the up
  // manager keeps one task of a path.
  std::vector<QueuedTask> tasks;
  for (const QueuedTask& t : m_up.Tasks())
    if (std::find(tasks.begin(), tasks.end(), t) == tasks.end()) tasks.push_back(t);
  const std::vector<QueuedTask> expected = {
      {UP_OP_FOLDER_RENAME, r, Local("P"), "", 0, 0, 0},
      {UP_OP_FILE_MODIFY, changed, changed, SyncHelper::GetFileMD5(changed), 1, 0, 0},
      {UP_OP_FILE_ADD, added, added, SyncHelper::GetFileMD5(added), 1, 0, 0},
      {UP_OP_FOLDER_DELETE, r + "/D", r + "/D", "", 0, 0, 0},
      {UP_OP_FILE_RENAME, renamed, r + "/x.txt", "", 1, 0, 0},
  };
  EXPECT_EQ(tasks, expected) << testing::PrintToString(m_up.Tasks());
}

// The folder was renamed box -> Box earlier, and that went up (the rows say
// Box); now a file in it is renamed and the folder renamed back to box at
// once. Both renames follow the folder's names back only as far as a stored
// name: going all the way back to box would miss the row under Box, and the
// file would go up as a new one beside the stored one.
TEST_F(FileWatchMessageFilterTest, AFileRenamedInAFolderRenamedBackToAnEarlierNameIsStillARename) {
  const juce::String box = Local("box");
  Deliver(RN, Folder("Box"), box);  // the earlier rename
  TranslateAll();
  m_up.Forget();
  SaveFolder(FolderRow(80, Local("Box"), 1));
  const juce::String renamed = Write("Box/data.bin", "a's content");
  SaveFile(FileRow(81, Local("Box/a.txt"), 80, SyncHelper::GetFileMD5(renamed)));
  std::rename(Local("Box").toRawUTF8(), box.toRawUTF8());

  Deliver(RN, Local("Box/data.bin"), Local("Box/a.txt"));
  Deliver(RN, box, Local("Box"));
  TranslateAll();

  const std::vector<QueuedTask> expected = {
      {UP_OP_FOLDER_RENAME, box, Local("Box"), "", 0, 0, 0},
      {UP_OP_FILE_RENAME, box + "/data.bin", box + "/a.txt", "", 1, 0, 0},
  };
  EXPECT_EQ(m_up.Tasks(), expected) << testing::PrintToString(m_up.Tasks());
}

// The program renamed the stored folder Q to P for the service (its rows
// follow at once) just after the user renamed a file in it and moved one in;
// the watcher reports the user's changes first, under Q, which is gone by
// then. They follow the program's rename instead of being dropped, and the
// folder's own report, the program's, then adds nothing.
TEST_F(FileWatchMessageFilterTest, ChangesReportedBeforeTheProgramsFolderRenameFollowIt) {
  SaveFolder(FolderRow(70, Local("P"), 1));
  const juce::String renamed = Write("P/F28.txt", "in step");
  SaveFile(FileRow(71, Local("P/f28.txt"), 70, SyncHelper::GetFileMD5(renamed)));
  const juce::String moved = Write("P/in.txt", "moved in");
  SaveFile(FileRow(72, Local("other/in.txt"), 73, SyncHelper::GetFileMD5(moved)));
  m_ignore.Add(Local("Q"), Local("P"), RN);

  Deliver(RN, Local("Q/F28.txt"), Local("Q/f28.txt"));
  Deliver(MV, Local("Q/in.txt"), Local("other/in.txt"));
  TranslateAll();
  Deliver(RN, Local("P"), Local("Q"));
  TranslateAll();

  const std::vector<QueuedTask> expected = {
      {UP_OP_FILE_RENAME, renamed, Local("P/f28.txt"), "", 1, 0, 71},
      {UP_OP_FILE_MOVE, moved, Local("other/in.txt"), "", 1, 0, 72},
  };
  EXPECT_EQ(m_up.Tasks(), expected) << testing::PrintToString(m_up.Tasks());
  EXPECT_EQ(m_ignore.GetCount(), 0);
}

TEST_F(FileWatchMessageFilterTest, AFileAboveTheSizeLimitIsReportedNotQueued) {
  UserConfigInfo config = GetAccountData()->GetUserConfig();
  config.UC_FileSizeLimit = 4;
  GetAccountData()->SetUserConfig(config);
  juce::String exact = Write("four.txt", "1234");
  juce::String big = Write("five.txt", "12345");
  Deliver(A, exact);
  Deliver(A, big);
  TranslateAll();
  ASSERT_EQ(m_up.Tasks().size(), 1u);
  EXPECT_EQ(m_up.Tasks()[0].path, exact);
  EXPECT_EQ(m_filter->GetMessageCount(), 0);
  GetAccountData()->SetUserConfig(UserConfigInfo());
}

TEST_F(FileWatchMessageFilterTest, TheThreadWaitsWhileHeldOrWhileAnUpOperationRuns) {
  juce::String file = Write("t.txt", "t");
  m_up.SetBusy(2);
  m_filter->SetHold(false);
  Deliver(A, file);
  // Busy: the message stays (the thread looks again each turn).
  EXPECT_EQ(m_filter->GetMessageCount(), 1);
  m_up.SetBusy(0);
  m_filter->Wake();
  ASSERT_TRUE(m_up.WaitFor([](const std::vector<QueuedTask>& t) { return t.size() == 1; }));
  EXPECT_EQ(m_filter->GetMessageCount(), 0);
}

// With an endless idle wait, only the signals move the thread: the release,
// each change, a lost watch.
TEST_F(FileWatchMessageFilterTest, AnIdleThreadWakesForItsReleaseEachChangeAndALostWatch) {
  m_filter->SetIdleWaitMs(INFINITE);
  std::mutex lock;
  std::condition_variable rescanned;
  int rescans = 0;
  m_filter->SetRescan([&] {
    std::lock_guard guard(lock);
    ++rescans;
    rescanned.notify_all();
  });
  const juce::String a = Write("a.txt", "a"), b = Write("b.txt", "b");
  Deliver(A, a);
  EXPECT_EQ(m_filter->GetMessageCount(), 1);  // held
  m_filter->SetHold(false);
  m_filter->Wake();
  ASSERT_TRUE(m_up.WaitFor([](const std::vector<QueuedTask>& t) { return t.size() == 1; }));
  Deliver(A, b);
  ASSERT_TRUE(m_up.WaitFor([](const std::vector<QueuedTask>& t) { return t.size() == 2; }));
  CFileSystemEventArgs lost(A, C(Local("")));
  m_filter->OnWatchError(&lost);
  std::unique_lock guard(lock);
  EXPECT_TRUE(rescanned.wait_for(guard, std::chrono::seconds(15), [&] { return rescans == 1; }));
}

TEST_F(FileWatchMessageFilterTest, ChangesReachTheUpTaskManagersQueues) {
  SyncUpTaskManager manager(nullptr);
  UpTaskManagerQueue queue(&manager);
  FileWatchMessageFilter filter("FileWatchMessageFilter", &queue, &m_ignore);
  juce::String sub = Folder("sub");
  juce::String file = Write("sub/x.txt", "x");
  CFileSystemEventArgs folderAdded(A, C(sub));
  CFileSystemEventArgs fileAdded(A, C(file));
  filter.OnFileAdded(&folderAdded);
  filter.OnFileAdded(&fileAdded);
  while (filter.TranslateFrontMessage()) {
  }
  juce::File(file).deleteFile();
  CFileSystemEventArgs fileRemoved(D, C(file));  // known only from its queued addition
  filter.OnFileDeleted(&fileRemoved);
  while (filter.TranslateFrontMessage()) {
  }
  EXPECT_EQ(manager.DescribeQueue(UP_QUEUE_NO_DEPEND), (std::vector<std::pair<int, juce::String>>{{UP_OP_FOLDER_ADD, sub}}));
  EXPECT_EQ(manager.DescribeQueue(UP_QUEUE_FILE_AND_DEPEND),
            (std::vector<std::pair<int, juce::String>>{{UP_OP_FILE_ADD, file}, {UP_OP_FILE_DELETE, file}}));
  EXPECT_TRUE(queue.HoldForTranslation());
  EXPECT_EQ(manager.GetBusyState(), SyncUpTaskManager::BUSY_HOLD);
  queue.EndTranslation();
  manager.SetBusyState(SyncUpTaskManager::BUSY_RUNNING);
  EXPECT_FALSE(queue.HoldForTranslation());
  manager.SetBusyState(SyncUpTaskManager::BUSY_IDLE);
  filter.SignExit();
}

// The whole road of a local change: the real watcher on the sync folder, its
// pipeline (real time: one coalescing period), the filter's thread.
TEST_F(FileWatchMessageFilterTest, EndToEndAFileWrittenInTheWatchedFolderBecomesOneAddTask) {
  m_filter->SetHold(false);
  CFileSystemWatcher watcher;
  ASSERT_EQ(watcher.AddDirectory(C(Local("")), m_filter.get()), 1);
  juce::String file = Write("written.txt", "hello");
  Write("~$lock.docx", "ignored");
  ASSERT_TRUE(m_up.WaitFor([](const std::vector<QueuedTask>& t) { return !t.empty(); }));
  watcher.Stop();
  // The write's events merge into the addition unless a period ended between
  // them; then a modification of the same file follows. The ignored name
  // never becomes a task.
  std::vector<QueuedTask> tasks = m_up.Tasks();
  ASSERT_FALSE(tasks.empty());
  EXPECT_EQ(tasks[0], (QueuedTask{UP_OP_FILE_ADD, file, file, SyncHelper::GetFileMD5(file), 1, 0, 0}));
  for (const QueuedTask& task : tasks) EXPECT_EQ(task.path, file) << testing::PrintToString(tasks);
}

}  // namespace
