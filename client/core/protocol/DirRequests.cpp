#include "client/core/protocol/DirRequests.h"

#include <json/value.h>

#include "client/core/protocol/QueryString.h"
#include "client/core/protocol/RequestFrame.h"
#include "client/core/protocol/ServerList.h"
#include "net/HttpRequest.h"

namespace {

// The URL of a file-system operation up to and including the "id" and
// "userId" pairs that every folder operation starts with.
std::string FolderUrl(const char* operation, int64_t id, const RequestHeader& header) {
  std::string url = AccountOperationUrl(ServerList::GetInstance()->GetRpcServer(), operation);
  AppendQueryInt64(url, "id", id);
  AppendQueryInt64(url, "userId", header.userId);
  return url;
}

}  // namespace

void SyncDirRequest::FillHttpRequest(const SyncDirRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  std::string url = FolderUrl("syncDir", record.id, record.header);
  AppendQueryString(record.version, url, "version");
  AppendQueryLong(url, "getAllVersions", record.getAllVersions);
  AppendQueryLong(url, "recursive", record.recursive);
  AppendQueryLong(url, "getFiles", record.getFiles);
  request->SetHttpRequest(Net::HTTP_GET, url);
  AddRequestHeaders(record.header, request);
}

void GetDirStructureRequest::FillHttpRequest(const GetDirStructureRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  std::string url = FolderUrl("getDirStructure", record.id, record.header);
  AppendQueryInt64(url, "owner", record.owner);
  AppendQueryLong(url, "recursive", record.recursive);
  AppendQueryLong(url, "returnInfo", record.returnInfo);
  AppendQueryLong(url, "countFiles", record.countFiles);
  request->SetHttpRequest(Net::HTTP_GET, url);
  AddRequestHeaders(record.header, request);
}

void GetDirFilesRequest::FillHttpRequest(const GetDirFilesRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  std::string url = FolderUrl("getDirFiles", record.id, record.header);
  AppendQueryInt64(url, "owner", record.owner);
  AppendQueryLong(url, "recursive", record.recursive);
  AppendQueryLong(url, "getFiles", record.getFiles);
  request->SetHttpRequest(Net::HTTP_GET, url);
  AddRequestHeaders(record.header, request);
}

void CreateDirRequest::FillHttpRequest(const CreateDirRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  request->SetHttpRequest(Net::HTTP_POST, FolderUrl("createDir", record.id, record.header));
  AddRequestHeaders(record.header, request);
  Json::Value body;
  Json::Value& dir = body["dir"];
  dir["id"] = Json::Int64(record.id);
  dir["ownerId"] = Json::Int64(record.ownerId);
  dir["parentId"] = Json::Int64(record.parentId);
  dir["dirName"] = record.dirName;
  dir["description"] = record.description;
  dir["type"] = record.type;
  dir["sysType"] = record.sysType;
  body["nameConflictPolicy"] = record.nameConflictPolicy;
  body["renamePolicy"] = record.renamePolicy;
  SetJsonPostContent(body, request);
}

void RenameDirRequest::FillHttpRequest(const RenameDirRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  request->SetHttpRequest(Net::HTTP_POST, FolderUrl("renameDir", record.id, record.header));
  AddRequestHeaders(record.header, request);
  Json::Value body;
  Json::Value& dir = body["dir"];
  dir["id"] = Json::Int64(record.id);
  dir["ownerId"] = Json::Int64(record.ownerId);
  dir["dirName"] = record.dirName;
  body["nameConflictPolicy"] = record.nameConflictPolicy;
  body["renamePolicy"] = record.renamePolicy;
  SetJsonPostContent(body, request);
}

void DelDirRequest::FillHttpRequest(const DelDirRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  request->SetHttpRequest(Net::HTTP_POST, FolderUrl("delDir", record.id, record.header));
  AddRequestHeaders(record.header, request);
  Json::Value body;
  body["dir"]["id"] = Json::Int64(record.id);
  body["dir"]["ownerId"] = Json::Int64(record.header.userId);
  body["version"] = record.version;
  body["recursive"] = record.recursive;
  body["reserveStructure"] = record.reserveStructure;
  if (!record.extraFiles.empty()) {
    Json::Value& extra = body["extraFiles"];
    for (const OverwrittenFile& file : record.extraFiles) {
      Json::Value entry;
      entry["id"] = Json::Int64(file.id);
      entry["versionValue"] = file.versionValue;
      entry["ownerId"] = Json::Int64(file.ownerId);
      extra.append(entry);
    }
  }
  SetJsonPostContent(body, request);
}
