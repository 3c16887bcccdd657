#include "client/core/db/DBConnection.h"

#include <sqlite3.h>

#include <vector>

#include "common/PrivateFiles.h"

namespace {

// Beyond this many distinct texts the cache is emptied; the program's own
// statements are far fewer.
constexpr size_t kMaxCachedStatements = 128;

// Whether the statement only reads (a query): those never open the group's transaction.
bool IsReading(const DBStatement& statement) {
  const juce::String sql = statement.GetSQL().trimStart();
  return sql.startsWithIgnoreCase("SELECT");
}

}  // namespace

DBConnection::~DBConnection() { Close(); }

int DBConnection::Open(const juce::String& path) {
  std::lock_guard<std::mutex> hold(m_lock);
  CloseLocked();
  // The databases hold the account and its password's digest. SQLite gives
  // its journal and write-ahead log the database file's mode.
  if (path.startsWithChar('/') && !Common::MakePrivateFile(path.toStdString())) return SQLITE_CANTOPEN;
  sqlite3* db = nullptr;
  int result = sqlite3_open_v2(path.toRawUTF8(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                               nullptr);
  if (result == SQLITE_OK) {
    sqlite3_busy_timeout(db, 5000);
    // Reading the schema touches the file's header: a file that is not a
    // database, or whose first page is damaged, fails here rather than at the
    // first statement of some later caller.
    result = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
  }
  if (result == SQLITE_OK) {
    // One commit per row is the statements' pattern: the write-ahead log makes
    // each commit an append instead of a journal round trip. Paths are
    // case-sensitive here, so prefix matches with LIKE must be as well.
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    // Each checkpoint waits for the disk twice: with batches of rows in the
    // log, one every 16 MiB of it instead of every 4 MiB costs a quarter of
    // that. The log's file is cut back to that size when it was larger.
    sqlite3_exec(db, "PRAGMA wal_autocheckpoint=4000", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA journal_size_limit=16777216", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA case_sensitive_like=ON", nullptr, nullptr, nullptr);
    m_db = db;
    return SQLITE_OK;
  }
  sqlite3_close_v2(db);
  return result;
}

void DBConnection::Close() {
  std::lock_guard<std::mutex> hold(m_lock);
  CloseLocked();
}

void DBConnection::CloseLocked() {
  if (m_db != nullptr) CommitGroupLocked();
  m_groupWrites.clear();
  for (auto& entry : m_statements) sqlite3_finalize(entry.second);
  m_statements.clear();
  if (m_db != nullptr) sqlite3_close_v2(m_db);
  m_db = nullptr;
}

bool DBConnection::IsOpen() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_db != nullptr;
}

sqlite3_stmt* DBConnection::PrepareLocked(const std::string& sql, int& result) {
  auto found = m_statements.find(sql);
  if (found != m_statements.end()) {
    result = SQLITE_OK;
    return found->second;
  }
  sqlite3_stmt* statement = nullptr;
  const char* tail = nullptr;
  result = sqlite3_prepare_v2(m_db, sql.c_str(), static_cast<int>(sql.size()), &statement, &tail);
  if (result != SQLITE_OK) return nullptr;
  if (statement == nullptr) {
    result = SQLITE_MISUSE;  // no statement in the text
    return nullptr;
  }
  while (tail != nullptr && (*tail == ' ' || *tail == ';' || *tail == '\n' || *tail == '\t')) ++tail;
  if (tail != nullptr && *tail != '\0') {
    // One statement at a time: the values belong to one statement.
    sqlite3_finalize(statement);
    result = SQLITE_MISUSE;
    return nullptr;
  }
  if (m_statements.size() >= kMaxCachedStatements) {
    for (auto& entry : m_statements) sqlite3_finalize(entry.second);
    m_statements.clear();
  }
  m_statements.emplace(sql, statement);
  return statement;
}

int DBConnection::Execute(void* context, DBRowCallback callback, const DBStatement& statement,
                          std::string& errorMessage) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_db == nullptr) return 1;
  const bool member = m_groupOpen && m_groupThreads.count(std::this_thread::get_id());
  if (!member) {
    CommitGroupLocked();
    return RunLocked(context, callback, statement, errorMessage);
  }
  const bool write = !IsReading(statement);
  if (write && !m_inGroupTransaction)
    m_inGroupTransaction = sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
  const int result = RunLocked(context, callback, statement, errorMessage);
  if (m_inGroupTransaction) {
    if (sqlite3_get_autocommit(m_db)) {
      // SQLite rolled the transaction back after this statement failed.
      m_inGroupTransaction = false;
      RewriteGroupLocked();
    } else if (write && result == SQLITE_OK) {
      m_groupWrites.push_back(statement);
      if (m_groupWritesPerCommit > 0 && m_groupWrites.size() >= m_groupWritesPerCommit) CommitGroupLocked();
    }
  }
  return result;
}

void DBConnection::CommitGroupLocked() {
  if (!m_inGroupTransaction) return;
  m_inGroupTransaction = false;
  if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) {
    m_groupWrites.clear();
    return;
  }
  if (!sqlite3_get_autocommit(m_db)) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
  RewriteGroupLocked();
}

void DBConnection::RewriteGroupLocked() {
  std::vector<DBStatement> writes;
  writes.swap(m_groupWrites);
  std::string ignored;
  for (const DBStatement& write : writes) RunLocked(nullptr, nullptr, write, ignored);
}

DBCommitGroup::DBCommitGroup(DBConnection* connection, size_t writesPerCommit) {
  if (!connection) return;
  std::lock_guard<std::mutex> hold(connection->m_lock);
  if (connection->m_groupOpen) {
    if (connection->m_groupThreads.count(std::this_thread::get_id())) m_connection = connection;
    return;
  }
  connection->m_groupOpen = true;
  connection->m_groupThreads = {std::this_thread::get_id()};
  connection->m_groupWritesPerCommit = writesPerCommit;
  m_connection = connection;
  m_owner = true;
}

DBCommitGroup::~DBCommitGroup() {
  if (!m_connection || !m_owner) return;
  std::lock_guard<std::mutex> hold(m_connection->m_lock);
  if (m_connection->m_db) m_connection->CommitGroupLocked();
  m_connection->m_groupOpen = false;
  m_connection->m_groupThreads.clear();
  m_connection->m_groupWrites.clear();
  m_connection->m_groupWritesPerCommit = 0;
}

DBCommitGroup::Member::Member(DBCommitGroup& group) : m_connection(group.m_connection) {
  if (!m_connection) return;
  std::lock_guard<std::mutex> hold(m_connection->m_lock);
  m_joined = m_connection->m_groupThreads.insert(std::this_thread::get_id()).second;
}

DBCommitGroup::Member::~Member() {
  if (!m_connection || !m_joined) return;
  std::lock_guard<std::mutex> hold(m_connection->m_lock);
  m_connection->m_groupThreads.erase(std::this_thread::get_id());
}

int DBConnection::RunLocked(void* context, DBRowCallback callback, const DBStatement& statement,
                            std::string& errorMessage) {
  const std::string sql = statement.GetSQL().toStdString();
  const std::vector<std::string>& values = statement.GetValues();
  int result = SQLITE_OK;
  sqlite3_stmt* prepared = PrepareLocked(sql, result);
  if (prepared == nullptr) {
    errorMessage = result == SQLITE_MISUSE ? "not exactly one statement" : sqlite3_errmsg(m_db);
    return result;
  }
  if (sqlite3_bind_parameter_count(prepared) != static_cast<int>(values.size())) {
    errorMessage = "the number of values does not match the statement";
    return SQLITE_RANGE;
  }
  for (size_t i = 0; i < values.size(); ++i) {
    sqlite3_bind_text(prepared, static_cast<int>(i) + 1, values[i].data(),
                      static_cast<int>(values[i].size()), SQLITE_STATIC);
  }

  std::vector<char*> rowValues;
  std::vector<char*> rowNames;
  for (;;) {
    const int step = sqlite3_step(prepared);
    if (step == SQLITE_DONE) {
      result = SQLITE_OK;
      break;
    }
    if (step != SQLITE_ROW) {
      result = step;
      errorMessage = sqlite3_errmsg(m_db);
      break;
    }
    if (callback == nullptr) continue;
    const int count = sqlite3_column_count(prepared);
    rowValues.assign(count, nullptr);
    rowNames.assign(count, nullptr);
    for (int c = 0; c < count; ++c) {
      rowValues[c] = const_cast<char*>(reinterpret_cast<const char*>(sqlite3_column_text(prepared, c)));
      rowNames[c] = const_cast<char*>(sqlite3_column_name(prepared, c));
    }
    if (callback(context, count, rowValues.data(), rowNames.data()) != 0) {
      result = SQLITE_ABORT;
      errorMessage = "query aborted";
      break;
    }
  }
  sqlite3_reset(prepared);
  sqlite3_clear_bindings(prepared);
  return result;
}
