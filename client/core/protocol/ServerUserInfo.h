#pragma once
// The signed-in user with the account's quota and limits.
#include <json/value.h>

#include <cstdint>
#include <string>

struct ServerUserInfo {
  int64_t id = 0;
  std::string account;
  std::string name;
  int status = 0;
  int64_t createTime = 0;
  int64_t updateTime = 0;
  int64_t capacity = 0;
  int64_t capacityBase = 0;
  int64_t capacityAward = 0;
  // "filesStats"
  int64_t spaceUsed = 0;
  int filesCount = 0;
  int dirsCount = 0;
  int incompleteFilesCount = 0;
  // "actState"
  int64_t lastAccessTime = 0;
  int64_t lastUpdateTime = 0;
  // "fileConfig"
  int64_t fszm = 0;   // total size of all files
  int fsnm = 0;       // number of files
  int rnm = 0;        // renew limit
  int d = 0;          // duration
  int szm = 0;        // size of one file
  int dsnm = 0;       // number of folders
  int64_t sfszm = 0;  // total size of a folder's files
  int sfsnm = 0;      // number of a folder's files
  int sdsnm = 0;      // number of a folder's subfolders (read from "dsnm")
  int dym = 0;        // folder depth
  // "incompleteFileConfig": the same limits for unfinished uploads
  int64_t incompleteFszm = 0;
  int incompleteFsnm = 0;
  int incompleteRnm = 0;
  int incompleteD = 0;
  int incompleteSzm = 0;

  // False, with the fields read so far kept, when a member has the wrong
  // kind; false without change for a null pointer.
  static bool ParseJson(ServerUserInfo& user, const Json::Value* object);
};
