// The record of the sync root over its FolderList row.
#include <gtest/gtest.h>

#include <thread>

#include "EngineTestSupport.h"
#include "client/core/context/GlobalContext.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/records/SyncRootFolder.h"

namespace {

using enginetest::EngineTest;

class SyncRootFolderTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    SyncRootFolder::DeleteInstance();
    m_root = SyncRootFolder::GetInstance();
  }
  void TearDown() override {
    SyncRootFolder::DeleteInstance();
    EngineTest::TearDown();
  }
  static SyncFolderData RootRow(juce::int64 id, const juce::String& name) {
    SyncFolderData row;
    row.m_FolderID = id;
    row.m_FolderName = name;
    row.m_ParentPath = "/";
    return row;
  }
  SyncRootFolder* m_root = nullptr;
};

TEST_F(SyncRootFolderTest, AFreshRecordKnowsNothing) {
  EXPECT_EQ(m_root->GetGlobalVersion(), "-1");
  EXPECT_EQ(m_root->GetRootPath(), "");
  EXPECT_EQ(m_root->GetRootFolderName(), "");
  EXPECT_EQ(m_root->GetRootFolderID(), 0);  // no row either: logged
  EXPECT_EQ(dorvtest::CountLogLines("DataBase Error, No RootFolder Record"), 1);
  EXPECT_FALSE(m_root->IsRootRecordValid());
}

TEST_F(SyncRootFolderTest, BindingARootWritesItsRowAndKeepsTheCachedIdUntilReload) {
  m_root->SetRootFolder("/home/u/Dorv", "0|0", RootRow(100, "Dorv"));
  EXPECT_EQ(m_root->GetRootFolderID(), 100);  // first look-up takes the record's id

  // The account's root is bound anew with another folder id.
  ASSERT_TRUE(SyncFileDataManager::DeleteFolderByID(100));
  m_root->SetRootFolder("/home/u/Other", "4|17", RootRow(200, "Other"));
  EXPECT_EQ(m_root->GetGlobalVersion(), "4|17");
  EXPECT_EQ(m_root->GetRootPath(), "/home/u/Other");
  EXPECT_EQ(m_root->GetRootFolderName(), "Other");
  EXPECT_EQ(m_root->GetRootFolderID(), 100);  // cached until reloaded
  EXPECT_TRUE(m_root->IsRootRecordValid());

  SyncRootFolder::DeleteInstance();
  SyncRootFolder* fresh = SyncRootFolder::GetInstance();
  fresh->Reload();
  EXPECT_EQ(fresh->GetRootFolderID(), 200);
  EXPECT_EQ(fresh->GetGlobalVersion(), "4|17");
  EXPECT_EQ(fresh->GetRootPath(), "/home/u/Other");
  EXPECT_EQ(fresh->GetFolderData().m_FolderSysType, 18);
}

TEST_F(SyncRootFolderTest, ARootRowWithoutIdIsNotValid) {
  m_root->SetRootFolder("/home/u/Dorv", "1|1", RootRow(0, "Dorv"));
  EXPECT_FALSE(m_root->IsRootRecordValid());
}

TEST_F(SyncRootFolderTest, AReloadWithoutRootRowDoesNotTakeAVersionFromAnotherRow) {
  // Some other folder row with a two-part version was read before.
  SyncFolderData other = FolderRow(7, "/x", 1);
  ASSERT_EQ(GetGlobalContext()->m_pFolderDBManager->ReplaceRootFolder(other, "9|999"), 0);
  SyncFolderData row;
  juce::String version;
  ASSERT_TRUE(SyncFileDataManager::SelectSyncFolderData("/x", row));
  m_root->Reload();
  EXPECT_EQ(m_root->GetGlobalVersion(), "-1");
}

TEST_F(SyncRootFolderTest, ReadersOnOtherThreadsAlwaysSeeAWholePath) {
  const juce::String a = "/home/u/" + juce::String::repeatedString("a", 200);
  const juce::String b = "/home/u/" + juce::String::repeatedString("b", 300);
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int i = 0; i < 2000; ++i) m_root->SetRootFolder(i % 2 ? a : b, "1|" + juce::String(i), RootRow(1, "n"));
    stop = true;
  });
  int torn = 0;
  while (!stop) {
    const juce::String path = m_root->GetRootPath();
    if (path.isNotEmpty() && path != a && path != b) ++torn;
  }
  writer.join();
  EXPECT_EQ(torn, 0);
}

}  // namespace
