#pragma once
// The per-user table FolderList: one row per synced folder, the sync root's
// row among them (FolderSysType 18, ParentPath "/").
//
// The root row's VersionValue holds two texts joined by ':'. Reading a row
// puts only the part before it into the record; SelectRootFolder hands out
// the root row's own text after it and ReplaceRootFolder writes both back.
#include <vector>

#include "client/core/db/DBManagerBase.h"
#include "client/core/db/SyncFolderData.h"

class FolderDBManager : public DBManagerBase {
 public:
  int CreateDBTable() override;
  bool IsDBTableExist() override;
  int DropDBTable() override;

  // 1 without a query when id is -1; else the execution result.
  int SelectFolderByID(juce::int64 id, SyncFolderData& row);
  // TotalSizeLimit and TotalCountLimit are always written as -1.
  int ReplaceFolder(const SyncFolderData& row);
  // The root row into row; versionText receives the second version text
  // (unchanged when the row had none). The execution result: a missing root
  // row still gives 0, with row as it was.
  int SelectRootFolder(SyncFolderData& row, juce::String& versionText);
  // As ReplaceFolder, with VersionValue written as row's version + ":" +
  // secondText.
  int ReplaceRootFolder(const SyncFolderData& row, const juce::String& secondText);
  // Appends every row whose ParentID is id. 1 without a query when id is -1.
  int SelectFoldersByParentID(juce::int64 id, std::vector<SyncFolderData>& list);

  // Row readers for statements of the engine on FolderList: the context is a
  // SyncFolderData or a std::vector<SyncFolderData>. A null context stops the
  // statement.
  static int ReadFolderRow(void* context, int count, char** values, char** names);
  static int ReadFolderList(void* context, int count, char** values, char** names);
};
