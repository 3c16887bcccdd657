// Changes that meet: this computer changes what another device (the service's
// admin API) changed a moment before, or the engine is stopped between a
// transfer and its row. Each case ends with both sides equal and every edit in
// some file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "SyncControllerE2EFixture.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/filter/ProgramChangeIgnoreList.h"
#include "client/sync/tasks/SyncDownTaskManager.h"
#include "client/sync/watcher/FileSystemWatcher.h"
#include "common/StringConvert.h"

namespace {

using controllertest::Account;
using controllertest::SyncControllerE2ETest;
using controllertest::WaitUntil;
namespace fs = std::filesystem;

// The local tree in the form of ServerTree: "dir/" and "dir/name=content".
std::vector<std::string> LocalTree(const fs::path& root) {
  std::vector<std::string> out;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string relative = fs::relative(entry.path(), root).string();
    if (entry.is_directory()) {
      out.push_back(relative + "/");
    } else if (entry.path().filename() != "desktop.ini") {  // the shell's own
      std::ifstream in(entry.path(), std::ios::binary);
      out.push_back(relative + "=" + std::string(std::istreambuf_iterator<char>(in), {}));
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

class ConvergenceE2ETest : public SyncControllerE2ETest {
 protected:
  // The engine runs and holds a.txt in step with the service.
  void StartInStep(const std::string& name, const std::string& bytes) {
    Put(name, bytes);
    RunWorkflow();
    ASSERT_TRUE(WaitUntil([&] { return LocalContent(name) == bytes && Settled(); }));
  }
  // Every pull fails until ReleasePulls: the engine has not seen what the
  // service holds meanwhile (and is not idle: it keeps trying).
  void HoldPulls() { Fault("op=syncDir&code=500&times=0"); }
  // The engine runs and holds the service's folder with one file in step.
  juce::int64 FolderInStep(const std::string& folder, const std::string& name, const std::string& bytes) {
    const juce::int64 id = MakeServiceFolder(folder);
    Admin("put?account=" + Account() + "&parentId=" + std::to_string(id) + "&name=" + name, bytes);
    RunWorkflow();
    EXPECT_TRUE(WaitUntil([&] { return LocalContent(folder + "/" + name) == bytes && Settled(); }));
    return id;
  }
  void ReleasePulls() { Admin("faults/clear"); }
  // f.txt in step at the root; another device moves it into the folder D
  // while this computer's pulls are held.
  void MoveIntoAFolderElsewhereBeforeThePull() {
    StartInStep("f.txt", "as synced");
    const juce::int64 d = MakeServiceFolder("D");
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::is_directory(m_rootPath / "D") && Settled(); }));
    SyncFileData row;
    ASSERT_TRUE(SyncFileDataManager::SelectSyncFileData(juce::String((m_rootPath / "f.txt").string()), row));
    HoldPulls();
    Admin("move?account=" + Account() + "&id=" + std::to_string(row.m_FileID) + "&parentId=" + std::to_string(d));
  }
  // A new local folder the service refuses for now (the account's folder
  // limit) waits at the head of the folder changes, and every file change
  // waits behind it until ReleaseUploads.
  void HoldFileChanges() {
    Fault("op=createDir&code=802&times=0");
    std::filesystem::create_directory(m_rootPath / "held");
    ASSERT_TRUE(WaitUntil([&] { return logic->GetUpTaskManager()->HasTasks(UP_QUEUE_NO_DEPEND); }));
  }
  void ReleaseUploads() { Admin("faults/clear"); }
  // f.txt goes to g.txt here (changed first, when asked) while another
  // device edits it: the pull lists the edit under the old name while the
  // rename waits to go up, and the edit's download waits for the rename.
  // Ends when both sides agree.
  void RenameBeforeAPulledEditArrives(bool editedHere) {
    ASSERT_NO_FATAL_FAILURE(StartInStep("f.txt", "as synced"));
    ASSERT_NO_FATAL_FAILURE(HoldFileChanges());
    if (editedHere) Write("f.txt", "this computer's edit");
    std::filesystem::rename(m_rootPath / "f.txt", m_rootPath / "g.txt");
    ASSERT_TRUE(WaitUntil([&] { return UpQueued(UP_OP_FILE_RENAME); }));
    const juce::int64 id = Put("f.txt", "the other device's edit");
    ASSERT_TRUE(WaitUntil([&] { return DownQueued(DOWN_OP_FILE_MODIFY, id); }));
    ReleaseUploads();
    EXPECT_TRUE(WaitUntil([&] { return Settled() && LocalTree(m_rootPath) == ServerTree(); }))
        << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
  }
  bool UpQueued(int op) {
    const auto queue = logic->GetUpTaskManager()->DescribeQueue(UP_QUEUE_FILE_AND_DEPEND);
    return std::any_of(queue.begin(), queue.end(), [op](const auto& task) { return task.first == op; });
  }
  bool DownQueued(int op, juce::int64 id) {
    for (int queue : {DOWN_QUEUE_NORMAL, DOWN_QUEUE_WAIT_AND_RETRY})
      for (const auto& task : logic->GetDownTaskManager()->DescribeQueue(queue))
        if (task.first == op && task.second == id) return true;
    return false;
  }
};

// The contents of the entries of a tree ("name=content"), sorted.
std::vector<std::string> Contents(const std::vector<std::string>& tree) {
  std::vector<std::string> out;
  for (const std::string& entry : tree)
    if (entry.back() != '/') out.push_back(entry.substr(entry.find('=') + 1));
  std::sort(out.begin(), out.end());
  return out;
}

TEST_F(ConvergenceE2ETest, ARenameBeforePullingAnotherDevicesEditKeepsThatEdit) {
  struct Case {
    const char* what;
    bool editedHere;  // this computer also changed the file before renaming it
    std::vector<std::string> contents;
  };
  const Case cases[] = {
      {"renamed only", false, {"the other device's edit", "wakes the link"}},
      {"renamed and changed", true, {"the other device's edit", "this computer's edit", "wakes the link"}},
  };
  StartInStep("f.txt", "as synced");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HoldPulls();
    Put("f.txt", "the other device's edit");
    if (c.editedHere) Write("f.txt", "this computer's edit");
    fs::rename(m_rootPath / "f.txt", m_rootPath / "g.txt");
    ASSERT_TRUE(WaitUntil([&] {
      const auto names = ServerNames();
      return std::find(names.begin(), names.end(), "g.txt") != names.end();
    }));
    ReleasePulls();
    Put("nudge.txt", "wakes the link");
    EXPECT_TRUE(WaitUntil([&] {
      return LocalContent("nudge.txt") == "wakes the link" && Settled() && LocalTree(m_rootPath) == ServerTree();
    })) << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
    const std::vector<std::string> contents = Contents(ServerTree());
    for (const std::string& content : c.contents)
      EXPECT_NE(std::find(contents.begin(), contents.end(), content), contents.end())
          << content << " lost: " << ::testing::PrintToString(ServerTree());
    if (!c.editedHere) {
      EXPECT_EQ(LocalContent("g.txt"), "the other device's edit");
    }

    // The next round starts from f.txt in step again.
    for (const auto& entry : fs::directory_iterator(m_rootPath))
      if (entry.path().filename() != "desktop.ini") fs::remove(entry.path());
    EXPECT_TRUE(WaitUntil([&] { return ServerFiles().empty() && Settled(); }));
    Put("f.txt", "as synced");
    ASSERT_TRUE(WaitUntil([&] { return LocalContent("f.txt") == "as synced" && Settled(); }));
  }
}

TEST_F(ConvergenceE2ETest, AnEditPulledWhileARenameWaitsToGoUpLandsUnderTheNewName) {
  ASSERT_NO_FATAL_FAILURE(RenameBeforeAPulledEditArrives(false));
  EXPECT_EQ(LocalContent("f.txt"), "(none)");
  EXPECT_EQ(ServerTree(), (std::vector<std::string>{"g.txt=the other device's edit", "held/"}));
}

TEST_F(ConvergenceE2ETest, AnEditPulledWhileAChangedFileIsRenamedKeepsBothEdits) {
  ASSERT_NO_FATAL_FAILURE(RenameBeforeAPulledEditArrives(true));
  EXPECT_EQ(LocalContent("f.txt"), "(none)");
  EXPECT_EQ(Contents(ServerTree()), (std::vector<std::string>{"the other device's edit", "this computer's edit"}))
      << ::testing::PrintToString(ServerTree());
}

// A folder removed here (or swapped for a file of its name) while another
// device had just added a file to it that this computer has not pulled yet:
// the service keeps the folder with that file, and so does this computer.
TEST_F(ConvergenceE2ETest, AFolderDeletedHereKeepsWhatAnotherDeviceAddedMeanwhile) {
  struct Case {
    const char* folder;
    bool swappedForAFile;
  };
  RunWorkflow();
  for (const Case& c : {Case{"D", false}, Case{"S", true}}) {
    SCOPED_TRACE(c.folder);
    const std::string folder = c.folder;
    fs::create_directory(m_rootPath / folder);
    std::ofstream(m_rootPath / folder / "seen.txt", std::ios::binary) << "seen here";
    auto seenOnService = [&] {
      const auto tree = ServerTree();
      return std::find(tree.begin(), tree.end(), folder + "/seen.txt=seen here") != tree.end();
    };
    // The engine has taken back the report of its own folder: a delete of a
    // folder newer than the last pull would wait for the pulls held below.
    ASSERT_TRUE(WaitUntil([&] { return seenOnService() && CaughtUp() && Settled(); }));
    SyncFolderData row;
    ASSERT_TRUE(SyncFileDataManager::SelectSyncFolderData(juce::String((m_rootPath / folder).string()), row));
    const juce::int64 id = row.m_FolderID;

    HoldPulls();
    Admin("put?account=" + Account() + "&parentId=" + std::to_string(id) + "&name=new.txt", "added elsewhere");
    fs::remove_all(m_rootPath / folder);
    if (c.swappedForAFile) std::ofstream(m_rootPath / folder, std::ios::binary) << "the file in its place";
    ASSERT_TRUE(WaitUntil([&] { return !seenOnService(); }));
    ReleasePulls();

    EXPECT_TRUE(WaitUntil([&] { return Settled() && LocalTree(m_rootPath) == ServerTree(); }))
        << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
    EXPECT_EQ(LocalContent(folder + "/new.txt"), "added elsewhere");
    if (c.swappedForAFile) {
      const auto contents = Contents(ServerTree());
      EXPECT_NE(std::find(contents.begin(), contents.end(), "the file in its place"), contents.end());
    }
  }
}

// This computer renames or removes a file while another device's edit of it
// downloads: the edit never comes back as a file of the old name beside the
// renamed one. A removal meets the newer edit on the service, which wins.
TEST_F(ConvergenceE2ETest, AFileRenamedOrRemovedWhileAnEditOfItDownloadsIsNotWrittenBack) {
  struct Case {
    const char* what;
    bool renamed;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"renamed", true, {"g.txt=the other device's edit"}},
      {"removed", false, {"f.txt=the other device's edit"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_NO_FATAL_FAILURE(StartInStep("f.txt", "as synced"));
    const int tokens = Requests("downloadFileControl");
    // The content is held back a while: the change comes in the middle of the download.
    Fault("op=downloadFile&delayMs=3000");
    Put("f.txt", "the other device's edit");
    ASSERT_TRUE(WaitUntil([&] { return Requests("downloadFileControl") > tokens; }));
    if (c.renamed)
      fs::rename(m_rootPath / "f.txt", m_rootPath / "g.txt");
    else
      fs::remove(m_rootPath / "f.txt");

    EXPECT_TRUE(WaitUntil([&] { return Settled() && LocalTree(m_rootPath) == c.expected && ServerTree() == c.expected; }))
        << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());

    for (const auto& entry : fs::directory_iterator(m_rootPath))
      if (entry.path().filename() != "desktop.ini") fs::remove(entry.path());
    EXPECT_TRUE(WaitUntil([&] { return ServerTree().empty() && Settled(); }));
  }
}

// A new file of this computer is still going up when another device puts a
// file of the same name, and the user renames the new file a moment later:
// both files end on both sides, each under one name.
TEST_F(ConvergenceE2ETest, ANewFileRenamedWhileItGoesUpBesideAnotherDevicesFileOfItsName) {
  RunWorkflow();
  const int creates = Requests("createFile");
  // The upload's completion is held back a while: the other device and the rename come meanwhile.
  Fault("op=completeFile&delayMs=3000");
  std::ofstream(m_rootPath / "n.txt", std::ios::binary) << "made here";
  ASSERT_TRUE(WaitUntil([&] { return Requests("createFile") > creates; }));
  Put("n.txt", "made elsewhere");
  fs::rename(m_rootPath / "n.txt", m_rootPath / "b.txt");

  EXPECT_TRUE(WaitUntil([&] { return Settled() && LocalTree(m_rootPath) == ServerTree(); }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
  EXPECT_EQ(Contents(ServerTree()), (std::vector<std::string>{"made elsewhere", "made here"}))
      << ::testing::PrintToString(ServerTree());
}

// A folder another device made arrives here and the user removes it at once,
// before the watcher has told of its arrival: the removal still goes up.
TEST_F(ConvergenceE2ETest, AFolderRemovedRightAfterItArrivedIsRemovedOnTheService) {
  RunWorkflow();
  MakeServiceFolder("D");
  ASSERT_TRUE(WaitUntil([&] { return fs::is_directory(m_rootPath / "D"); }));
  fs::remove(m_rootPath / "D");
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree().empty(); })) << ::testing::PrintToString(ServerTree());
  EXPECT_EQ(LocalTree(m_rootPath), std::vector<std::string>{});
}

// The user makes a folder Q while another device renames the folder P to Q:
// the two are one folder on the service, and here too.
TEST_F(ConvergenceE2ETest, AFolderRenamedElsewhereOntoANameTheUserJustMadeBecomesThatFolder) {
  const juce::int64 p = MakeServiceFolder("P");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return fs::is_directory(m_rootPath / "P") && Settled(); }));
  // Q waits to go up (the account's folder limit) while the rename comes down.
  Fault("op=createDir&code=802&times=0");
  fs::create_directory(m_rootPath / "Q");
  ASSERT_TRUE(WaitUntil([&] { return logic->GetUpTaskManager()->HasTasks(UP_QUEUE_NO_DEPEND); }));
  const int pulls = Requests("syncDir");
  Admin("rename?account=" + Account() + "&id=" + std::to_string(p) + "&name=Q");
  ASSERT_TRUE(WaitUntil([&] { return Requests("syncDir") > pulls && logic->GetDownTaskManager()->AreQueuesEmpty(); }));
  ReleaseUploads();

  EXPECT_TRUE(WaitUntil([&] { return Settled() && LocalTree(m_rootPath) == ServerTree(); }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
  EXPECT_EQ(ServerTree(), std::vector<std::string>{"Q/"});
}

// The user swaps an empty file for a folder of its name: the pull that then
// lists the file's deletion leaves the folder alone (whose unreadable content
// looks empty too) and the engine comes to rest.
TEST_F(ConvergenceE2ETest, AnEmptyFileSwappedForAFolderOfItsNameEndsInStep) {
  StartInStep("b.txt", "");
  fs::remove(m_rootPath / "b.txt");
  fs::create_directory(m_rootPath / "b.txt");
  std::ofstream(m_rootPath / "b.txt" / "inner.txt", std::ios::binary) << "inside";
  const std::vector<std::string> expected = {"b.txt/", "b.txt/inner.txt=inside"};
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

// The user removes a folder with what it holds and makes a folder of its
// name at once: the watcher reports the removal and the new folder in one
// look, and the service loses the old folder's files as well.
TEST_F(ConvergenceE2ETest, AFolderRemovedAndMadeAgainAtOnceLosesItsOldFilesOnTheService) {
  FolderInStep("P", "a.txt", "inside");
  ASSERT_FALSE(HasFailure());
  // The watcher has reported the download itself.
  ASSERT_TRUE(WaitUntil([&] { return logic->GetProgramChangeIgnoreList()->GetCount() == 0; }));
  fs::remove_all(m_rootPath / "P");
  fs::create_directory(m_rootPath / "P");
  const std::vector<std::string> expected = {"P/"};
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

// A file swapped for a folder of its name, and the folder holding it renamed
// a moment later: the old file leaves the service, the new folder arrives.
// Still open: the service keeps the old file and the new folder goes up as
// "f.txt (1)". Disabled until mended, so that it shows the fault without
// failing every run.
TEST_F(ConvergenceE2ETest, DISABLED_AFileSwappedForAFolderJustBeforeItsFoldersRenameLeavesTheService) {
  FolderInStep("P", "f.txt", "file");
  ASSERT_FALSE(HasFailure());
  ASSERT_TRUE(WaitUntil([&] { return logic->GetProgramChangeIgnoreList()->GetCount() == 0; }));
  fs::remove(m_rootPath / "P" / "f.txt");
  fs::create_directory(m_rootPath / "P" / "f.txt");
  { std::ofstream(m_rootPath / "P" / "f.txt" / "in.txt", std::ios::binary) << "inside"; }
  fs::rename(m_rootPath / "P", m_rootPath / "R");
  const std::vector<std::string> expected = {"R/", "R/f.txt/", "R/f.txt/in.txt=inside"};
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

// The user renames a folder that another device has just deleted: the
// service has no folder to rename, so the folder goes up anew with what it
// holds, and the engine comes to rest.
TEST_F(ConvergenceE2ETest, AFolderRenamedHereAfterAnotherDeviceDeletedItGoesUpAnew) {
  const juce::int64 p = FolderInStep("P", "in.txt", "inside");
  ASSERT_FALSE(HasFailure());
  HoldPulls();
  Admin("delete?account=" + Account() + "&id=" + std::to_string(p));
  fs::rename(m_rootPath / "P", m_rootPath / "Q");
  const std::vector<std::string> expected = {"Q/", "Q/in.txt=inside"};
  EXPECT_TRUE(WaitUntil([&] { return ServerTree() == expected; })) << ::testing::PrintToString(ServerTree());
  ReleasePulls();
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

TEST_F(ConvergenceE2ETest, AFileThatAlreadyHoldsTheServicesContentMakesNoCopy) {
  StartInStep("a.txt", "as synced");
  // The state a download leaves when the program ends after it replaced the
  // file and before its row was written: the service's new content here, the
  // row still at the old one.
  StopEngine();
  const std::string edit = "the other device's edit";
  Put("a.txt", edit);
  Write("a.txt", edit);
  // The pull that would bring the row is held back, so the scan's upload decides.
  HoldPulls();
  RunWorkflow();
  EXPECT_TRUE(WaitUntil([&] {
    SyncFileData row;
    return SyncFileDataManager::SelectSyncFileData(juce::String((m_rootPath / "a.txt").string()), row) &&
           row.m_Md5 == SyncHelper::GetFileMD5(juce::String((m_rootPath / "a.txt").string()));
  }));
  ReleasePulls();
  EXPECT_EQ(LocalNames(), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(ServerFiles(), std::vector<std::string>{"a.txt=the other device's edit"});
}

TEST_F(ConvergenceE2ETest, ChangesUnderAFolderRenamedAMomentLaterAllGoUp) {
  const std::string root = std::to_string(m_rootID);
  auto put = [&](juce::int64 folder, const std::string& name, const std::string& bytes) {
    Admin("put?account=" + Account() + "&parentId=" + std::to_string(folder) + "&name=" + name, bytes);
  };
  put(MakeServiceFolder("P1"), "a.txt", "as synced");
  const juce::int64 p2 = MakeServiceFolder("P2");
  put(Admin("mkdir?account=" + Account() + "&parentId=" + std::to_string(p2) + "&name=D")["dir"]["id"].asInt64(),
      "d.txt", "in D");
  put(p2, "keep.txt", "kept");
  put(MakeServiceFolder("P3"), "x.txt", "x");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("P3/x.txt") == "x" && LocalContent("P2/D/d.txt") == "in D" && Settled(); }));

  // Each at once, before the watcher's events of the first step are delivered.
  std::ofstream(m_rootPath / "P1" / "new.txt", std::ios::binary) << "new";
  std::ofstream(m_rootPath / "P1" / "a.txt", std::ios::binary | std::ios::trunc) << "overwritten";
  fs::rename(m_rootPath / "P1", m_rootPath / "R1");
  fs::rename(m_rootPath / "P2", m_rootPath / "R2");
  fs::remove_all(m_rootPath / "R2" / "D");
  fs::rename(m_rootPath / "P3", m_rootPath / "R3");
  fs::rename(m_rootPath / "R3" / "x.txt", m_rootPath / "R3" / "y.txt");

  const std::vector<std::string> expected = {"R1/", "R1/a.txt=overwritten", "R1/new.txt=new", "R2/",
                                             "R2/keep.txt=kept", "R3/", "R3/y.txt=x"};
  EXPECT_TRUE(WaitUntil([&] { return ServerTree() == expected && Settled(); })) << ::testing::PrintToString(ServerTree());
}

// Sub-folders made in a folder just before the user renames it are reported
// ahead of the rename: they still go up inside the renamed folder, and the
// service gets no second folder of the new name.
TEST_F(ConvergenceE2ETest, SubFoldersMadeJustBeforeTheirFoldersRenameGoUpInsideTheRenamedFolder) {
  FolderInStep("P", "in.txt", "inside");
  ASSERT_FALSE(HasFailure());
  FileWatchMessageFilter* filter = logic->GetFileWatchMessageFilter();
  filter->SetHold(true);  // the three reports wait together, in their order
  fs::create_directory(m_rootPath / "P" / "Q");
  fs::create_directory(m_rootPath / "P" / "S");
  fs::rename(m_rootPath / "P", m_rootPath / "d");
  ASSERT_TRUE(WaitUntil([&] { return filter->GetMessageCount() >= 3; }));
  filter->SetHold(false);
  filter->Wake();
  const std::vector<std::string> expected = {"d/", "d/Q/", "d/S/", "d/in.txt=inside"};
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

TEST_F(ConvergenceE2ETest, AnEditMadeWhileTheEngineAppliesAServiceFolderRenameGoesUp) {
  const juce::int64 p = FolderInStep("P", "a.txt", "as synced");
  ASSERT_FALSE(HasFailure());

  std::ofstream(m_rootPath / "P" / "a.txt", std::ios::binary | std::ios::trunc) << "edited";
  Admin("rename?account=" + Account() + "&id=" + std::to_string(p) + "&name=R");
  const std::vector<std::string> expected = {"R/", "R/a.txt=edited"};
  EXPECT_TRUE(WaitUntil([&] { return ServerTree() == expected && LocalContent("R/a.txt") == "edited" && Settled(); }))
      << ::testing::PrintToString(ServerTree());
}

TEST_F(ConvergenceE2ETest, AnEditUploadedAfterAnotherDeviceMovedTheFileBringsTheMoveHere) {
  ASSERT_NO_FATAL_FAILURE(MoveIntoAFolderElsewhereBeforeThePull());
  Write("f.txt", "edited here");
  ASSERT_TRUE(WaitUntil([&] { return ServerTree() == std::vector<std::string>{"D/", "D/f.txt=edited here"}; }));
  ReleasePulls();
  Put("nudge.txt", "wakes the link");
  EXPECT_TRUE(WaitUntil([&] { return LocalContent("D/f.txt") == "edited here" && Settled(); }));
  EXPECT_EQ(LocalContent("f.txt"), "(none)");
  EXPECT_EQ(ServerTree(), (std::vector<std::string>{"D/", "D/f.txt=edited here", "nudge.txt=wakes the link"}));
}

// Another device moves a file out of a folder, and this computer takes the
// move in; an upload conflict in that folder then pulls the folder from an
// older version, which lists the moved file as gone from it. The file stays
// where the move put it.
TEST_F(ConvergenceE2ETest, AFolderPullAfterAnUploadConflictKeepsAFileMovedOutOfTheFolder) {
  const juce::int64 p = FolderInStep("P", "g.txt", "as synced");
  ASSERT_FALSE(HasFailure());
  const juce::int64 f =
      Admin("put?account=" + Account() + "&parentId=" + std::to_string(p) + "&name=f.txt", "moved out")["file"]["id"].asInt64();
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("P/f.txt") == "moved out" && Settled(); }));
  Admin("move?account=" + Account() + "&id=" + std::to_string(f) + "&parentId=" + std::to_string(m_rootID));
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("f.txt") == "moved out" && Settled(); }));

  // The upload of this computer's edit is held at the service while another
  // device's edit lands: the upload meets a newer content.
  Fault("op=updateFileContent&delayMs=2000");
  std::ofstream(m_rootPath / "P" / "g.txt", std::ios::binary | std::ios::trunc) << "this computer's edit";
  ASSERT_TRUE(WaitUntil([&] { return Admin("faults")["faults"].empty(); }));
  Admin("put?account=" + Account() + "&parentId=" + std::to_string(p) + "&name=g.txt", "the other device's edit");

  EXPECT_TRUE(WaitUntil([&] { return Settled() && LocalTree(m_rootPath) == ServerTree(); }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
  EXPECT_EQ(LocalContent("f.txt"), "moved out");
  const std::vector<std::string> contents = Contents(ServerTree());
  for (const char* content : {"the other device's edit", "this computer's edit"})
    EXPECT_NE(std::find(contents.begin(), contents.end(), content), contents.end()) << content << " lost";
}

TEST_F(ConvergenceE2ETest, ARenameSentAfterAnotherDeviceMovedTheFileBringsTheMoveHere) {
  ASSERT_NO_FATAL_FAILURE(MoveIntoAFolderElsewhereBeforeThePull());
  fs::rename(m_rootPath / "f.txt", m_rootPath / "g.txt");
  ASSERT_TRUE(WaitUntil([&] { return ServerTree() == std::vector<std::string>{"D/", "D/g.txt=as synced"}; }));
  ReleasePulls();
  Put("nudge.txt", "wakes the link");
  EXPECT_TRUE(WaitUntil([&] {
    return LocalContent("nudge.txt") == "wakes the link" && Settled() && LocalTree(m_rootPath) == ServerTree();
  })) << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
  EXPECT_EQ(LocalContent("D/g.txt"), "as synced");
}

TEST_F(ConvergenceE2ETest, AFileAddedOfflineIntoAFolderRenamedElsewhereGoesUp) {
  const juce::int64 s = FolderInStep("S", "old.txt", "old");
  ASSERT_FALSE(HasFailure());

  StopEngine();
  std::ofstream(m_rootPath / "S" / "f.txt", std::ios::binary) << "added offline";
  Admin("rename?account=" + Account() + "&id=" + std::to_string(s) + "&name=T");
  RunWorkflow();
  const std::vector<std::string> expected = {"T/", "T/f.txt=added offline", "T/old.txt=old"};
  EXPECT_TRUE(WaitUntil([&] { return ServerTree() == expected && Settled(); })) << ::testing::PrintToString(ServerTree());
  EXPECT_EQ(LocalContent("T/f.txt"), "added offline");
}

TEST_F(ConvergenceE2ETest, AServiceFolderRenameWhoseLocalFolderWasDeletedEndsInStep) {
  const juce::int64 s = FolderInStep("S", "in.txt", "in S");
  ASSERT_FALSE(HasFailure());

  StopEngine();
  fs::remove_all(m_rootPath / "S");
  Admin("rename?account=" + Account() + "&id=" + std::to_string(s) + "&name=T");
  RunWorkflow();
  EXPECT_TRUE(WaitUntil([&] { return Settled() && LocalTree(m_rootPath) == ServerTree(); }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

// The folder renamed here while the program did not run keeps its items: the
// file another device renamed inside it meanwhile ends under its new name in
// the renamed folder, with no copy under the old one.
TEST_F(ConvergenceE2ETest, AFolderRenamedOfflineKeepsARenameMadeInsideItElsewhere) {
  const juce::int64 s = FolderInStep("S", "in.txt", "in S");
  ASSERT_FALSE(HasFailure());
  SyncFileData row;
  ASSERT_TRUE(SyncFileDataManager::SelectSyncFileData(juce::String((m_rootPath / "S" / "in.txt").string()), row));

  StopEngine();
  fs::rename(m_rootPath / "S", m_rootPath / "T");
  Admin("rename?account=" + Account() + "&id=" + std::to_string(row.m_FileID) + "&name=renamed.txt");
  RunWorkflow();
  const std::vector<std::string> expected = {"T/", "T/renamed.txt=in S"};
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
  // Renamed, not made again.
  const Json::Value tree = Admin("tree?account=" + Account());
  bool kept = false;
  for (const Json::Value& item : tree["items"])
    if (item["id"].asInt64() == s) kept = item["status"].asInt() == 0 && item["path"].asString().ends_with("/T");
  EXPECT_TRUE(kept);
}

// A folder moved into another one here while another device renamed a file
// in it: the file moves with the folder and keeps the other device's name,
// with no copy left in the old place.
TEST_F(ConvergenceE2ETest, AFolderMovedHereKeepsARenameMadeInsideItElsewhere) {
  MakeServiceFolder("E");
  FolderInStep("S", "in.txt", "in S");
  ASSERT_FALSE(HasFailure());
  // The watcher has let go of E's arrival, and watches it: the move is reported as one.
  ASSERT_TRUE(WaitUntil([&] {
    auto held = [&](const fs::path& path) {
      return logic->GetFileSystemWatcher()->HasPendingChange(Common::String_To_CString(juce::String(path.string())));
    };
    return !held(m_rootPath / "E") && !held(m_rootPath / "S" / "in.txt");
  }));
  SyncFileData row;
  ASSERT_TRUE(SyncFileDataManager::SelectSyncFileData(juce::String((m_rootPath / "S" / "in.txt").string()), row));

  HoldPulls();
  Admin("rename?account=" + Account() + "&id=" + std::to_string(row.m_FileID) + "&name=renamed.txt");
  fs::rename(m_rootPath / "S", m_rootPath / "E" / "S");
  ASSERT_TRUE(WaitUntil([&] {
    const auto tree = ServerTree();
    return std::find(tree.begin(), tree.end(), "S/") == tree.end() && logic->GetUpTaskManager()->AreQueuesEmpty();
  })) << ::testing::PrintToString(ServerTree());
  ReleasePulls();
  Put("nudge.txt", "wakes the link");
  const std::vector<std::string> expected = {"E/", "E/S/", "E/S/renamed.txt=in S", "nudge.txt=wakes the link"};
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

TEST_F(ConvergenceE2ETest, AServiceRenameAndEditPulledTogetherEndInStep) {
  struct Case {
    const char* what;
    std::string edit;
  };
  const Case cases[] = {{"emptied", ""}, {"rewritten", "the other device's edit"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const juce::int64 id = Put("s.txt", "as synced");
    RunWorkflow();
    ASSERT_TRUE(WaitUntil([&] { return LocalContent("s.txt") == "as synced" && Settled(); }));

    // Another device renames the file, then changes it, before this one pulls.
    HoldPulls();
    Admin("rename?account=" + Account() + "&id=" + std::to_string(id) + "&name=n.txt");
    Put("s.txt", "a new file at the old name");
    Put("n.txt", c.edit);
    ReleasePulls();
    Put("nudge.txt", "wakes the link");
    EXPECT_TRUE(WaitUntil([&] {
      return LocalContent("nudge.txt") == "wakes the link" && Settled() && LocalTree(m_rootPath) == ServerTree();
    })) << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
    EXPECT_EQ(LocalContent("n.txt"), c.edit);

    for (const auto& entry : fs::directory_iterator(m_rootPath))
      if (entry.path().filename() != "desktop.ini") fs::remove(entry.path());
    ASSERT_TRUE(WaitUntil([&] { return ServerFiles().empty() && Settled(); }));
  }
}

// The pull queues another device's edit; before it is fetched the file is
// renamed here and the rename goes up. The edit lands in the file under its
// new name, and nothing is left under the old one.
TEST_F(ConvergenceE2ETest, AnEditPulledBeforeARenameHereLandsUnderTheNewName) {
  StartInStep("f.txt", "as synced");
  Admin("log/clear");
  // The download waits at its token until the rename is through.
  Fault("op=downloadFileControl&code=500&times=0");
  Put("f.txt", "the other device's edit");
  ASSERT_TRUE(WaitUntil([&] { return Requests("downloadFileControl") > 0; })) << Admin("log").toStyledString();
  fs::rename(m_rootPath / "f.txt", m_rootPath / "F.txt");
  ASSERT_TRUE(WaitUntil([&] { return ServerNames() == std::vector<std::string>{"F.txt"}; }));
  Admin("faults/clear");
  EXPECT_TRUE(WaitUntil([&] {
    return LocalContent("F.txt") == "the other device's edit" && Settled() && LocalTree(m_rootPath) == ServerTree();
  })) << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
  EXPECT_EQ(LocalNames(), std::vector<std::string>{"F.txt"});
}

// This computer deletes a folder while another device makes a folder and a
// file in it; the service keeps the folder for what it did not know of here,
// and this computer gets the folder back with both.
TEST_F(ConvergenceE2ETest, AFolderDeletedHereWhileAnotherDeviceAddedToItComesBackWithTheAdditions) {
  const juce::int64 d = MakeServiceFolder("D");
  Admin("put?account=" + Account() + "&parentId=" + std::to_string(d) + "&name=old.txt", "old");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("D/old.txt") == "old" && Settled(); }));

  HoldPulls();
  const juce::int64 added = Admin("mkdir?account=" + Account() + "&parentId=" + std::to_string(d) + "&name=N")["dir"]["id"].asInt64();
  Admin("put?account=" + Account() + "&parentId=" + std::to_string(added) + "&name=new.txt", "new");
  fs::remove_all(m_rootPath / "D");
  ASSERT_TRUE(WaitUntil([&] { return ServerTree() == std::vector<std::string>{"D/", "D/N/", "D/N/new.txt=new"}; }))
      << ::testing::PrintToString(ServerTree());
  ReleasePulls();
  Put("nudge.txt", "wakes the link");
  EXPECT_TRUE(WaitUntil([&] {
    return LocalContent("nudge.txt") == "wakes the link" && Settled() && LocalTree(m_rootPath) == ServerTree();
  })) << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

TEST_F(ConvergenceE2ETest, TheServicesReportOfAFolderMadeHereDoesNotBringItBackOnceRenamed) {
  // The pull that reports this computer's own new folder comes after the user
  // renamed the folder, before the rename reached the engine (here: it was
  // made while the engine was stopped, which the workflow's scan finds after
  // its first pull; the scan sends the old folder's delete and the new one).
  RunWorkflow();
  HoldPulls();
  fs::create_directory(m_rootPath / "Q");
  ASSERT_TRUE(WaitUntil([&] {
    SyncFolderData row;
    return SyncFileDataManager::SelectSyncFolderData(juce::String((m_rootPath / "Q").string()), row);
  }));
  StopEngine();
  fs::rename(m_rootPath / "Q", m_rootPath / "docs");
  ReleasePulls();
  RunWorkflow();
  const std::vector<std::string> expected = {"docs/"};
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

TEST_F(ConvergenceE2ETest, AnItemRenamedTwiceAtOnceLeavesNothingAtItsFirstName) {
  // The second rename comes before the engine looks at the first, whose new
  // name is then gone already: the item still leaves its first name.
  const juce::int64 box = MakeServiceFolder("box");
  Admin("put?account=" + Account() + "&parentId=" + std::to_string(box) + "&name=in.txt", "in box");
  Put("a.txt", "a's content");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("box/in.txt") == "in box" && LocalContent("a.txt") == "a's content" && Settled(); }));

  fs::rename(m_rootPath / "a.txt", m_rootPath / "b.txt");
  fs::rename(m_rootPath / "b.txt", m_rootPath / "c.txt");
  fs::rename(m_rootPath / "box", m_rootPath / "crate");
  fs::rename(m_rootPath / "crate", m_rootPath / "chest");
  const std::vector<std::string> expected = {"c.txt=a's content", "chest/", "chest/in.txt=in box"};
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

TEST_F(ConvergenceE2ETest, AFileMovedAndRenamedAtOnceStaysOneFile) {
  // The move's new place is empty again before the engine looks at it: no
  // content there is no new content, and the file goes up as one item.
  const juce::int64 box = MakeServiceFolder("box");
  (void)box;
  Put("a.txt", "a's content");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return fs::is_directory(m_rootPath / "box") && LocalContent("a.txt") == "a's content" && Settled(); }));

  fs::rename(m_rootPath / "a.txt", m_rootPath / "box" / "a.txt");
  fs::rename(m_rootPath / "box" / "a.txt", m_rootPath / "box" / "b.txt");
  const std::vector<std::string> expected = {"box/", "box/b.txt=a's content"};
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

TEST_F(ConvergenceE2ETest, AFolderDeleteWaitingForThePullLetsTheFileChangesThatPullWaitsForGoFirst) {
  // The delete of a folder renamed here waits for the pull to report the
  // rename; that pull first brings another device's edit of f.txt, which
  // waits for the upload of this computer's edit of it. That upload must not
  // wait behind the delete.
  StartInStep("f.txt", "as synced");
  MakeServiceFolder("box");
  Put("nudge.txt", "wakes the link");
  ASSERT_TRUE(WaitUntil([&] { return fs::is_directory(m_rootPath / "box") && Settled(); }));
  HoldPulls();
  Put("f.txt", "the other device's edit");
  fs::rename(m_rootPath / "box", m_rootPath / "crate");
  ASSERT_TRUE(WaitUntil([&] {
    const auto tree = ServerTree();
    return std::find(tree.begin(), tree.end(), "crate/") != tree.end();
  }));
  Write("f.txt", "this computer's edit");
  fs::remove(m_rootPath / "crate");
  ASSERT_TRUE(WaitUntil([&] { return logic->GetUpTaskManager()->HasTasks(UP_QUEUE_WAIT_AND_DEPEND) ||
                                     logic->GetUpTaskManager()->HasTasks(UP_QUEUE_NO_DEPEND); }));
  ReleasePulls();
  Put("nudge.txt", "wakes the link again");
  EXPECT_TRUE(WaitUntil([&] {
    return LocalContent("nudge.txt") == "wakes the link again" && Settled() && LocalTree(m_rootPath) == ServerTree();
  })) << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
  const std::vector<std::string> tree = ServerTree();
  EXPECT_EQ(std::find(tree.begin(), tree.end(), "crate/"), tree.end());
  const std::vector<std::string> contents = Contents(tree);
  for (const char* content : {"the other device's edit", "this computer's edit"})
    EXPECT_NE(std::find(contents.begin(), contents.end(), content), contents.end()) << content << " lost";
}

TEST_F(ConvergenceE2ETest, ANewFileRenamedAndMadeAgainUnderItsFirstNameAtOnceGoesUpTwice) {
  // All three changes fall in one period of the watcher.
  StartInStep("notes.txt", "in step");
  Write("a.txt", "the first a");
  fs::rename(m_rootPath / "a.txt", m_rootPath / "🎉.txt");
  Write("a.txt", "the second a");
  const std::vector<std::string> expected = {"a.txt=the second a", "notes.txt=in step", "🎉.txt=the first a"};
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

TEST_F(ConvergenceE2ETest, AFileMovedOutOfAFolderMadeAMomentAgoGoesUpAtItsNewPlace) {
  // The move comes while the burst's additions wait to go up.
  StartInStep("notes.txt", "in step");
  fs::create_directories(m_rootPath / "box" / "burst");
  std::vector<std::string> expected = {"box/", "box/burst/", "notes.txt=in step"};
  for (int n = 0; n < 36; ++n) {
    const std::string name = "f" + std::to_string(n) + ".txt";
    std::ofstream(m_rootPath / "box" / "burst" / name) << "file " << n;
    if (n != 8) expected.push_back("box/burst/" + name + "=file " + std::to_string(n));
  }
  ASSERT_NO_FATAL_FAILURE(HoldFileChanges());
  ASSERT_TRUE(WaitUntil([&] { return UpQueued(UP_OP_FILE_ADD); }));
  fs::rename(m_rootPath / "box" / "burst" / "f8.txt", m_rootPath / "box" / "f8.txt");
  const juce::String moved((m_rootPath / "box" / "f8.txt").string());
  ASSERT_TRUE(WaitUntil([&] {
    const auto queue = logic->GetUpTaskManager()->DescribeQueue(UP_QUEUE_FILE_AND_DEPEND);
    return std::any_of(queue.begin(), queue.end(), [&](const auto& task) { return task.second == moved; });
  }));
  ReleaseUploads();
  expected.push_back("box/f8.txt=file 8");
  expected.push_back("held/");
  std::sort(expected.begin(), expected.end());
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

TEST_F(ConvergenceE2ETest, AServiceRenameOverriddenByARenameFromHereIsNotAppliedLate) {
  // Another device renames the file and edits it while this computer's own
  // rename of it waits to go up. The service takes this computer's name last;
  // the other device's rename, pulled before, must not bring the old name
  // back here.
  const juce::int64 id = Put("b.txt", "as synced");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("b.txt") == "as synced" && Settled(); }));
  ASSERT_NO_FATAL_FAILURE(HoldFileChanges());
  fs::rename(m_rootPath / "b.txt", m_rootPath / "B.txt");
  ASSERT_TRUE(WaitUntil([&] { return UpQueued(UP_OP_FILE_RENAME); }));
  Admin("rename?account=" + Account() + "&id=" + std::to_string(id) + "&name=n.txt");
  ASSERT_TRUE(WaitUntil([&] { return DownQueued(DOWN_OP_FILE_RENAME, id); }));
  Put("n.txt", "the other device's edit");
  ReleaseUploads();
  const std::vector<std::string> expected = {"B.txt=the other device's edit", "held/"};
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

TEST_F(ConvergenceE2ETest, AFileUploadingWhileAnotherDeviceRenamesItsFolderIsEditedLaterWithoutACopy) {
  // The service's rename of the folder arrives while a new file in it is on
  // its way up; the file's record must follow the folder, so that a later
  // edit goes up as an edit of that file and not as a second file beside it.
  const juce::int64 box = FolderInStep("box", "in.txt", "in box");
  Admin("log/clear");
  Fault("op=completeFile&delayMs=4000");
  std::ofstream(m_rootPath / "box" / "new.txt", std::ios::binary) << "made here";
  ASSERT_TRUE(WaitUntil([&] { return Requests("createFile") > 0; }));
  Admin("rename?account=" + Account() + "&id=" + std::to_string(box) + "&name=R");
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("R/new.txt") == "made here" && Settled(); }));
  std::ofstream(m_rootPath / "R" / "new.txt", std::ios::binary | std::ios::trunc) << "edited here";
  const std::vector<std::string> expected = {"R/", "R/in.txt=in box", "R/new.txt=edited here"};
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

TEST_F(ConvergenceE2ETest, AFileEditedHereInAFolderAnotherDeviceDeletedGoesUpAgain) {
  // Another device deletes the folder; before this computer hears of it, a
  // new file here makes the folder again on the service, and the edit of the
  // old file (deleted there with its folder) must go up as a file of its own.
  const juce::int64 box = FolderInStep("box", "f.txt", "as synced");
  HoldPulls();
  Admin("delete?account=" + Account() + "&id=" + std::to_string(box));
  std::ofstream(m_rootPath / "box" / "a.txt", std::ios::binary) << "new here";
  ASSERT_TRUE(WaitUntil([&] {
    const auto tree = ServerTree();
    return std::find(tree.begin(), tree.end(), "box/a.txt=new here") != tree.end();
  }));
  std::ofstream(m_rootPath / "box" / "f.txt", std::ios::binary | std::ios::trunc) << "edited here";
  ReleasePulls();
  Put("nudge.txt", "wakes the link");
  const std::vector<std::string> expected = {"box/", "box/a.txt=new here", "box/f.txt=edited here",
                                             "nudge.txt=wakes the link"};
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

TEST_F(ConvergenceE2ETest, AFileRenamedAwayAndReplacedByACopyUnderItsNameKeepsBoth) {
  // The rename waits to go up when a file of the same content takes the old
  // name: that file is a new one, not the renamed file still in step.
  StartInStep("a.txt", "same bytes");
  ASSERT_NO_FATAL_FAILURE(HoldFileChanges());
  fs::rename(m_rootPath / "a.txt", m_rootPath / "b.txt");
  ASSERT_TRUE(WaitUntil([&] { return UpQueued(UP_OP_FILE_RENAME); }));
  Write("a.txt", "same bytes");
  ReleaseUploads();
  const std::vector<std::string> expected = {"a.txt=same bytes", "b.txt=same bytes", "held/"};
  EXPECT_TRUE(WaitUntil([&] { return Settled() && ServerTree() == expected && LocalTree(m_rootPath) == expected; }))
      << ::testing::PrintToString(LocalTree(m_rootPath)) << " / " << ::testing::PrintToString(ServerTree());
}

}  // namespace
