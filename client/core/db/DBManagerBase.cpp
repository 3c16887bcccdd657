#include "client/core/db/DBManagerBase.h"

#include <cstdarg>
#include <cstdlib>
#include <string>

#include "client/core/db/DBTables.h"
#include "client/core/db/LocalDatabases.h"
#include "client/core/LogWriter.h"
#include "mfc/FormatWide.h"

juce::String DBManagerBase::FormatSQL(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = FormatWide(format, args);
  va_end(args);
  return juce::String(text.c_str());
}

int DBManagerBase::ExecSQLMain(void* context, DBRowCallback callback, const DBStatement& statement) {
  return Exec(Database::Main, context, callback, statement);
}

int DBManagerBase::ExecSQLUser(void* context, DBRowCallback callback, const DBStatement& statement) {
  return Exec(Database::User, context, callback, statement);
}

int DBManagerBase::Exec(Database database, void* context, DBRowCallback callback,
                        const DBStatement& statement) {
  DBConnection* connection = database == Database::Main ? LocalDatabases::MainConnection()
                                                        : LocalDatabases::UserConnection();
  if (connection == nullptr) return 1;
  std::string message;
  const int result = connection->Execute(context, callback, statement, message);
  if (result != 0 && connection->IsOpen()) {
    // One function text for both databases: the log's readers search for it.
    WriteErrorCodeLog("DBManagerBase::ExecSQLMain", juce::String(result),
                      juce::String::fromUTF8(message.c_str()));
  }
  return result;
}

namespace {

int ReadCount(void* context, int count, char** values, char**) {
  if (context == nullptr) return 1;
  if (count > 0 && values[0] != nullptr) *static_cast<long long*>(context) = std::atoll(values[0]);
  return 0;
}

}  // namespace

int DBManagerBase::CreateTable(Database database, const DBTable& table) {
  int result = Exec(database, nullptr, nullptr, DBTables::CreateTableSQL(table));
  if (result != 0) return result;
  for (const juce::String& sql : DBTables::CreateIndexSQL(table)) {
    result = Exec(database, nullptr, nullptr, sql);
    if (result != 0) return result;
  }
  return 0;
}

bool DBManagerBase::TableExists(Database database, const DBTable& table) {
  long long count = 0;
  DBStatement statement("SELECT COUNT(*) FROM sqlite_master where type='table' and name=?");
  statement.Bind(juce::String(table.name));
  return Exec(database, &count, ReadCount, statement) == 0 && count > 0;
}

int DBManagerBase::DropTable(Database database, const DBTable& table) {
  return Exec(database, nullptr, nullptr, juce::String("DROP TABLE ") + table.name);
}
