#pragma once
#include <json/json.h>

#include <cstdint>
#include <string>

#include "DevServer.h"
#include "Http.h"

namespace devtest {

// The client's side of the protocol, written for the tests from the wire
// description (not shared with the program): URLs "?op=...&a=...", the
// session headers, JSON bodies, and the upload and download flows.
class Client {
 public:
  explicit Client(const dorvtest::DevServer& server, std::string account = "alice@example.com",
                  std::string password = "secret");

  // APP_AUTHEN; on success keeps sid, cid, pz and userId.
  HttpReply SignIn();

  std::string AppUrl(const std::string& op) const;
  // fs URL: op, a (when signed in), then `pairs` ("&id=1&userId=2" form).
  std::string FsUrl(const std::string& op, const std::string& pairs) const;
  std::string DfsUrl(const std::string& op, const std::string& pairs) const;
  std::string U() const { return "&userId=" + std::to_string(userId); }
  Headers FsHeaders() const;

  HttpReply FsGet(const std::string& op, const std::string& pairs) const;
  HttpReply FsPost(const std::string& op, const std::string& pairs, const Json::Value& body) const;

  HttpReply CreateDir(int64_t parentId, const std::string& name, int policy = 2) const;
  // createDir that must succeed; the folder's id.
  int64_t MakeDir(int64_t parentId, const std::string& name) const;
  HttpReply CreateFile(int64_t parentId, const std::string& name, const std::string& bytes, int policy = 1) const;
  HttpReply UpdateFile(int64_t id, const std::string& version, const std::string& bytes) const;
  HttpReply UploadToken(int64_t fileId) const;
  HttpReply UploadBlock(const Json::Value& token, int64_t offset, const std::string& block) const;
  HttpReply Complete(int64_t fileId, int policy = 1) const;
  // Sends the content of an announced file in blocks, following the positions
  // the service answers; false when a block failed.
  bool SendContent(int64_t fileId, const std::string& bytes, size_t blockSize = 2097152) const;
  // The whole upload of a new file; the completed (or known) file record.
  Json::Value Upload(int64_t parentId, const std::string& name, const std::string& bytes) const;
  HttpReply DownloadToken(int64_t fileId, const std::string& version = {}) const;
  HttpReply DownloadRange(const Json::Value& token, int64_t first, int64_t last) const;
  // The whole download in ranges of 409,600 bytes; without a size, one
  // request for the first byte learns it.
  std::string Download(int64_t fileId, int64_t size = -1) const;
  HttpReply SyncDir(int64_t id, const std::string& version) const;
  HttpReply GetDirFiles(int64_t id) const;
  HttpReply Poll() const;
  HttpReply GetUser() const;

  const dorvtest::DevServer& server;
  std::string account;
  std::string password;
  std::string sid, cid, pz;
  int64_t userId = 0;
  bool signedIn = false;
};

// Admin API of the service.
HttpReply Admin(const dorvtest::DevServer& server, const std::string& request, const std::string& body = {});
// The request log entries (op names) since a sequence number.
Json::Value RequestLog(const dorvtest::DevServer& server, int64_t since = 0);

}  // namespace devtest
