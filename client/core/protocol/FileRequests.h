#pragma once
// The requests of the file, token and user operations and their builders.
// A builder writes the record into the HTTP request: method, URL
// (file-system base, "op", "a" when signed in, then the operation's pairs),
// the two headers and the JSON body; a null request does nothing. The
// builders of records that carry a content size refuse (false, request
// untouched) a size that is negative: a 64-bit size that did not fit the
// wire's 32 bits (see WireSize.h).
#include <cstdint>
#include <string>

#include "client/core/protocol/DirRequests.h"
#include "client/core/protocol/RequestHeader.h"

namespace Net {
class HttpRequest;
}

// createFile: announces a new file before its content is uploaded.
struct CreateFileRequest {
  CreateFileRequest(const RequestHeader& header, int64_t id, int64_t ownerId, int type, const std::string& md5,
                    int size, int64_t parentId, const std::string& fileName, const std::string& description,
                    const std::string& path, bool doUploadControl, int nameConflictPolicy, int renamePolicy,
                    bool checkIfResume, bool checkIfCompleted)
      : header(header),
        id(id),
        ownerId(ownerId),
        type(type),
        md5(md5),
        size(size),
        parentId(parentId),
        fileName(fileName),
        description(description),
        path(path),
        doUploadControl(doUploadControl),
        nameConflictPolicy(nameConflictPolicy),
        renamePolicy(renamePolicy),
        checkIfResume(checkIfResume),
        checkIfCompleted(checkIfCompleted) {}

  RequestHeader header;
  int64_t id = 0;
  int64_t ownerId = 0;
  int type = 0;
  std::string md5;
  int size = 0;
  int64_t parentId = 0;
  std::string fileName;
  std::string description;
  std::string path;
  bool doUploadControl = false;
  int nameConflictPolicy = 0;
  int renamePolicy = 0;
  bool checkIfResume = false;
  bool checkIfCompleted = false;

  static bool FillHttpRequest(const CreateFileRequest& record, Net::HttpRequest* request);
};

// updateFileContent: announces new content for a known file.
struct UpdateFileContentRequest {
  UpdateFileContentRequest(const RequestHeader& header, int64_t id, int64_t ownerId, const std::string& owner,
                           const std::string& versionValue, const std::string& md5, int size, int sizeLimit,
                           const std::string& path, int duration, int renewLimit, bool checkIfResume,
                           int conflictPolicy)
      : header(header),
        id(id),
        ownerId(ownerId),
        owner(owner),
        versionValue(versionValue),
        md5(md5),
        size(size),
        sizeLimit(sizeLimit),
        path(path),
        duration(duration),
        renewLimit(renewLimit),
        conflictPolicy(conflictPolicy),
        checkIfResume(checkIfResume) {}

  RequestHeader header;
  int64_t id = 0;
  int64_t ownerId = 0;
  std::string owner;
  std::string versionValue;
  std::string md5;
  int size = 0;
  int sizeLimit = 0;
  std::string path;
  int duration = 0;
  int renewLimit = 0;
  int conflictPolicy = 0;
  bool checkIfResume = false;

  static bool FillHttpRequest(const UpdateFileContentRequest& record, Net::HttpRequest* request);
};

// completeFile: finishes an upload.
struct CompleteFileRequest {
  RequestHeader header;
  int64_t id = 0;
  int nameConflictPolicy = 0;
  int renamePolicy = 0;
  int conflictPolicy = 0;
  bool checkIfCompleted = false;

  static void FillHttpRequest(const CompleteFileRequest& record, Net::HttpRequest* request);
};

// renameFile.
struct RenameFileRequest {
  RenameFileRequest(const RequestHeader& header, int64_t id, int64_t ownerId, const std::string& versionValue,
                    const std::string& fileName, int conflictPolicy, int nameConflictPolicy, int renamePolicy)
      : header(header),
        id(id),
        ownerId(ownerId),
        versionValue(versionValue),
        fileName(fileName),
        conflictPolicy(conflictPolicy),
        nameConflictPolicy(nameConflictPolicy),
        renamePolicy(renamePolicy) {}

  RequestHeader header;
  int64_t id = 0;
  int64_t ownerId = 0;
  std::string versionValue;
  std::string fileName;
  int conflictPolicy = 0;
  int nameConflictPolicy = 0;
  int renamePolicy = 0;

  static void FillHttpRequest(const RenameFileRequest& record, Net::HttpRequest* request);
};

// What a move changes; parentId is the new parent folder.
struct MoveFileInfo {
  MoveFileInfo(const std::string& versionValue, int64_t id, int64_t ownerId, int64_t parentId)
      : id(id), ownerId(ownerId), parentId(parentId), versionValue(versionValue) {}

  int64_t id = 0;
  int64_t ownerId = 0;
  int64_t parentId = 0;
  std::string versionValue;
};

// moveFile. overwritedFile observes a record that its creator keeps alive
// until the request's task has finished.
struct MoveFileRequest {
  MoveFileRequest(const RequestHeader& header, const MoveFileInfo& info, const OverwrittenFile* overwritedFile)
      : header(header),
        id(info.id),
        ownerId(info.ownerId),
        parentId(info.parentId),
        versionValue(info.versionValue),
        overwritedFile(overwritedFile) {}

  RequestHeader header;
  int64_t id = 0;
  int64_t ownerId = 0;
  int64_t parentId = 0;
  std::string versionValue;
  int nameConflictPolicy = 1;
  int renamePolicy = 0;
  const OverwrittenFile* overwritedFile = nullptr;

  static void FillHttpRequest(const MoveFileRequest& record, Net::HttpRequest* request);
};

// delFile.
struct DelFileRequest {
  DelFileRequest(const RequestHeader& header, int64_t id, const std::string& version)
      : header(header), id(id), version(version) {}

  RequestHeader header;
  int64_t id = 0;
  std::string version;

  static void FillHttpRequest(const DelFileRequest& record, Net::HttpRequest* request);
};

// delFileIncomplete: drops an unfinished upload. ownerId is kept but not
// sent; the body names the header's user.
struct DelFileIncompleteRequest {
  RequestHeader header;
  int64_t id = 0;
  int64_t ownerId = 0;

  static void FillHttpRequest(const DelFileIncompleteRequest& record, Net::HttpRequest* request);
};

// uploadFileControl: the transport token of an upload.
struct UploadFileControlRequest {
  RequestHeader header;
  int64_t id = 0;
  int64_t fileId = 0;
  int64_t ownerId = 0;

  static void FillHttpRequest(const UploadFileControlRequest& record, Net::HttpRequest* request);
};

// downloadFileControl: the transport token of a download.
struct DownloadFileControlRequest {
  DownloadFileControlRequest(const RequestHeader& header, int64_t id, int64_t ownerId, int length,
                             const std::string& version, const std::string& shareKey)
      : header(header), id(id), ownerId(ownerId), version(version), length(length), shareKey(shareKey) {}

  RequestHeader header;
  int64_t id = 0;
  int64_t ownerId = 0;
  std::string version;
  int offset = 0;
  int length = 0;
  std::string shareKey;

  static bool FillHttpRequest(const DownloadFileControlRequest& record, Net::HttpRequest* request);
};

// getUser: the signed-in user's record.
struct GetUserRequest {
  RequestHeader header;

  static void FillHttpRequest(const GetUserRequest& record, Net::HttpRequest* request);
};

// getUserFilesCount: the user's storage counters.
struct GetUserFilesCountRequest {
  RequestHeader header;

  static void FillHttpRequest(const GetUserFilesCountRequest& record, Net::HttpRequest* request);
};
