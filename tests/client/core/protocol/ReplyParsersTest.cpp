#include <gtest/gtest.h>

#include "client/core/protocol/DirReplies.h"
#include "client/core/protocol/FileReplies.h"
#include "net/HttpResponse.h"

TEST(ReplyRecords, CodeIsMinusOneUntilARepliesIsRead) {
  EXPECT_EQ(DirReply().code, -1);
  EXPECT_EQ(DirTreeReply().code, -1);
  EXPECT_EQ(DirFilesReply().code, -1);
  EXPECT_EQ(SyncDirReply().code, -1);
  EXPECT_EQ(FileReply().code, -1);
  EXPECT_EQ(TransportTokenReply().code, -1);
  EXPECT_EQ(UserReply().code, -1);
  EXPECT_EQ(UserFilesCountReply().code, -1);
}

TEST(DirReply, ReadsTheEnvelopeAndTheFolder) {
  DirReply reply;
  ASSERT_TRUE(DirReply::ParseBody(
      R"({"code": 200, "result": {"id": 5, "message": "ok", "type": 1, "dir": {"id": 5, "dirName": "n", "version": {"value": "1|3"}}}})",
      reply));
  EXPECT_EQ(reply.code, 200);
  EXPECT_EQ(reply.id, 5);
  EXPECT_EQ(reply.message, "ok");
  EXPECT_EQ(reply.type, 1);
  EXPECT_EQ(reply.dir.dirName, "n");
  EXPECT_EQ(reply.dir.versionValue, "1|3");
}

TEST(DirReply, AReplyWithoutAFolderGivesZeros) {
  DirReply reply;
  ASSERT_TRUE(DirReply::ParseBody(R"({"code": 611, "result": {"message": "name conflict"}})", reply));
  EXPECT_EQ(reply.code, 611);
  EXPECT_EQ(reply.dir.id, 0);
  EXPECT_EQ(reply.dir.filesNumLimit, 0);
  EXPECT_EQ(reply.dir.subFilesSizeLimit, 0);
  EXPECT_EQ(reply.dir.dirsNumLimit, 0);
  EXPECT_EQ(reply.dir.dirName, "");
}

TEST(DirReply, UnreadableBodiesFail) {
  struct Row {
    const char* name;
    const char* body;
    int codeAfter;
  } rows[] = {
      {"html page", "<html>502 Bad Gateway</html>", -1},
      {"truncated", R"({"code": 200, "result": {"id": )", -1},
      {"code as a text", R"({"code": "200", "result": {}})", -1},
      {"result as an array", R"({"code": 200, "result": []})", 200},
      {"folder with a wrong kind", R"({"code": 200, "result": {"dir": {"type": "1"}}})", 200},
  };
  for (const Row& row : rows) {
    DirReply reply;
    EXPECT_FALSE(DirReply::ParseBody(row.body, reply)) << row.name;
    EXPECT_EQ(reply.code, row.codeAfter) << row.name;
  }
}

TEST(DirTreeAndFilesReplies, ReadTheirPayloads) {
  DirTreeReply tree;
  ASSERT_TRUE(DirTreeReply::ParseBody(
      R"({"code": 200, "result": {"dir": {"id": -1, "subdirs": [{"id": 2, "dirName": "Dorv"}]}}})", tree));
  ASSERT_EQ(tree.dir.subdirs.size(), 1u);
  EXPECT_EQ(tree.dir.subdirs[0]->dirName, "Dorv");

  DirFilesReply files;
  EXPECT_FALSE(DirFilesReply::ParseBody(
      R"({"code": 200, "result": {"dir": {"id": 2, "files": [{"id": 1}, {"fileName": 1}]}}})", files));
  EXPECT_EQ(files.code, 200);
  EXPECT_EQ(files.dir.files.size(), 1u);
}

TEST(SyncDirReply, ReadsFoldersAndFiles) {
  SyncDirReply reply;
  ASSERT_TRUE(SyncDirReply::ParseBody(R"({"code": 200, "result": {"id": 1, "dirFiles": [
      {"isFile": false, "dir": {"id": 2, "dirName": "a", "version": {"value": "1|5"}}},
      {"isFile": true, "file": {"id": 3, "fileName": "b", "status": 1, "version": {"value": "2|6", "type": 2}}}]}})",
                                      reply));
  ASSERT_EQ(reply.dirFiles.size(), 2u);
  EXPECT_TRUE(reply.dirFiles[0]->isDir);
  ASSERT_TRUE(reply.dirFiles[0]->dir);
  EXPECT_FALSE(reply.dirFiles[0]->file);
  EXPECT_EQ(reply.dirFiles[0]->dir->versionValue, "1|5");
  EXPECT_FALSE(reply.dirFiles[1]->isDir);
  ASSERT_TRUE(reply.dirFiles[1]->file);
  EXPECT_EQ(reply.dirFiles[1]->file->status, 1);
  EXPECT_EQ(reply.dirFiles[1]->file->versionType, 2);

  SyncDirReply empty;
  EXPECT_TRUE(SyncDirReply::ParseBody(R"({"code": 200, "result": {}})", empty));
  EXPECT_TRUE(empty.dirFiles.empty());
}

// A listing with an unreadable element is not the whole change set: taking it
// would let a pull advance its version past the change it never saw.
TEST(SyncDirReply, AnUnreadableElementFailsTheListing) {
  SyncDirReply reply;
  EXPECT_FALSE(SyncDirReply::ParseBody(R"({"code": 200, "result": {"dirFiles": [
      {"dir": {"id": 2}}, {"isFile": true, "file": {"id": "3"}}, {"dir": {"id": 4}}]}})",
                                       reply));
  ASSERT_EQ(reply.dirFiles.size(), 2u);
  EXPECT_EQ(reply.dirFiles[0]->dir->id, 2);
  EXPECT_EQ(reply.dirFiles[1]->dir->id, 4);

  SyncDirReply scalar;
  EXPECT_FALSE(SyncDirReply::ParseBody(R"({"code": 200, "result": {"dirFiles": [7]}})", scalar));
  SyncDirReply notArray;
  EXPECT_FALSE(SyncDirReply::ParseBody(R"({"code": 200, "result": {"dirFiles": {"a": 1}}})", notArray));
}

TEST(FileReply, ReadsTheFileWithItsUploadValues) {
  FileReply reply;
  FileReply::ReadBody(R"({"code": 200, "result": {"id": 9, "type": 3, "message": "m",
      "file": {"id": 9, "fileName": "f", "doc": {"md5": "abc", "size": 12}, "local": {"path": "/p"}}}})",
                      reply);
  EXPECT_EQ(reply.code, 200);
  EXPECT_EQ(reply.id, 9);
  EXPECT_EQ(reply.type, 3);
  EXPECT_EQ(reply.message, "") << "a file reply's message is not read";
  EXPECT_EQ(reply.file.doc.size, 12);
  EXPECT_EQ(reply.file.path, "/p");
}

TEST(ReplyBodies, UnreadableMembersGiveCode1000) {
  FileReply file;
  FileReply::ReadBody(R"({"code": 200, "result": {"file": {"fileName": 5}}})", file);
  EXPECT_EQ(file.code, 1000);

  FileReply page;
  FileReply::ReadBody("<html></html>", page);
  EXPECT_EQ(page.code, 1000);

  TransportTokenReply token;
  TransportTokenReply::ReadBody(R"({"code": 200, "result": {"token": {"docURL": 5, "context": "c"}}})", token);
  EXPECT_EQ(token.code, 1000);

  UserReply user;
  UserReply::ReadBody(R"({"code": 200, "result": {"user": {"account": 1}}})", user);
  EXPECT_EQ(user.code, 1000);

  UserFilesCountReply count;
  UserFilesCountReply::ReadBody(R"({"code": 200, "result": {"user": {"filesStats": {"filesCount": "2"}}}})", count);
  EXPECT_EQ(count.code, 1000);
}

TEST(ReplyBodies, ServiceErrorCodesAreKept) {
  TransportTokenReply token;
  TransportTokenReply::ReadBody(R"({"code": 555, "result": {"message": "file not found"}})", token);
  EXPECT_EQ(token.code, 555);
  EXPECT_EQ(token.message, "file not found");
  EXPECT_EQ(token.token.docURL, "");

  UserFilesCountReply count;
  UserFilesCountReply::ReadBody(R"({"code": 200, "result": {"id": 4, "message": "m", "user": {"capacity": 10737418240,
      "capacityBase": 1, "capacityAward": 2,
      "filesStats": {"spaceUsed": 4294967296, "filesCount": 3, "dirsCount": 4, "incompleteFilesCount": 5}}}})",
                                count);
  EXPECT_EQ(count.code, 200);
  EXPECT_EQ(count.capacity, 10737418240LL);
  EXPECT_EQ(count.spaceUsed, 4294967296LL);
  EXPECT_EQ(count.incompleteFilesCount, 5);

  UserReply user;
  UserReply::ReadBody(R"({"code": 200, "result": {"user": {"id": 42, "fileConfig": {"szm": 2147483647}}}})", user);
  EXPECT_EQ(user.code, 200);
  EXPECT_EQ(user.user.szm, 2147483647);
}

TEST(FileReplies, OnlyAResponseWithStatus200IsRead) {
  auto respond = [](Net::HttpResponse& response, int status, const std::string& body) {
    response.SetStatusCode(status);
    response.BeginBody(static_cast<int64_t>(body.size()));
    response.AppendBody(body.data(), body.size());
    response.EndBody();
  };
  Net::HttpResponse unavailable;
  respond(unavailable, 500, R"({"code": 200, "result": {}})");
  FileReply file;
  FileReply::ParseResponse(&unavailable, file);
  EXPECT_EQ(file.code, -1);
  FileReply::ParseResponse(nullptr, file);
  EXPECT_EQ(file.code, -1);

  Net::HttpResponse page;
  respond(page, 200, "<html>ok</html>");
  TransportTokenReply token;
  TransportTokenReply::ParseResponse(&page, token);
  EXPECT_EQ(token.code, 1000);

  Net::HttpResponse good;
  respond(good, 200, R"({"code": 200, "result": {"user": {"id": 42}}})");
  UserReply user;
  UserReply::ParseResponse(&good, user);
  EXPECT_EQ(user.code, 200);
  EXPECT_EQ(user.user.id, 42);
}
