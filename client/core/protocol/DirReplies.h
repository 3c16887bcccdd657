#pragma once
// The replies of the folder operations. Each parser reads a body that came
// with HTTP status 200; false means the body was not JSON or a member was
// unreadable, and the caller then stores 1000 in code.
#include <json/value.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "client/core/protocol/DirContent.h"
#include "client/core/protocol/DirEntry.h"
#include "client/core/protocol/ServerDirInfo.h"
#include "client/core/protocol/ServerDirTree.h"

// createDir, renameDir, delDir.
struct DirReply {
  int code = -1;
  std::string message;
  int type = 0;
  int64_t id = 0;
  ServerDirInfo dir;

  static bool ParseBody(const std::string& body, DirReply& reply);
};

// getDirStructure.
struct DirTreeReply {
  int code = -1;
  std::string message;
  int type = 0;
  int64_t id = 0;
  ServerDirTree dir;

  static bool ParseBody(const std::string& body, DirTreeReply& reply);
};

// getDirFiles.
struct DirFilesReply {
  int code = -1;
  std::string message;
  int type = 0;
  int64_t id = 0;
  DirContent dir;

  static bool ParseBody(const std::string& body, DirFilesReply& reply);
};

// syncDir: the folders and files changed since a version.
struct SyncDirReply {
  int code = -1;
  std::string message;
  int64_t id = 0;
  int type = 0;
  std::vector<std::unique_ptr<DirEntry>> dirFiles;

  static bool ParseBody(const std::string& body, SyncDirReply& reply);
  // Reads the elements of the listing into dirFiles. An element that cannot
  // be read is left out and makes the result false: a pull must not take a
  // listing with holes for the whole change set, or it would advance its
  // stored version past changes it never saw.
  static bool ParseEntries(const Json::Value& array, SyncDirReply& reply);
};
