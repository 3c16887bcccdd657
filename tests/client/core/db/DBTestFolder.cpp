#include "DBTestFolder.h"

#include <sqlite3.h>

#include <fstream>

#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"
#include "common/AppPaths.h"
#include "common/StringConvert.h"

namespace dorvtest {

std::filesystem::path AppDataFolder() {
  CString folder;
  Common::GetAppDataPath(folder);
  return std::filesystem::path(Common::CString_to_utf8(folder));
}

void RemoveDatabases() {
  const std::filesystem::path folder = AppDataFolder();
  for (const char* name : {"dorv.db", "dorv.db-wal", "dorv.db-shm", "dorv.log"})
    std::filesystem::remove(folder / name);
  std::filesystem::remove_all(folder / "users");
}

int CountLogLines(const std::string& text) {
  std::ifstream log(AppDataFolder() / "dorv.log");
  int count = 0;
  for (std::string line; std::getline(log, line);)
    if (line.find(text) != std::string::npos) ++count;
  return count;
}

std::string ReadValue(const std::filesystem::path& db, const std::string& sql) {
  sqlite3* handle = nullptr;
  std::string value = "<none>";
  if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(statement, 0);
      value = text == nullptr ? "<null>" : reinterpret_cast<const char*>(text);
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close_v2(handle);
  return value;
}

void DBTest::SetUp() {
  CloseAllDB();
  DeleteGlobalContext();
  RemoveDatabases();
  ASSERT_EQ(OpenMainDB(), SQLITE_OK);
  CreateDBLocks();
}

void DBTest::TearDown() {
  CloseAllDB();
  DeleteGlobalContext();
  RemoveDatabases();
}

}  // namespace dorvtest
