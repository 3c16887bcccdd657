#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Store.h"

namespace devserver {

// The folder id of a user's service root; it has no row of its own.
constexpr int64_t kRootId = -1;

enum ItemStatus : int { kLive = 0, kDeleted = 1, kIncomplete = 3 };
enum VersionType : int { kCreated = 0, kChanged = 1, kRemoved = 2 };

// A folder or a file. Deleted items stay as status 1 so that syncDir can
// report them; a file whose first upload hasn't completed is status 3 and
// invisible to listings.
struct Item {
  int64_t id = 0;
  int64_t userId = 0;
  bool isDir = false;
  int64_t parentId = kRootId;
  std::string name;
  int status = kLive;
  int64_t vnum = 0;  // the item's own change count
  int64_t g = 0;     // the account's change counter at the item's last change
  int vtype = kCreated;
  int64_t contentG = 0;  // g of the last content change (files)
  std::string md5;
  int64_t size = 0;
  int64_t docId = 0;
  std::string description;
  int type = 0;
  int sysType = 0;
  int64_t movedFrom = 0;  // the folder of the item's last move (0: never moved)
  int64_t createTime = 0;
  int64_t updateTime = 0;

  // "<vnum>|<g>": the client compares versions by the number after "|".
  std::string Version() const { return std::to_string(vnum) + "|" + std::to_string(g); }
};

struct DirStats {
  int64_t filesSize = 0;
  int64_t filesCount = 0;
  int64_t filesTotalSize = 0;
  int64_t filesTotalCount = 0;
  int64_t dirsCount = 0;
};

struct UsageCounts {
  int64_t spaceUsed = 0;
  int64_t files = 0;
  int64_t dirs = 0;
  int64_t incomplete = 0;
};

// Row access to one user's items. Callers hold the service lock.
class Tree {
 public:
  Tree(Store& store, int64_t userId) : m_store(store), m_userId(userId) {}

  std::optional<Item> Get(int64_t id) const;
  std::optional<Item> LiveDir(int64_t id) const;
  std::optional<Item> LiveFile(int64_t id) const;
  // A live item of that name in the folder (byte-exact comparison).
  std::optional<Item> LiveByName(int64_t parentId, const std::string& name) const;
  // A file of that name whose first upload hasn't completed.
  std::optional<Item> IncompleteByName(int64_t parentId, const std::string& name) const;
  std::vector<Item> Children(int64_t parentId, bool liveOnly) const;
  std::vector<Item> All() const;

  void Insert(Item& item);
  void Save(const Item& item);
  void Erase(int64_t id);
  // Bumps the account's change counter and returns its new value.
  int64_t NextG();
  int64_t CurrentG() const;

  // Depth of a folder: 1 for a folder in the service root; 0 for the root.
  int Depth(int64_t dirId) const;
  // Ancestor ids of an item's parent chain as "/<id>/<id>/" ("/" in the root).
  std::string AncestorPath(int64_t parentId) const;
  bool IsWithin(int64_t id, int64_t ancestorId) const;
  // The name itself when free, else "name (n).ext" (files) or "name (n)".
  std::string FreeName(int64_t parentId, const std::string& name, bool isDir) const;
  UsageCounts Usage() const;
  DirStats Stats(int64_t dirId) const;

  int64_t userId() const { return m_userId; }
  Store& store() const { return m_store; }

 private:
  Store& m_store;
  int64_t m_userId;
};

// Throws the service's error for a name that can't be stored: empty, "." or
// "..", a separator or control character, invalid UTF-8 (700 for folders, 400
// for files), longer than 255 bytes (612).
void CheckName(const std::string& name, bool isDir);

}  // namespace devserver
