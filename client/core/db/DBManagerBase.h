#pragma once
// The base of the four table managers. A manager holds no statement state of
// its own: each statement is built in a local DBStatement with its values
// bound, so any thread may use any manager at any time.
#include <juce_core/juce_core.h>

#include "client/core/db/DBConnection.h"
#include "client/core/db/DBStatement.h"

struct DBTable;

class DBManagerBase {
 public:
  virtual ~DBManagerBase() = default;

  virtual int CreateDBTable() = 0;
  virtual bool IsDBTableExist() = 0;
  virtual int DropDBTable() = 0;

  // printf-style formatting (Windows conversions: %s wide, %I64d) for the
  // names in a statement's text: tables, columns, constants of the program.
  // Values never go through it; they are bound to the statement's '?' marks.
  static juce::String FormatSQL(const wchar_t* format, ...);

  // Run one statement on the main or the per-user database. Both return 1
  // without running anything when the database is not open or the locks are
  // not created, else the SQLite result (0 = success). A failure is logged as
  // ErrorLog with the function "DBManagerBase::ExecSQLMain", the result and
  // SQLite's message. A null callback runs the statement without reading rows.
  static int ExecSQLMain(void* context, DBRowCallback callback, const DBStatement& statement);
  static int ExecSQLUser(void* context, DBRowCallback callback, const DBStatement& statement);

 protected:
  enum class Database { Main, User };

  static int Exec(Database database, void* context, DBRowCallback callback,
                  const DBStatement& statement);
  // The table's CREATE statement, followed by its look-up indexes.
  static int CreateTable(Database database, const DBTable& table);
  static bool TableExists(Database database, const DBTable& table);
  static int DropTable(Database database, const DBTable& table);
};
