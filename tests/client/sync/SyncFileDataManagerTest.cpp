// The engine's statements on FileList and FolderList against a real per-user
// database: look-ups, writes, deletions below a folder and prefix rewrites.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"
#include "client/sync/records/SyncFileDataManager.h"

namespace {

using enginetest::EngineTest;

class SyncFileDataManagerTest : public EngineTest {
 protected:
  void SaveFile(const SyncFileData& row) {
    SyncFileData copy = row;
    ASSERT_TRUE(SaveSyncFileData(copy));
  }
  void SaveFolder(const SyncFolderData& row) {
    SyncFolderData copy = row;
    ASSERT_TRUE(SaveSyncFolderData(copy));
  }
};

TEST_F(SyncFileDataManagerTest, LooksUpRowsByPathAndIdAndReportsMissingOnes) {
  const juce::String odd = "/r/it's \"100%\"_[x].txt";
  SaveFolder(FolderRow(10, "/r", 1));
  SaveFile(FileRow(20, odd, 10, "abc"));

  SyncFileData row;
  ASSERT_TRUE(SyncFileDataManager::SelectSyncFileData(odd, row));
  EXPECT_EQ(row.m_FileID, 20);
  EXPECT_EQ(row.m_Md5, "abc");
  EXPECT_TRUE(SyncFileDataManager::IsFileInDB(odd));
  EXPECT_FALSE(SyncFileDataManager::IsFileInDB("/r/it's \"1000\"_[x].txt"));
  EXPECT_FALSE(SyncFileDataManager::IsFileInDB("/R/IT'S \"100%\"_[X].TXT"));  // case counts

  SyncFileData missing;
  EXPECT_FALSE(SyncFileDataManager::SelectSyncFileData("/r/none", missing));
  EXPECT_EQ(missing.m_FileID, -1);

  PartlySyncFileData partly;
  ASSERT_TRUE(SyncFileDataManager::SelectPartlySyncFileData(odd, partly));
  EXPECT_EQ(partly.m_FileID, 20);
  EXPECT_EQ(partly.m_ParentID, 10);
  EXPECT_EQ(partly.m_Md5, "abc");
  EXPECT_EQ(SyncFileDataManager::GetFilePathByID(20), odd);
  EXPECT_EQ(SyncFileDataManager::GetFilePathByID(21), "");

  PartlySyncFileData ids;
  ids.m_Md5 = "kept";
  ASSERT_TRUE(SyncFileDataManager::SelectFolderIDs("/r", ids));
  EXPECT_EQ(ids.m_FileID, 10);
  EXPECT_EQ(ids.m_ParentID, 1);
  EXPECT_EQ(ids.m_Md5, "kept");
  EXPECT_FALSE(SyncFileDataManager::SelectFolderIDs("/none", ids));

  SyncFolderData folder;
  EXPECT_TRUE(SyncFileDataManager::SelectSyncFolderDataByID(10, folder));
  EXPECT_EQ(SyncFileDataManager::GetFolderPathByID(10), "/r");
  EXPECT_EQ(SyncFileDataManager::GetFolderPathByID(11), "");
  EXPECT_TRUE(SyncFileDataManager::IsFolderInDB("/r"));
  EXPECT_FALSE(SyncFileDataManager::IsFolderInDB("/r/"));
}

TEST_F(SyncFileDataManagerTest, SavingFillsOnlyEmptyAccountsWithTheSignedInOne) {
  SyncFileData empty = FileRow(1, "/r/a", 10);
  ASSERT_TRUE(SaveSyncFileData(empty));
  SyncFileData owned = FileRow(2, "/r/b", 10);
  owned.m_OwnerAccount = "bob@example.com";
  ASSERT_TRUE(SaveSyncFileData(owned));
  SyncFolderData folder = FolderRow(10, "/r", 1);
  ASSERT_TRUE(SaveSyncFolderData(folder));

  SyncFileData back;
  ASSERT_TRUE(SyncFileDataManager::SelectSyncFileData("/r/a", back));
  EXPECT_EQ(back.m_OwnerAccount, kAccount);
  EXPECT_EQ(back.m_CreatorAccount, kAccount);
  ASSERT_TRUE(SyncFileDataManager::SelectSyncFileData("/r/b", back));
  EXPECT_EQ(back.m_OwnerAccount, "bob@example.com");
  SyncFolderData folderBack;
  ASSERT_TRUE(SyncFileDataManager::SelectSyncFolderData("/r", folderBack));
  EXPECT_EQ(folderBack.m_OwnerAccount, kAccount);
}

TEST_F(SyncFileDataManagerTest, DeletesSingleRowsByIdAndByPath) {
  SaveFolder(FolderRow(10, "/r/d", 1));
  SaveFile(FileRow(20, "/r/d/a.txt", 10));
  SaveFile(FileRow(21, "/r/d/b.txt", 10));
  SaveFile(FileRow(22, "/r/e/a.txt", 11));  // same name, another folder

  EXPECT_TRUE(SyncFileDataManager::DeleteFileByPath("/r/d/a.txt"));
  EXPECT_FALSE(SyncFileDataManager::IsFileInDB("/r/d/a.txt"));
  EXPECT_TRUE(SyncFileDataManager::IsFileInDB("/r/e/a.txt"));
  EXPECT_FALSE(SyncFileDataManager::DeleteFileByPath("/r/none/b.txt"));  // no parent row
  // The row's folder was deleted and one of its name made anew: the path
  // still finds the row, so the row goes.
  SaveFolder(FolderRow(12, "/r/f", 1));
  SaveFile(FileRow(23, "/r/f/c.txt", 99));
  EXPECT_TRUE(SyncFileDataManager::DeleteFileByPath("/r/f/c.txt"));
  EXPECT_FALSE(SyncFileDataManager::IsFileInDB("/r/f/c.txt"));
  EXPECT_TRUE(SyncFileDataManager::DeleteFileByID(21));
  EXPECT_FALSE(SyncFileDataManager::IsFileInDB("/r/d/b.txt"));
  EXPECT_TRUE(SyncFileDataManager::DeleteFolderByPath("/r/d"));
  EXPECT_FALSE(SyncFileDataManager::IsFolderInDB("/r/d"));
  EXPECT_FALSE(SyncFileDataManager::DeleteFolderByPath("/r/d"));
}

// The rows a folder operation must not touch: the folder itself, a sibling
// whose name starts like it, one that differs in case, and names holding the
// characters LIKE would read as wildcards.
class FolderRowsTest : public SyncFileDataManagerTest {
 protected:
  void SetUp() override {
    SyncFileDataManagerTest::SetUp();
    for (const SyncFolderData& row :
         {FolderRow(10, "/r/A_1", 1), FolderRow(11, "/r/A_1/sub", 10), FolderRow(12, "/r/AB1", 1),
          FolderRow(13, "/r/a_1", 1), FolderRow(14, "/r/A_1/sub/A_1", 11), FolderRow(15, "/r/A%1", 1)})
      SaveFolder(row);
    for (const SyncFileData& row :
         {FileRow(20, "/r/A_1/x.txt", 10), FileRow(21, "/r/A_1/sub/it's.txt", 11), FileRow(22, "/r/AB1/y.txt", 12),
          FileRow(23, "/r/a_1/z.txt", 13), FileRow(24, "/r/A_1x.txt", 1), FileRow(25, "/r/A%1/w.txt", 15)})
      SaveFile(row);
  }
};

TEST_F(FolderRowsTest, DeletingAFoldersContentsKeepsTheFolderAndItsLookAlikes) {
  ASSERT_TRUE(SyncFileDataManager::DeleteFolderContents(10));
  EXPECT_TRUE(SyncFileDataManager::IsFolderInDB("/r/A_1"));
  EXPECT_FALSE(SyncFileDataManager::IsFolderInDB("/r/A_1/sub"));
  EXPECT_FALSE(SyncFileDataManager::IsFolderInDB("/r/A_1/sub/A_1"));
  EXPECT_FALSE(SyncFileDataManager::IsFileInDB("/r/A_1/x.txt"));
  EXPECT_FALSE(SyncFileDataManager::IsFileInDB("/r/A_1/sub/it's.txt"));
  for (const char* kept : {"/r/AB1", "/r/a_1", "/r/A%1"}) EXPECT_TRUE(SyncFileDataManager::IsFolderInDB(kept)) << kept;
  for (const char* kept : {"/r/AB1/y.txt", "/r/a_1/z.txt", "/r/A_1x.txt", "/r/A%1/w.txt"})
    EXPECT_TRUE(SyncFileDataManager::IsFileInDB(kept)) << kept;
  EXPECT_FALSE(SyncFileDataManager::DeleteFolderContents(99));  // no such folder: nothing deleted
  EXPECT_TRUE(SyncFileDataManager::IsFolderInDB("/r/AB1"));
}

TEST_F(FolderRowsTest, ARenameRewritesOnlyTheBeginningOfPathsBelowTheFolder) {
  ASSERT_TRUE(SyncFileDataManager::ReplacePathPrefix("/r/A_1/", "/r/B'2/"));
  EXPECT_TRUE(SyncFileDataManager::IsFolderInDB("/r/A_1"));  // its own row is the caller's
  EXPECT_TRUE(SyncFileDataManager::IsFolderInDB("/r/B'2/sub"));
  EXPECT_TRUE(SyncFileDataManager::IsFolderInDB("/r/B'2/sub/A_1"));  // the repeat further on stays
  EXPECT_TRUE(SyncFileDataManager::IsFileInDB("/r/B'2/x.txt"));
  EXPECT_TRUE(SyncFileDataManager::IsFileInDB("/r/B'2/sub/it's.txt"));
  for (const char* kept : {"/r/AB1/y.txt", "/r/a_1/z.txt", "/r/A_1x.txt", "/r/A%1/w.txt"})
    EXPECT_TRUE(SyncFileDataManager::IsFileInDB(kept)) << kept;
  EXPECT_FALSE(SyncFileDataManager::ReplacePathPrefix("", "/x/"));
}

TEST_F(SyncFileDataManagerTest, TheRootRowIsFoundByItsMarksAndItsAbsenceIsNoFailure) {
  SyncFolderData row;
  juce::String version = "unchanged";
  EXPECT_TRUE(SyncFileDataManager::SelectRootFolderData(row, version));
  EXPECT_EQ(row.m_FolderID, -1);

  SyncFolderData root = FolderRow(5, "/home/u/Dorv", 0);
  root.m_FolderSysType = 18;
  root.m_ParentPath = "/";
  ASSERT_EQ(GetGlobalContext()->m_pFolderDBManager->ReplaceRootFolder(root, "3|77"), 0);
  ASSERT_TRUE(SyncFileDataManager::SelectRootFolderData(row, version));
  EXPECT_EQ(row.m_FolderID, 5);
  EXPECT_EQ(version, "3|77");
}

TEST_F(SyncFileDataManagerTest, WithoutAUserDatabaseEverythingIsNotFound) {
  CloseAllDB();
  SyncFileData file = FileRow(1, "/r/a", 10);
  EXPECT_FALSE(SaveSyncFileData(file));
  EXPECT_FALSE(SyncFileDataManager::IsFileInDB("/r/a"));
  EXPECT_FALSE(SyncFileDataManager::DeleteFolderContents(10));
  EXPECT_EQ(SyncFileDataManager::GetFolderPathByID(10), "");
}

}  // namespace
