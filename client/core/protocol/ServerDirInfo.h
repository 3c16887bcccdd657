#pragma once
// A folder as the service describes it.
#include <json/value.h>

#include <cstdint>
#include <string>

struct ServerDirInfo {
  int64_t id = 0;
  int64_t ownerId = 0;
  std::string owner;
  int64_t parentId = 0;
  std::string path;
  std::string dirName;
  std::string description;
  int type = 0;
  int sysType = 0;
  int status = 0;
  int filesNumLimit = -1;
  int64_t subFilesSizeLimit = -1;
  int dirsNumLimit = -1;
  int64_t createTime = 0;
  int64_t updateTime = 0;
  int64_t filesSize = 0;
  int filesCount = 0;
  int64_t filesTotalSize = 0;
  int filesTotalCount = 0;
  int dirsCount = 0;
  std::string versionValue;
  int versionType = 0;

  // Reads every field from the folder object; a missing member gives 0 or
  // empty (the limits too). False, with the fields read so far kept, when a
  // member has the wrong kind; false without change for a null pointer.
  static bool ParseJson(ServerDirInfo& info, const Json::Value* object);
  // The same, throwing JsonReadError on a member of the wrong kind.
  static void Read(ServerDirInfo& info, const Json::Value& object);
};
