#include "client/core/protocol/ServerFileInfo.h"

#include "client/core/protocol/JsonRead.h"

using namespace JsonRead;

void ServerFileInfo::Read(ServerFileInfo& info, const Json::Value& object, Fields fields) {
  info.id = Int64(object, "id");
  info.ownerId = Int64(object, "ownerId");
  info.owner = String(object, "owner");
  info.creatorId = Int64(object, "creatorId");
  info.creator = String(object, "creator");
  info.type = Int(object, "type");
  info.status = Int(object, "status");
  info.description = String(object, "description");
  info.updateTime = Int64(object, "updateTime");
  info.createTime = Int64(object, "createTime");
  info.parentId = Int64(object, "parentId");
  info.fileName = String(object, "fileName");
  const Json::Value& version = Member(object, "version");
  info.versionValue = String(version, "value");
  info.versionType = Int(version, "type");

  const Json::Value& doc = Member(object, "doc");
  info.doc.type = Int(doc, "type");
  info.doc.md5 = String(doc, "md5");
  info.doc.curMD5 = String(doc, "curMD5");
  info.doc.size = Int(doc, "size");
  info.doc.position = Int(doc, "position");
  info.doc.completed = Bool(doc, "completed");
  info.doc.URL = String(doc, "URL");
  if (fields == Fields::All) info.doc.uploadContext = String(doc, "uploadContext");

  info.sizeLimit = Int(Member(Member(object, "config"), "options"), "sizeLimit");
  if (fields == Fields::All) {
    const Json::Value& temporary = Member(object, "temporary");
    info.expiryTime = Int64(temporary, "expiryTime");
    info.renewRemainings = Int(temporary, "renewRemainings");
    const Json::Value& options = Member(Member(temporary, "config"), "options");
    info.renewLimit = Int(options, "renewLimit");
    info.duration = Int(options, "duration");
    info.path = String(Member(object, "local"), "path");
  }
}

bool ServerFileInfo::ParseJson(ServerFileInfo& info, const Json::Value* object) {
  if (!object) return false;
  return Guarded([&] { Read(info, *object, Fields::Listing); });
}

bool ServerFileInfo::ParseJsonWithPath(ServerFileInfo& info, const Json::Value* object) {
  if (!object) return false;
  return Guarded([&] { Read(info, *object, Fields::All); });
}
