#pragma once
// One SQLite connection and the lock that serialises every statement on it.
// Any thread may run statements; each runs whole (prepare, bind, every row
// callback) under the lock, so row callbacks must not run statements on the
// same connection. Prepared statements are kept per SQL text: values are bound,
// so the texts are few and fixed.
#include <cstddef>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

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
  friend class DBCommitGroup;

  sqlite3_stmt* PrepareLocked(const std::string& sql, int& result);
  int RunLocked(void* context, DBRowCallback callback, const DBStatement& statement, std::string& errorMessage);
  void CloseLocked();
  // The group's transaction ends: committed, or, when that fails, rolled back
  // and the group's writes made again one by one.
  void CommitGroupLocked();
  void RewriteGroupLocked();

  mutable std::mutex m_lock;
  sqlite3* m_db = nullptr;
  std::unordered_map<std::string, sqlite3_stmt*> m_statements;
  // The open commit group: its threads, whether its transaction has begun,
  // and the writes made in it.
  bool m_groupOpen = false;
  std::set<std::thread::id> m_groupThreads;
  bool m_inGroupTransaction = false;
  size_t m_groupWritesPerCommit = 0;  // 0: one commit at the group's end
  std::vector<DBStatement> m_groupWrites;
};

// Rows that several threads write at once (downloads side by side), or that
// one thread writes one after another (a listing's files), share commits.
// While the group lives, the statements of its threads run in one
// transaction. It is committed when the group ends, after every
// `writesPerCommit` writes when that is given (a long batch then holds at
// most that many rows uncommitted), and before a statement of any thread
// outside it runs (that thread may act on those rows, so they are on the disk
// first). A crash loses at most the rows of the transaction in progress.
// When SQLite gives the transaction up by itself (a full disk, say), the
// group's earlier writes are made again one by one, so no row is lost without
// a crash. One group at a time: a group made by a member of the open one
// joins it (its members become the open group's, its end commits nothing);
// one made by another thread meanwhile does nothing.
class DBCommitGroup {
 public:
  // The calling thread is a member. A null connection makes no group.
  explicit DBCommitGroup(DBConnection* connection, size_t writesPerCommit = 0);
  ~DBCommitGroup();
  DBCommitGroup(const DBCommitGroup&) = delete;
  DBCommitGroup& operator=(const DBCommitGroup&) = delete;

  // The calling thread's statements belong to the group while a Member lives.
  class Member {
   public:
    explicit Member(DBCommitGroup& group);
    ~Member();
    Member(const Member&) = delete;
    Member& operator=(const Member&) = delete;

   private:
    DBConnection* m_connection;
    bool m_joined = false;  // whether this Member made the thread a member
  };

 private:
  DBConnection* m_connection = nullptr;  // null when no group was made or joined
  bool m_owner = false;                  // whether this one opened the group
};
