#include <gtest/gtest.h>

#include <functional>

#include "ProtocolFixture.h"
#include "RequestView.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/protocol/DirRequests.h"
#include "client/core/protocol/FileRequests.h"
#include "client/core/protocol/RequestFrame.h"
#include "client/core/protocol/WireSize.h"
#include "net/HttpRequest.h"

using namespace protocoltest;
using Keys = std::vector<std::string>;

namespace {

const RequestHeader kHeader("Dorv Pro", 42, "sid-1");

class RequestBuilders : public ::testing::Test {
 protected:
  void SetUp() override {
    UseServerList(ServerListXml("http://svc.test:81"));
    SetAccount("ann+x@example.com", SignedIn::Yes);
  }
  void TearDown() override { ServerList::DeleteInstance(); }
};

}  // namespace

TEST_F(RequestBuilders, EveryFileSystemRequestHasItsMethodPairsAndHeaders) {
  const OverwrittenFile overwritten{9, "1|3", 42};
  struct Row {
    const char* op;
    std::function<void(Net::HttpRequest*)> fill;
    Net::HTTPMETHOD method;
    Keys keys;
  } rows[] = {
      {"syncDir",
       [](auto* r) { SyncDirRequest::FillHttpRequest(SyncDirRequest(kHeader, 7, "", false, true, true), r); },
       Net::HTTP_GET,
       {"op", "a", "id", "userId", "getAllVersions", "recursive", "getFiles"}},
      {"getDirStructure",
       [](auto* r) {
         GetDirStructureRequest::FillHttpRequest({kHeader, -1, 42, false, true, true}, r);
       },
       Net::HTTP_GET,
       {"op", "a", "id", "userId", "owner", "recursive", "returnInfo", "countFiles"}},
      {"getDirFiles",
       [](auto* r) {
         GetDirFilesRequest::FillHttpRequest({kHeader, 7, 42, true, true}, r);
       },
       Net::HTTP_GET,
       {"op", "a", "id", "userId", "owner", "recursive", "getFiles"}},
      {"createDir",
       [](auto* r) { CreateDirRequest::FillHttpRequest(CreateDirRequest(kHeader, -1, 42, 7, "d", "", 0, 2), r); },
       Net::HTTP_POST,
       {"op", "a", "id", "userId"}},
      {"renameDir",
       [](auto* r) { RenameDirRequest::FillHttpRequest(RenameDirRequest(kHeader, 8, 42, "e", 1, 0), r); },
       Net::HTTP_POST,
       {"op", "a", "id", "userId"}},
      {"delDir",
       [](auto* r) { DelDirRequest::FillHttpRequest(DelDirRequest(kHeader, 8, "1|2", true, false), r); },
       Net::HTTP_POST,
       {"op", "a", "id", "userId"}},
      {"createFile",
       [](auto* r) {
         CreateFileRequest::FillHttpRequest(
             CreateFileRequest(kHeader, -1, 42, 0, "m", 5, 7, "f", "", "", false, 1, 0, true, true), r);
       },
       Net::HTTP_POST,
       {"op", "a", "id", "userId"}},
      {"updateFileContent",
       [](auto* r) {
         UpdateFileContentRequest::FillHttpRequest(
             UpdateFileContentRequest(kHeader, 11, 42, "ann", "1|4", "m", 5, 0, "/p", 0, 0, true, 1), r);
       },
       Net::HTTP_POST,
       {"op", "a", "id", "userId"}},
      {"completeFile",
       [](auto* r) {
         CompleteFileRequest::FillHttpRequest({kHeader, 11, 1, 0, 1, true}, r);
       },
       Net::HTTP_POST,
       {"op", "a", "id", "userId"}},
      {"renameFile",
       [](auto* r) { RenameFileRequest::FillHttpRequest(RenameFileRequest(kHeader, 11, 42, "1|4", "g", 1, 1, 0), r); },
       Net::HTTP_POST,
       {"op", "a", "id", "userId"}},
      {"moveFile",
       [&](auto* r) {
         MoveFileRequest::FillHttpRequest(MoveFileRequest(kHeader, MoveFileInfo("1|4", 11, 42, 8), &overwritten), r);
       },
       Net::HTTP_POST,
       {"op", "a", "userId", "id"}},
      {"delFile",
       [](auto* r) { DelFileRequest::FillHttpRequest(DelFileRequest(kHeader, 11, "1|4"), r); },
       Net::HTTP_GET,
       {"op", "a", "userId", "id", "version"}},
      {"delFileIncomplete",
       [](auto* r) {
         DelFileIncompleteRequest::FillHttpRequest({kHeader, 11, 5}, r);
       },
       Net::HTTP_GET,
       {"op", "a", "id", "userId"}},
      {"uploadFileControl",
       [](auto* r) {
         UploadFileControlRequest::FillHttpRequest({kHeader, 11, 11, 42}, r);
       },
       Net::HTTP_POST,
       {"op", "a", "id", "userId"}},
      {"downloadFileControl",
       [](auto* r) {
         DownloadFileControlRequest::FillHttpRequest(DownloadFileControlRequest(kHeader, 11, 42, 5, "1|4", ""), r);
       },
       Net::HTTP_GET,
       {"op", "a", "id", "userId", "ownerId", "offset", "length", "version"}},
      {"getUser",
       [](auto* r) { GetUserRequest::FillHttpRequest({kHeader}, r); },
       Net::HTTP_GET,
       {"op", "a", "userId", "id"}},
      {"getUserFilesCount",
       [](auto* r) { GetUserFilesCountRequest::FillHttpRequest({kHeader}, r); },
       Net::HTTP_GET,
       {"op", "a", "userId", "id"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.op);
    Net::HttpRequest request;
    row.fill(&request);
    const RequestView view(request);
    EXPECT_EQ(view.method, row.method);
    EXPECT_EQ(view.base, "http://svc.test:81/fs/service/");
    EXPECT_EQ(view.Keys(), row.keys);
    EXPECT_EQ(view.Value("op"), row.op);
    EXPECT_EQ(view.Value("a"), "ann+x@example.com");
    EXPECT_EQ(view.Value("userId"), "42");
    EXPECT_EQ(view.Header("Authorization"), "sid-1");
    EXPECT_EQ(view.Header("x-hlvn-meta-product"), "Dorv Pro");
  }
  // A null request is left alone.
  SyncDirRequest::FillHttpRequest(SyncDirRequest(kHeader, 7, "", false, true, true), nullptr);
  GetUserRequest::FillHttpRequest({kHeader}, nullptr);
}

TEST_F(RequestBuilders, AnAccountNotSignedInSendsNoAccountPair) {
  SetAccount("ann@example.com", SignedIn::No);
  Net::HttpRequest request;
  GetUserRequest::FillHttpRequest({kHeader}, &request);
  EXPECT_EQ(RequestView(request).Keys(), (Keys{"op", "userId", "id"}));
}

TEST_F(RequestBuilders, TextValuesTravelPercentEncoded) {
  SetAccount("a b&c=d#e", SignedIn::Yes);
  const std::string version = "3|12 +\t&x=#y";
  Net::HttpRequest request;
  SyncDirRequest::FillHttpRequest(SyncDirRequest(kHeader, 7, version, false, true, true), &request);
  const std::string& url = request.GetUrl();
  EXPECT_EQ(url.find_first_of(" \t#|+"), std::string::npos) << url;
  const RequestView view(request);
  EXPECT_EQ(view.Value("a"), "a b&c=d#e");
  EXPECT_EQ(view.Value("version"), version);
  EXPECT_EQ(view.Keys(), (Keys{"op", "a", "id", "userId", "version", "getAllVersions", "recursive", "getFiles"}));
}

TEST_F(RequestBuilders, FolderBodies) {
  Net::HttpRequest create;
  CreateDirRequest::FillHttpRequest(CreateDirRequest(kHeader, -1, 42, -1, "Dorv \"sync\"", "desc", 0, 2), &create);
  EXPECT_EQ(RequestView(create).body, ParseJson(R"({"dir": {"id": -1, "ownerId": 42, "parentId": -1,
      "dirName": "Dorv \"sync\"", "description": "desc", "type": 0, "sysType": 0},
      "nameConflictPolicy": 2, "renamePolicy": 0})"));

  Net::HttpRequest rename;
  RenameDirRequest::FillHttpRequest(RenameDirRequest(kHeader, 8, 43, "e", 1, 0), &rename);
  EXPECT_EQ(
      RequestView(rename).body,
      ParseJson(R"({"dir": {"id": 8, "ownerId": 43, "dirName": "e"}, "nameConflictPolicy": 1, "renamePolicy": 0})"));

  DelDirRequest del(kHeader, 8, "1|2", true, false);
  Net::HttpRequest plain;
  DelDirRequest::FillHttpRequest(del, &plain);
  EXPECT_EQ(RequestView(plain).body, ParseJson(R"({"dir": {"id": 8, "ownerId": 42}, "version": "1|2",
      "recursive": true, "reserveStructure": false})"));
  del.extraFiles = {{20, "1|5", 42}, {21, "1|6", 42}};
  Net::HttpRequest extra;
  DelDirRequest::FillHttpRequest(del, &extra);
  EXPECT_EQ(RequestView(extra).body["extraFiles"], ParseJson(R"([{"id": 20, "versionValue": "1|5", "ownerId": 42},
      {"id": 21, "versionValue": "1|6", "ownerId": 42}])"));

  Net::HttpRequest tree;
  GetDirStructureRequest::FillHttpRequest({kHeader, -1, 42, false, true, true}, &tree);
  EXPECT_EQ(RequestView(tree).Value("id"), "-1");
  EXPECT_FALSE(RequestView(tree).hasBody);
}

TEST_F(RequestBuilders, FileBodies) {
  Net::HttpRequest create;
  ASSERT_TRUE(CreateFileRequest::FillHttpRequest(
      CreateFileRequest(kHeader, -1, 42, 3, "abc", 2147483647, 7, "f.txt", "", "", false, 1, 0, true, true), &create));
  EXPECT_EQ(RequestView(create).body, ParseJson(R"({"file": {"ownerId": 42, "parentId": 7, "fileName": "f.txt",
      "description": "", "doc": {"type": 3, "md5": "abc", "size": 2147483647}, "type": 3,
      "incomplete": {"ownerId": 42, "local": {"path": ""}, "temporary": null}},
      "doUploadControl": false, "nameConflictPolicy": 1, "renamePolicy": 0, "checkIfResume": true,
      "checkIfCompleted": true})"));
  EXPECT_TRUE(RequestView(create).body["file"]["incomplete"].isMember("temporary"));

  Net::HttpRequest update;
  ASSERT_TRUE(UpdateFileContentRequest::FillHttpRequest(
      UpdateFileContentRequest(kHeader, 11, 43, "ann", "1|4", "m", 5, 6, "/home/a/f", 7, 8, true, 1), &update));
  EXPECT_EQ(RequestView(update).body, ParseJson(R"({"file": {"id": 11, "ownerId": 43, "owner": "ann",
      "versionValue": "1|4", "md5": "m", "size": 5},
      "incomplete": {"ownerId": 43, "owner": "ann", "config": {"options": {"sizeLimit": 6}},
                     "local": {"path": "/home/a/f"}, "temporary": {"config": {"options": {"duration": 7, "renewLimit": 8}}}},
      "conflictPolicy": 1, "checkIfResume": true})"));

  Net::HttpRequest complete;
  CompleteFileRequest::FillHttpRequest({kHeader, 11, 1, 0, 1, true}, &complete);
  EXPECT_EQ(RequestView(complete).body, ParseJson(R"({"file": {"id": 11, "ownerId": 42}, "nameConflictPolicy": 1,
      "renamePolicy": 0, "conflictPolicy": 1, "checkIfCompleted": true})"));

  Net::HttpRequest rename;
  RenameFileRequest::FillHttpRequest(RenameFileRequest(kHeader, 11, 42, "1|4", "g", 1, 1, 0), &rename);
  EXPECT_EQ(RequestView(rename).body, ParseJson(R"({"file": {"id": 11, "ownerId": 42, "fileName": "g",
      "versionValue": "1|4"}, "conflictPolicy": 1, "renamePolicy": 0, "nameConflictPolicy": 1})"));

  Net::HttpRequest move;
  MoveFileRequest::FillHttpRequest(MoveFileRequest(kHeader, MoveFileInfo("1|4", 11, 42, 8), nullptr), &move);
  EXPECT_EQ(RequestView(move).body, ParseJson(R"({"file": {"id": 11, "ownerId": 42, "parentId": 8,
      "versionValue": "1|4"}, "nameConflictPolicy": 1, "renamePolicy": 0})"));
  const OverwrittenFile overwritten{9, "1|3", 44};
  Net::HttpRequest moveOver;
  MoveFileRequest::FillHttpRequest(MoveFileRequest(kHeader, MoveFileInfo("1|4", 11, 42, 8), &overwritten), &moveOver);
  EXPECT_EQ(RequestView(moveOver).body["overwritedFile"],
            ParseJson(R"({"id": 9, "ownerId": 44, "versionValue": "1|3"})"));

  Net::HttpRequest delFile;
  DelFileRequest::FillHttpRequest(DelFileRequest(kHeader, 11, ""), &delFile);
  EXPECT_EQ(RequestView(delFile).Keys(), (Keys{"op", "a", "userId", "id"}));
  EXPECT_FALSE(RequestView(delFile).hasBody);

  Net::HttpRequest incomplete;
  DelFileIncompleteRequest::FillHttpRequest({kHeader, 11, 5}, &incomplete);
  EXPECT_EQ(incomplete.GetMethod(), Net::HTTP_GET);
  EXPECT_EQ(RequestView(incomplete).body, ParseJson(R"({"id": 11, "ownerId": 42})"));

  Net::HttpRequest upload;
  UploadFileControlRequest::FillHttpRequest({kHeader, 11, 12, 43}, &upload);
  EXPECT_EQ(RequestView(upload).Value("id"), "11");
  EXPECT_EQ(RequestView(upload).body, ParseJson(R"({"file": {"id": 12, "ownerId": 43}})"));

  Net::HttpRequest download;
  ASSERT_TRUE(DownloadFileControlRequest::FillHttpRequest(
      DownloadFileControlRequest(kHeader, 11, 43, 2147483647, "1|4", "k&y"), &download));
  const RequestView view(download);
  EXPECT_EQ(view.Keys(), (Keys{"op", "a", "id", "userId", "ownerId", "offset", "length", "version", "shareKey"}));
  EXPECT_EQ(view.Value("offset"), "0");
  EXPECT_EQ(view.Value("length"), "2147483647");
  EXPECT_EQ(view.Value("shareKey"), "k&y");
}

TEST(WireSize, FilesOf2GiBOrMoreAreRefusedWithAReason) {
  struct Row {
    int64_t size;
    bool fits;
  } rows[] = {{0, true}, {1, true}, {2147483647, true}, {2147483648LL, false}, {4294967297LL, false}, {-1, false}};
  for (const Row& row : rows) {
    std::string error;
    EXPECT_EQ(CheckWireFileSize(row.size, &error), row.fits) << row.size;
    EXPECT_EQ(error.empty(), row.fits) << row.size;
  }
  std::string error;
  CheckWireFileSize(3000000000LL, &error);
  EXPECT_NE(error.find("3000000000"), std::string::npos) << error;
  EXPECT_NE(error.find("2 GiB"), std::string::npos) << error;
}

TEST_F(RequestBuilders, AWrappedSizeIsNeverSent) {
  const int wrapped = static_cast<int>(static_cast<uint32_t>(3000000000LL));
  ASSERT_LT(wrapped, 0);
  Net::HttpRequest create;
  EXPECT_FALSE(CreateFileRequest::FillHttpRequest(
      CreateFileRequest(kHeader, -1, 42, 0, "m", wrapped, 7, "big", "", "", false, 1, 0, true, true), &create));
  EXPECT_EQ(create.GetUrl(), "");
  Net::HttpRequest update;
  EXPECT_FALSE(UpdateFileContentRequest::FillHttpRequest(
      UpdateFileContentRequest(kHeader, 11, 42, "", "1|1", "m", wrapped, 0, "", 0, 0, true, 1), &update));
  EXPECT_EQ(update.GetUrl(), "");
  Net::HttpRequest download;
  EXPECT_FALSE(DownloadFileControlRequest::FillHttpRequest(
      DownloadFileControlRequest(kHeader, 11, 42, wrapped, "1|1", ""), &download));
  EXPECT_EQ(download.GetUrl(), "");
}

TEST_F(RequestBuilders, TheCurrentHeaderIsTheSignedInAccountsAndTheProducts) {
  ProductInfo product = GetProductInfo();
  product.ProductName = juce::String::fromUTF8("Dorv Pro \xE7\x89\x88");
  SaveProductInfo(product);
  SetAccount("ann@example.com", SignedIn::Yes, "sid-9", 8589934592LL);
  const RequestHeader header = CurrentRequestHeader();
  EXPECT_EQ(header.product, "Dorv Pro \xE7\x89\x88");
  EXPECT_EQ(header.userId, 8589934592LL);
  EXPECT_EQ(header.authorization, "sid-9");
  DeleteProductInfo();
}
