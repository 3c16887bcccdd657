#include "client/core/protocol/ServerDirInfo.h"

#include "client/core/protocol/JsonRead.h"

using namespace JsonRead;

void ServerDirInfo::Read(ServerDirInfo& info, const Json::Value& object) {
  info.id = Int64(object, "id");
  info.ownerId = Int64(object, "ownerId");
  info.owner = String(object, "owner");
  info.parentId = Int64(object, "parentId");
  info.path = String(object, "path");
  info.dirName = String(object, "dirName");
  info.description = String(object, "description");
  info.type = Int(object, "type");
  info.sysType = Int(object, "sysType");
  info.status = Int(object, "status");
  info.filesNumLimit = Int(object, "filesNumLimit");
  info.subFilesSizeLimit = Int64(object, "subFilesSizeLimit");
  info.dirsNumLimit = Int(object, "dirsNumLimit");
  info.createTime = Int64(object, "createTime");
  info.updateTime = Int64(object, "updateTime");
  const Json::Value& stats = Member(object, "stats");
  info.filesSize = Int64(stats, "filesSize");
  info.filesCount = Int(stats, "filesCount");
  info.filesTotalSize = Int64(stats, "filesTotalSize");
  info.filesTotalCount = Int(stats, "filesTotalCount");
  info.dirsCount = Int(stats, "dirsCount");
  const Json::Value& version = Member(object, "version");
  info.versionValue = String(version, "value");
  info.versionType = Int(version, "type");
}

bool ServerDirInfo::ParseJson(ServerDirInfo& info, const Json::Value* object) {
  if (!object) return false;
  return Guarded([&] { Read(info, *object); });
}
