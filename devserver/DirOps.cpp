// Folder operations of the file-system service: createDir, renameDir, delDir.
#include "CallArgs.h"
#include "FsService.h"
#include "Ids.h"
#include "JsonIo.h"
#include "Query.h"
#include "ServiceError.h"

namespace devserver {


Json::Value FsService::CreateDir(const FsCall& call) {
  const Json::Value& b = call.body;
  int64_t parentId = ReqInt64(b, "dir.parentId");
  std::string name = ReqString(b, "dir.dirName");
  std::string description = OptString(b, "dir.description");
  int type = OptInt32(b, "dir.type", 0);
  int sysType = OptInt32(b, "dir.sysType", 0);
  int policy = OptInt32(b, "nameConflictPolicy", 0);
  OptInt32(b, "renamePolicy", 0);
  OptInt64(b, "dir.id");
  CheckOwner(b, "dir.ownerId", call.user);
  CheckName(name, true);

  Transaction tx(m_store);
  Tree tree(m_store, call.user.id);
  if (parentId != kRootId) RequireLiveDir(tree, parentId);
  if (tree.Depth(parentId) + 1 > call.user.dym) throw ServiceError(Code::DirLayersExceed, "folder too deep");
  if (auto existing = tree.LiveByName(parentId, name)) {
    // Policy 2 merges with a folder of that name: the caller gets it back.
    if (existing->isDir && policy == 2) return DirReply(tree, call.user, *existing, 1);
    name = PlaceName(tree, parentId, name, true, policy, 0);
  }
  if (tree.Usage().dirs >= call.user.dsnm) throw ServiceError(Code::UserDirsNumExceed, "too many folders");

  Item dir;
  dir.isDir = true;
  dir.parentId = parentId;
  dir.name = name;
  dir.description = description;
  dir.type = type;
  dir.sysType = sysType;
  dir.createTime = NowMs();
  Stamp(tree, dir, kCreated);
  tree.Insert(dir);
  Json::Value reply = DirReply(tree, call.user, dir, 0);
  CommitAndNotify(tx, tree);
  return reply;
}

Json::Value FsService::RenameDir(const FsCall& call) {
  const Json::Value& b = call.body;
  int64_t id = TargetId(call, "dir.id");
  std::string name = ReqString(b, "dir.dirName");
  int policy = OptInt32(b, "nameConflictPolicy", 0);
  OptInt32(b, "renamePolicy", 0);
  CheckOwner(b, "dir.ownerId", call.user);
  CheckName(name, true);

  Transaction tx(m_store);
  Tree tree(m_store, call.user.id);
  Item dir = RequireLiveDir(tree, id);
  if (dir.name == name) return DirReply(tree, call.user, dir, 0);
  dir.name = PlaceName(tree, dir.parentId, name, true, policy, dir.id);
  Stamp(tree, dir, kChanged);
  tree.Save(dir);
  Json::Value reply = DirReply(tree, call.user, dir, 0);
  CommitAndNotify(tx, tree);
  return reply;
}

Json::Value FsService::DelDir(const FsCall& call) {
  const Json::Value& b = call.body;
  int64_t id = TargetId(call, "dir.id");
  std::string version = OptString(b, "version");
  bool recursive = OptBool(b, "recursive", false);
  bool reserveStructure = OptBool(b, "reserveStructure", false);
  CheckOwner(b, "dir.ownerId", call.user);
  std::map<int64_t, std::string> extraFiles;
  if (const Json::Value* extra = FindMember(b, "extraFiles")) {
    if (!extra->isArray()) throw ServiceError(Code::BadRequest, "extraFiles is not an array");
    for (const Json::Value& e : *extra) {
      if (!e.isObject()) throw ServiceError(Code::BadRequest, "extraFiles entry is not an object");
      extraFiles[ReqInt64(e, "id")] = ReqString(e, "versionValue");
    }
  }
  std::optional<int64_t> bound;
  if (!version.empty()) {
    bound = VersionNumber(version);
    if (!bound) throw ServiceError(Code::BadRequest, "version not readable");
  }

  Transaction tx(m_store);
  Tree tree(m_store, call.user.id);
  Item dir = RequireLiveDir(tree, id);
  if (!recursive && !tree.Children(id, true).empty()) throw ServiceError(Code::DirNotEmpty, "folder not empty");
  bool everythingGone = DeleteTree(tree, dir, bound, extraFiles, reserveStructure);
  Json::Value reply = DirReply(tree, call.user, dir, everythingGone ? 0 : 1);
  CommitAndNotify(tx, tree);
  return reply;
}

}  // namespace devserver
