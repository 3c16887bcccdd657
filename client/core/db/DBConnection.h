#pragma once
// One SQLite connection and the lock that serialises every statement on it.
// Any thread may run statements; each runs whole (prepare, bind, every row
// callback) under the lock, so row callbacks must not run statements on the
// same connection. Prepared statements are kept per SQL text: values are bound,
// so the texts are few and fixed.
#include <mutex>
#include <string>
#include <unordered_map>

#include <juce_core/juce_core.h>

#include "client/core/db/DBStatement.h"

struct sqlite3;
struct sqlite3_stmt;

// The form of an sqlite3_exec callback: context, column count, values (null for
// NULL), column names. A non-zero return stops the statement.
using DBRowCallback = int (*)(void* context, int columnCount, char** values, char** names);

class DBConnection {
 public:
  DBConnection() = default;
  DBConnection(const DBConnection&) = delete;
  DBConnection& operator=(const DBConnection&) = delete;
  ~DBConnection();

  // Closes an open database, then opens (creating when missing) the file and
  // checks that it is a readable database. A file that is not one is left as
  // it is and the connection stays closed. Returns the SQLite result, 0 on
  // success.
  int Open(const juce::String& path);
  void Close();
  bool IsOpen() const;

  // Runs one statement. Returns 1 without running when the connection is
  // closed, else the SQLite result (0 on success; SQLITE_ABORT when the
  // callback stopped it); errorMessage receives SQLite's message on failure.
  int Execute(void* context, DBRowCallback callback, const DBStatement& statement,
              std::string& errorMessage);

 private:
  sqlite3_stmt* PrepareLocked(const std::string& sql, int& result);
  void CloseLocked();

  mutable std::mutex m_lock;
  sqlite3* m_db = nullptr;
  std::unordered_map<std::string, sqlite3_stmt*> m_statements;
};
