#pragma once
// The engine's statements on the per-user tables FileList and FolderList: rows
// found by path or id, written, deleted singly or by folder, and path prefixes
// rewritten after a folder rename. Every value is bound to the statement, and
// "below a folder" is an exact, case-sensitive prefix test on the path, so a
// name holding quotes, '%' or '_' matches only itself and a sibling folder
// whose name merely starts the same is never touched.
//
// A row counts as found when its statement succeeded and the record's id is
// not -1 afterwards (the records start with id -1). Without a user database
// every statement fails, so look-ups report not found and writes false.
#include <juce_core/juce_core.h>

#include "client/core/db/SyncFileData.h"
#include "client/core/db/SyncFolderData.h"

class SyncFileDataManager {
 public:
  static bool SelectSyncFileData(const juce::String& path, SyncFileData& row);
  static bool IsFileInDB(const juce::String& path);
  static bool DeleteFileByID(juce::int64 id);
  // The row named like the path's file in the folder whose FolderList row has
  // the path's parent as its path; false when that folder has no row.
  static bool DeleteFileByPath(const juce::String& path);
  // FileID, ParentID and Md5 of the file's row.
  static bool SelectPartlySyncFileData(const juce::String& path, PartlySyncFileData& data);
  // "" when the statement failed or no row has the id.
  static juce::String GetFilePathByID(juce::int64 id);

  static bool SelectSyncFolderData(const juce::String& path, SyncFolderData& row);
  static bool IsFolderInDB(const juce::String& path);
  static bool SelectSyncFolderDataByID(juce::int64 id, SyncFolderData& row);
  static bool DeleteFolderByID(juce::int64 id);
  static bool DeleteFolderByPath(const juce::String& path);
  static juce::String GetFolderPathByID(juce::int64 id);
  // The sync root's row (FolderSysType 18, ParentPath "/"); versionText gets
  // the root's second version text. True when the statement ran: a missing
  // root row gives true with the record's FolderID still -1.
  static bool SelectRootFolderData(SyncFolderData& row, juce::String& versionText);
  // Deletes every folder and file row below the folder (FolderList first, then
  // FileList, the second only when the first succeeded); the folder's own row
  // stays. False when the folder has no row.
  static bool DeleteFolderContents(juce::int64 folderID);
  // Every FolderPath, then every FilePath, that begins with oldPrefix gets
  // newPrefix in place of that beginning (only there: a repeat of the text
  // further on stays). Callers pass folder paths with a trailing separator,
  // so the folder's own row and its look-alike siblings are not matched.
  static bool ReplacePathPrefix(const juce::String& oldPrefix, const juce::String& newPrefix);
  // The folder's id and its parent's id into m_FileID and m_ParentID; the
  // digest is left as it was.
  static bool SelectFolderIDs(const juce::String& path, PartlySyncFileData& data);
};

// Fills an empty owner and an empty creator account with the signed-in
// account's name, then writes the row (REPLACE). True when written.
bool SaveSyncFileData(SyncFileData& row);
// Fills an empty owner account the same way, then writes the row.
bool SaveSyncFolderData(SyncFolderData& row);
