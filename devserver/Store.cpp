#include "Store.h"

#include <stdexcept>

namespace devserver {

namespace {

const char* const kSchema = R"SQL(
CREATE TABLE IF NOT EXISTS users(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  account TEXT NOT NULL UNIQUE COLLATE NOCASE,
  pwd TEXT NOT NULL,
  name TEXT NOT NULL DEFAULT '',
  status INTEGER NOT NULL DEFAULT 0,
  capacity INTEGER NOT NULL,
  szm INTEGER NOT NULL,
  fsnm INTEGER NOT NULL,
  dsnm INTEGER NOT NULL,
  dym INTEGER NOT NULL,
  g INTEGER NOT NULL DEFAULT 0,
  logins INTEGER NOT NULL DEFAULT 0,
  createTime INTEGER NOT NULL,
  updateTime INTEGER NOT NULL,
  lastAccess INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS clients(
  cid TEXT PRIMARY KEY,
  userId INTEGER NOT NULL,
  pz TEXT NOT NULL,
  name TEXT NOT NULL DEFAULT '',
  ip TEXT NOT NULL DEFAULT '',
  lastT INTEGER NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS clients_pz ON clients(pz);
CREATE TABLE IF NOT EXISTS sessions(
  sid TEXT PRIMARY KEY,
  userId INTEGER NOT NULL,
  cid TEXT NOT NULL,
  createTime INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS items(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  userId INTEGER NOT NULL,
  isDir INTEGER NOT NULL,
  parentId INTEGER NOT NULL,
  name TEXT NOT NULL,
  status INTEGER NOT NULL,
  vnum INTEGER NOT NULL,
  g INTEGER NOT NULL,
  vtype INTEGER NOT NULL,
  contentG INTEGER NOT NULL DEFAULT 0,
  md5 TEXT NOT NULL DEFAULT '',
  size INTEGER NOT NULL DEFAULT 0,
  docId INTEGER NOT NULL DEFAULT 0,
  description TEXT NOT NULL DEFAULT '',
  type INTEGER NOT NULL DEFAULT 0,
  sysType INTEGER NOT NULL DEFAULT 0,
  movedFrom INTEGER NOT NULL DEFAULT 0,
  createTime INTEGER NOT NULL,
  updateTime INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS items_parent ON items(userId, parentId, status);
CREATE INDEX IF NOT EXISTS items_g ON items(userId, g);
CREATE TABLE IF NOT EXISTS docs(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  md5 TEXT NOT NULL,
  size INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS docs_md5 ON docs(md5, size);
CREATE TABLE IF NOT EXISTS uploads(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  fileId INTEGER NOT NULL UNIQUE,
  userId INTEGER NOT NULL,
  md5 TEXT NOT NULL,
  size INTEGER NOT NULL,
  position INTEGER NOT NULL DEFAULT 0,
  baseG INTEGER NOT NULL,
  createTime INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS tokens(
  docURL TEXT PRIMARY KEY,
  context TEXT NOT NULL,
  userId INTEGER NOT NULL,
  fileId INTEGER NOT NULL,
  uploadId INTEGER NOT NULL DEFAULT 0,
  docId INTEGER NOT NULL DEFAULT 0,
  size INTEGER NOT NULL DEFAULT 0,
  direction TEXT NOT NULL,
  createTime INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS stats(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  mac TEXT NOT NULL,
  category TEXT NOT NULL,
  event TEXT NOT NULL,
  time INTEGER NOT NULL);
)SQL";

}  // namespace

Store::Store(const std::filesystem::path& file) {
  if (sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK) {
    std::string message = m_db ? sqlite3_errmsg(m_db) : "out of memory";
    sqlite3_close(m_db);
    throw std::runtime_error("cannot open " + file.string() + ": " + message);
  }
  sqlite3_busy_timeout(m_db, 5000);
  Exec("PRAGMA journal_mode=WAL");
  Exec("PRAGMA synchronous=NORMAL");
  CreateSchema();
  CreateDerivedTables();
}

Store::~Store() {
  for (auto& [sql, stmts] : m_free)
    for (sqlite3_stmt* stmt : stmts) sqlite3_finalize(stmt);
  sqlite3_close(m_db);
}

sqlite3_stmt* Store::Acquire(const std::string& sql) {
  auto it = m_free.find(sql);
  if (it != m_free.end() && !it->second.empty()) {
    sqlite3_stmt* stmt = it->second.back();
    it->second.pop_back();
    return stmt;
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v3(m_db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
    throw std::runtime_error(std::string("sqlite prepare: ") + sqlite3_errmsg(m_db));
  return stmt;
}

void Store::Release(const std::string& sql, sqlite3_stmt* stmt) {
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  m_free[sql].push_back(stmt);
}

void Store::Exec(const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : "unknown error";
    sqlite3_free(error);
    throw std::runtime_error("sqlite: " + message);
  }
}

void Store::CreateSchema() {
  Exec(kSchema);
  // Ids of different kinds come from different ranges, so that a peer mixing a
  // user id with a folder id is caught rather than served by chance.
  Exec("INSERT INTO sqlite_sequence(name, seq) SELECT 'items', 100000 "
       "WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name='items')");
  Exec("INSERT INTO sqlite_sequence(name, seq) SELECT 'users', 1000 "
       "WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name='users')");
}

Stmt::Stmt(Store& store, const std::string& sql)
    : m_store(store), m_sql(sql), m_db(store.handle()), m_stmt(store.Acquire(sql)) {}

Stmt::~Stmt() { m_store.Release(m_sql, m_stmt); }

Stmt& Stmt::Bind(int index, int64_t value) {
  sqlite3_bind_int64(m_stmt, index, value);
  return *this;
}

Stmt& Stmt::Bind(int index, const std::string& value) {
  sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
  return *this;
}

bool Stmt::Step() {
  int rc = sqlite3_step(m_stmt);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  throw std::runtime_error(std::string("sqlite step: ") + sqlite3_errmsg(m_db));
}

void Stmt::Run() {
  while (Step()) {
  }
}

void Stmt::Reset() {
  sqlite3_reset(m_stmt);
  sqlite3_clear_bindings(m_stmt);
}

std::string Stmt::Text(int column) const {
  const unsigned char* text = sqlite3_column_text(m_stmt, column);
  if (!text) return {};
  return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(m_stmt, column)));
}

Transaction::Transaction(Store& store) : m_store(store) { Stmt(m_store, "BEGIN IMMEDIATE").Run(); }

Transaction::~Transaction() {
  if (!m_done) {
    try {
      Stmt(m_store, "ROLLBACK").Run();
    } catch (...) {
    }
  }
}

void Transaction::Commit() {
  Stmt(m_store, "COMMIT").Run();
  m_done = true;
}

}  // namespace devserver
