#include "Records.h"

#include "Transfers.h"

namespace devserver {

namespace {

Json::Value VersionOf(const std::string& value, int type) {
  Json::Value v(Json::objectValue);
  v["value"] = value;
  v["type"] = type;
  return v;
}

Json::Value StatsOf(const DirStats& st) {
  Json::Value v(Json::objectValue);
  v["filesSize"] = Json::Int64(st.filesSize);
  v["filesCount"] = Json::Int64(st.filesCount);
  v["filesTotalSize"] = Json::Int64(st.filesTotalSize);
  v["filesTotalCount"] = Json::Int64(st.filesTotalCount);
  v["dirsCount"] = Json::Int64(st.dirsCount);
  return v;
}

Json::Value FolderBase(int64_t id, int64_t parentId, const User& owner) {
  Json::Value d(Json::objectValue);
  d["id"] = Json::Int64(id);
  d["ownerId"] = Json::Int64(owner.id);
  d["owner"] = owner.account;
  d["parentId"] = Json::Int64(parentId);
  d["filesNumLimit"] = -1;
  d["subFilesSizeLimit"] = Json::Int64(-1);
  d["dirsNumLimit"] = -1;
  return d;
}

}  // namespace

Json::Value DirRecord(const Item& dir, const User& owner, const DirStats& stats, const std::string& path) {
  Json::Value d = FolderBase(dir.id, dir.parentId, owner);
  d["path"] = path;
  d["dirName"] = dir.name;
  d["description"] = dir.description;
  d["type"] = dir.type;
  d["sysType"] = dir.sysType;
  d["status"] = dir.status == kDeleted ? 1 : 0;
  d["createTime"] = Json::Int64(dir.createTime);
  d["updateTime"] = Json::Int64(dir.updateTime);
  d["stats"] = StatsOf(stats);
  d["version"] = VersionOf(dir.Version(), dir.vtype);
  return d;
}

Json::Value RootRecord(const User& owner, const DirStats& stats) {
  Json::Value d = FolderBase(kRootId, 0, owner);
  d["path"] = "";
  d["dirName"] = "";
  d["description"] = "";
  d["type"] = 0;
  d["sysType"] = 0;
  d["status"] = 0;
  d["createTime"] = Json::Int64(owner.createTime);
  d["updateTime"] = Json::Int64(owner.updateTime);
  d["stats"] = StatsOf(stats);
  d["version"] = VersionOf("0|" + std::to_string(owner.g), kChanged);
  return d;
}

Json::Value FileRecord(const Item& file, const User& owner, const PendingUpload* pending) {
  Json::Value f(Json::objectValue);
  f["id"] = Json::Int64(file.id);
  f["ownerId"] = Json::Int64(owner.id);
  f["owner"] = owner.account;
  f["creatorId"] = Json::Int64(owner.id);
  f["creator"] = owner.account;
  f["type"] = file.type;
  f["status"] = file.status == kDeleted ? 1 : 0;
  f["description"] = file.description;
  f["updateTime"] = Json::Int64(file.updateTime);
  f["createTime"] = Json::Int64(file.createTime);
  f["parentId"] = Json::Int64(file.parentId);
  f["fileName"] = file.name;
  f["version"] = VersionOf(file.Version(), file.vtype);

  Json::Value doc(Json::objectValue);
  doc["type"] = 0;
  if (pending) {
    doc["md5"] = pending->md5;
    doc["curMD5"] = "";
    doc["size"] = Json::Int64(pending->size);
    doc["position"] = Json::Int64(pending->position);
    doc["completed"] = false;
  } else {
    doc["md5"] = file.md5;
    doc["curMD5"] = file.md5;
    doc["size"] = Json::Int64(file.size);
    doc["position"] = Json::Int64(file.size);
    doc["completed"] = file.status != kIncomplete;
  }
  doc["URL"] = "";
  doc["uploadContext"] = "";
  f["doc"] = doc;

  Json::Value options(Json::objectValue);
  options["sizeLimit"] = Json::Int64(owner.szm);
  f["config"]["options"] = options;
  Json::Value temporary(Json::objectValue);
  temporary["expiryTime"] = Json::Int64(0);
  temporary["renewRemainings"] = 0;
  temporary["config"]["options"]["renewLimit"] = 0;
  temporary["config"]["options"]["duration"] = 0;
  f["temporary"] = temporary;
  f["local"]["path"] = "";
  return f;
}

Json::Value UserRecord(const User& user, const UsageCounts& usage) {
  Json::Value u(Json::objectValue);
  u["id"] = Json::Int64(user.id);
  u["account"] = user.account;
  u["name"] = user.name;
  u["status"] = user.status;
  u["createTime"] = Json::Int64(user.createTime);
  u["updateTime"] = Json::Int64(user.updateTime);
  u["capacity"] = Json::Int64(user.capacity);
  u["capacityBase"] = Json::Int64(user.capacity);
  u["capacityAward"] = Json::Int64(0);
  Json::Value stats(Json::objectValue);
  stats["spaceUsed"] = Json::Int64(usage.spaceUsed);
  stats["filesCount"] = Json::Int64(usage.files);
  stats["dirsCount"] = Json::Int64(usage.dirs);
  stats["incompleteFilesCount"] = Json::Int64(usage.incomplete);
  u["filesStats"] = stats;
  u["actState"]["lastAccessTime"] = Json::Int64(user.lastAccess);
  u["actState"]["lastUpdateTime"] = Json::Int64(user.updateTime);
  Json::Value fc(Json::objectValue);
  fc["fszm"] = Json::Int64(user.capacity);
  fc["fsnm"] = Json::Int64(user.fsnm);
  fc["rnm"] = 0;
  fc["d"] = 0;
  fc["szm"] = Json::Int64(user.szm);
  fc["dsnm"] = Json::Int64(user.dsnm);
  fc["sfszm"] = Json::Int64(-1);
  fc["sfsnm"] = -1;
  fc["dym"] = Json::Int64(user.dym);
  u["fileConfig"] = fc;
  Json::Value ic(Json::objectValue);
  ic["fszm"] = Json::Int64(user.capacity);
  ic["fsnm"] = Json::Int64(user.fsnm);
  ic["rnm"] = 0;
  ic["d"] = 0;
  ic["szm"] = Json::Int64(user.szm);
  u["incompleteFileConfig"] = ic;
  return u;
}

}  // namespace devserver
