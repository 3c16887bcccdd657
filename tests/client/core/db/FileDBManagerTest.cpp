// FileList through its manager: every field survives a round trip whatever
// characters it holds, and every statement matches exactly the rows it names.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "DBTestFolder.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"

namespace {

class FileDBManagerTest : public dorvtest::DBTest {
 protected:
  void SetUp() override {
    DBTest::SetUp();
    ASSERT_EQ(OpenUserDB("someone"), SQLITE_OK);
    m_files = GetGlobalContext()->m_pFileDBManager.get();
    ASSERT_EQ(m_files->CreateDBTable(), 0);
  }

  static SyncFileData Row(juce::int64 id, const juce::String& path, juce::int64 parent,
                          const juce::String& name) {
    SyncFileData row;
    row.m_FileID = id;
    row.m_FilePath = path;
    row.m_ParentID = parent;
    row.m_FileName = name;
    row.m_Md5 = "md5-" + juce::String(id);
    return row;
  }

  FileDBManager* m_files = nullptr;
};

// Texts that a quoted SQL literal or a LIKE pattern would get wrong.
const std::vector<juce::String>& AwkwardTexts() {
  static const std::vector<juce::String> texts{
      "plain.txt",
      "it's \"quoted\".txt",
      "100% _done_.txt",
      "FileName",
      "FilePath",
      juce::String::fromUTF8("报告 – Ünïcödé 📄.docx"),
      "/home/u/" + juce::String::repeatedString("d", 140) + "/" +
          juce::String::repeatedString(juce::String::fromUTF8("é"), 150) + ".bin",
      "back\\slash; DROP TABLE FileList; --",
  };
  return texts;
}

TEST_F(FileDBManagerTest, EveryFieldSurvivesARoundTripWhateverItHolds) {
  ASSERT_GE(AwkwardTexts()[6].length(), 300);
  juce::int64 id = 1;
  for (const juce::String& text : AwkwardTexts()) {
    SCOPED_TRACE(text.toStdString());
    SyncFileData row;
    row.m_FileID = id++;
    row.m_FilePath = "/root/" + text;
    row.m_FileType = 2;
    row.m_FileStatus = -3;
    row.m_FileMeno = text;
    row.m_UpdateTime = 1700000000123;
    row.m_CreateTime = -5;
    row.m_OwnerID = 9007199254740993;  // beyond a double's exact range
    row.m_OwnerAccount = text;
    row.m_CreateID = 42;
    row.m_CreatorAccount = text;
    row.m_ParentID = 77;
    row.m_FileName = text;
    row.m_VersionValue = "5|100";
    row.m_VersionType = 3;
    row.m_DocType = 4;
    row.m_Md5 = "d41d8cd98f00b204e9800998ecf8427e";
    row.m_FileSize = 2147483647;
    row.m_URL = "http://x/?a=" + text;
    row.m_SizeLimit = 6;
    row.m_RenewLimit = 7;
    row.m_Duration = 8;
    ASSERT_EQ(m_files->ReplaceFile(row), 0);

    SyncFileData back;
    ASSERT_EQ(m_files->SelectFileByID(row.m_FileID, back), 0);
    EXPECT_EQ(back.m_FileID, row.m_FileID);
    EXPECT_EQ(back.m_FilePath, row.m_FilePath);
    EXPECT_EQ(back.m_FileType, 2);
    EXPECT_EQ(back.m_FileStatus, -3);
    EXPECT_EQ(back.m_FileMeno, text);
    EXPECT_EQ(back.m_UpdateTime, 1700000000123);
    EXPECT_EQ(back.m_CreateTime, -5);
    EXPECT_EQ(back.m_OwnerID, 9007199254740993);
    EXPECT_EQ(back.m_OwnerAccount, text);
    EXPECT_EQ(back.m_CreateID, 42);
    EXPECT_EQ(back.m_CreatorAccount, text);
    EXPECT_EQ(back.m_ParentID, 77);
    EXPECT_EQ(back.m_FileName, text);
    EXPECT_EQ(back.m_VersionValue, "5|100");
    EXPECT_EQ(back.m_VersionType, 3);
    EXPECT_EQ(back.m_DocType, 4);
    EXPECT_EQ(back.m_Md5, row.m_Md5);
    EXPECT_EQ(back.m_FileSize, 2147483647);
    EXPECT_EQ(back.m_URL, row.m_URL);
    EXPECT_EQ(back.m_SizeLimit, 6);
    EXPECT_EQ(back.m_RenewLimit, 7);
    EXPECT_EQ(back.m_Duration, 8);

    // The path look-up finds the row by its exact path and fills three fields.
    SyncFileData partly;
    ASSERT_EQ(m_files->SelectFileByPath(row.m_FilePath, partly), 0);
    EXPECT_EQ(partly.m_FileID, row.m_FileID);
    EXPECT_EQ(partly.m_ParentID, 77);
    EXPECT_EQ(partly.m_Md5, row.m_Md5);
    EXPECT_EQ(partly.m_FileName, "") << "only FileID, ParentID and Md5 are read";
  }
  // Values are stored as text, as the tables have always held them.
  EXPECT_EQ(dorvtest::ReadValue(dorvtest::AppDataFolder() / "users/someone/user.db",
                                "SELECT group_concat(DISTINCT typeof(FileID)) FROM FileList"),
            "text");
}

TEST_F(FileDBManagerTest, MissingRowsAndNoIdLeaveTheRecordAlone) {
  ASSERT_EQ(m_files->ReplaceFile(Row(1, "/r/a", 10, "a")), 0);
  SyncFileData row;
  EXPECT_EQ(m_files->SelectFileByID(-1, row), 1);
  EXPECT_EQ(m_files->SelectFileByID(2, row), 0);
  EXPECT_EQ(row.m_FileID, -1);
  EXPECT_EQ(m_files->SelectFileByPath("/r/A", row), 0) << "paths compare with case";
  EXPECT_EQ(row.m_FileID, -1);
  EXPECT_EQ(m_files->SelectFileByPath("", row), 1);
  std::vector<SyncFileData> list;
  EXPECT_EQ(m_files->SelectFilesByParentID(-1, list), 1);
  EXPECT_TRUE(list.empty());
}

TEST_F(FileDBManagerTest, ReplaceOverwritesTheRowWithTheSameId) {
  ASSERT_EQ(m_files->ReplaceFile(Row(1, "/r/a", 10, "a")), 0);
  ASSERT_EQ(m_files->ReplaceFile(Row(1, "/r/b", 11, "b")), 0);
  std::vector<SyncFileData> list;
  ASSERT_EQ(m_files->SelectFilesByParentID(10, list), 0);
  EXPECT_TRUE(list.empty());
  ASSERT_EQ(m_files->SelectFilesByParentID(11, list), 0);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].m_FilePath, "/r/b");
}

TEST_F(FileDBManagerTest, AFileNamedLikeAColumnDeletesOnlyItself) {
  // Between double quotes, "FileName" would be the column and match every row
  // of the folder; bound, it is the text.
  ASSERT_EQ(m_files->ReplaceFile(Row(1, "/r/FileName", 10, "FileName")), 0);
  ASSERT_EQ(m_files->ReplaceFile(Row(2, "/r/other", 10, "other")), 0);
  ASSERT_EQ(m_files->ReplaceFile(Row(3, "/r/ParentID", 10, "ParentID")), 0);
  ASSERT_EQ(m_files->ReplaceFile(Row(4, "/s/FileName", 20, "FileName")), 0);

  EXPECT_EQ(m_files->DeleteFileByName("FileName", 10), 0);
  std::vector<SyncFileData> left;
  ASSERT_EQ(m_files->SelectFilesByParentID(10, left), 0);
  ASSERT_EQ(left.size(), 2u);
  for (const SyncFileData& row : left) EXPECT_NE(row.m_FileName, "FileName");

  SyncFileData elsewhere;
  ASSERT_EQ(m_files->SelectFileByID(4, elsewhere), 0);
  EXPECT_EQ(elsewhere.m_FileName, "FileName") << "the same name in another folder stays";
}

TEST_F(FileDBManagerTest, DeleteByNameMatchesTheNameExactly) {
  juce::int64 id = 1;
  for (const juce::String& text : AwkwardTexts()) ASSERT_EQ(m_files->ReplaceFile(Row(id++, "/r/" + text, 5, text)), 0);
  ASSERT_EQ(m_files->ReplaceFile(Row(id++, "/r/100x done.txt", 5, "100x done.txt")), 0);

  std::vector<SyncFileData> all;
  ASSERT_EQ(m_files->SelectFilesByParentID(5, all), 0);
  size_t expected = all.size();
  for (const juce::String& text : AwkwardTexts()) {
    SCOPED_TRACE(text.toStdString());
    EXPECT_EQ(m_files->DeleteFileByName(text, 5), 0);
    std::vector<SyncFileData> left;
    ASSERT_EQ(m_files->SelectFilesByParentID(5, left), 0);
    EXPECT_EQ(left.size(), --expected);
  }
}

TEST_F(FileDBManagerTest, EngineStatementsMatchPathPrefixesExactly) {
  // The engine's own statements bind their values too; a LIKE on a prefix
  // escapes the prefix's wildcards and compares with case.
  ASSERT_EQ(m_files->ReplaceFile(Row(1, "/r/a_b/one", 1, "one")), 0);
  ASSERT_EQ(m_files->ReplaceFile(Row(2, "/r/axb/two", 1, "two")), 0);
  ASSERT_EQ(m_files->ReplaceFile(Row(3, "/r/A_B/three", 1, "three")), 0);
  ASSERT_EQ(m_files->ReplaceFile(Row(4, "/r/a_b", 1, "a_b")), 0);

  DBStatement remove(DBManagerBase::FormatSQL(L"DELETE FROM %s WHERE %s LIKE ? ESCAPE '\\'",
                                              L"FileList", L"FilePath"));
  remove.Bind(DBStatement::LikePrefix("/r/a_b/"));
  ASSERT_EQ(DBManagerBase::ExecSQLUser(nullptr, nullptr, remove), 0);

  std::vector<SyncFileData> left;
  ASSERT_EQ(m_files->SelectFilesByParentID(1, left), 0);
  std::vector<juce::String> paths;
  for (const SyncFileData& row : left) paths.push_back(row.m_FilePath);
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<juce::String>{"/r/A_B/three", "/r/a_b", "/r/axb/two"}));
}

TEST_F(FileDBManagerTest, RowReadersRefuseANullContextAndSkipUnknownColumns) {
  ASSERT_EQ(m_files->ReplaceFile(Row(1, "/r/a", 10, "a")), 0);
  EXPECT_EQ(DBManagerBase::ExecSQLUser(nullptr, FileDBManager::ReadFileRow,
                                       DBStatement("SELECT * FROM FileList")),
            SQLITE_ABORT);
  SyncFileData row;
  ASSERT_EQ(DBManagerBase::ExecSQLUser(
                &row, FileDBManager::ReadFileRow,
                DBStatement("SELECT FileName, 'x' AS Unknown, FileSize AS filesize FROM FileList")),
            0);
  EXPECT_EQ(row.m_FileName, "a");
  EXPECT_EQ(row.m_FileID, -1);
  EXPECT_EQ(row.m_FileSize, 0) << "column names compare with case";
}

}  // namespace
