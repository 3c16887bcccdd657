#include "client/sync/records/SyncFileDataManager.h"

#include "client/core/account/AccountData.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/DBManagerBase.h"
#include "client/core/db/FileDBManager.h"
#include "client/core/db/FolderDBManager.h"
#include "common/PathText.h"

namespace {

FileDBManager* FileManager() {
  GlobalContext* context = GetGlobalContext();
  return context ? context->m_pFileDBManager.get() : nullptr;
}

FolderDBManager* FolderManager() {
  GlobalContext* context = GetGlobalContext();
  return context ? context->m_pFolderDBManager.get() : nullptr;
}

bool Run(const DBStatement& statement) { return DBManagerBase::ExecSQLUser(nullptr, nullptr, statement) == 0; }

// "substr(column, 1, length(?)) = ?" with the prefix bound twice: an exact,
// case-sensitive test that the column begins with the prefix.
juce::String PrefixTest(const char* column) {
  return juce::String("substr(") + column + ", 1, length(?)) = ?";
}

bool DeleteBelow(const char* table, const char* column, const juce::String& prefix) {
  DBStatement statement(juce::String("DELETE FROM ") + table + " WHERE " + PrefixTest(column));
  statement.Bind(prefix).Bind(prefix);
  return Run(statement);
}

bool RewritePrefix(const char* table, const char* column, const juce::String& oldPrefix,
                   const juce::String& newPrefix) {
  DBStatement statement(juce::String("UPDATE ") + table + " SET " + column + " = ? || substr(" + column +
                        ", length(?) + 1) WHERE " + PrefixTest(column));
  statement.Bind(newPrefix).Bind(oldPrefix).Bind(oldPrefix).Bind(oldPrefix);
  return Run(statement);
}

juce::String SignedInAccount() { return GetAccountData()->GetAccount(); }

}  // namespace

bool SyncFileDataManager::SelectSyncFileData(const juce::String& path, SyncFileData& row) {
  DBStatement statement("SELECT * FROM FileList WHERE FilePath = ? LIMIT 1");
  statement.Bind(path);
  return DBManagerBase::ExecSQLUser(&row, FileDBManager::ReadFileRow, statement) == 0 && row.m_FileID != -1;
}

bool SyncFileDataManager::IsFileInDB(const juce::String& path) {
  SyncFileData row;
  return SelectSyncFileData(path, row);
}

bool SyncFileDataManager::DeleteFileByID(juce::int64 id) {
  DBStatement statement("DELETE FROM FileList WHERE FileID = ?");
  statement.Bind(id);
  return Run(statement);
}

bool SyncFileDataManager::DeleteFileByPath(const juce::String& path) {
  // The row that holds the path goes, also when its parent id names a folder
  // no longer there (the service deleted it and a folder of its name was
  // made anew): the path would find that row again.
  SyncFileData row;
  const bool held = SelectSyncFileData(path, row) && DeleteFileByID(row.m_FileID);
  SyncFolderData folder;
  FileDBManager* files = FileManager();
  if (!files || !SelectSyncFolderData(Common::String_GetParentPath(path), folder)) return held;
  return files->DeleteFileByName(Common::String_GetFileName(path), folder.m_FolderID) == 0 || held;
}

bool SyncFileDataManager::SelectPartlySyncFileData(const juce::String& path, PartlySyncFileData& data) {
  FileDBManager* files = FileManager();
  SyncFileData row;
  if (!files || files->SelectFileByPath(path, row) != 0 || row.m_FileID == -1) return false;
  data.m_FileID = row.m_FileID;
  data.m_ParentID = row.m_ParentID;
  data.m_Md5 = row.m_Md5;
  return true;
}

juce::String SyncFileDataManager::GetFilePathByID(juce::int64 id) {
  FileDBManager* files = FileManager();
  SyncFileData row;
  if (!files || files->SelectFileByID(id, row) != 0 || row.m_FileID == -1) return {};
  return row.m_FilePath;
}

bool SyncFileDataManager::SelectSyncFolderData(const juce::String& path, SyncFolderData& row) {
  DBStatement statement("SELECT * FROM FolderList WHERE FolderPath = ? LIMIT 1");
  statement.Bind(path);
  return DBManagerBase::ExecSQLUser(&row, FolderDBManager::ReadFolderRow, statement) == 0 && row.m_FolderID != -1;
}

bool SyncFileDataManager::IsFolderInDB(const juce::String& path) {
  SyncFolderData row;
  return SelectSyncFolderData(path, row);
}

bool SyncFileDataManager::SelectSyncFolderDataByID(juce::int64 id, SyncFolderData& row) {
  FolderDBManager* folders = FolderManager();
  return folders && folders->SelectFolderByID(id, row) == 0 && row.m_FolderID != -1;
}

bool SyncFileDataManager::DeleteFolderByID(juce::int64 id) {
  DBStatement statement("DELETE FROM FolderList WHERE FolderID = ?");
  statement.Bind(id);
  return Run(statement);
}

bool SyncFileDataManager::DeleteFolderByPath(const juce::String& path) {
  SyncFolderData row;
  return SelectSyncFolderData(path, row) && DeleteFolderByID(row.m_FolderID);
}

juce::String SyncFileDataManager::GetFolderPathByID(juce::int64 id) {
  SyncFolderData row;
  return SelectSyncFolderDataByID(id, row) ? row.m_FolderPath : juce::String();
}

bool SyncFileDataManager::SelectRootFolderData(SyncFolderData& row, juce::String& versionText) {
  FolderDBManager* folders = FolderManager();
  return folders && folders->SelectRootFolder(row, versionText) == 0;
}

bool SyncFileDataManager::DeleteFolderContents(juce::int64 folderID) {
  const juce::String path = GetFolderPathByID(folderID);
  if (path.isEmpty()) return false;
  const juce::String prefix = path + juce::String::charToString(Common::kPathSeparator);
  return DeleteBelow("FolderList", "FolderPath", prefix) && DeleteBelow("FileList", "FilePath", prefix);
}

bool SyncFileDataManager::ReplacePathPrefix(const juce::String& oldPrefix, const juce::String& newPrefix) {
  if (oldPrefix.isEmpty()) return false;  // would rewrite every row
  return RewritePrefix("FolderList", "FolderPath", oldPrefix, newPrefix) &&
         RewritePrefix("FileList", "FilePath", oldPrefix, newPrefix);
}

bool SyncFileDataManager::SelectFolderIDs(const juce::String& path, PartlySyncFileData& data) {
  SyncFolderData row;
  DBStatement statement("SELECT FolderID,ParentID FROM FolderList WHERE FolderPath = ? LIMIT 1");
  statement.Bind(path);
  if (DBManagerBase::ExecSQLUser(&row, FolderDBManager::ReadFolderRow, statement) != 0 || row.m_FolderID == -1)
    return false;
  data.m_FileID = row.m_FolderID;
  data.m_ParentID = row.m_ParentID;
  return true;
}

bool SaveSyncFileData(SyncFileData& row) {
  FileDBManager* files = FileManager();
  if (!files) return false;
  if (row.m_OwnerAccount.isEmpty() || row.m_CreatorAccount.isEmpty()) {
    const juce::String account = SignedInAccount();
    if (row.m_OwnerAccount.isEmpty()) row.m_OwnerAccount = account;
    if (row.m_CreatorAccount.isEmpty()) row.m_CreatorAccount = account;
  }
  return files->ReplaceFile(row) == 0;
}

bool SaveSyncFolderData(SyncFolderData& row) {
  FolderDBManager* folders = FolderManager();
  if (!folders) return false;
  if (row.m_OwnerAccount.isEmpty()) row.m_OwnerAccount = SignedInAccount();
  return folders->ReplaceFolder(row) == 0;
}
