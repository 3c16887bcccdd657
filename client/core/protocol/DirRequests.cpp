#include "client/core/protocol/DirRequests.h"

#include <json/value.h>

#include "client/core/protocol/QueryString.h"
#include "client/core/protocol/RequestFrame.h"
#include "net/HttpRequest.h"

void SyncDirRequest::FillHttpRequest(const SyncDirRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  std::string url = FileSystemUrl("syncDir", record.id, record.header);
  AppendQueryString(record.version, url, "version");
  AppendQueryLong(url, "getAllVersions", record.getAllVersions);
  AppendQueryLong(url, "recursive", record.recursive);
  AppendQueryLong(url, "getFiles", record.getFiles);
  FillFileSystemRequest(request, Net::HTTP_GET, url, record.header);
}

void GetDirStructureRequest::FillHttpRequest(const GetDirStructureRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  std::string url = FileSystemUrl("getDirStructure", record.id, record.header);
  AppendQueryInt64(url, "owner", record.owner);
  AppendQueryLong(url, "recursive", record.recursive);
  AppendQueryLong(url, "returnInfo", record.returnInfo);
  AppendQueryLong(url, "countFiles", record.countFiles);
  FillFileSystemRequest(request, Net::HTTP_GET, url, record.header);
}

void GetDirFilesRequest::FillHttpRequest(const GetDirFilesRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  std::string url = FileSystemUrl("getDirFiles", record.id, record.header);
  AppendQueryInt64(url, "owner", record.owner);
  AppendQueryLong(url, "recursive", record.recursive);
  AppendQueryLong(url, "getFiles", record.getFiles);
  FillFileSystemRequest(request, Net::HTTP_GET, url, record.header);
}

void CreateDirRequest::FillHttpRequest(const CreateDirRequest& record, Net::HttpRequest* request) {
  if (!request) return;
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
  FillFileSystemRequest(request, Net::HTTP_POST, FileSystemUrl("createDir", record.id, record.header), record.header,
                        body);
}

void RenameDirRequest::FillHttpRequest(const RenameDirRequest& record, Net::HttpRequest* request) {
  if (!request) return;
  Json::Value body;
  Json::Value& dir = body["dir"];
  dir["id"] = Json::Int64(record.id);
  dir["ownerId"] = Json::Int64(record.ownerId);
  dir["dirName"] = record.dirName;
  body["nameConflictPolicy"] = record.nameConflictPolicy;
  body["renamePolicy"] = record.renamePolicy;
  FillFileSystemRequest(request, Net::HTTP_POST, FileSystemUrl("renameDir", record.id, record.header), record.header,
                        body);
}

void DelDirRequest::FillHttpRequest(const DelDirRequest& record, Net::HttpRequest* request) {
  if (!request) return;
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
  FillFileSystemRequest(request, Net::HTTP_POST, FileSystemUrl("delDir", record.id, record.header), record.header,
                        body);
}
