#include "client/core/protocol/ServerUserInfo.h"

#include "client/core/protocol/JsonRead.h"

using namespace JsonRead;

bool ServerUserInfo::ParseJson(ServerUserInfo& user, const Json::Value* object) {
  if (!object) return false;
  return Guarded([&] {
    const Json::Value& o = *object;
    user.id = Int64(o, "id");
    user.account = String(o, "account");
    user.name = String(o, "name");
    user.status = Int(o, "status");
    user.createTime = Int64(o, "createTime");
    user.updateTime = Int64(o, "updateTime");
    user.capacity = Int64(o, "capacity");
    user.capacityBase = Int64(o, "capacityBase");
    user.capacityAward = Int64(o, "capacityAward");

    const Json::Value& stats = Member(o, "filesStats");
    user.spaceUsed = Int64(stats, "spaceUsed");
    user.filesCount = Int(stats, "filesCount");
    user.dirsCount = Int(stats, "dirsCount");
    user.incompleteFilesCount = Int(stats, "incompleteFilesCount");

    const Json::Value& act = Member(o, "actState");
    user.lastAccessTime = Int64(act, "lastAccessTime");
    user.lastUpdateTime = Int64(act, "lastUpdateTime");

    const Json::Value& config = Member(o, "fileConfig");
    user.fszm = Int64(config, "fszm");
    user.fsnm = Int(config, "fsnm");
    user.rnm = Int(config, "rnm");
    user.d = Int(config, "d");
    user.szm = Int(config, "szm");
    user.dsnm = Int(config, "dsnm");
    user.sfszm = Int64(config, "sfszm");
    user.sfsnm = Int(config, "sfsnm");
    // The service names no member of its own for the sub-folder limit; the
    // folder limit stands for it.
    user.sdsnm = Int(config, "dsnm");
    user.dym = Int(config, "dym");

    const Json::Value& incomplete = Member(o, "incompleteFileConfig");
    user.incompleteFszm = Int64(incomplete, "fszm");
    user.incompleteFsnm = Int(incomplete, "fsnm");
    user.incompleteRnm = Int(incomplete, "rnm");
    user.incompleteD = Int(incomplete, "d");
    user.incompleteSzm = Int(incomplete, "szm");
  });
}
