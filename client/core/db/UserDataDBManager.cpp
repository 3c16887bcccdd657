#include "client/core/db/UserDataDBManager.h"

#include "client/core/db/DBRecordColumns.h"
#include "client/core/db/DBTables.h"

namespace {

DBColumns<AccountSnapshot> MakeUserDataColumns() {
  using R = AccountSnapshot;
  return DBColumns<R>{
      {"FullName", &R::FullName},
      {"NickName", &R::m_sNickName},
      {"Password", &R::m_sPassword},
      {"UserID", &R::UserID},
      {"IsAutoLogin", &R::IsAutoLogin},
  };
}

const DBColumns<AccountSnapshot>& UserDataColumns() {
  static const DBColumns<AccountSnapshot> columns = MakeUserDataColumns();
  return columns;
}

// UserConfig's columns after FullName; the account name is bound on its own.
DBColumns<UserConfigInfo> MakeUserConfigColumns() {
  using R = UserConfigInfo;
  return DBColumns<R>{
      {"UC_Status", &R::UC_Status},
      {"UC_CreateTime", &R::UC_CreateTime},
      {"UC_UpdateTime", &R::UC_UpdateTime},
      {"UC_Capacity", &R::UC_Capacity},
      {"UC_SpaceUsed", &R::UC_SpaceUsed},
      {"UC_FileCount", &R::UC_FileCount},
      {"UC_DirsCount", &R::UC_DirsCount},
      {"UC_LastAccessTime", &R::UC_LastAccessTime},
      {"UC_LastUpdateTime", &R::UC_LastUpdateTime},
      {"UC_FilesTotalSizeLimit", &R::UC_FilesTotalSizeLimit},
      {"UC_FilesTotalNumLimit", &R::UC_FilesTotalNumLimit},
      {"UC_RenewLimit", &R::UC_RenewLimit},
      {"UC_Duration", &R::UC_Duration},
      {"UC_FileSizeLimit", &R::UC_FileSizeLimit},
      {"UC_TotalDirsNumLinit", &R::UC_TotalDirsNumLinit},
      {"UC_SubFilesTotalSizeLimit", &R::UC_SubFilesTotalSizeLimit},
      {"UC_SubFilesNumLimit", &R::UC_SubFilesNumLimit},
      {"UC_SubDirsNumLimit", &R::UC_SubDirsNumLimit},
      {"UC_DirDepthLimit", &R::UC_DirDepthLimit},
  };
}

const DBColumns<UserConfigInfo>& UserConfigColumns() {
  static const DBColumns<UserConfigInfo> columns = MakeUserConfigColumns();
  return columns;
}

template <class Record>
struct RowTarget {
  Record* record;
  int rows;
};

int ReadUserDataRow(void* context, int count, char** values, char** names) {
  if (context == nullptr) return 1;
  auto* target = static_cast<RowTarget<AccountSnapshot>*>(context);
  ReadRecord(*target->record, UserDataColumns(), count, values, names);
  // The short name follows the stored full name.
  target->record->m_sShortName = target->record->FullName;
  ++target->rows;
  return 0;
}

int ReadUserConfigRow(void* context, int count, char** values, char** names) {
  if (context == nullptr) return 1;
  auto* target = static_cast<RowTarget<UserConfigInfo>*>(context);
  ReadRecord(*target->record, UserConfigColumns(), count, values, names);
  ++target->rows;
  return 0;
}

int CountRows(void* context, int, char**, char**) {
  if (context == nullptr) return 1;
  ++*static_cast<int*>(context);
  return 0;
}

}  // namespace

int UserDataDBManager::CreateDBTable() { return CreateTable(Database::Main, DBTables::UserData()); }
bool UserDataDBManager::IsDBTableExist() { return TableExists(Database::Main, DBTables::UserData()); }
int UserDataDBManager::DropDBTable() { return DropTable(Database::Main, DBTables::UserData()); }

int UserDataDBManager::CreateUserConfigTable() {
  return CreateTable(Database::Main, DBTables::UserConfig());
}
bool UserDataDBManager::IsUserConfigTableExist() {
  return TableExists(Database::Main, DBTables::UserConfig());
}
int UserDataDBManager::DropUserConfigTable() {
  return DropTable(Database::Main, DBTables::UserConfig());
}

bool UserDataDBManager::IsUserDataEmpty() {
  // A missing table holds no account either; asking first keeps that case
  // out of the error log.
  if (!IsDBTableExist()) return true;
  int rows = 0;
  const int result = ExecSQLMain(&rows, CountRows, DBStatement("SELECT * FROM UserData LIMIT 1"));
  return result != 0 || rows == 0;
}

int UserDataDBManager::SelectUserData(AccountSnapshot& snapshot, int* rowsRead) {
  if (rowsRead != nullptr) *rowsRead = 0;
  if (snapshot.m_sAccount.isEmpty()) return 1;
  DBStatement statement("SELECT * FROM UserData WHERE FullName = ? LIMIT 1");
  statement.Bind(snapshot.m_sAccount);
  RowTarget<AccountSnapshot> target{&snapshot, 0};
  const int result = ExecSQLMain(&target, ReadUserDataRow, statement);
  if (rowsRead != nullptr) *rowsRead = target.rows;
  return result;
}

int UserDataDBManager::ReplaceUserData(const AccountSnapshot& snapshot) {
  static const juce::String sql = DBTables::ReplaceSQL(DBTables::UserData());
  DBStatement statement(sql);
  BindRecord(statement, snapshot, UserDataColumns());
  return ExecSQLMain(nullptr, nullptr, statement);
}

int UserDataDBManager::UpdateUserPassword(const juce::String& fullName,
                                          const juce::String& password) {
  DBStatement statement("UPDATE UserData SET Password=? WHERE FullName=?");
  statement.Bind(password).Bind(fullName);
  return ExecSQLMain(nullptr, nullptr, statement);
}

int UserDataDBManager::SelectUserConfig(const juce::String& name, UserConfigInfo& config,
                                        int* rowsRead) {
  if (rowsRead != nullptr) *rowsRead = 0;
  if (name.isEmpty()) return 1;
  DBStatement statement("SELECT * FROM UserConfig WHERE FullName = ? LIMIT 1");
  statement.Bind(name);
  RowTarget<UserConfigInfo> target{&config, 0};
  const int result = ExecSQLMain(&target, ReadUserConfigRow, statement);
  if (rowsRead != nullptr) *rowsRead = target.rows;
  return result;
}

int UserDataDBManager::ReplaceUserConfig(const UserConfigInfo& config, const juce::String& name) {
  static const juce::String sql = DBTables::ReplaceSQL(DBTables::UserConfig());
  DBStatement statement(sql);
  statement.Bind(name);
  BindRecord(statement, config, UserConfigColumns());
  return ExecSQLMain(nullptr, nullptr, statement);
}
