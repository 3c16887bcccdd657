#include "client/core/db/FileDBManager.h"

#include "client/core/db/DBRecordColumns.h"
#include "client/core/db/DBTables.h"

namespace {

const DBColumns<SyncFileData>& FileColumns() {
  using R = SyncFileData;
  static const DBColumns<R> columns{
      {"FileID", &R::m_FileID},
      {"FilePath", &R::m_FilePath},
      {"FileType", &R::m_FileType},
      {"FileStatus", &R::m_FileStatus},
      {"FileMeno", &R::m_FileMeno},
      {"UpdateTime", &R::m_UpdateTime},
      {"CreateTime", &R::m_CreateTime},
      {"OwnerID", &R::m_OwnerID},
      {"OwnerAccount", &R::m_OwnerAccount},
      {"CreateID", &R::m_CreateID},
      {"CreatorAccount", &R::m_CreatorAccount},
      {"ParentID", &R::m_ParentID},
      {"FileName", &R::m_FileName},
      {"VersionValue", &R::m_VersionValue},
      {"VersionType", &R::m_VersionType},
      {"DocType", &R::m_DocType},
      {"Md5", &R::m_Md5},
      {"FileSize", &R::m_FileSize},
      {"URL", &R::m_URL},
      {"SizeLimit", &R::m_SizeLimit},
      {"RenewLimit", &R::m_RenewLimit},
      {"Duration", &R::m_Duration},
  };
  return columns;
}

}  // namespace

int FileDBManager::CreateDBTable() { return CreateTable(Database::User, DBTables::FileList()); }
bool FileDBManager::IsDBTableExist() { return TableExists(Database::User, DBTables::FileList()); }
int FileDBManager::DropDBTable() { return DropTable(Database::User, DBTables::FileList()); }

int FileDBManager::ReadFileRow(void* context, int count, char** values, char** names) {
  if (context == nullptr) return 1;
  ReadRecord(*static_cast<SyncFileData*>(context), FileColumns(), count, values, names);
  return 0;
}

int FileDBManager::ReadFileList(void* context, int count, char** values, char** names) {
  if (context == nullptr) return 1;
  SyncFileData row;
  ReadRecord(row, FileColumns(), count, values, names);
  static_cast<std::vector<SyncFileData>*>(context)->push_back(row);
  return 0;
}

int FileDBManager::SelectFileByID(juce::int64 id, SyncFileData& row) {
  if (id == -1) return 1;
  DBStatement statement("SELECT * FROM FileList WHERE FileID = ? LIMIT 1");
  statement.Bind(id);
  return ExecSQLUser(&row, ReadFileRow, statement);
}

int FileDBManager::SelectFileByPath(const juce::String& path, SyncFileData& row) {
  if (path.isEmpty()) return 1;
  DBStatement statement("SELECT FileID,ParentID,Md5 FROM FileList WHERE FilePath = ? LIMIT 1");
  statement.Bind(path);
  return ExecSQLUser(&row, ReadFileRow, statement);
}

int FileDBManager::ReplaceFile(const SyncFileData& row) {
  static const juce::String sql = DBTables::ReplaceSQL(DBTables::FileList());
  DBStatement statement(sql);
  BindRecord(statement, row, FileColumns());
  return ExecSQLUser(nullptr, nullptr, statement);
}

int FileDBManager::DeleteFileByName(const juce::String& name, juce::int64 parentID) {
  DBStatement statement("DELETE FROM FileList WHERE FileName = ? AND ParentID = ?");
  statement.Bind(name).Bind(parentID);
  return ExecSQLUser(nullptr, nullptr, statement);
}

int FileDBManager::SelectFilesByParentID(juce::int64 id, std::vector<SyncFileData>& list) {
  if (id == -1) return 1;
  DBStatement statement("SELECT * FROM FileList WHERE ParentID = ?");
  statement.Bind(id);
  return ExecSQLUser(&list, ReadFileList, statement);
}
