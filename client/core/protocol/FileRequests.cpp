#include "client/core/protocol/FileRequests.h"

#include <json/value.h>

#include "client/core/protocol/QueryString.h"
#include "client/core/protocol/RequestFrame.h"
#include "net/HttpRequest.h"

bool CreateFileRequest::FillHttpRequest(const CreateFileRequest& record, Net::HttpRequest* request) {
  if (!request || record.size < 0) return false;
  Json::Value body;
  Json::Value& file = body["file"];
  file["ownerId"] = Json::Int64(record.ownerId);
  file["parentId"] = Json::Int64(record.parentId);
  file["fileName"] = record.fileName;
  file["description"] = record.description;
  file["doc"]["type"] = record.type;
  file["doc"]["md5"] = record.md5;
  file["doc"]["size"] = record.size;
  file["type"] = record.type;
  Json::Value& incomplete = file["incomplete"];
  incomplete["ownerId"] = Json::Int64(record.ownerId);
  incomplete["local"]["path"] = record.path;
  incomplete["temporary"] = Json::Value(Json::nullValue);
  body["doUploadControl"] = record.doUploadControl;
  body["nameConflictPolicy"] = record.nameConflictPolicy;
  body["renamePolicy"] = record.renamePolicy;
  body["checkIfResume"] = record.checkIfResume;
  body["checkIfCompleted"] = record.checkIfCompleted;
  FillFileSystemRequest(request, Net::HTTP_POST, FileSystemUrl("createFile", record.id, record.header), record.header,
                        body);
  return true;
}

bool UpdateFileContentRequest::FillHttpRequest(const UpdateFileContentRequest& record, Net::HttpRequest* request) {
  if (!request || record.size < 0) return false;
  Json::Value body;
  Json::Value& file = body["file"];
  file["id"] = Json::Int64(record.id);
  file["ownerId"] = Json::Int64(record.ownerId);
  file["owner"] = record.owner;
  file["versionValue"] = record.versionValue;
  file["md5"] = record.md5;
  file["size"] = record.size;
  Json::Value& incomplete = body["incomplete"];
  incomplete["ownerId"] = Json::Int64(record.ownerId);
  incomplete["owner"] = record.owner;
  incomplete["config"]["options"]["sizeLimit"] = record.sizeLimit;
  incomplete["local"]["path"] = record.path;
  Json::Value& options = incomplete["temporary"]["config"]["options"];
  options["duration"] = record.duration;
  options["renewLimit"] = record.renewLimit;
  body["conflictPolicy"] = record.conflictPolicy;
  body["checkIfResume"] = record.checkIfResume;
  FillFileSystemRequest(request, Net::HTTP_POST, FileSystemUrl("updateFileContent", record.id, record.header),
                        record.header, body);
  return true;
}

void CompleteFileRequest::FillHttpRequest(const CompleteFileRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  Json::Value body;
  body["file"]["id"] = Json::Int64(record.id);
  body["file"]["ownerId"] = Json::Int64(record.header.userId);
  body["nameConflictPolicy"] = record.nameConflictPolicy;
  body["renamePolicy"] = record.renamePolicy;
  body["conflictPolicy"] = record.conflictPolicy;
  body["checkIfCompleted"] = record.checkIfCompleted;
  FillFileSystemRequest(request, Net::HTTP_POST, FileSystemUrl("completeFile", record.id, record.header), record.header,
                        body);
}

void RenameFileRequest::FillHttpRequest(const RenameFileRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  Json::Value body;
  Json::Value& file = body["file"];
  file["id"] = Json::Int64(record.id);
  file["ownerId"] = Json::Int64(record.ownerId);
  file["fileName"] = record.fileName;
  file["versionValue"] = record.versionValue;
  body["conflictPolicy"] = record.conflictPolicy;
  body["renamePolicy"] = record.renamePolicy;
  body["nameConflictPolicy"] = record.nameConflictPolicy;
  FillFileSystemRequest(request, Net::HTTP_POST, FileSystemUrl("renameFile", record.id, record.header), record.header,
                        body);
}

void MoveFileRequest::FillHttpRequest(const MoveFileRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  std::string url = FileSystemUrl("moveFile");
  AppendQueryInt64(url, "userId", record.header.userId);
  AppendQueryInt64(url, "id", record.id);
  Json::Value body;
  Json::Value& file = body["file"];
  file["id"] = Json::Int64(record.id);
  file["ownerId"] = Json::Int64(record.ownerId);
  file["parentId"] = Json::Int64(record.parentId);
  file["versionValue"] = record.versionValue;
  body["nameConflictPolicy"] = record.nameConflictPolicy;
  body["renamePolicy"] = record.renamePolicy;
  if (record.overwritedFile) {
    Json::Value& overwritten = body["overwritedFile"];
    overwritten["id"] = Json::Int64(record.overwritedFile->id);
    overwritten["ownerId"] = Json::Int64(record.overwritedFile->ownerId);
    overwritten["versionValue"] = record.overwritedFile->versionValue;
  }
  FillFileSystemRequest(request, Net::HTTP_POST, url, record.header, body);
}

void DelFileRequest::FillHttpRequest(const DelFileRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  std::string url = FileSystemUrl("delFile");
  AppendQueryInt64(url, "userId", record.header.userId);
  AppendQueryInt64(url, "id", record.id);
  AppendQueryString(record.version, url, "version");
  FillFileSystemRequest(request, Net::HTTP_GET, url, record.header);
}

void DelFileIncompleteRequest::FillHttpRequest(const DelFileIncompleteRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  Json::Value body;
  body["id"] = Json::Int64(record.id);
  body["ownerId"] = Json::Int64(record.header.userId);
  FillFileSystemRequest(request, Net::HTTP_GET, FileSystemUrl("delFileIncomplete", record.id, record.header),
                        record.header, body);
}

void UploadFileControlRequest::FillHttpRequest(const UploadFileControlRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  Json::Value body;
  body["file"]["id"] = Json::Int64(record.fileId);
  body["file"]["ownerId"] = Json::Int64(record.ownerId);
  FillFileSystemRequest(request, Net::HTTP_POST, FileSystemUrl("uploadFileControl", record.id, record.header),
                        record.header, body);
}

bool DownloadFileControlRequest::FillHttpRequest(const DownloadFileControlRequest& record, Net::HttpRequest* request) {
  if (!request || record.offset < 0 || record.length < 0) return false;
  std::string url = FileSystemUrl("downloadFileControl", record.id, record.header);
  AppendQueryInt64(url, "ownerId", record.ownerId);
  AppendQueryLong(url, "offset", record.offset);
  AppendQueryLong(url, "length", record.length);
  AppendQueryString(record.version, url, "version");
  AppendQueryString(record.shareKey, url, "shareKey");
  FillFileSystemRequest(request, Net::HTTP_GET, url, record.header);
  return true;
}

namespace {

void FillUserRequest(const char* operation, const RequestHeader& header, Net::HttpRequest* request) {
  if (!request) return;
  std::string url = FileSystemUrl(operation);
  AppendQueryInt64(url, "userId", header.userId);
  AppendQueryInt64(url, "id", header.userId);
  FillFileSystemRequest(request, Net::HTTP_GET, url, header);
}

}  // namespace

void GetUserRequest::FillHttpRequest(const GetUserRequest& record, Net::HttpRequest* request) {
  FillUserRequest("getUser", record.header, request);
}

void GetUserFilesCountRequest::FillHttpRequest(const GetUserFilesCountRequest& record, Net::HttpRequest* request) {
  FillUserRequest("getUserFilesCount", record.header, request);
}
