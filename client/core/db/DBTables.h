#pragma once
// The five tables of the two local databases: names, columns in table order
// and the statements that create them. No column carries a type; the first
// column is the primary key. The spellings ("FileMeno", "FolderMeno",
// "UC_TotalDirsNumLinit") are those of the stored files and must not change.
#include <vector>

#include <juce_core/juce_core.h>

struct DBTable {
  const char* name;
  std::vector<const char*> columns;
  // Secondary indexes: each is one column that a statement looks rows up by.
  std::vector<const char*> indexedColumns;
};

namespace DBTables {

const DBTable& ProductInfo();
const DBTable& UserData();
const DBTable& UserConfig();
const DBTable& FileList();
const DBTable& FolderList();

// "CREATE TABLE ProductInfo(ProductID PRIMARY KEY,ProductName,...)".
juce::String CreateTableSQL(const DBTable& table);
// "CREATE INDEX IF NOT EXISTS FileList_FilePath ON FileList(FilePath)", one per
// indexed column.
std::vector<juce::String> CreateIndexSQL(const DBTable& table);
// "INSERT OR REPLACE INTO FileList VALUES(?,?,...)", one mark per column.
juce::String ReplaceSQL(const DBTable& table);

}  // namespace DBTables
