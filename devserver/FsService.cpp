#include "FsService.h"

#include "Ids.h"
#include "Query.h"
#include "Records.h"
#include "ServiceError.h"

namespace devserver {

std::optional<int64_t> VersionNumber(const std::string& text) {
  size_t bar = text.find('|');
  return ParseInt64(bar == std::string::npos ? text : text.substr(bar + 1));
}

void FsService::Stamp(Tree& tree, Item& item, int vtype) {
  item.vnum += 1;
  item.g = tree.NextG();
  item.vtype = vtype;
  item.updateTime = NowMs();
}

void FsService::CommitAndNotify(Transaction& tx, Tree& tree) {
  int64_t g = tree.CurrentG();
  tx.Commit();
  m_link.Changed(tree.userId(), g);
}

std::string FsService::PlaceName(Tree& tree, int64_t parentId, const std::string& name, bool isDir, int policy,
                                 int64_t self) {
  auto other = tree.LiveByName(parentId, name);
  if (!other || other->id == self) return name;
  if (policy == 1 || policy == 2) return tree.FreeName(parentId, name, isDir);
  throw ServiceError(Code::NameConflict, "name already exists");
}

Item FsService::RequireLiveFile(Tree& tree, int64_t id) {
  auto file = tree.LiveFile(id);
  if (!file) throw ServiceError(Code::FileNotFound, "file not found");
  return *file;
}

Item FsService::RequireFile(Tree& tree, int64_t id) {
  auto file = tree.Get(id);
  if (!file || file->isDir || file->status == kDeleted) throw ServiceError(Code::FileNotFound, "file not found");
  return *file;
}

Item FsService::RequireLiveDir(Tree& tree, int64_t id) {
  auto dir = tree.LiveDir(id);
  if (!dir) throw ServiceError(Code::DirNotExist, "folder not found");
  return *dir;
}

void FsService::CheckFileQuota(Tree& tree, const User& user, int64_t addedSize, bool newFile) {
  UsageCounts usage = tree.Usage();
  if (addedSize > 0 && usage.spaceUsed + addedSize > user.capacity)
    throw ServiceError(Code::UserCapacityExceed, "capacity exceeded");
  if (newFile && usage.files >= user.fsnm) throw ServiceError(Code::UserFilesNumExceed, "too many files");
}

Json::Value FsService::DirReply(Tree& tree, const User& user, const Item& dir, int type) {
  Json::Value result(Json::objectValue);
  result["id"] = Json::Int64(dir.id);
  result["type"] = type;
  result["message"] = "";
  result["dir"] = DirRecord(dir, user, tree.Stats(dir.id), tree.AncestorPath(dir.parentId));
  return result;
}

Json::Value FsService::FileReply(const User& user, const Item& file, int type, const PendingUpload* pending) {
  Json::Value result(Json::objectValue);
  result["id"] = Json::Int64(file.id);
  result["type"] = type;
  result["message"] = "";
  result["file"] = FileRecord(file, user, pending);
  return result;
}

bool FsService::DeleteTree(Tree& tree, Item& item, std::optional<int64_t> bound,
                           const std::map<int64_t, std::string>& extraFiles, bool reserveStructure) {
  bool everythingGone = true;
  if (item.isDir) {
    for (Item& child : tree.Children(item.id, true))
      everythingGone = DeleteTree(tree, child, bound, extraFiles, reserveStructure) && everythingGone;
  }
  bool mayGo = !bound || item.g <= *bound;
  if (!item.isDir && !mayGo) {
    auto extra = extraFiles.find(item.id);
    mayGo = extra != extraFiles.end() && VersionNumber(extra->second) == item.g;
  }
  if (item.isDir) mayGo = mayGo && everythingGone && !reserveStructure;
  if (!mayGo) return false;
  item.status = kDeleted;
  Stamp(tree, item, kRemoved);
  tree.Save(item);
  if (!item.isDir) m_transfers.DropUpload(item.id);
  return everythingGone;
}

}  // namespace devserver
