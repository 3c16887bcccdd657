#pragma once
// A file as the service describes it, with its content record.
#include <json/value.h>

#include <cstdint>
#include <string>

struct ServerDocInfo {
  int type = 0;
  std::string md5;
  std::string curMD5;
  int size = 0;
  int position = 0;
  bool completed = false;
  std::string URL;
  std::string uploadContext;
};

struct ServerFileInfo {
  int64_t id = 0;
  int64_t ownerId = 0;
  std::string owner;
  int64_t creatorId = 0;
  std::string creator;
  int type = 0;
  int status = 0;
  std::string description;
  int64_t updateTime = 0;
  int64_t createTime = 0;
  int64_t parentId = 0;
  std::string fileName;
  std::string versionValue;
  int versionType = 0;
  ServerDocInfo doc;
  int sizeLimit = 0;
  int64_t expiryTime = 0;
  int renewRemainings = 0;
  int renewLimit = 0;
  int duration = 0;
  std::string path;

  // Reads a file of a listing: every field but "doc"."uploadContext", the
  // four "temporary" values and "local"."path". False, with the fields read
  // so far kept, when a member has the wrong kind; false without change for a
  // null pointer.
  static bool ParseJson(ServerFileInfo& info, const Json::Value* object);
  // Reads every field (the file of a file operation's reply).
  static bool ParseJsonWithPath(ServerFileInfo& info, const Json::Value* object);

  enum class Fields { Listing, All };
  // The same, throwing JsonReadError on a member of the wrong kind.
  static void Read(ServerFileInfo& info, const Json::Value& object, Fields fields);
};
