// Another device of the same account, driven by the admin API: the changes
// follow the same rules as the client's and bump the same versions.
#include "FsService.h"
#include "Ids.h"
#include "Md5.h"
#include "Records.h"
#include "ServiceError.h"

namespace devserver {

Json::Value FsService::DeviceMkdir(const User& user, int64_t parentId, const std::string& name) {
  CheckName(name, true);
  Transaction tx(m_store);
  Tree tree(m_store, user.id);
  if (parentId != kRootId) RequireLiveDir(tree, parentId);
  PlaceName(tree, parentId, name, true, 0, 0);
  Item dir;
  dir.isDir = true;
  dir.parentId = parentId;
  dir.name = name;
  dir.createTime = NowMs();
  Stamp(tree, dir, kCreated);
  tree.Insert(dir);
  Json::Value record = DirReply(tree, user, dir, 0)["dir"];
  CommitAndNotify(tx, tree);
  return record;
}

Json::Value FsService::DevicePut(const User& user, int64_t parentId, const std::string& name,
                                 const std::string& bytes) {
  CheckName(name, false);
  Transaction tx(m_store);
  Tree tree(m_store, user.id);
  if (parentId != kRootId) RequireLiveDir(tree, parentId);
  Item file;
  auto existing = tree.LiveByName(parentId, name);
  if (existing) {
    if (existing->isDir) throw ServiceError(Code::NameConflict, "a folder has that name");
    file = *existing;
  } else {
    file.parentId = parentId;
    file.name = name;
    file.createTime = NowMs();
  }
  // An upload of this file under way stays: its completion finds the newer
  // content and answers a conflict.
  int64_t docId = m_transfers.AddDoc(bytes);
  file.docId = docId;
  file.size = static_cast<int64_t>(bytes.size());
  file.md5 = Md5Hex(bytes);
  file.status = kLive;
  Stamp(tree, file, existing ? kChanged : kCreated);
  file.contentG = file.g;
  if (existing) tree.Save(file);
  else tree.Insert(file);
  CommitAndNotify(tx, tree);
  return FileRecord(file, user, nullptr);
}

Item FsService::RequireLiveItem(Tree& tree, int64_t id) {
  auto item = tree.Get(id);
  if (!item || item->status != kLive) throw ServiceError(Code::FileNotFound, "no such item");
  return *item;
}

Json::Value FsService::ItemRecord(Tree& tree, const User& user, const Item& item) {
  return item.isDir ? DirReply(tree, user, item, 0)["dir"] : FileRecord(item, user, nullptr);
}

Json::Value FsService::DeviceRename(const User& user, int64_t id, const std::string& name, NameCheck check) {
  Transaction tx(m_store);
  Tree tree(m_store, user.id);
  Item item = RequireLiveItem(tree, id);
  if (check == NameCheck::Checked) {
    CheckName(name, item.isDir);
    item.name = PlaceName(tree, item.parentId, name, item.isDir, 0, item.id);
  } else {
    item.name = name;
  }
  Stamp(tree, item, kChanged);
  tree.Save(item);
  Json::Value record = ItemRecord(tree, user, item);
  CommitAndNotify(tx, tree);
  return record;
}

Json::Value FsService::DeviceMove(const User& user, int64_t id, int64_t parentId) {
  Transaction tx(m_store);
  Tree tree(m_store, user.id);
  Item item = RequireLiveItem(tree, id);
  if (parentId != kRootId) RequireLiveDir(tree, parentId);
  if (item.isDir && tree.IsWithin(parentId, item.id))
    throw ServiceError(Code::DirRecursiveActDenied, "cannot move a folder into itself");
  item.name = PlaceName(tree, parentId, item.name, item.isDir, 0, item.id);
  item.movedFrom = item.parentId;
  item.parentId = parentId;
  Stamp(tree, item, kChanged);
  tree.Save(item);
  Json::Value record = ItemRecord(tree, user, item);
  CommitAndNotify(tx, tree);
  return record;
}

Json::Value FsService::DeviceDelete(const User& user, int64_t id) {
  Transaction tx(m_store);
  Tree tree(m_store, user.id);
  Item item = RequireLiveItem(tree, id);
  DeleteTree(tree, item, std::nullopt, {}, false);
  Json::Value record = ItemRecord(tree, user, item);
  CommitAndNotify(tx, tree);
  return record;
}

Json::Value FsService::DeviceTree(const User& user) {
  Tree tree(m_store, user.id);
  std::vector<Item> items = tree.All();
  std::map<int64_t, const Item*> byId;
  for (const Item& it : items) byId[it.id] = &it;
  auto pathOf = [&](const Item& it) {
    std::string path = it.name;
    int64_t cur = it.parentId;
    for (int guard = 0; cur != kRootId && guard < 10000; ++guard) {
      auto p = byId.find(cur);
      if (p == byId.end()) break;
      path = p->second->name + "/" + path;
      cur = p->second->parentId;
    }
    return path;
  };
  Json::Value list(Json::arrayValue);
  for (const Item& it : items) {
    Json::Value e(Json::objectValue);
    e["id"] = Json::Int64(it.id);
    e["isDir"] = it.isDir;
    e["parentId"] = Json::Int64(it.parentId);
    e["name"] = it.name;
    e["path"] = pathOf(it);
    e["status"] = it.status;
    e["version"] = it.Version();
    e["versionType"] = it.vtype;
    e["md5"] = it.md5;
    e["size"] = Json::Int64(it.size);
    list.append(e);
  }
  Json::Value result(Json::objectValue);
  result["g"] = Json::Int64(tree.CurrentG());
  result["items"] = list;
  return result;
}

int64_t FsService::DeviceNotify(const User& user) {
  Transaction tx(m_store);
  Tree tree(m_store, user.id);
  tree.NextG();
  CommitAndNotify(tx, tree);
  return tree.CurrentG();
}

}  // namespace devserver
