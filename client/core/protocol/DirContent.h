#pragma once
// A folder with its files and subfolders, as getDirFiles lists them.
#include <memory>
#include <vector>

#include "client/core/protocol/ServerDirInfo.h"
#include "client/core/protocol/ServerFileInfo.h"

struct DirContent : ServerDirInfo {
  std::vector<std::unique_ptr<DirContent>> subdirs;
  std::vector<std::unique_ptr<ServerFileInfo>> files;

  // Reads the folder's own fields, then every element of "files" and of
  // "subdirs". An element that cannot be read is left out and makes the
  // result false; the elements after it are still read.
  static bool ParseJson(const Json::Value* object, DirContent& content);
};
