#include "client/core/db/DBTables.h"

namespace DBTables {

const DBTable& ProductInfo() {
  static const DBTable table{
      "ProductInfo",
      {"ProductID", "ProductName", "FileMaxCount", "FileMaxDepth", "FileMaxSize", "CurrentUser"},
      {}};
  return table;
}

const DBTable& UserData() {
  static const DBTable table{
      "UserData", {"FullName", "NickName", "Password", "UserID", "IsAutoLogin"}, {}};
  return table;
}

const DBTable& UserConfig() {
  static const DBTable table{"UserConfig",
                             {"FullName",
                              "UC_Status",
                              "UC_CreateTime",
                              "UC_UpdateTime",
                              "UC_Capacity",
                              "UC_SpaceUsed",
                              "UC_FileCount",
                              "UC_DirsCount",
                              "UC_LastAccessTime",
                              "UC_LastUpdateTime",
                              "UC_FilesTotalSizeLimit",
                              "UC_FilesTotalNumLimit",
                              "UC_RenewLimit",
                              "UC_Duration",
                              "UC_FileSizeLimit",
                              "UC_TotalDirsNumLinit",
                              "UC_SubFilesTotalSizeLimit",
                              "UC_SubFilesNumLimit",
                              "UC_SubDirsNumLimit",
                              "UC_DirDepthLimit"},
                             {}};
  return table;
}

// The engine looks files and folders up by their local path and lists them by
// their parent's id; without an index each look-up reads the whole table.
const DBTable& FileList() {
  static const DBTable table{"FileList",
                             {"FileID",       "FilePath",     "FileType",       "FileStatus",
                              "FileMeno",     "UpdateTime",   "CreateTime",     "OwnerID",
                              "OwnerAccount", "CreateID",     "CreatorAccount", "ParentID",
                              "FileName",     "VersionValue", "VersionType",    "DocType",
                              "Md5",          "FileSize",     "URL",            "SizeLimit",
                              "RenewLimit",   "Duration"},
                             {"FilePath", "ParentID"}};
  return table;
}

const DBTable& FolderList() {
  static const DBTable table{
      "FolderList",
      {"FolderID",        "FolderPath",     "OwnerID",        "OwnerAccount",    "ParentID",
       "ParentPath",      "FolderName",     "FolderMeno",     "FolderType",      "FolderSysType",
       "FolderStatus",    "FileSize",       "FileCount",      "FileTotalSize",   "FileTotalCount",
       "TotalSizeLimit",  "TotalCountLimit", "CreateTime",    "UpdateTime",      "VersionValue",
       "VersionType"},
      {"FolderPath", "ParentID"}};
  return table;
}

juce::String CreateTableSQL(const DBTable& table) {
  juce::String sql = juce::String("CREATE TABLE ") + table.name + "(";
  for (size_t i = 0; i < table.columns.size(); ++i) {
    if (i > 0) sql << ",";
    sql << table.columns[i];
    if (i == 0) sql << " PRIMARY KEY";
  }
  return sql + ")";
}

std::vector<juce::String> CreateIndexSQL(const DBTable& table) {
  std::vector<juce::String> statements;
  for (const char* column : table.indexedColumns) {
    statements.push_back(juce::String("CREATE INDEX IF NOT EXISTS ") + table.name + "_" + column +
                         " ON " + table.name + "(" + column + ")");
  }
  return statements;
}

juce::String ReplaceSQL(const DBTable& table) {
  juce::String sql = juce::String("REPLACE INTO ") + table.name + " VALUES(";
  for (size_t i = 0; i < table.columns.size(); ++i) sql << (i == 0 ? "?" : ",?");
  return sql + ")";
}

}  // namespace DBTables
