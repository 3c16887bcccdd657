#include "Tree.h"

#include <functional>

#include "ServiceError.h"

namespace devserver {

namespace {

const char* const kColumns =
    "id, userId, isDir, parentId, name, status, vnum, g, vtype, contentG, md5, size, docId, description, type, "
    "sysType, createTime, updateTime, movedFrom";

Item ReadItem(const Stmt& s) {
  Item it;
  it.id = s.Int(0);
  it.userId = s.Int(1);
  it.isDir = s.Int(2) != 0;
  it.parentId = s.Int(3);
  it.name = s.Text(4);
  it.status = static_cast<int>(s.Int(5));
  it.vnum = s.Int(6);
  it.g = s.Int(7);
  it.vtype = static_cast<int>(s.Int(8));
  it.contentG = s.Int(9);
  it.md5 = s.Text(10);
  it.size = s.Int(11);
  it.docId = s.Int(12);
  it.description = s.Text(13);
  it.type = static_cast<int>(s.Int(14));
  it.sysType = static_cast<int>(s.Int(15));
  it.createTime = s.Int(16);
  it.updateTime = s.Int(17);
  it.movedFrom = s.Int(18);
  return it;
}

std::string Select(const char* where) { return std::string("SELECT ") + kColumns + " FROM items WHERE " + where; }

bool ValidUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t extra;
    if (c < 0x80) extra = 0;
    else if (c >= 0xC2 && c <= 0xDF) extra = 1;
    else if (c >= 0xE0 && c <= 0xEF) extra = 2;
    else if (c >= 0xF0 && c <= 0xF4) extra = 3;
    else return false;
    if (s.size() - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

}  // namespace

void CheckName(const std::string& name, bool isDir) {
  int illegal = isDir ? Code::DirPathIllegal : Code::BadRequest;
  if (name.empty() || name == "." || name == "..") throw ServiceError(illegal, "illegal name");
  for (char c : name)
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) throw ServiceError(illegal, "illegal name");
  if (!ValidUtf8(name)) throw ServiceError(illegal, "name is not UTF-8");
  if (name.size() > 255) throw ServiceError(Code::FileNameTooLong, "name too long");
}

std::optional<Item> Tree::Get(int64_t id) const {
  static const std::string sql = Select("userId=? AND id=?");
  Stmt s(m_store, sql);
  s.Bind(1, m_userId).Bind(2, id);
  if (!s.Step()) return std::nullopt;
  return ReadItem(s);
}

std::optional<Item> Tree::LiveDir(int64_t id) const {
  auto it = Get(id);
  if (!it || !it->isDir || it->status != kLive) return std::nullopt;
  return it;
}

std::optional<Item> Tree::LiveFile(int64_t id) const {
  auto it = Get(id);
  if (!it || it->isDir || it->status != kLive) return std::nullopt;
  return it;
}

std::optional<Item> Tree::LiveByName(int64_t parentId, const std::string& name) const {
  // The lowest id of that name, as a scan of the folder in id order would find.
  Stmt s(m_store, Select("userId=?1 AND id=(SELECT id FROM item_names WHERE userId=?1 AND parentId=?2 AND status=0 "
                         "AND name=?3 ORDER BY id LIMIT 1)"));
  s.Bind(1, m_userId).Bind(2, parentId).Bind(3, name);
  if (!s.Step()) return std::nullopt;
  return ReadItem(s);
}

std::optional<Item> Tree::IncompleteByName(int64_t parentId, const std::string& name) const {
  Stmt s(m_store, Select("userId=? AND parentId=? AND status=3 AND isDir=0 AND name=? COLLATE BINARY"));
  s.Bind(1, m_userId).Bind(2, parentId).Bind(3, name);
  if (!s.Step()) return std::nullopt;
  return ReadItem(s);
}

std::vector<Item> Tree::Children(int64_t parentId, bool liveOnly) const {
  Stmt s(m_store, Select(liveOnly ? "userId=? AND parentId=? AND status=0 ORDER BY id"
                                  : "userId=? AND parentId=? AND status IN (0,1) ORDER BY id"));
  s.Bind(1, m_userId).Bind(2, parentId);
  std::vector<Item> out;
  while (s.Step()) out.push_back(ReadItem(s));
  return out;
}

std::vector<Item> Tree::All() const {
  Stmt s(m_store, Select("userId=? ORDER BY id"));
  s.Bind(1, m_userId);
  std::vector<Item> out;
  while (s.Step()) out.push_back(ReadItem(s));
  return out;
}

void Tree::Insert(Item& item) {
  item.userId = m_userId;
  Stmt s(m_store,
         "INSERT INTO items(userId, isDir, parentId, name, status, vnum, g, vtype, contentG, md5, size, docId, "
         "description, type, sysType, createTime, updateTime) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
  s.Bind(1, m_userId).Bind(2, item.isDir ? 1 : 0).Bind(3, item.parentId).Bind(4, item.name).Bind(5, item.status);
  s.Bind(6, item.vnum).Bind(7, item.g).Bind(8, item.vtype).Bind(9, item.contentG).Bind(10, item.md5);
  s.Bind(11, item.size).Bind(12, item.docId).Bind(13, item.description).Bind(14, item.type).Bind(15, item.sysType);
  s.Bind(16, item.createTime).Bind(17, item.updateTime);
  s.Run();
  item.id = m_store.LastInsertId();
}

void Tree::Save(const Item& item) {
  Stmt s(m_store,
         "UPDATE items SET parentId=?, name=?, status=?, vnum=?, g=?, vtype=?, contentG=?, md5=?, size=?, docId=?, "
         "description=?, type=?, sysType=?, updateTime=?, movedFrom=? WHERE id=? AND userId=?");
  s.Bind(1, item.parentId).Bind(2, item.name).Bind(3, item.status).Bind(4, item.vnum).Bind(5, item.g);
  s.Bind(6, item.vtype).Bind(7, item.contentG).Bind(8, item.md5).Bind(9, item.size).Bind(10, item.docId);
  s.Bind(11, item.description).Bind(12, item.type).Bind(13, item.sysType).Bind(14, item.updateTime);
  s.Bind(15, item.movedFrom).Bind(16, item.id).Bind(17, m_userId);
  s.Run();
}

void Tree::Erase(int64_t id) {
  Stmt s(m_store, "DELETE FROM items WHERE id=? AND userId=?");
  s.Bind(1, id).Bind(2, m_userId).Run();
}

int64_t Tree::NextG() {
  Stmt up(m_store, "UPDATE users SET g=g+1 WHERE id=?");
  up.Bind(1, m_userId).Run();
  return CurrentG();
}

int64_t Tree::CurrentG() const {
  Stmt s(m_store, "SELECT g FROM users WHERE id=?");
  s.Bind(1, m_userId);
  return s.Step() ? s.Int(0) : 0;
}

int Tree::Depth(int64_t dirId) const {
  int depth = 0;
  int64_t cur = dirId;
  while (cur != kRootId && depth < 10000) {
    auto it = Get(cur);
    if (!it) break;
    ++depth;
    cur = it->parentId;
  }
  return depth;
}

std::string Tree::AncestorPath(int64_t parentId) const {
  std::vector<int64_t> chain;
  int64_t cur = parentId;
  while (cur != kRootId && chain.size() < 10000) {
    chain.push_back(cur);
    auto it = Get(cur);
    if (!it) break;
    cur = it->parentId;
  }
  std::string path = "/";
  for (auto i = chain.rbegin(); i != chain.rend(); ++i) path += std::to_string(*i) + "/";
  return path;
}

bool Tree::IsWithin(int64_t id, int64_t ancestorId) const {
  int64_t cur = id;
  for (int guard = 0; guard < 10000; ++guard) {
    if (cur == ancestorId) return true;
    if (cur == kRootId) return false;
    auto it = Get(cur);
    if (!it) return false;
    cur = it->parentId;
  }
  return false;
}

std::string Tree::FreeName(int64_t parentId, const std::string& name, bool isDir) const {
  if (!LiveByName(parentId, name)) return name;
  std::string stem = name, ext;
  size_t dot = name.rfind('.');
  if (!isDir && dot != std::string::npos && dot > 0) {
    stem = name.substr(0, dot);
    ext = name.substr(dot);
  }
  for (int n = 1;; ++n) {
    std::string candidate = stem + " (" + std::to_string(n) + ")" + ext;
    if (!LiveByName(parentId, candidate)) return candidate;
  }
}

UsageCounts Tree::Usage() const {
  UsageCounts u;
  Stmt s(m_store, "SELECT spaceUsed, files, dirs, incomplete FROM usage_counts WHERE userId=?");
  s.Bind(1, m_userId);
  if (s.Step()) {
    u.spaceUsed = s.Int(0);
    u.files = s.Int(1);
    u.dirs = s.Int(2);
    u.incomplete = s.Int(3);
  }
  return u;
}

DirStats Tree::Stats(int64_t dirId) const {
  DirStats st;
  std::function<void(int64_t, bool)> walk = [&](int64_t id, bool direct) {
    for (const Item& child : Children(id, true)) {
      if (child.isDir) {
        if (direct) ++st.dirsCount;
        walk(child.id, false);
      } else {
        if (direct) {
          st.filesSize += child.size;
          ++st.filesCount;
        }
        st.filesTotalSize += child.size;
        ++st.filesTotalCount;
      }
    }
  };
  walk(dirId, true);
  return st;
}

}  // namespace devserver
