#include "Protocol.h"

namespace devtest {

Client::Client(const dorvtest::DevServer& s, std::string a, std::string p)
    : server(s), account(std::move(a)), password(std::move(p)) {}

std::string Client::AppUrl(const std::string& op) const { return server.BaseUrl() + "/app/service/?op=" + op; }

std::string Client::FsUrl(const std::string& op, const std::string& pairs) const {
  return server.BaseUrl() + "/fs/service/?op=" + op + (signedIn ? "&a=" + account : "") + pairs;
}

std::string Client::DfsUrl(const std::string& op, const std::string& pairs) const {
  return server.BaseUrl() + "/dfs/service/?op=" + op + (signedIn ? "&a=" + account : "") + pairs;
}

Headers Client::FsHeaders() const { return {{"Authorization", sid}, {"x-hlvn-meta-product", "dorv"}}; }

HttpReply Client::SignIn() {
  Json::Value body;
  body["account"] = account;
  body["pwd"] = Md5(password);
  body["ip"] = "127.0.0.1";
  body["name"] = "test-pc";
  HttpReply r = HttpPost(AppUrl("APP_AUTHEN"), ToJson(body), {{"User-Agent", "Windows|6.1|00-00-00-00-00-00"}});
  if (r.Code() == 200) {
    Json::Value res = r.Result();
    sid = res["sid"].asString();
    cid = res["cid"].asString();
    pz = res["pz"].asString();
    userId = res["userId"].asInt64();
    account = res["account"].asString();
    signedIn = true;
  }
  return r;
}

HttpReply Client::FsGet(const std::string& op, const std::string& pairs) const {
  return HttpGet(FsUrl(op, pairs), FsHeaders());
}

HttpReply Client::FsPost(const std::string& op, const std::string& pairs, const Json::Value& body) const {
  return HttpPost(FsUrl(op, pairs), ToJson(body), FsHeaders());
}

HttpReply Client::CreateDir(int64_t parentId, const std::string& name, int policy) const {
  Json::Value b;
  b["dir"]["id"] = -1;
  b["dir"]["ownerId"] = Json::Int64(userId);
  b["dir"]["parentId"] = Json::Int64(parentId);
  b["dir"]["dirName"] = name;
  b["dir"]["description"] = "";
  b["dir"]["type"] = 0;
  b["dir"]["sysType"] = 0;
  b["nameConflictPolicy"] = policy;
  b["renamePolicy"] = 0;
  return FsPost("createDir", "&id=-1" + U(), b);
}

int64_t Client::MakeDir(int64_t parentId, const std::string& name) const {
  HttpReply r = CreateDir(parentId, name);
  if (r.Code() != 200) return 0;
  return r.Result()["dir"]["id"].asInt64();
}

HttpReply Client::CreateFile(int64_t parentId, const std::string& name, const std::string& bytes, int policy) const {
  Json::Value b;
  Json::Value& f = b["file"];
  f["ownerId"] = Json::Int64(userId);
  f["parentId"] = Json::Int64(parentId);
  f["fileName"] = name;
  f["description"] = "";
  f["doc"]["type"] = 0;
  f["doc"]["md5"] = Md5(bytes);
  f["doc"]["size"] = static_cast<int>(bytes.size());
  f["type"] = 0;
  f["incomplete"]["ownerId"] = Json::Int64(userId);
  f["incomplete"]["local"]["path"] = "";
  f["incomplete"]["temporary"] = Json::Value();
  b["doUploadControl"] = false;
  b["nameConflictPolicy"] = policy;
  b["renamePolicy"] = 0;
  b["checkIfResume"] = true;
  b["checkIfCompleted"] = true;
  return FsPost("createFile", "&id=-1" + U(), b);
}

HttpReply Client::UpdateFile(int64_t id, const std::string& version, const std::string& bytes) const {
  Json::Value b;
  b["file"]["id"] = Json::Int64(id);
  b["file"]["ownerId"] = Json::Int64(userId);
  b["file"]["owner"] = account;
  b["file"]["versionValue"] = version;
  b["file"]["md5"] = Md5(bytes);
  b["file"]["size"] = static_cast<int>(bytes.size());
  b["incomplete"]["ownerId"] = Json::Int64(userId);
  b["incomplete"]["owner"] = account;
  b["incomplete"]["config"]["options"]["sizeLimit"] = 0;
  b["incomplete"]["local"]["path"] = "/home/user/Sync/file";
  b["incomplete"]["temporary"]["config"]["options"]["duration"] = 0;
  b["incomplete"]["temporary"]["config"]["options"]["renewLimit"] = 0;
  b["conflictPolicy"] = 1;
  b["checkIfResume"] = true;
  return FsPost("updateFileContent", "&id=" + std::to_string(id) + U(), b);
}

HttpReply Client::UploadToken(int64_t fileId) const {
  Json::Value b;
  b["file"]["id"] = Json::Int64(fileId);
  b["file"]["ownerId"] = Json::Int64(userId);
  return FsPost("uploadFileControl", "&id=" + std::to_string(fileId) + U(), b);
}

HttpReply Client::UploadBlock(const Json::Value& token, int64_t offset, const std::string& block) const {
  Json::Value d;
  d["file"]["offset"] = Json::Int64(offset);
  d["file"]["length"] = static_cast<int>(block.size());
  d["file"]["checkSumType"] = 17;
  d["file"]["checkSumValue"] = Md5(block);
  d["dataSize"] = static_cast<int>(block.size());
  return HttpPostMultipart(DfsUrl("uploadFile", U() + "&file=" + token["docURL"].asString()),
                           {{"dataDescriptor", ToJson(d)}}, "dataBlocks", block,
                           {{"Authorization", token["context"].asString()}});
}

HttpReply Client::Complete(int64_t fileId, int policy) const {
  Json::Value b;
  b["file"]["id"] = Json::Int64(fileId);
  b["file"]["ownerId"] = Json::Int64(userId);
  b["nameConflictPolicy"] = policy;
  b["renamePolicy"] = 0;
  b["conflictPolicy"] = 1;
  b["checkIfCompleted"] = true;
  return FsPost("completeFile", "&id=" + std::to_string(fileId) + U(), b);
}

bool Client::SendContent(int64_t fileId, const std::string& bytes, size_t blockSize) const {
  HttpReply t = UploadToken(fileId);
  if (t.Code() != 200) return false;
  Json::Value token = t.Result()["token"];
  size_t position = 0;
  int rounds = 0;
  while (position < bytes.size()) {
    if (++rounds > 10000) return false;
    HttpReply r = UploadBlock(token, static_cast<int64_t>(position), bytes.substr(position, blockSize));
    if (r.Code() != 200) return false;
    position = static_cast<size_t>(r.Result()["doc"]["position"].asInt64());
  }
  return true;
}

Json::Value Client::Upload(int64_t parentId, const std::string& name, const std::string& bytes) const {
  HttpReply c = CreateFile(parentId, name, bytes);
  if (c.Code() != 200) return Json::Value();
  if (c.Result()["type"].asInt() == 3 || c.Result()["type"].asInt() == 5) return c.Result()["file"];
  int64_t id = c.Result()["id"].asInt64();
  if (!SendContent(id, bytes)) return Json::Value();
  HttpReply done = Complete(id);
  if (done.Code() != 200) return Json::Value();
  return done.Result()["file"];
}

HttpReply Client::DownloadToken(int64_t fileId, const std::string& version) const {
  return FsGet("downloadFileControl", "&id=" + std::to_string(fileId) + U() + "&ownerId=" +
                                          std::to_string(userId) + "&offset=0&length=0" +
                                          (version.empty() ? "" : "&version=" + version));
}

HttpReply Client::DownloadRange(const Json::Value& token, int64_t first, int64_t last) const {
  return HttpGet(DfsUrl("downloadFile", U() + "&file=" + token["docURL"].asString()),
                 {{"Authorization", token["context"].asString()},
                  {"Range", "bytes=" + std::to_string(first) + "-" + std::to_string(last)}});
}

std::string Client::Download(int64_t fileId, int64_t size) const {
  HttpReply t = DownloadToken(fileId);
  if (t.Code() != 200) return "<no token>";
  Json::Value token = t.Result()["token"];
  if (size < 0) {
    HttpReply first = DownloadRange(token, 0, 0);
    std::string range = first.headers["content-range"];
    size = range.empty() ? 0 : std::stoll(range.substr(range.find('/') + 1));
  }
  std::string bytes;
  while (static_cast<int64_t>(bytes.size()) < size) {
    int64_t start = static_cast<int64_t>(bytes.size());
    HttpReply r = DownloadRange(token, start, std::min(start + 409600, size - 1));
    if (r.status != 206 || r.body.empty()) return "<range failed>";
    bytes += r.body;
  }
  return bytes;
}

HttpReply Client::SyncDir(int64_t id, const std::string& version) const {
  return FsGet("syncDir", "&id=" + std::to_string(id) + U() + "&version=" + version +
                              "&getAllVersions=0&recursive=1&getFiles=1");
}

HttpReply Client::GetDirFiles(int64_t id) const {
  return FsGet("getDirFiles", "&id=" + std::to_string(id) + U() + "&owner=" + std::to_string(userId) +
                                  "&recursive=1&getFiles=1");
}

HttpReply Client::Poll() const {
  return HttpGet(server.BaseUrl() + "/link/service/?op=LINK_BEATHEART&account=" + account + "&cid=" + cid);
}

HttpReply Client::GetUser() const { return FsGet("getUser", U() + "&id=" + std::to_string(userId)); }

HttpReply Admin(const dorvtest::DevServer& server, const std::string& request, const std::string& body) {
  HttpReply reply;
  reply.body = server.Admin(request, body);
  reply.status = reply.body.empty() ? 0 : 200;
  return reply;
}

Json::Value RequestLog(const dorvtest::DevServer& server, int64_t since) {
  return HttpGet(server.BaseUrl() + "/admin/log?since=" + std::to_string(since)).Result()["entries"];
}

}  // namespace devtest
