// File operations of the file-system service: the upload announcement and
// completion, rename, move and delete, and the transfer tokens.
#include "CallArgs.h"
#include "FsService.h"
#include "Ids.h"
#include "JsonIo.h"
#include "Md5.h"
#include "Query.h"
#include "Records.h"
#include "ServiceError.h"

namespace devserver {

namespace {

// Answers of createFile/updateFileContent ("result"."type").
constexpr int kTransferNeeded = 0;
constexpr int kContentKnown = 3;
constexpr int kUnchanged = 5;
// Answers of completeFile.
constexpr int kAlreadyComplete = 1;
constexpr int kCompleted = 6;

Json::Value TokenReply(int64_t id, const TransferToken& token) {
  Json::Value result(Json::objectValue);
  result["id"] = Json::Int64(id);
  result["type"] = 0;
  result["message"] = "";
  result["token"]["docURL"] = token.docURL;
  result["token"]["context"] = token.context;
  return result;
}

}  // namespace

Json::Value FsService::FinishContent(Tree& tree, const User& user, Item& file, int64_t docId, int64_t size,
                                     const std::string& md5, int nameConflictPolicy) {
  bool isNew = file.status == kIncomplete;
  if (isNew) {
    file.name = PlaceName(tree, file.parentId, file.name, false, nameConflictPolicy, file.id);
    file.status = kLive;
  }
  file.docId = docId;
  file.size = size;
  file.md5 = md5;
  Stamp(tree, file, isNew ? kCreated : kChanged);
  file.contentG = file.g;
  tree.Save(file);
  return FileReply(user, file, 0, nullptr);
}

Json::Value FsService::CreateFile(const FsCall& call) {
  const Json::Value& b = call.body;
  int64_t parentId = ReqInt64(b, "file.parentId");
  std::string name = ReqString(b, "file.fileName");
  std::string md5 = ContentMd5(b, "file.doc.md5");
  int64_t size = ContentSize(b, "file.doc.size");
  std::string description = OptString(b, "file.description");
  int type = OptInt32(b, "file.type", 0);
  int policy = OptInt32(b, "nameConflictPolicy", 0);
  bool resume = OptBool(b, "checkIfResume", false);
  OptBool(b, "doUploadControl", false);
  OptBool(b, "checkIfCompleted", false);
  OptInt32(b, "renamePolicy", 0);
  CheckOwner(b, "file.ownerId", call.user);
  CheckName(name, false);

  Transaction tx(m_store);
  Tree tree(m_store, call.user.id);
  if (parentId != kRootId) RequireLiveDir(tree, parentId);
  if (size > call.user.szm) throw ServiceError(Code::FileSizeLimitExceed, "file too large");
  name = PlaceName(tree, parentId, name, false, policy, 0);
  CheckFileQuota(tree, call.user, size, true);

  // An unfinished upload of this name in this folder is the same file again.
  Item file;
  if (auto incomplete = tree.IncompleteByName(parentId, name)) {
    file = *incomplete;
  } else {
    file.parentId = parentId;
    file.name = name;
    file.status = kIncomplete;
    file.createTime = file.updateTime = NowMs();
  }
  file.description = description;
  file.type = type;

  std::optional<int64_t> known = size == 0 ? std::optional<int64_t>(m_transfers.AddDoc({})) : m_transfers.FindDoc(md5, size);
  if (known) {
    if (file.id == 0) tree.Insert(file);
    m_transfers.DropUpload(file.id);
    Json::Value reply = FinishContent(tree, call.user, file, *known, size, size == 0 ? Md5Hex({}) : md5, policy);
    reply["type"] = kContentKnown;
    CommitAndNotify(tx, tree);
    return reply;
  }
  if (file.id == 0) tree.Insert(file);
  else tree.Save(file);
  PendingUpload upload = m_transfers.BeginUpload(call.user.id, file.id, md5, size, 0, resume);
  tx.Commit();
  return FileReply(call.user, file, kTransferNeeded, &upload);
}

Json::Value FsService::UpdateFileContent(const FsCall& call) {
  const Json::Value& b = call.body;
  int64_t id = TargetId(call, "file.id");
  std::string version = OptString(b, "file.versionValue");
  std::string md5 = ContentMd5(b, "file.md5");
  int64_t size = ContentSize(b, "file.size");
  bool resume = OptBool(b, "checkIfResume", false);
  OptInt32(b, "conflictPolicy", 0);
  CheckOwner(b, "file.ownerId", call.user);

  Transaction tx(m_store);
  Tree tree(m_store, call.user.id);
  Item file = RequireFile(tree, id);
  if (size > call.user.szm) throw ServiceError(Code::FileSizeLimitExceed, "file too large");
  if (file.status == kLive) {
    if (!version.empty()) {
      auto n = VersionNumber(version);
      if (!n || *n > file.g) throw ServiceError(Code::FileVerNotFound, "no such version");
      // The content changed since the version the caller edited: its edit
      // would overwrite the other one.
      if (*n < file.contentG) throw ServiceError(Code::FileVerConflict, "file changed since that version");
    }
    if (md5 == file.md5 && size == file.size) {
      m_transfers.DropUpload(file.id);
      tx.Commit();
      return FileReply(call.user, file, kUnchanged, nullptr);
    }
  }
  CheckFileQuota(tree, call.user, size - (file.status == kLive ? file.size : 0), file.status != kLive);

  std::optional<int64_t> known = size == 0 ? std::optional<int64_t>(m_transfers.AddDoc({})) : m_transfers.FindDoc(md5, size);
  if (known) {
    m_transfers.DropUpload(file.id);
    Json::Value reply = FinishContent(tree, call.user, file, *known, size, size == 0 ? Md5Hex({}) : md5, 1);
    reply["type"] = kContentKnown;
    CommitAndNotify(tx, tree);
    return reply;
  }
  PendingUpload upload = m_transfers.BeginUpload(call.user.id, file.id, md5, size, file.contentG, resume);
  tx.Commit();
  return FileReply(call.user, file, kTransferNeeded, &upload);
}

Json::Value FsService::CompleteFile(const FsCall& call) {
  const Json::Value& b = call.body;
  int64_t id = TargetId(call, "file.id");
  int policy = OptInt32(b, "nameConflictPolicy", 0);
  OptInt32(b, "renamePolicy", 0);
  OptInt32(b, "conflictPolicy", 0);
  OptBool(b, "checkIfCompleted", false);
  CheckOwner(b, "file.ownerId", call.user);

  Transaction tx(m_store);
  Tree tree(m_store, call.user.id);
  Item file = RequireFile(tree, id);
  auto upload = m_transfers.FindUpload(id);
  if (!upload) {
    if (file.status == kLive) return FileReply(call.user, file, kAlreadyComplete, nullptr);
    throw ServiceError(Code::FileNotComplete, "no upload");
  }
  if (upload->position < upload->size) throw ServiceError(Code::FileNotComplete, "upload not complete");
  if (file.status == kLive && file.contentG > upload->baseG) {
    m_transfers.DropUpload(id);
    tx.Commit();
    throw ServiceError(Code::FileVerConflict, "file changed during the upload");
  }
  if (file.parentId != kRootId) RequireLiveDir(tree, file.parentId);
  CheckFileQuota(tree, call.user, upload->size - (file.status == kLive ? file.size : 0), file.status != kLive);
  // Settle the name before the content moves, so that a conflict leaves the upload as it was.
  if (file.status == kIncomplete) file.name = PlaceName(tree, file.parentId, file.name, false, policy, file.id);

  auto docId = m_transfers.CommitUpload(*upload);
  if (!docId) {
    tx.Commit();
    throw ServiceError(Code::ChecksumError, "content does not match its MD5");
  }
  Json::Value reply = FinishContent(tree, call.user, file, *docId, upload->size, upload->md5, policy);
  reply["type"] = kCompleted;
  CommitAndNotify(tx, tree);
  return reply;
}

Json::Value FsService::RenameFile(const FsCall& call) {
  const Json::Value& b = call.body;
  int64_t id = TargetId(call, "file.id");
  std::string name = ReqString(b, "file.fileName");
  std::string version = OptString(b, "file.versionValue");
  int policy = OptInt32(b, "nameConflictPolicy", 0);
  OptInt32(b, "conflictPolicy", 0);
  OptInt32(b, "renamePolicy", 0);
  CheckOwner(b, "file.ownerId", call.user);
  CheckName(name, false);

  Transaction tx(m_store);
  Tree tree(m_store, call.user.id);
  Item file = RequireLiveFile(tree, id);
  if (!version.empty()) {
    auto n = VersionNumber(version);
    if (!n || *n > file.g) throw ServiceError(Code::FileVerNotFound, "no such version");
  }
  if (file.name == name) return FileReply(call.user, file, 0, nullptr);
  file.name = PlaceName(tree, file.parentId, name, false, policy, file.id);
  Stamp(tree, file, kChanged);
  tree.Save(file);
  CommitAndNotify(tx, tree);
  return FileReply(call.user, file, 0, nullptr);
}

Json::Value FsService::MoveFile(const FsCall& call) {
  const Json::Value& b = call.body;
  int64_t id = TargetId(call, "file.id");
  int64_t parentId = ReqInt64(b, "file.parentId");
  std::string version = OptString(b, "file.versionValue");
  int policy = OptInt32(b, "nameConflictPolicy", 0);
  OptInt32(b, "renamePolicy", 0);
  CheckOwner(b, "file.ownerId", call.user);
  std::optional<int64_t> overwrittenId;
  std::string overwrittenVersion;
  if (const Json::Value* ow = FindMember(b, "overwritedFile")) {
    if (!ow->isObject()) throw ServiceError(Code::BadRequest, "overwritedFile is not an object");
    overwrittenId = ReqInt64(*ow, "id");
    overwrittenVersion = OptString(*ow, "versionValue");
    CheckOwner(*ow, "ownerId", call.user);
  }

  Transaction tx(m_store);
  Tree tree(m_store, call.user.id);
  Item file = RequireLiveFile(tree, id);
  if (!version.empty()) {
    auto n = VersionNumber(version);
    if (!n || *n > file.g) throw ServiceError(Code::FileVerNotFound, "no such version");
  }
  if (parentId != kRootId) RequireLiveDir(tree, parentId);
  if (parentId == file.parentId) return FileReply(call.user, file, 0, nullptr);
  // The caller replaces the file it knew at the target; a newer one stays.
  if (overwrittenId) {
    auto other = tree.LiveFile(*overwrittenId);
    auto n = VersionNumber(overwrittenVersion);
    if (other && other->parentId == parentId && other->name == file.name && n && *n >= other->g) {
      Item gone = *other;
      DeleteTree(tree, gone, std::nullopt, {}, false);
    }
  }
  file.name = PlaceName(tree, parentId, file.name, false, policy, file.id);
  file.movedFrom = file.parentId;
  file.parentId = parentId;
  Stamp(tree, file, kChanged);
  tree.Save(file);
  CommitAndNotify(tx, tree);
  return FileReply(call.user, file, 0, nullptr);
}

Json::Value FsService::DelFile(const FsCall& call) {
  int64_t id = call.query.Int64("id");
  std::string version = call.query.GetOr("version");
  Transaction tx(m_store);
  Tree tree(m_store, call.user.id);
  Item file = RequireLiveFile(tree, id);
  if (!version.empty()) {
    auto n = VersionNumber(version);
    if (!n) throw ServiceError(Code::BadRequest, "version not readable");
    // Changed elsewhere since the caller saw it: keep it, so the caller's pull brings it back.
    if (*n < file.g) throw ServiceError(Code::FileVerConflict, "file changed since that version");
  }
  DeleteTree(tree, file, std::nullopt, {}, false);
  CommitAndNotify(tx, tree);
  return FileReply(call.user, file, 0, nullptr);
}

Json::Value FsService::DelFileIncomplete(const FsCall& call) {
  int64_t id = call.query.Int64("id");
  Transaction tx(m_store);
  Tree tree(m_store, call.user.id);
  auto file = tree.Get(id);
  if (!file || file->isDir) throw ServiceError(Code::FileNotFound, "file not found");
  m_transfers.DropUpload(id);
  if (file->status == kIncomplete) tree.Erase(id);
  tx.Commit();
  Json::Value result(Json::objectValue);
  result["id"] = Json::Int64(id);
  result["type"] = 0;
  result["message"] = "";
  return result;
}

Json::Value FsService::UploadFileControl(const FsCall& call) {
  int64_t id = TargetId(call, "file.id");
  CheckOwner(call.body, "file.ownerId", call.user);
  Transaction tx(m_store);
  Tree tree(m_store, call.user.id);
  RequireFile(tree, id);
  auto upload = m_transfers.FindUpload(id);
  if (!upload) throw ServiceError(Code::UploadContextIllegal, "no upload under way");
  TransferToken token = m_transfers.NewToken(call.user.id, id, upload->id, 0, upload->size, true);
  tx.Commit();
  return TokenReply(id, token);
}

Json::Value FsService::DownloadFileControl(const FsCall& call) {
  int64_t id = call.query.Int64("id");
  if (auto owner = call.query.OptInt64("ownerId"); owner && *owner != call.user.id)
    throw ServiceError(Code::Forbidden, "not the owner");
  int64_t offset = call.query.OptInt64("offset").value_or(0);
  int64_t length = call.query.OptInt64("length").value_or(0);
  if (offset < 0 || length < 0) throw ServiceError(Code::BadRequest, "bad range");
  std::string version = call.query.GetOr("version");
  Transaction tx(m_store);
  Tree tree(m_store, call.user.id);
  Item file = RequireLiveFile(tree, id);
  if (!version.empty()) {
    // Only the current content is kept: a version from before its last change is gone.
    auto n = VersionNumber(version);
    if (!n || *n < file.contentG || *n > file.g) throw ServiceError(Code::FileVerNotFound, "no such version");
  }
  TransferToken token = m_transfers.NewToken(call.user.id, id, 0, file.docId, file.size, false);
  tx.Commit();
  return TokenReply(id, token);
}

Json::Value FsService::GetUser(const FsCall& call) {
  Tree tree(m_store, call.user.id);
  Json::Value result(Json::objectValue);
  result["id"] = Json::Int64(call.user.id);
  result["type"] = 0;
  result["message"] = "";
  result["user"] = UserRecord(call.user, tree.Usage());
  return result;
}

Json::Value FsService::GetUserFilesCount(const FsCall& call) { return GetUser(call); }

}  // namespace devserver
