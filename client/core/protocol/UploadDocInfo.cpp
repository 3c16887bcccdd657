#include "client/core/protocol/UploadDocInfo.h"

#include "client/core/protocol/JsonRead.h"

using namespace JsonRead;

bool UploadDocInfo::ParseJson(UploadDocInfo& doc, const Json::Value* object) {
  if (!object) return false;
  return Guarded([&] {
    doc.id = Int64(*object, "id");
    doc.bucketId = Int64(*object, "bucketId");
    doc.md5 = String(*object, "md5");
    doc.curMD5 = String(*object, "curMD5");
    doc.size = Int(*object, "size");
    doc.position = Int(*object, "position");
    doc.completed = Bool(*object, "completed");
    doc.createTime = Int64(*object, "createTime");
    doc.completedTime = Int64(*object, "completedTime");
  });
}
