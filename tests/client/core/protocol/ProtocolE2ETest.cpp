// Every request against the local cloud service over real HTTP, with the
// request as the service received it read back from its request log.
#include <gtest/gtest.h>

#include <functional>

#include "DevServer.h"
#include "ProtocolFixture.h"
#include "RequestView.h"
#include "client/core/protocol/AppRequests.h"
#include "client/core/protocol/DirReplies.h"
#include "client/core/protocol/DirRequests.h"
#include "client/core/protocol/FileReplies.h"
#include "client/core/protocol/FileRequests.h"
#include "client/core/protocol/HttpTransportHolder.h"
#include "client/core/protocol/JsonText.h"
#include "client/core/protocol/QueryString.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"
#include "net/ProxySocket.h"

using namespace protocoltest;

namespace {

const char* const kAccount = "alice@example.com";
const char* const kPassword = "secret";
const char* const kEmptyMd5 = "d41d8cd98f00b204e9800998ecf8427e";

// One request as the service logged it.
struct Logged {
  std::string method;
  std::string op;
  std::vector<std::pair<std::string, std::string>> query;  // decoded, in order
  int status = 0;
  int code = 0;

  std::string Value(const std::string& key) const {
    for (const auto& pair : query)
      if (pair.first == key) return pair.second;
    return "<absent>";
  }
  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (const auto& pair : query) keys.push_back(pair.first);
    return keys;
  }
};

class ProtocolE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    UseServerList(m_server.ServerListXml());
    SetAccount("", SignedIn::No, "", 0);
  }
  void TearDown() override {
    ServerList::DeleteInstance();
    // Idle keep-alive connections would hold the service's shutdown.
    Net::ProxySocket::CloseAllConnect();
  }

  // Builds with fill, exchanges, and hands the response to parse; the result
  // is whether the exchange counted (an answer with status 200).
  bool Run(const std::function<void(Net::HttpRequest*)>& fill, const std::function<void(Net::HttpResponse*)>& parse,
           int* httpStatus = nullptr) {
    Net::HttpRequest request;
    fill(&request);
    Net::HttpResponse response;
    HttpTransportHolder holder(false);
    const bool counted = holder.Exchange(request, response);
    if (httpStatus) *httpStatus = response.GetStatusCode();
    parse(&response);
    return counted;
  }

  Json::Value Admin(const std::string& request) {
    Net::HttpRequest http(Net::HTTP_GET, m_server.BaseUrl() + "/admin/" + request);
    Net::HttpResponse response;
    HttpTransportHolder holder(false);
    EXPECT_TRUE(holder.Exchange(Net::ProxyCfg(), http, response)) << request;
    Json::Value value;
    EXPECT_TRUE(JsonParse(response.GetBody(), value)) << response.GetBody();
    return value["result"];
  }

  // The service's log entry of the last request of op.
  Logged Last(const std::string& op) {
    const Json::Value entries = Admin("log")["entries"];
    Logged logged;
    for (const Json::Value& entry : entries) {
      if (entry["op"].asString() != op) continue;
      logged = Logged{entry["method"].asString(), op, {}, entry["status"].asInt(), entry["code"].asInt()};
      const std::string query = entry["query"].asString();
      size_t at = 0;
      while (at < query.size()) {
        size_t end = query.find('&', at);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(at, end - at);
        const size_t eq = pair.find('=');
        logged.query.emplace_back(pair.substr(0, eq), PercentDecode(pair.substr(eq + 1)));
        at = end + 1;
      }
    }
    EXPECT_FALSE(logged.op.empty()) << "no " << op << " in the service's log";
    return logged;
  }

  // Signs in and makes the account data what the sign-in leaves behind.
  AuthenReply SignIn() {
    AuthenReply reply;
    EXPECT_TRUE(Run(
        [](auto* r) {
          AuthenRequest::FillHttpRequest({kAccount, kPassword, "127.0.0.1"}, r, AuthenRequest::Password::Plain);
        },
        [&](auto* r) { AuthenReply::ParseResponse(r, reply); }));
    EXPECT_TRUE(reply.ok) << reply.code;
    m_header = RequestHeader(reply.product, reply.userId, reply.sid);
    SetAccount(reply.account.empty() ? kAccount : reply.account, SignedIn::Yes, reply.sid, reply.userId);
    return reply;
  }

  DirReply CreateDir(int64_t parentId, const std::string& name, int policy) {
    DirReply reply;
    Run(
        [&](auto* r) {
          CreateDirRequest::FillHttpRequest(
              CreateDirRequest(m_header, -1, m_header.userId, parentId, name, "", 0, policy), r);
        },
        [&](auto* r) {
          if (!DirReply::ParseBody(r->GetBody(), reply)) reply.code = 1000;
        });
    return reply;
  }

  FileReply CreateFile(int64_t parentId, const std::string& name, const std::string& md5, int size) {
    FileReply reply;
    Run(
        [&](auto* r) {
          CreateFileRequest::FillHttpRequest(CreateFileRequest(m_header, -1, m_header.userId, 0, md5, size, parentId,
                                                               name, "", "", false, 1, 0, true, true),
                                             r);
        },
        [&](auto* r) { FileReply::ParseResponse(r, reply); });
    return reply;
  }

  dorvtest::DevServer m_server;
  RequestHeader m_header;
};

}  // namespace

TEST_F(ProtocolE2E, SignInRenewalsAndSignOut) {
  AuthenReply wrong;
  Run(
      [](auto* r) {
        AuthenRequest::FillHttpRequest({kAccount, "not it", ""}, r, AuthenRequest::Password::Plain);
      },
      [&](auto* r) { AuthenReply::ParseResponse(r, wrong); });
  EXPECT_FALSE(wrong.ok);
  EXPECT_NE(wrong.code, -1);
  EXPECT_NE(wrong.code, 200);
  EXPECT_NE(wrong.code, 1000);

  const AuthenReply signedIn = SignIn();
  EXPECT_FALSE(signedIn.sid.empty());
  EXPECT_FALSE(signedIn.cid.empty());
  EXPECT_FALSE(signedIn.pz.empty());
  EXPECT_GT(signedIn.userId, 0);
  const Logged authen = Last("APP_AUTHEN");
  EXPECT_EQ(authen.method, "POST");
  EXPECT_EQ(authen.Keys(), (std::vector<std::string>{"op"}));

  GetSidReply sid;
  Run(
      [&](auto* r) {
        GetSidRequest::FillHttpRequest({signedIn.pz, signedIn.cid, signedIn.product}, r);
      },
      [&](auto* r) { GetSidReply::ParseResponse(r, sid); });
  EXPECT_TRUE(sid.ok) << sid.code;
  EXPECT_FALSE(sid.sid.empty());

  GetCidReply cid;
  Run(
      [&](auto* r) {
        GetCidRequest::FillHttpRequest({signedIn.pz, signedIn.product, "127.0.0.1"}, r);
      },
      [&](auto* r) { GetCidReply::ParseResponse(r, cid); });
  EXPECT_TRUE(cid.ok) << cid.code;
  EXPECT_FALSE(cid.cid.empty());

  // A renewal the service refuses is a failure, never an empty id.
  GetSidReply refused;
  Run(
      [&](auto* r) {
        GetSidRequest::FillHttpRequest({"no such token", cid.cid, signedIn.product}, r);
      },
      [&](auto* r) { GetSidReply::ParseResponse(r, refused); });
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.code, 200);
  EXPECT_NE(refused.code, -1);

  LogoutReply out;
  Run(
      [&](auto* r) {
        LogoutRequest::FillHttpRequest({kAccount, cid.cid}, r);
      },
      [&](auto* r) { LogoutReply::ParseResponse(r, out); });
  EXPECT_TRUE(out.ok) << out.code;
}

TEST_F(ProtocolE2E, FolderRequests) {
  SignIn();
  DirTreeReply root;
  Run(
      [&](auto* r) {
        GetDirStructureRequest::FillHttpRequest({m_header, -1, m_header.userId, false, true, true}, r);
      },
      [&](auto* r) { ASSERT_TRUE(DirTreeReply::ParseBody(r->GetBody(), root)); });
  EXPECT_EQ(root.code, 200);
  const Logged structure = Last("getDirStructure");
  EXPECT_EQ(structure.Keys(),
            (std::vector<std::string>{"op", "a", "id", "userId", "owner", "recursive", "returnInfo", "countFiles"}));
  EXPECT_EQ(structure.Value("a"), kAccount);
  EXPECT_EQ(structure.Value("id"), "-1");

  const std::string name = "Dorv sync & more #1";
  const DirReply created = CreateDir(-1, name, 2);
  ASSERT_EQ(created.code, 200);
  EXPECT_EQ(created.dir.dirName, name);
  EXPECT_GT(created.dir.id, 0);
  EXPECT_FALSE(created.dir.versionValue.empty());
  EXPECT_EQ(Last("createDir").method, "POST");

  EXPECT_EQ(CreateDir(-1, name, 0).code, 611) << "a name conflict keeps the service's code";

  DirReply renamed;
  Run(
      [&](auto* r) {
        RenameDirRequest::FillHttpRequest(RenameDirRequest(m_header, created.dir.id, m_header.userId, "Renamed", 1, 0),
                                          r);
      },
      [&](auto* r) { ASSERT_TRUE(DirReply::ParseBody(r->GetBody(), renamed)); });
  EXPECT_EQ(renamed.code, 200);
  EXPECT_EQ(renamed.dir.dirName, "Renamed");

  const DirReply child = CreateDir(created.dir.id, "child", 2);
  ASSERT_EQ(child.code, 200);
  const FileReply file = CreateFile(child.dir.id, "empty.txt", kEmptyMd5, 0);
  ASSERT_EQ(file.code, 200);

  SyncDirReply changed;
  Run(
      [&](auto* r) {
        SyncDirRequest::FillHttpRequest(SyncDirRequest(m_header, created.dir.id, "0|0", false, true, true), r);
      },
      [&](auto* r) { ASSERT_TRUE(SyncDirReply::ParseBody(r->GetBody(), changed)); });
  EXPECT_EQ(changed.code, 200);
  bool sawChild = false, sawFile = false;
  for (const auto& entry : changed.dirFiles) {
    if (entry->isDir && entry->dir->dirName == "child") sawChild = true;
    if (!entry->isDir && entry->file->fileName == "empty.txt") sawFile = entry->file->doc.md5 == kEmptyMd5;
  }
  EXPECT_TRUE(sawChild);
  EXPECT_TRUE(sawFile);
  const Logged sync = Last("syncDir");
  EXPECT_EQ(sync.method, "GET");
  EXPECT_EQ(sync.Keys(), (std::vector<std::string>{"op", "a", "id", "userId", "version", "getAllVersions", "recursive",
                                                   "getFiles"}));
  EXPECT_EQ(sync.Value("version"), "0|0");
  EXPECT_EQ(sync.Value("getAllVersions"), "0");
  EXPECT_EQ(sync.Value("recursive"), "1");

  DirFilesReply content;
  Run(
      [&](auto* r) {
        GetDirFilesRequest::FillHttpRequest({m_header, created.dir.id, m_header.userId, true, true}, r);
      },
      [&](auto* r) { EXPECT_TRUE(DirFilesReply::ParseBody(r->GetBody(), content)); });
  EXPECT_EQ(content.code, 200);
  ASSERT_EQ(content.dir.subdirs.size(), 1u);
  ASSERT_EQ(content.dir.subdirs[0]->files.size(), 1u);
  EXPECT_EQ(content.dir.subdirs[0]->files[0]->fileName, "empty.txt");

  // The version of the newest change: everything below is known to the caller.
  DelDirRequest del(m_header, created.dir.id, file.file.versionValue, true, false);
  DirReply deleted;
  Run([&](auto* r) { DelDirRequest::FillHttpRequest(del, r); },
      [&](auto* r) { ASSERT_TRUE(DirReply::ParseBody(r->GetBody(), deleted)); });
  EXPECT_EQ(deleted.code, 200);
  EXPECT_EQ(Last("delDir").Keys(), (std::vector<std::string>{"op", "a", "id", "userId"}));

  DirFilesReply gone;
  Run(
      [&](auto* r) {
        GetDirFilesRequest::FillHttpRequest({m_header, created.dir.id, m_header.userId, true, true}, r);
      },
      [&](auto* r) { DirFilesReply::ParseBody(r->GetBody(), gone); });
  EXPECT_EQ(gone.code, 704) << "the deleted folder";
}

TEST_F(ProtocolE2E, FileRequests) {
  SignIn();
  const DirReply folder = CreateDir(-1, "files", 2);
  const DirReply other = CreateDir(-1, "other", 2);
  ASSERT_EQ(folder.code, 200);
  ASSERT_EQ(other.code, 200);

  const FileReply empty = CreateFile(folder.dir.id, "empty.txt", kEmptyMd5, 0);
  ASSERT_EQ(empty.code, 200);
  EXPECT_EQ(empty.type, 3) << "nothing to transfer for an empty file";
  EXPECT_GT(empty.file.id, 0);
  const Logged create = Last("createFile");
  EXPECT_EQ(create.Keys(), (std::vector<std::string>{"op", "a", "id", "userId"}));
  EXPECT_EQ(create.Value("id"), "-1");

  const FileReply pending = CreateFile(folder.dir.id, "data.bin", "0cc175b9c0f1b6a831c399e269772661", 1);
  ASSERT_EQ(pending.code, 200);
  EXPECT_EQ(pending.type, 0) << "unknown content must be sent";

  TransportTokenReply upload;
  Run(
      [&](auto* r) {
        UploadFileControlRequest::FillHttpRequest({m_header, pending.file.id, pending.file.id, m_header.userId}, r);
      },
      [&](auto* r) { TransportTokenReply::ParseResponse(r, upload); });
  EXPECT_EQ(upload.code, 200);
  EXPECT_FALSE(upload.token.docURL.empty());
  EXPECT_FALSE(upload.token.context.empty());

  int status = 0;
  Run(
      [&](auto* r) {
        DelFileIncompleteRequest::FillHttpRequest({m_header, pending.file.id, m_header.userId}, r);
      },
      [](auto*) {}, &status);
  EXPECT_EQ(status, 200);
  EXPECT_EQ(Last("delFileIncomplete").method, "GET");

  FileReply update;
  Run(
      [&](auto* r) {
        UpdateFileContentRequest::FillHttpRequest(
            UpdateFileContentRequest(m_header, empty.file.id, m_header.userId, kAccount, empty.file.versionValue,
                                     kEmptyMd5, 0, 0, "/home/alice/Dorv/files/empty.txt", 0, 0, true, 1),
            r);
      },
      [&](auto* r) { FileReply::ParseResponse(r, update); });
  EXPECT_EQ(update.code, 200);
  EXPECT_EQ(update.type, 5) << "the same content again";

  TransportTokenReply download;
  Run(
      [&](auto* r) {
        DownloadFileControlRequest::FillHttpRequest(
            DownloadFileControlRequest(m_header, empty.file.id, m_header.userId, 0, empty.file.versionValue, ""), r);
      },
      [&](auto* r) { TransportTokenReply::ParseResponse(r, download); });
  EXPECT_EQ(download.code, 200);
  EXPECT_FALSE(download.token.docURL.empty());
  const Logged control = Last("downloadFileControl");
  EXPECT_EQ(control.Keys(),
            (std::vector<std::string>{"op", "a", "id", "userId", "ownerId", "offset", "length", "version"}));
  EXPECT_EQ(control.Value("version"), empty.file.versionValue);

  FileReply renamed;
  Run(
      [&](auto* r) {
        RenameFileRequest::FillHttpRequest(RenameFileRequest(m_header, empty.file.id, m_header.userId,
                                                             empty.file.versionValue, "new name+.txt", 1, 1, 0),
                                           r);
      },
      [&](auto* r) { FileReply::ParseResponse(r, renamed); });
  ASSERT_EQ(renamed.code, 200);
  EXPECT_EQ(renamed.file.fileName, "new name+.txt");

  FileReply moved;
  Run(
      [&](auto* r) {
        MoveFileRequest::FillHttpRequest(
            MoveFileRequest(m_header,
                            MoveFileInfo(renamed.file.versionValue, empty.file.id, m_header.userId, other.dir.id),
                            nullptr),
            r);
      },
      [&](auto* r) { FileReply::ParseResponse(r, moved); });
  ASSERT_EQ(moved.code, 200);
  EXPECT_EQ(moved.file.parentId, other.dir.id);
  EXPECT_EQ(Last("moveFile").Keys(), (std::vector<std::string>{"op", "a", "userId", "id"}));

  FileReply deleted;
  Run(
      [&](auto* r) {
        DelFileRequest::FillHttpRequest(DelFileRequest(m_header, empty.file.id, moved.file.versionValue), r);
      },
      [&](auto* r) { FileReply::ParseResponse(r, deleted); });
  EXPECT_EQ(deleted.code, 200);
  const Logged del = Last("delFile");
  EXPECT_EQ(del.Keys(), (std::vector<std::string>{"op", "a", "userId", "id", "version"}));
  EXPECT_EQ(del.Value("version"), moved.file.versionValue);

  FileReply gone;
  Run([&](auto* r) { DelFileRequest::FillHttpRequest(DelFileRequest(m_header, empty.file.id, ""), r); },
      [&](auto* r) { FileReply::ParseResponse(r, gone); });
  EXPECT_EQ(gone.code, 555);
}

TEST_F(ProtocolE2E, UserRequests) {
  // The first getUser of a sign-in goes out before the logged-in flag is set.
  AuthenReply signedIn = SignIn();
  SetAccount(kAccount, SignedIn::No, signedIn.sid, signedIn.userId);
  UserReply user;
  Run([&](auto* r) { GetUserRequest::FillHttpRequest({m_header}, r); },
      [&](auto* r) { UserReply::ParseResponse(r, user); });
  ASSERT_EQ(user.code, 200);
  EXPECT_EQ(user.user.id, m_header.userId);
  EXPECT_GT(user.user.szm, 0);
  EXPECT_GT(user.user.capacity, 0);
  EXPECT_EQ(Last("getUser").Keys(), (std::vector<std::string>{"op", "userId", "id"}));

  SetAccount(kAccount, SignedIn::Yes, signedIn.sid, signedIn.userId);
  UserFilesCountReply count;
  Run([&](auto* r) { GetUserFilesCountRequest::FillHttpRequest({m_header}, r); },
      [&](auto* r) { UserFilesCountReply::ParseResponse(r, count); });
  EXPECT_EQ(count.code, 200);
  EXPECT_EQ(count.capacity, user.user.capacity);
  EXPECT_EQ(Last("getUserFilesCount").Keys(), (std::vector<std::string>{"op", "a", "userId", "id"}));
}

TEST_F(ProtocolE2E, ServiceErrorsAndFailedExchanges) {
  SignIn();
  // An error code the service chose reaches the record.
  Admin("fault?op=createDir&code=503");
  EXPECT_EQ(CreateDir(-1, "x", 2).code, 503);

  // An HTTP status other than 200 is not read: the record stays at -1.
  Admin("fault?op=getUser&http=500");
  UserReply user;
  int status = 0;
  EXPECT_FALSE(Run([&](auto* r) { GetUserRequest::FillHttpRequest({m_header}, r); },
                   [&](auto* r) { UserReply::ParseResponse(r, user); }, &status));
  EXPECT_EQ(status, 500);
  EXPECT_EQ(user.code, -1);

  // A token for a file the service does not know.
  TransportTokenReply token;
  Run([&](auto* r) {
        DownloadFileControlRequest::FillHttpRequest(DownloadFileControlRequest(m_header, 987654, m_header.userId, 1, "", ""),
                                                    r);
      },
      [&](auto* r) { TransportTokenReply::ParseResponse(r, token); });
  EXPECT_EQ(token.code, 555);

  // A file above the account's size limit.
  Admin(std::string("quota?account=") + PercentEncode(kAccount) + "&szm=10");
  EXPECT_EQ(CreateFile(-1, "big.bin", "0cc175b9c0f1b6a831c399e269772661", 11).code, 600);

  // A session the service no longer knows.
  Admin(std::string("expire-sessions?account=") + PercentEncode(kAccount));
  UserReply expired;
  Run([&](auto* r) { GetUserRequest::FillHttpRequest({m_header}, r); },
      [&](auto* r) { UserReply::ParseResponse(r, expired); });
  EXPECT_EQ(expired.code, 401);
}

TEST_F(ProtocolE2E, RawSeparatorsInValuesReachTheServiceUnchanged) {
  SignIn();
  const std::string version = "1|2 \t&x=y#z+";
  FileReply reply;
  Run([&](auto* r) { DelFileRequest::FillHttpRequest(DelFileRequest(m_header, 123456, version), r); },
      [&](auto* r) { FileReply::ParseResponse(r, reply); });
  EXPECT_NE(reply.code, -1) << "the request went out and was answered";
  const Logged del = Last("delFile");
  EXPECT_EQ(del.Keys(), (std::vector<std::string>{"op", "a", "userId", "id", "version"}));
  EXPECT_EQ(del.Value("version"), version);
}

TEST_F(ProtocolE2E, NoServiceLeavesMinusOne) {
  m_server.Stop();
  UserReply user;
  EXPECT_FALSE(Run([&](auto* r) { GetUserRequest::FillHttpRequest({m_header}, r); },
                   [&](auto* r) { UserReply::ParseResponse(r, user); }));
  EXPECT_EQ(user.code, -1);
}
