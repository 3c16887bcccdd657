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

}  // namespace
