#pragma once
// The per-user table FileList: one row per synced file.
#include <vector>

#include "client/core/db/DBManagerBase.h"
#include "client/core/db/SyncFileData.h"

class FileDBManager : public DBManagerBase {
 public:
  int CreateDBTable() override;
  bool IsDBTableExist() override;
  int DropDBTable() override;

  // 1 without a query when id is -1; else the execution result. A missing row
  // leaves row as it was.
  int SelectFileByID(juce::int64 id, SyncFileData& row);
  // Fills FileID, ParentID and Md5 of the row with that FilePath. 1 without a
  // query when path is empty.
  int SelectFileByPath(const juce::String& path, SyncFileData& row);
  int ReplaceFile(const SyncFileData& row);
  // Deletes the row named name in the folder parentID (only that row: the
  // name is compared as a value, whatever it spells).
  int DeleteFileByName(const juce::String& name, juce::int64 parentID);
  // Appends every row whose ParentID is id. 1 without a query when id is -1.
  int SelectFilesByParentID(juce::int64 id, std::vector<SyncFileData>& list);

  // Row readers for statements of the engine on FileList: the context is a
  // SyncFileData (one row) or a std::vector<SyncFileData> (rows appended).
  // A null context stops the statement.
  static int ReadFileRow(void* context, int count, char** values, char** names);
  static int ReadFileList(void* context, int count, char** values, char** names);
};
