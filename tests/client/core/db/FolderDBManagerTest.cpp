// FolderList through its manager, the sync root's row and its two-part version.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "DBTestFolder.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"

namespace {

class FolderDBManagerTest : public dorvtest::DBTest {
 protected:
  void SetUp() override {
    DBTest::SetUp();
    ASSERT_EQ(OpenUserDB("someone"), SQLITE_OK);
    m_folders = GetGlobalContext()->m_pFolderDBManager.get();
    ASSERT_EQ(m_folders->CreateDBTable(), 0);
  }

  static SyncFolderData Folder(juce::int64 id, juce::int64 parent, const juce::String& path) {
    SyncFolderData row;
    row.m_FolderID = id;
    row.m_ParentID = parent;
    row.m_FolderPath = path;
    row.m_FolderName = path.fromLastOccurrenceOf("/", false, false);
    row.m_ParentPath = "/" + juce::String(parent) + "/";
    return row;
  }

  FolderDBManager* m_folders = nullptr;
};

TEST_F(FolderDBManagerTest, EveryFieldSurvivesARoundTripAndTheLimitsAreWrittenAsMinusOne) {
  SyncFolderData row;
  row.m_FolderID = 12;
  row.m_OwnerID = 3;
  row.m_OwnerAccount = "o'wner\"";
  row.m_ParentID = 11;
  row.m_ParentPath = "/1/11/";
  row.m_FolderName = juce::String::fromUTF8("目录 %_");
  row.m_FolderMeno = "memo";
  row.m_FolderType = 1;
  row.m_FolderSysType = 2;
  row.m_FolderStatus = 3;
  row.m_FileSize = 5000000000;
  row.m_FileCount = 4;
  row.m_FileTotalSize = 6000000000;
  row.m_FileTotalCount = 5;
  row.m_CreateTime = 1600000000000;
  row.m_UpdateTime = 1600000000001;
  row.m_VersionValue = "9|200";
  row.m_VersionType = 6;
  row.m_FolderPath = "/root/" + row.m_FolderName;
  ASSERT_EQ(m_folders->ReplaceFolder(row), 0);

  SyncFolderData back;
  ASSERT_EQ(m_folders->SelectFolderByID(12, back), 0);
  EXPECT_EQ(back.m_FolderID, 12);
  EXPECT_EQ(back.m_OwnerID, 3);
  EXPECT_EQ(back.m_OwnerAccount, row.m_OwnerAccount);
  EXPECT_EQ(back.m_ParentID, 11);
  EXPECT_EQ(back.m_ParentPath, "/1/11/");
  EXPECT_EQ(back.m_FolderName, row.m_FolderName);
  EXPECT_EQ(back.m_FolderMeno, "memo");
  EXPECT_EQ(back.m_FolderType, 1);
  EXPECT_EQ(back.m_FolderSysType, 2);
  EXPECT_EQ(back.m_FolderStatus, 3);
  EXPECT_EQ(back.m_FileSize, 5000000000);
  EXPECT_EQ(back.m_FileCount, 4);
  EXPECT_EQ(back.m_FileTotalSize, 6000000000);
  EXPECT_EQ(back.m_FileTotalCount, 5);
  EXPECT_EQ(back.m_CreateTime, 1600000000000);
  EXPECT_EQ(back.m_UpdateTime, 1600000000001);
  EXPECT_EQ(back.m_VersionValue, "9|200");
  EXPECT_EQ(back.m_VersionType, 6);
  EXPECT_EQ(back.m_FolderPath, row.m_FolderPath);
  EXPECT_EQ(dorvtest::ReadValue(dorvtest::AppDataFolder() / "users/someone/user.db",
                                "SELECT TotalSizeLimit || ',' || TotalCountLimit FROM FolderList"),
            "-1,-1");

  SyncFolderData missing;
  EXPECT_EQ(m_folders->SelectFolderByID(-1, missing), 1);
  EXPECT_EQ(m_folders->SelectFolderByID(13, missing), 0);
  EXPECT_EQ(missing.m_FolderID, -1);
}

TEST_F(FolderDBManagerTest, TheRootRowCarriesASecondVersionTextAfterAColon) {
  SyncFolderData empty;
  juce::String second = "unchanged";
  EXPECT_EQ(m_folders->SelectRootFolder(empty, second), 0) << "no root row is still a success";
  EXPECT_EQ(empty.m_FolderID, -1);

  SyncFolderData root = Folder(1, 0, "/home/u/Dorv");
  root.m_FolderSysType = 18;
  root.m_ParentPath = "/";
  root.m_VersionValue = "7";
  ASSERT_EQ(m_folders->ReplaceRootFolder(root, "123"), 0);
  EXPECT_EQ(dorvtest::ReadValue(dorvtest::AppDataFolder() / "users/someone/user.db",
                                "SELECT VersionValue FROM FolderList WHERE FolderID='1'"),
            "7:123");
  // A folder with system type 18 elsewhere is not the root.
  SyncFolderData other = Folder(2, 1, "/home/u/Dorv/x");
  other.m_FolderSysType = 18;
  ASSERT_EQ(m_folders->ReplaceFolder(other), 0);

  SyncFolderData back;
  ASSERT_EQ(m_folders->SelectRootFolder(back, second), 0);
  EXPECT_EQ(back.m_FolderID, 1);
  EXPECT_EQ(back.m_VersionValue, "7");
  EXPECT_EQ(second, "123");

  // A root written without a second text gives none, whatever text another
  // row (of this or an earlier database) carried.
  SyncFolderData stray = Folder(3, 1, "/home/u/Dorv/y");
  stray.m_VersionValue = "5:999";
  ASSERT_EQ(m_folders->ReplaceFolder(stray), 0);
  SyncFolderData read;
  ASSERT_EQ(m_folders->SelectFolderByID(3, read), 0);
  EXPECT_EQ(read.m_VersionValue, "5");
  root.m_VersionValue = "8";
  ASSERT_EQ(m_folders->ReplaceFolder(root), 0);
  second = "";
  ASSERT_EQ(m_folders->SelectRootFolder(back, second), 0);
  EXPECT_EQ(back.m_VersionValue, "8");
  EXPECT_EQ(second, "");
}

TEST_F(FolderDBManagerTest, ChildrenAreListedByTheirParentsId) {
  ASSERT_EQ(m_folders->ReplaceFolder(Folder(2, 1, "/r/a")), 0);
  ASSERT_EQ(m_folders->ReplaceFolder(Folder(3, 1, "/r/b")), 0);
  ASSERT_EQ(m_folders->ReplaceFolder(Folder(4, 2, "/r/a/c")), 0);
  std::vector<SyncFolderData> list;
  ASSERT_EQ(m_folders->SelectFoldersByParentID(1, list), 0);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].m_FolderPath.substring(0, 3), "/r/");
  EXPECT_EQ(list[0].m_ParentID, 1);
  std::vector<SyncFolderData> none;
  EXPECT_EQ(m_folders->SelectFoldersByParentID(-1, none), 1);
  EXPECT_EQ(m_folders->SelectFoldersByParentID(99, none), 0);
  EXPECT_TRUE(none.empty());
}

}  // namespace
