// Listings of the file-system service: syncDir, getDirStructure, getDirFiles.
// Each loads the account's items once and works on an index of them.
#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "FsService.h"
#include "Query.h"
#include "Records.h"
#include "ServiceError.h"

namespace devserver {

namespace {

class Index {
 public:
  explicit Index(std::vector<Item> items) : m_items(std::move(items)) {
    for (size_t i = 0; i < m_items.size(); ++i) {
      const Item& it = m_items[i];
      if (it.status == kIncomplete) continue;
      m_byId[it.id] = i;
      m_children[it.parentId].push_back(i);
    }
    ComputeStats(kRootId);
  }

  const Item* Find(int64_t id) const {
    auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : &m_items[it->second];
  }
  const std::vector<size_t>& Children(int64_t id) const {
    static const std::vector<size_t> none;
    auto it = m_children.find(id);
    return it == m_children.end() ? none : it->second;
  }
  const Item& At(size_t i) const { return m_items[i]; }
  const std::vector<Item>& items() const { return m_items; }
  DirStats Stats(int64_t id) const {
    auto it = m_stats.find(id);
    return it == m_stats.end() ? DirStats{} : it->second;
  }
  std::string Path(int64_t parentId) const {
    std::vector<int64_t> chain;
    for (int64_t cur = parentId; cur != kRootId && chain.size() < 10000;) {
      chain.push_back(cur);
      const Item* p = Find(cur);
      if (!p) break;
      cur = p->parentId;
    }
    std::string path = "/";
    for (auto i = chain.rbegin(); i != chain.rend(); ++i) path += std::to_string(*i) + "/";
    return path;
  }

 private:
  // Live statistics of a folder, bottom-up.
  DirStats ComputeStats(int64_t id) {
    DirStats st;
    for (size_t i : Children(id)) {
      const Item& c = m_items[i];
      if (c.status != kLive) continue;
      if (c.isDir) {
        ++st.dirsCount;
        DirStats sub = ComputeStats(c.id);
        st.filesTotalSize += sub.filesTotalSize;
        st.filesTotalCount += sub.filesTotalCount;
      } else {
        st.filesSize += c.size;
        ++st.filesCount;
        st.filesTotalSize += c.size;
        ++st.filesTotalCount;
      }
    }
    m_stats[id] = st;
    return st;
  }

  std::vector<Item> m_items;
  std::map<int64_t, size_t> m_byId;
  std::map<int64_t, std::vector<size_t>> m_children;
  std::map<int64_t, DirStats> m_stats;
};

Json::Value FolderOf(const Index& index, const User& user, int64_t id) {
  if (id == kRootId) return RootRecord(user, index.Stats(kRootId));
  const Item& dir = *index.Find(id);
  return DirRecord(dir, user, index.Stats(id), index.Path(dir.parentId));
}

// The folder the listing starts at: the root or a live folder of the account.
void RequireListable(const Index& index, int64_t id) {
  if (id == kRootId) return;
  const Item* dir = index.Find(id);
  if (!dir || !dir->isDir || dir->status != kLive) throw ServiceError(Code::DirNotExist, "folder not found");
}

void CheckOwnerQuery(const FsCall& call) {
  if (auto owner = call.query.OptInt64("owner"); owner && *owner != call.user.id)
    throw ServiceError(Code::Forbidden, "not the owner");
}

Json::Value Envelope(int64_t id) {
  Json::Value result(Json::objectValue);
  result["id"] = Json::Int64(id);
  result["type"] = 0;
  result["message"] = "";
  return result;
}

}  // namespace

Json::Value FsService::SyncDir(const FsCall& call) {
  int64_t id = call.query.Int64("id");
  std::string version = call.query.GetOr("version");
  bool recursive = call.query.Flag("recursive", true);
  bool getFiles = call.query.Flag("getFiles", true);
  int64_t since = 0;
  if (!version.empty()) {
    auto n = VersionNumber(version);
    if (!n) throw ServiceError(Code::BadRequest, "version not readable");
    since = *n;
  }
  Tree tree(m_store, call.user.id);
  Index index(tree.All());
  RequireListable(index, id);

  // Everything below the folder, deleted items included, changed after `since`.
  std::vector<const Item*> changed;
  std::function<void(int64_t, bool)> collect = [&](int64_t dirId, bool descend) {
    for (size_t i : index.Children(dirId)) {
      const Item& it = index.At(i);
      if (it.g > since && (it.isDir || getFiles)) changed.push_back(&it);
      if (it.isDir && descend) collect(it.id, recursive);
    }
  };
  collect(id, recursive);
  // An item moved out of the folder is gone from it: listed as deleted there.
  std::vector<Item> movedOut;
  auto within = [&](int64_t dirId) {
    for (int guard = 0; guard < 10000 && dirId != 0; ++guard) {
      if (dirId == id) return true;
      if (!recursive || dirId == kRootId) return false;
      const Item* d = index.Find(dirId);
      if (!d) return false;
      dirId = d->parentId;
    }
    return false;
  };
  for (const Item& it : index.items()) {
    if (it.g <= since || it.movedFrom == 0 || it.status != kLive) continue;
    if (!(it.isDir || getFiles) || within(it.parentId) || !within(it.movedFrom)) continue;
    Item gone = it;
    gone.status = kDeleted;
    gone.vtype = kRemoved;
    gone.parentId = it.movedFrom;
    movedOut.push_back(gone);
  }
  for (const Item& it : movedOut) changed.push_back(&it);
  std::stable_sort(changed.begin(), changed.end(), [](const Item* a, const Item* b) { return a->g < b->g; });

  // Ascending versions, but a folder in the list always before what it holds.
  std::set<int64_t> listed, emitted;
  for (const Item* it : changed) listed.insert(it->id);
  Json::Value entries(Json::arrayValue);
  std::function<void(const Item&)> emit = [&](const Item& it) {
    if (!emitted.insert(it.id).second) return;
    if (listed.count(it.parentId)) emit(*index.Find(it.parentId));
    Json::Value entry(Json::objectValue);
    entry["isFile"] = !it.isDir;
    if (it.isDir) entry["dir"] = DirRecord(it, call.user, index.Stats(it.id), index.Path(it.parentId));
    else entry["file"] = FileRecord(it, call.user, nullptr);
    entries.append(entry);
  };
  for (const Item* it : changed) emit(*it);

  Json::Value result = Envelope(id);
  result["dirFiles"] = entries;
  return result;
}

Json::Value FsService::GetDirStructure(const FsCall& call) {
  int64_t id = call.query.Int64("id");
  bool recursive = call.query.Flag("recursive", false);
  CheckOwnerQuery(call);
  Tree tree(m_store, call.user.id);
  Index index(tree.All());
  RequireListable(index, id);
  std::function<Json::Value(int64_t, bool)> build = [&](int64_t dirId, bool withSubdirs) {
    Json::Value node = FolderOf(index, call.user, dirId);
    Json::Value subdirs(Json::arrayValue);
    if (withSubdirs) {
      for (size_t i : index.Children(dirId)) {
        const Item& c = index.At(i);
        if (c.isDir && c.status == kLive) subdirs.append(build(c.id, recursive));
      }
    }
    node["subdirs"] = subdirs;
    return node;
  };
  Json::Value result = Envelope(id);
  result["dir"] = build(id, true);
  return result;
}

Json::Value FsService::GetDirFiles(const FsCall& call) {
  int64_t id = call.query.Int64("id");
  bool recursive = call.query.Flag("recursive", false);
  bool getFiles = call.query.Flag("getFiles", true);
  CheckOwnerQuery(call);
  Tree tree(m_store, call.user.id);
  Index index(tree.All());
  RequireListable(index, id);
  std::function<Json::Value(int64_t, bool)> build = [&](int64_t dirId, bool withContent) {
    Json::Value node = FolderOf(index, call.user, dirId);
    Json::Value files(Json::arrayValue), subdirs(Json::arrayValue);
    if (withContent) {
      for (size_t i : index.Children(dirId)) {
        const Item& c = index.At(i);
        if (c.status != kLive) continue;
        if (c.isDir) subdirs.append(build(c.id, recursive));
        else if (getFiles) files.append(FileRecord(c, call.user, nullptr));
      }
    }
    node["files"] = files;
    node["subdirs"] = subdirs;
    return node;
  };
  Json::Value result = Envelope(id);
  result["dir"] = build(id, true);
  return result;
}

}  // namespace devserver
