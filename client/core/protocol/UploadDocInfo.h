#pragma once
// The service's view of an upload in progress, after each block.
#include <json/value.h>

#include <cstdint>
#include <string>

struct UploadDocInfo {
  int64_t id = 0;
  int64_t bucketId = 0;
  std::string md5;
  std::string curMD5;
  int size = 0;
  int position = 0;
  bool completed = false;
  int64_t createTime = 0;
  int64_t completedTime = 0;

  // False, with the fields read so far kept, when a member has the wrong
  // kind; false without change for a null pointer.
  static bool ParseJson(UploadDocInfo& doc, const Json::Value* object);
};
