#pragma once
#include <json/json.h>

#include <map>
#include <optional>
#include <string>

#include "Accounts.h"
#include "LinkHub.h"
#include "Store.h"
#include "Transfers.h"
#include "Tree.h"

namespace devserver {

class Query;

// One file-system request: the authorised user, the decoded query and the
// JSON body (an empty object for GET requests).
struct FsCall {
  const User& user;
  const Query& query;
  const Json::Value& body;
};

// The file-system service: the folder and file operations, their versions and
// the account's change counter. Every change bumps the counter, stamps the item
// with it ("<n>|<G>") and wakes the account's long polls. Callers hold the
// service lock; each operation is one SQLite transaction.
class FsService {
 public:
  FsService(Store& store, Transfers& transfers, LinkHub& link)
      : m_store(store), m_transfers(transfers), m_link(link) {}

  Json::Value SyncDir(const FsCall& call);
  Json::Value GetDirStructure(const FsCall& call);
  Json::Value GetDirFiles(const FsCall& call);
  Json::Value CreateDir(const FsCall& call);
  Json::Value RenameDir(const FsCall& call);
  Json::Value DelDir(const FsCall& call);
  Json::Value CreateFile(const FsCall& call);
  Json::Value UpdateFileContent(const FsCall& call);
  Json::Value CompleteFile(const FsCall& call);
  Json::Value RenameFile(const FsCall& call);
  Json::Value MoveFile(const FsCall& call);
  Json::Value DelFile(const FsCall& call);
  Json::Value DelFileIncomplete(const FsCall& call);
  Json::Value UploadFileControl(const FsCall& call);
  Json::Value DownloadFileControl(const FsCall& call);
  Json::Value GetUser(const FsCall& call);
  Json::Value GetUserFilesCount(const FsCall& call);

  // Another device of the same account, for tests: the same rules and
  // versions as the client's requests. Each returns the item's record.
  Json::Value DeviceMkdir(const User& user, int64_t parentId, const std::string& name);
  Json::Value DevicePut(const User& user, int64_t parentId, const std::string& name, const std::string& bytes);
  // NameCheck::Raw stores the name exactly as given, unchecked and unplaced:
  // a hostile service, for the client's tests.
  enum class NameCheck { Checked, Raw };
  Json::Value DeviceRename(const User& user, int64_t id, const std::string& name,
                           NameCheck check = NameCheck::Checked);
  Json::Value DeviceMove(const User& user, int64_t id, int64_t parentId);
  Json::Value DeviceDelete(const User& user, int64_t id);
  // Every item of the account, deleted ones included, with its path.
  Json::Value DeviceTree(const User& user);
  // Bumps the account's change counter alone ("link news").
  int64_t DeviceNotify(const User& user);

 private:
  // Stamps a change: next item version and the account's next counter value.
  void Stamp(Tree& tree, Item& item, int vtype);
  // Commits and wakes the account's long polls.
  void CommitAndNotify(Transaction& tx, Tree& tree);
  // The name an item gets in a folder under a name-conflict policy (0 fail with
  // 611, 1 a free name, 2 replace: the caller handles it). `self` is ignored.
  std::string PlaceName(Tree& tree, int64_t parentId, const std::string& name, bool isDir, int policy,
                        int64_t self);
  Item RequireLiveFile(Tree& tree, int64_t id);
  Item RequireLiveDir(Tree& tree, int64_t id);
  // A file that isn't deleted: live, or its first upload under way.
  Item RequireFile(Tree& tree, int64_t id);
  Item RequireLiveItem(Tree& tree, int64_t id);
  Json::Value ItemRecord(Tree& tree, const User& user, const Item& item);
  void CheckFileQuota(Tree& tree, const User& user, int64_t addedSize, bool newFile);
  // Marks an item and (for a folder) its subtree deleted. With a bound, items
  // changed after it (and not listed in `keep`-free extra files) stay, with
  // their folder chain. Returns true when everything went.
  bool DeleteTree(Tree& tree, Item& item, std::optional<int64_t> bound,
                  const std::map<int64_t, std::string>& extraFiles, bool reserveStructure);
  Json::Value DirReply(Tree& tree, const User& user, const Item& dir, int type);
  Json::Value FileReply(const User& user, const Item& file, int type, const PendingUpload* pending);
  // Commits an upload's content into its file (new or changed) and returns the reply.
  Json::Value FinishContent(Tree& tree, const User& user, Item& file, int64_t docId, int64_t size,
                            const std::string& md5, int nameConflictPolicy);

  Store& m_store;
  Transfers& m_transfers;
  LinkHub& m_link;
};

// The number after the first "|" of a version text ("12|345" gives 345), or the
// whole text as a number; nothing when it can't be read.
std::optional<int64_t> VersionNumber(const std::string& text);

}  // namespace devserver
