#pragma once
// One element of a changed-folders listing: a folder or a file.
#include <memory>

#include "client/core/protocol/ServerDirInfo.h"
#include "client/core/protocol/ServerFileInfo.h"

struct DirEntry {
  bool isDir = true;
  std::unique_ptr<ServerDirInfo> dir;    // null for a file
  std::unique_ptr<ServerFileInfo> file;  // null for a folder
};
