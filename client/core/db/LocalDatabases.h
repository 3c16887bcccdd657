#pragma once
// The two local databases: the main database dorv.db in the application-data
// folder and the signed-in account's users/<account>/user.db below it. Each
// has one process-wide connection; statements reach them through
// DBManagerBase::ExecSQLMain and DBManagerBase::ExecSQLUser.
#include <juce_core/juce_core.h>

class DBConnection;

// Closes an open main connection, then opens dorv.db. Returns the SQLite
// result, 0 on success; a file that is not a database is left untouched.
int OpenMainDB();
// Makes the connections usable by statements (until CloseAllDB).
void CreateDBLocks();
// Opens users/<account>/user.db, creating the folders when missing, after
// closing the previous account's database. Returns -1 when the
// application-data folder is unknown, SQLITE_CANTOPEN when the account cannot
// name a folder below users/ (empty, ".", "..", separators, control
// characters), else the SQLite result of the open.
int OpenUserDB(const juce::String& account);
// Closes both connections; statements then return 1 until the next
// CreateDBLocks.
void CloseAllDB();

// users/<account>/user.db for an account, or empty when the account cannot
// name a folder (the same rule as OpenUserDB).
juce::String GetUserDBFilePath(const juce::String& account);

namespace LocalDatabases {
// The connections, for DBManagerBase. Null while the locks are not created.
DBConnection* MainConnection();
DBConnection* UserConnection();
}  // namespace LocalDatabases
