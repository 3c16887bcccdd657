#include "client/core/db/FileDBManager.h"

#include "client/core/db/DBRecordColumns.h"
#include "client/core/db/DBTables.h"

namespace {

const DBColumns<SyncFileData>& FileColumns() {
  using R = SyncFileData;
  static const DBColumns<R> columns{
      Int64Column<R>("FileID", &R::m_FileID),
      TextColumn<R>("FilePath", &R::m_FilePath),
      Int32Column<R>("FileType", &R::m_FileType),
      Int32Column<R>("FileStatus", &R::m_FileStatus),
      TextColumn<R>("FileMeno", &R::m_FileMeno),
      Int64Column<R>("UpdateTime", &R::m_UpdateTime),
      Int64Column<R>("CreateTime", &R::m_CreateTime),
      Int64Column<R>("OwnerID", &R::m_OwnerID),
      TextColumn<R>("OwnerAccount", &R::m_OwnerAccount),
      Int64Column<R>("CreateID", &R::m_CreateID),
      TextColumn<R>("CreatorAccount", &R::m_CreatorAccount),
      Int64Column<R>("ParentID", &R::m_ParentID),
      TextColumn<R>("FileName", &R::m_FileName),
      TextColumn<R>("VersionValue", &R::m_VersionValue),
      Int32Column<R>("VersionType", &R::m_VersionType),
      Int32Column<R>("DocType", &R::m_DocType),
      TextColumn<R>("Md5", &R::m_Md5),
      Int32Column<R>("FileSize", &R::m_FileSize),
      TextColumn<R>("URL", &R::m_URL),
      Int32Column<R>("SizeLimit", &R::m_SizeLimit),
      Int32Column<R>("RenewLimit", &R::m_RenewLimit),
      Int32Column<R>("Duration", &R::m_Duration),
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
