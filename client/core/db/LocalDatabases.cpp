#include "client/core/db/LocalDatabases.h"

#include <sqlite3.h>

#include <atomic>
#include <string>

#include "client/core/db/DBConnection.h"
#include "client/core/db/DBTables.h"
#include "common/PrivateFiles.h"
#include "common/AppPaths.h"
#include "common/StringConvert.h"

namespace {

// The connections live for the whole process, so a statement on another thread
// never meets a deleted lock; CloseAllDB closes them and takes them out of use.
DBConnection g_mainDB;
DBConnection g_userDB;
std::atomic<bool> g_locksCreated{false};

juce::String AppDataFolder() {
  CString folder;
  Common::GetAppDataPath(folder);
  juce::String path = Common::CString_to_String(folder);
  if (path.isNotEmpty() && !path.endsWithChar('/')) path << "/";
  return path;
}

// The account comes from the service: it must stay one folder below users/.
bool IsAccountFolderName(const juce::String& account) {
  if (account.isEmpty() || account == "." || account == "..") return false;
  for (auto p = account.getCharPointer(); !p.isEmpty(); ++p) {
    const juce::juce_wchar c = *p;
    if (c == '/' || c == '\\' || c < 0x20 || c == 0x7f) return false;
  }
  return true;
}

bool EnsureFolder(const juce::String& path) { return Common::MakePrivateFolder(path.toStdString()); }

}  // namespace

int OpenMainDB() {
  const juce::String folder = AppDataFolder();
  if (folder.isEmpty()) return SQLITE_CANTOPEN;
  return g_mainDB.Open(folder + "dorv.db");
}

void CreateDBLocks() { g_locksCreated = true; }

juce::String GetUserDBFilePath(const juce::String& account) {
  const juce::String folder = AppDataFolder();
  if (folder.isEmpty() || !IsAccountFolderName(account)) return {};
  return folder + "users/" + account + "/user.db";
}

int OpenUserDB(const juce::String& account) {
  const juce::String folder = AppDataFolder();
  if (folder.isEmpty()) return -1;
  if (!IsAccountFolderName(account)) {
    // Nothing of the previous account may be written on the new one's behalf.
    g_userDB.Close();
    return SQLITE_CANTOPEN;
  }
  const juce::String users = folder + "users";
  const juce::String accountFolder = users + "/" + account;
  if (!EnsureFolder(users) || !EnsureFolder(accountFolder)) {
    g_userDB.Close();
    return SQLITE_CANTOPEN;
  }
  const int result = g_userDB.Open(accountFolder + "/user.db");
  if (result != SQLITE_OK) return result;
  // Tables made before the look-up indexes existed get them now; a table that
  // does not exist yet gets them when it is created.
  for (const DBTable* table : {&DBTables::FileList(), &DBTables::FolderList()}) {
    for (const juce::String& sql : DBTables::CreateIndexSQL(*table)) {
      std::string ignored;
      g_userDB.Execute(nullptr, nullptr, DBStatement(sql), ignored);
    }
  }
  return result;
}

void CloseAllDB() {
  g_mainDB.Close();
  g_userDB.Close();
  g_locksCreated = false;
}

namespace LocalDatabases {

DBConnection* MainConnection() { return g_locksCreated ? &g_mainDB : nullptr; }
DBConnection* UserConnection() { return g_locksCreated ? &g_userDB : nullptr; }

}  // namespace LocalDatabases
