#include "client/core/db/FolderDBManager.h"

#include <cstring>

#include "client/core/db/DBRecordColumns.h"
#include "client/core/db/DBTables.h"

namespace {

DBColumns<SyncFolderData> MakeFolderColumns() {
  using R = SyncFolderData;
  DBColumn<R> totalSizeLimit("TotalSizeLimit");
  totalSizeLimit.fixedValue = "-1";
  DBColumn<R> totalCountLimit("TotalCountLimit");
  totalCountLimit.fixedValue = "-1";
  DBColumn<R> versionValue("VersionValue", &R::m_VersionValue);
  versionValue.readBySelf = true;
  return DBColumns<R>{
      {"FolderID", &R::m_FolderID},
      {"FolderPath", &R::m_FolderPath},
      {"OwnerID", &R::m_OwnerID},
      {"OwnerAccount", &R::m_OwnerAccount},
      {"ParentID", &R::m_ParentID},
      {"ParentPath", &R::m_ParentPath},
      {"FolderName", &R::m_FolderName},
      {"FolderMeno", &R::m_FolderMeno},
      {"FolderType", &R::m_FolderType},
      {"FolderSysType", &R::m_FolderSysType},
      {"FolderStatus", &R::m_FolderStatus},
      {"FileSize", &R::m_FileSize},
      {"FileCount", &R::m_FileCount},
      {"FileTotalSize", &R::m_FileTotalSize},
      {"FileTotalCount", &R::m_FileTotalCount},
      totalSizeLimit,
      totalCountLimit,
      {"CreateTime", &R::m_CreateTime},
      {"UpdateTime", &R::m_UpdateTime},
      versionValue,
      {"VersionType", &R::m_VersionType},
  };
}

const DBColumns<SyncFolderData>& FolderColumns() {
  static const DBColumns<SyncFolderData> columns = MakeFolderColumns();
  return columns;
}

// Reads a row; the text after ':' in its VersionValue goes to secondText
// (when given), the part before it into the record.
void ReadFolder(SyncFolderData& row, int count, char** values, char** names, juce::String* secondText = nullptr) {
  ReadRecord(row, FolderColumns(), count, values, names);
  for (int i = 0; i < count; ++i) {
    if (values[i] == nullptr || names[i] == nullptr || std::strcmp(names[i], "VersionValue") != 0)
      continue;
    const juce::String version = DBValue::ToText(values[i]);
    const int colon = version.indexOfChar(':');
    if (colon < 0) {
      row.m_VersionValue = version;
    } else {
      row.m_VersionValue = version.substring(0, colon);
      if (secondText) *secondText = version.substring(colon + 1);
    }
  }
}

struct RootRead {
  SyncFolderData* row;
  juce::String* secondText;
};

int ReadRootRow(void* context, int count, char** values, char** names) {
  auto* read = static_cast<RootRead*>(context);
  ReadFolder(*read->row, count, values, names, read->secondText);
  return 0;
}

}  // namespace

int FolderDBManager::CreateDBTable() { return CreateTable(Database::User, DBTables::FolderList()); }
bool FolderDBManager::IsDBTableExist() { return TableExists(Database::User, DBTables::FolderList()); }
int FolderDBManager::DropDBTable() { return DropTable(Database::User, DBTables::FolderList()); }

int FolderDBManager::ReadFolderRow(void* context, int count, char** values, char** names) {
  if (context == nullptr) return 1;
  ReadFolder(*static_cast<SyncFolderData*>(context), count, values, names);
  return 0;
}

int FolderDBManager::ReadFolderList(void* context, int count, char** values, char** names) {
  if (context == nullptr) return 1;
  SyncFolderData row;
  ReadFolder(row, count, values, names);
  static_cast<std::vector<SyncFolderData>*>(context)->push_back(row);
  return 0;
}

int FolderDBManager::SelectFolderByID(juce::int64 id, SyncFolderData& row) {
  if (id == -1) return 1;
  DBStatement statement("SELECT * FROM FolderList WHERE FolderID = ? LIMIT 1");
  statement.Bind(id);
  return ExecSQLUser(&row, ReadFolderRow, statement);
}

int FolderDBManager::ReplaceFolder(const SyncFolderData& row) {
  static const juce::String sql = DBTables::ReplaceSQL(DBTables::FolderList());
  DBStatement statement(sql);
  BindRecord(statement, row, FolderColumns());
  return ExecSQLUser(nullptr, nullptr, statement);
}

int FolderDBManager::SelectRootFolder(SyncFolderData& row, juce::String& versionText) {
  DBStatement statement(
      "SELECT * FROM FolderList WHERE FolderSysType = ? AND ParentPath = ? LIMIT 1");
  statement.Bind(18).Bind(juce::String("/"));
  // The version text is the root row's own: another row's, or another
  // account's database read before, must never become this root's version.
  RootRead read{&row, &versionText};
  return ExecSQLUser(&read, ReadRootRow, statement);
}

int FolderDBManager::ReplaceRootFolder(const SyncFolderData& row, const juce::String& secondText) {
  SyncFolderData joined = row;
  joined.m_VersionValue = row.m_VersionValue + ":" + secondText;
  return ReplaceFolder(joined);
}

int FolderDBManager::SelectFoldersByParentID(juce::int64 id, std::vector<SyncFolderData>& list) {
  if (id == -1) return 1;
  DBStatement statement("SELECT * FROM FolderList WHERE ParentID = ?");
  statement.Bind(id);
  return ExecSQLUser(&list, ReadFolderList, statement);
}
