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
  void ReleasePulls() { Admin("faults/clear"); }
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

TEST_F(ConvergenceE2ETest, AnEditMadeWhileTheEngineAppliesAServiceFolderRenameGoesUp) {
  const juce::int64 p = MakeServiceFolder("P");
  Admin("put?account=" + Account() + "&parentId=" + std::to_string(p) + "&name=a.txt", "as synced");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("P/a.txt") == "as synced" && Settled(); }));

  std::ofstream(m_rootPath / "P" / "a.txt", std::ios::binary | std::ios::trunc) << "edited";
  Admin("rename?account=" + Account() + "&id=" + std::to_string(p) + "&name=R");
  const std::vector<std::string> expected = {"R/", "R/a.txt=edited"};
  EXPECT_TRUE(WaitUntil([&] { return ServerTree() == expected && LocalContent("R/a.txt") == "edited" && Settled(); }))
      << ::testing::PrintToString(ServerTree());
}

TEST_F(ConvergenceE2ETest, AnEditUploadedAfterAnotherDeviceMovedTheFileBringsTheMoveHere) {
  StartInStep("f.txt", "as synced");
  const juce::int64 d = MakeServiceFolder("D");
  ASSERT_TRUE(WaitUntil([&] { return fs::is_directory(m_rootPath / "D") && Settled(); }));
  SyncFileData row;
  ASSERT_TRUE(SyncFileDataManager::SelectSyncFileData(juce::String((m_rootPath / "f.txt").string()), row));

  HoldPulls();
  Admin("move?account=" + Account() + "&id=" + std::to_string(row.m_FileID) + "&parentId=" + std::to_string(d));
  Write("f.txt", "edited here");
  ASSERT_TRUE(WaitUntil([&] { return ServerTree() == std::vector<std::string>{"D/", "D/f.txt=edited here"}; }));
  ReleasePulls();
  Put("nudge.txt", "wakes the link");
  EXPECT_TRUE(WaitUntil([&] { return LocalContent("D/f.txt") == "edited here" && Settled(); }));
  EXPECT_EQ(LocalContent("f.txt"), "(none)");
  EXPECT_EQ(ServerTree(), (std::vector<std::string>{"D/", "D/f.txt=edited here", "nudge.txt=wakes the link"}));
}

TEST_F(ConvergenceE2ETest, AFileAddedOfflineIntoAFolderRenamedElsewhereGoesUp) {
  const juce::int64 s = MakeServiceFolder("S");
  Admin("put?account=" + Account() + "&parentId=" + std::to_string(s) + "&name=old.txt", "old");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("S/old.txt") == "old" && Settled(); }));

  StopEngine();
  std::ofstream(m_rootPath / "S" / "f.txt", std::ios::binary) << "added offline";
  Admin("rename?account=" + Account() + "&id=" + std::to_string(s) + "&name=T");
  RunWorkflow();
  const std::vector<std::string> expected = {"T/", "T/f.txt=added offline", "T/old.txt=old"};
  EXPECT_TRUE(WaitUntil([&] { return ServerTree() == expected && Settled(); })) << ::testing::PrintToString(ServerTree());
  EXPECT_EQ(LocalContent("T/f.txt"), "added offline");
}

TEST_F(ConvergenceE2ETest, AServiceFolderRenameWhoseLocalFolderWasDeletedEndsInStep) {
  const juce::int64 s = MakeServiceFolder("S");
  Admin("put?account=" + Account() + "&parentId=" + std::to_string(s) + "&name=in.txt", "in S");
  RunWorkflow();
  ASSERT_TRUE(WaitUntil([&] { return LocalContent("S/in.txt") == "in S" && Settled(); }));

  StopEngine();
  fs::remove_all(m_rootPath / "S");
  Admin("rename?account=" + Account() + "&id=" + std::to_string(s) + "&name=T");
  RunWorkflow();
  EXPECT_TRUE(WaitUntil([&] { return Settled() && LocalTree(m_rootPath) == ServerTree(); }))
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

}  // namespace
