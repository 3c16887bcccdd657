#pragma once
// The requests of the folder operations and their builders. A builder writes
// the record into the HTTP request: method, URL (file-system base, "op", "a"
// when signed in, then the operation's pairs), the two headers and the JSON
// body; a null request does nothing.
#include <cstdint>
#include <string>
#include <vector>

#include "client/core/protocol/RequestHeader.h"

namespace Net {
class HttpRequest;
}

// A file named together with another request (a folder deletion's extra
// files, a move's overwritten file).
struct OverwrittenFile {
  int64_t id = 0;
  std::string versionValue;
  int64_t ownerId = 0;
};

// syncDir: the folders and files changed below a folder since a version.
struct SyncDirRequest {
  SyncDirRequest(const RequestHeader& header, int64_t id, const std::string& version, bool getAllVersions,
                 bool recursive, bool getFiles)
      : header(header),
        id(id),
        version(version),
        getAllVersions(getAllVersions),
        recursive(recursive),
        getFiles(getFiles) {}

  RequestHeader header;
  int64_t id = 0;
  std::string version;
  bool getAllVersions = false;
  bool recursive = false;
  bool getFiles = false;

  static void FillHttpRequest(const SyncDirRequest& record, Net::HttpRequest* request);
};

// getDirStructure: the folder tree.
struct GetDirStructureRequest {
  RequestHeader header;
  int64_t id = 0;
  int64_t owner = 0;
  bool recursive = false;
  bool returnInfo = false;
  bool countFiles = false;

  static void FillHttpRequest(const GetDirStructureRequest& record, Net::HttpRequest* request);
};

// getDirFiles: one folder with its files and subfolders.
struct GetDirFilesRequest {
  RequestHeader header;
  int64_t id = 0;
  int64_t owner = 0;
  bool recursive = false;
  bool getFiles = false;

  static void FillHttpRequest(const GetDirFilesRequest& record, Net::HttpRequest* request);
};

// createDir.
struct CreateDirRequest {
  CreateDirRequest(const RequestHeader& header, int64_t id, int64_t ownerId, int64_t parentId,
                   const std::string& dirName, const std::string& description, int type, int nameConflictPolicy)
      : header(header),
        id(id),
        ownerId(ownerId),
        parentId(parentId),
        dirName(dirName),
        description(description),
        type(type),
        nameConflictPolicy(nameConflictPolicy) {}

  RequestHeader header;
  int64_t id = 0;
  int64_t ownerId = 0;
  int64_t parentId = 0;
  std::string dirName;
  std::string description;
  int type = 0;
  int sysType = 0;
  int nameConflictPolicy = 0;
  int renamePolicy = 0;

  static void FillHttpRequest(const CreateDirRequest& record, Net::HttpRequest* request);
};

// renameDir.
struct RenameDirRequest {
  RenameDirRequest(const RequestHeader& header, int64_t id, int64_t ownerId, const std::string& dirName,
                   int nameConflictPolicy, int renamePolicy)
      : header(header),
        id(id),
        ownerId(ownerId),
        dirName(dirName),
        nameConflictPolicy(nameConflictPolicy),
        renamePolicy(renamePolicy) {}

  RequestHeader header;
  int64_t id = 0;
  int64_t ownerId = 0;
  std::string dirName;
  int nameConflictPolicy = 0;
  int renamePolicy = 0;

  static void FillHttpRequest(const RenameDirRequest& record, Net::HttpRequest* request);
};

// delDir.
struct DelDirRequest {
  DelDirRequest(const RequestHeader& header, int64_t id, const std::string& version, bool recursive,
                bool reserveStructure)
      : header(header), id(id), version(version), recursive(recursive), reserveStructure(reserveStructure) {}

  RequestHeader header;
  int64_t id = 0;
  std::string version;
  bool recursive = false;
  bool reserveStructure = false;
  std::vector<OverwrittenFile> extraFiles;

  static void FillHttpRequest(const DelDirRequest& record, Net::HttpRequest* request);
};
