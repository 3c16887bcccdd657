#pragma once
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

namespace devserver {

// The service's SQLite database. Not thread-safe: the service serialises every
// use behind its own lock.
class Store {
 public:
  explicit Store(const std::filesystem::path& file);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  sqlite3* handle() const { return m_db; }
  void Exec(const char* sql);
  int64_t LastInsertId() const { return sqlite3_last_insert_rowid(m_db); }

  // A prepared statement for the SQL, kept from an earlier use when one is
  // free: preparing costs more than most of the service's queries.
  sqlite3_stmt* Acquire(const std::string& sql);
  // Takes a statement back, reset and unbound, for the next Acquire.
  void Release(const std::string& sql, sqlite3_stmt* stmt);

 private:
  void CreateSchema();
  void CreateDerivedTables();
  sqlite3* m_db = nullptr;
  // Free statements by SQL text; a text in use twice at once gets a second one.
  std::unordered_map<std::string, std::vector<sqlite3_stmt*>> m_free;
};

// One prepared statement; values are always bound, never spliced into the SQL.
// It is borrowed from the store's cache and given back when it goes.
class Stmt {
 public:
  Stmt(Store& store, const std::string& sql);
  ~Stmt();
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;

  Stmt& Bind(int index, int64_t value);
  Stmt& Bind(int index, const std::string& value);
  // True while a row is available; throws on an error.
  bool Step();
  // Runs a statement that returns no rows.
  void Run();
  void Reset();

  int64_t Int(int column) const { return sqlite3_column_int64(m_stmt, column); }
  std::string Text(int column) const;

 private:
  Store& m_store;
  std::string m_sql;
  sqlite3* m_db;
  sqlite3_stmt* m_stmt = nullptr;
};

// Commits on Commit(), rolls back when left without it.
class Transaction {
 public:
  explicit Transaction(Store& store);
  ~Transaction();
  void Commit();

 private:
  Store& m_store;
  bool m_done = false;
};

}  // namespace devserver
