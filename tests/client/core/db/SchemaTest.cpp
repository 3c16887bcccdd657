// The five tables: made once with the stored files' exact column lists, found
// again after the databases are reopened, dropped on request.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <functional>

#include "DBTestFolder.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"

namespace {

using dorvtest::AppDataFolder;
using dorvtest::ReadValue;

struct TableCase {
  const char* table;
  bool userDatabase;
  const char* columns;
  std::function<int()> create;
  std::function<bool()> exists;
  std::function<int()> drop;
};

std::vector<TableCase> Tables() {
  GlobalContext* c = GetGlobalContext();
  return {
      {"ProductInfo", false,
       "ProductID,ProductName,FileMaxCount,FileMaxDepth,FileMaxSize,CurrentUser",
       [c] { return c->m_pProductDBManager->CreateDBTable(); },
       [c] { return c->m_pProductDBManager->IsDBTableExist(); },
       [c] { return c->m_pProductDBManager->DropDBTable(); }},
      {"UserData", false, "FullName,NickName,Password,UserID,IsAutoLogin",
       [c] { return c->m_pUserDataDBManager->CreateDBTable(); },
       [c] { return c->m_pUserDataDBManager->IsDBTableExist(); },
       [c] { return c->m_pUserDataDBManager->DropDBTable(); }},
      {"UserConfig", false,
       "FullName,UC_Status,UC_CreateTime,UC_UpdateTime,UC_Capacity,UC_SpaceUsed,UC_FileCount,"
       "UC_DirsCount,UC_LastAccessTime,UC_LastUpdateTime,UC_FilesTotalSizeLimit,"
       "UC_FilesTotalNumLimit,UC_RenewLimit,UC_Duration,UC_FileSizeLimit,UC_TotalDirsNumLinit,"
       "UC_SubFilesTotalSizeLimit,UC_SubFilesNumLimit,UC_SubDirsNumLimit,UC_DirDepthLimit",
       [c] { return c->m_pUserDataDBManager->CreateUserConfigTable(); },
       [c] { return c->m_pUserDataDBManager->IsUserConfigTableExist(); },
       [c] { return c->m_pUserDataDBManager->DropUserConfigTable(); }},
      {"FileList", true,
       "FileID,FilePath,FileType,FileStatus,FileMeno,UpdateTime,CreateTime,OwnerID,OwnerAccount,"
       "CreateID,CreatorAccount,ParentID,FileName,VersionValue,VersionType,DocType,Md5,FileSize,"
       "URL,SizeLimit,RenewLimit,Duration",
       [c] { return c->m_pFileDBManager->CreateDBTable(); },
       [c] { return c->m_pFileDBManager->IsDBTableExist(); },
       [c] { return c->m_pFileDBManager->DropDBTable(); }},
      {"FolderList", true,
       "FolderID,FolderPath,OwnerID,OwnerAccount,ParentID,ParentPath,FolderName,FolderMeno,"
       "FolderType,FolderSysType,FolderStatus,FileSize,FileCount,FileTotalSize,FileTotalCount,"
       "TotalSizeLimit,TotalCountLimit,CreateTime,UpdateTime,VersionValue,VersionType",
       [c] { return c->m_pFolderDBManager->CreateDBTable(); },
       [c] { return c->m_pFolderDBManager->IsDBTableExist(); },
       [c] { return c->m_pFolderDBManager->DropDBTable(); }},
  };
}

class SchemaTest : public dorvtest::DBTest {};

TEST_F(SchemaTest, TablesAreCreatedOnceWithTheirColumnsAndSurviveReopening) {
  ASSERT_TRUE(std::filesystem::exists(AppDataFolder() / "dorv.db"));
  ASSERT_EQ(OpenUserDB("someone@example.com"), SQLITE_OK);
  const auto userDB = AppDataFolder() / "users" / "someone@example.com" / "user.db";
  ASSERT_TRUE(std::filesystem::exists(userDB));

  for (const TableCase& t : Tables()) {
    SCOPED_TRACE(t.table);
    EXPECT_FALSE(t.exists());
    EXPECT_EQ(t.create(), 0);
    EXPECT_TRUE(t.exists());
    EXPECT_NE(t.create(), 0) << "a second creation fails";
  }

  CloseAllDB();
  ASSERT_EQ(OpenMainDB(), SQLITE_OK);
  CreateDBLocks();
  ASSERT_EQ(OpenUserDB("someone@example.com"), SQLITE_OK);
  for (const TableCase& t : Tables()) {
    SCOPED_TRACE(t.table);
    EXPECT_TRUE(t.exists());
    const auto file = t.userDatabase ? userDB : AppDataFolder() / "dorv.db";
    const std::string table = t.table;
    EXPECT_EQ(ReadValue(file, "SELECT group_concat(name, ',') FROM pragma_table_info('" + table +
                                  "')"),
              t.columns);
    EXPECT_EQ(ReadValue(file, "SELECT name FROM pragma_table_info('" + table + "') WHERE pk=1"),
              std::string(t.columns).substr(0, std::string(t.columns).find(',')));
    EXPECT_EQ(ReadValue(file, "SELECT count(*) FROM pragma_table_info('" + table +
                                  "') WHERE type != ''"),
              "0");
    EXPECT_EQ(t.drop(), 0);
    EXPECT_FALSE(t.exists());
  }
}

TEST_F(SchemaTest, LookUpColumnsOfTheUserTablesAreIndexed) {
  ASSERT_EQ(OpenUserDB("someone"), SQLITE_OK);
  GlobalContext* c = GetGlobalContext();
  ASSERT_EQ(c->m_pFileDBManager->CreateDBTable(), 0);
  ASSERT_EQ(c->m_pFolderDBManager->CreateDBTable(), 0);
  const auto userDB = AppDataFolder() / "users" / "someone" / "user.db";
  EXPECT_EQ(ReadValue(userDB, "SELECT group_concat(name, ',') FROM (SELECT name FROM sqlite_master "
                              "WHERE type='index' AND sql IS NOT NULL ORDER BY name)"),
            "FileList_FilePath,FileList_ParentID,FolderList_FolderPath,FolderList_ParentID");
}

TEST_F(SchemaTest, TablesMadeWithoutIndexesGetThemWhenTheDatabaseOpens) {
  const auto folder = AppDataFolder() / "users" / "older";
  std::filesystem::create_directories(folder);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((folder / "user.db").c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE FileList(FileID PRIMARY KEY,FilePath,ParentID)", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);

  ASSERT_EQ(OpenUserDB("older"), SQLITE_OK);
  EXPECT_EQ(ReadValue(folder / "user.db",
                      "SELECT count(*) FROM sqlite_master WHERE type='index' AND sql IS NOT NULL"),
            "2");
}

TEST_F(SchemaTest, StatementsWithoutAnOpenDatabaseOrLocksReturnOneAndRunNothing) {
  GlobalContext* c = GetGlobalContext();
  SyncFileData row;
  // No user database opened yet.
  EXPECT_EQ(c->m_pFileDBManager->CreateDBTable(), 1);
  EXPECT_EQ(c->m_pFileDBManager->SelectFileByID(5, row), 1);
  EXPECT_EQ(DBManagerBase::ExecSQLUser(nullptr, nullptr, DBStatement("SELECT 1")), 1);

  CloseAllDB();
  ASSERT_EQ(OpenMainDB(), SQLITE_OK);  // open, but the locks are not made yet
  EXPECT_EQ(DBManagerBase::ExecSQLMain(nullptr, nullptr, DBStatement("SELECT 1")), 1);
  CreateDBLocks();
  EXPECT_EQ(DBManagerBase::ExecSQLMain(nullptr, nullptr, DBStatement("SELECT 1")), 0);
}

TEST_F(SchemaTest, AFailedStatementIsLoggedWithItsCodeAndMessageWhicheverDatabase) {
  ASSERT_EQ(OpenUserDB("someone"), SQLITE_OK);
  GlobalContext* c = GetGlobalContext();
  // Neither table exists: SQLite answers SQLITE_ERROR "no such table".
  EXPECT_EQ(c->m_pProductDBManager->ReplaceProductInfo(ProductInfo()), SQLITE_ERROR);
  EXPECT_EQ(c->m_pFileDBManager->ReplaceFile(SyncFileData()), SQLITE_ERROR);
  EXPECT_EQ(dorvtest::CountLogLines(
                "Function: DBManagerBase::ExecSQLMain,ErrorCode: 1,Message: no such table: "
                "ProductInfo"),
            1);
  EXPECT_EQ(dorvtest::CountLogLines(
                "Function: DBManagerBase::ExecSQLMain,ErrorCode: 1,Message: no such table: FileList"),
            1);
}

TEST_F(SchemaTest, ValuesAreBoundNeverSplicedIntoTheText) {
  // A statement's '?' marks and its values must agree; text values stay text.
  EXPECT_EQ(DBManagerBase::ExecSQLMain(nullptr, nullptr, DBStatement("SELECT ?")), SQLITE_RANGE);
  std::string seen;
  auto read = [](void* context, int, char** values, char**) {
    *static_cast<std::string*>(context) = values[0];
    return 0;
  };
  DBStatement statement("SELECT ? || ?");
  statement.Bind(juce::String("\"; DROP TABLE x; --")).Bind(juce::String("'"));
  EXPECT_EQ(DBManagerBase::ExecSQLMain(&seen, read, statement), 0);
  EXPECT_EQ(seen, "\"; DROP TABLE x; --'");
  EXPECT_EQ(DBManagerBase::ExecSQLMain(nullptr, nullptr, DBStatement("SELECT 1; SELECT 2")),
            SQLITE_MISUSE);
}

}  // namespace
