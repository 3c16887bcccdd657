#pragma once
// A folder with its subfolders, as getDirStructure lists them.
#include <memory>
#include <vector>

#include "client/core/protocol/ServerDirInfo.h"

struct ServerDirTree : ServerDirInfo {
  std::vector<std::unique_ptr<ServerDirTree>> subdirs;

  // Reads the folder's own fields (their result is the result), then each
  // element of "subdirs": a subfolder that cannot be read is skipped.
  static bool ParseJson(const Json::Value* object, ServerDirTree& tree);
};
