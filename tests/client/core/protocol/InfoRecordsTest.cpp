#include <gtest/gtest.h>

#include "ProtocolTestJson.h"
#include "client/core/protocol/DirContent.h"
#include "client/core/protocol/ServerDirInfo.h"
#include "client/core/protocol/ServerDirTree.h"
#include "client/core/protocol/ServerFileInfo.h"
#include "client/core/protocol/ServerUserInfo.h"
#include "client/core/protocol/TransportToken.h"
#include "client/core/protocol/UploadDocInfo.h"

using protocoltest::ParseJson;

namespace {

const char* const kFolder = R"({
  "id": 8589934593, "ownerId": 7, "owner": "ann", "parentId": -1, "path": "/a", "dirName": "a b",
  "description": "d", "type": 1, "sysType": 18, "status": 1, "filesNumLimit": 10,
  "subFilesSizeLimit": 5000000000, "dirsNumLimit": 20, "createTime": 1700000000000, "updateTime": 1700000000001,
  "stats": {"filesSize": 4294967296, "filesCount": 3, "filesTotalSize": 4294967297, "filesTotalCount": 4, "dirsCount": 5},
  "version": {"value": "3|12", "type": 2}})";

const char* const kFile = R"({
  "id": 11, "ownerId": 7, "owner": "ann", "creatorId": 8, "creator": "bob", "type": 0, "status": 0,
  "description": "", "updateTime": 2, "createTime": 1, "parentId": 5, "fileName": "r\u00e9sum\u00e9.txt",
  "version": {"value": "1|9", "type": 1},
  "doc": {"type": 0, "md5": "0cc175b9c0f1b6a831c399e269772661", "curMD5": "x", "size": 4294967297,
          "position": 0, "completed": true, "URL": "u", "uploadContext": "ctx"},
  "config": {"options": {"sizeLimit": 100}},
  "temporary": {"expiryTime": 99, "renewRemainings": 2, "config": {"options": {"renewLimit": 3, "duration": 4}}},
  "local": {"path": "/home/ann/r.txt"}})";

}  // namespace

TEST(ServerDirInfo, ReadsEveryFieldWithItsWidth) {
  ServerDirInfo dir;
  const Json::Value object = ParseJson(kFolder);
  ASSERT_TRUE(ServerDirInfo::ParseJson(dir, &object));
  EXPECT_EQ(dir.id, 8589934593LL);
  EXPECT_EQ(dir.ownerId, 7);
  EXPECT_EQ(dir.owner, "ann");
  EXPECT_EQ(dir.parentId, -1);
  EXPECT_EQ(dir.path, "/a");
  EXPECT_EQ(dir.dirName, "a b");
  EXPECT_EQ(dir.description, "d");
  EXPECT_EQ(dir.type, 1);
  EXPECT_EQ(dir.sysType, 18);
  EXPECT_EQ(dir.status, 1);
  EXPECT_EQ(dir.filesNumLimit, 10);
  EXPECT_EQ(dir.subFilesSizeLimit, 5000000000LL);
  EXPECT_EQ(dir.dirsNumLimit, 20);
  EXPECT_EQ(dir.createTime, 1700000000000LL);
  EXPECT_EQ(dir.updateTime, 1700000000001LL);
  EXPECT_EQ(dir.filesSize, 4294967296LL);
  EXPECT_EQ(dir.filesCount, 3);
  EXPECT_EQ(dir.filesTotalSize, 4294967297LL);
  EXPECT_EQ(dir.filesTotalCount, 4);
  EXPECT_EQ(dir.dirsCount, 5);
  EXPECT_EQ(dir.versionValue, "3|12");
  EXPECT_EQ(dir.versionType, 2);
}

TEST(ServerDirInfo, MissingMembersOverwriteTheDefaultsWithZero) {
  ServerDirInfo dir;
  EXPECT_EQ(dir.filesNumLimit, -1);
  EXPECT_EQ(dir.subFilesSizeLimit, -1);
  EXPECT_EQ(dir.dirsNumLimit, -1);
  dir.filesCount = 9;
  const Json::Value object = ParseJson(R"({"id": 4, "dirName": "x"})");
  ASSERT_TRUE(ServerDirInfo::ParseJson(dir, &object));
  EXPECT_EQ(dir.id, 4);
  EXPECT_EQ(dir.filesNumLimit, 0);
  EXPECT_EQ(dir.subFilesSizeLimit, 0);
  EXPECT_EQ(dir.dirsNumLimit, 0);
  EXPECT_EQ(dir.filesCount, 0);
  EXPECT_EQ(dir.versionValue, "");
}

TEST(ServerDirInfo, AMemberOfTheWrongKindFailsAndKeepsWhatWasRead) {
  struct Row {
    const char* name;
    const char* object;
  } rows[] = {
      {"type as a text", R"({"id": 4, "dirName": "x", "type": "1"})"},
      {"dirName as a number", R"({"id": 4, "dirName": 5})"},
      {"stats as a number", R"({"id": 4, "stats": 3})"},
      {"version as an array", R"({"id": 4, "version": ["1|2"]})"},
      {"id as an object", R"({"id": {"v": 4}})"},
  };
  for (const Row& row : rows) {
    ServerDirInfo dir;
    const Json::Value object = ParseJson(row.object);
    EXPECT_FALSE(ServerDirInfo::ParseJson(dir, &object)) << row.name;
    if (std::string(row.name) != "id as an object") {
      EXPECT_EQ(dir.id, 4) << row.name;
    }
  }
  ServerDirInfo untouched;
  untouched.id = 77;
  EXPECT_FALSE(ServerDirInfo::ParseJson(untouched, nullptr));
  EXPECT_EQ(untouched.id, 77);
}

TEST(ServerFileInfo, ReplyReadsEveryFieldAndListingLeavesTheUploadValues) {
  const Json::Value object = ParseJson(kFile);
  ServerFileInfo full;
  ASSERT_TRUE(ServerFileInfo::ParseJsonWithPath(full, &object));
  EXPECT_EQ(full.id, 11);
  EXPECT_EQ(full.creatorId, 8);
  EXPECT_EQ(full.creator, "bob");
  EXPECT_EQ(full.parentId, 5);
  EXPECT_EQ(full.fileName, "r\xC3\xA9sum\xC3\xA9.txt");
  EXPECT_EQ(full.versionValue, "1|9");
  EXPECT_EQ(full.versionType, 1);
  EXPECT_EQ(full.doc.md5, "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(full.doc.size, 1) << "a 32-bit size keeps the low 32 bits of 2^32 + 1";
  EXPECT_TRUE(full.doc.completed);
  EXPECT_EQ(full.doc.URL, "u");
  EXPECT_EQ(full.doc.uploadContext, "ctx");
  EXPECT_EQ(full.sizeLimit, 100);
  EXPECT_EQ(full.expiryTime, 99);
  EXPECT_EQ(full.renewRemainings, 2);
  EXPECT_EQ(full.renewLimit, 3);
  EXPECT_EQ(full.duration, 4);
  EXPECT_EQ(full.path, "/home/ann/r.txt");

  ServerFileInfo listed;
  ASSERT_TRUE(ServerFileInfo::ParseJson(listed, &object));
  EXPECT_EQ(listed.fileName, full.fileName);
  EXPECT_EQ(listed.sizeLimit, 100);
  EXPECT_EQ(listed.doc.URL, "u");
  EXPECT_EQ(listed.doc.uploadContext, "");
  EXPECT_EQ(listed.expiryTime, 0);
  EXPECT_EQ(listed.renewLimit, 0);
  EXPECT_EQ(listed.duration, 0);
  EXPECT_EQ(listed.path, "");
}

TEST(ServerFileInfo, WrongKindsFailTheReading) {
  const char* const rows[] = {
      R"({"fileName": 3})",
      R"({"doc": {"size": "12"}})",
      R"({"doc": "none"})",
      R"({"config": {"options": [1]}})",
  };
  for (const char* row : rows) {
    ServerFileInfo file;
    const Json::Value object = ParseJson(row);
    EXPECT_FALSE(ServerFileInfo::ParseJsonWithPath(file, &object)) << row;
  }
  // Members a listing does not read cannot fail it.
  ServerFileInfo listed;
  const Json::Value object = ParseJson(R"({"id": 1, "local": {"path": 5}, "temporary": "x"})");
  EXPECT_TRUE(ServerFileInfo::ParseJson(listed, &object));
  EXPECT_FALSE(ServerFileInfo::ParseJsonWithPath(listed, &object));
}

TEST(ServerDirTree, SkipsASubfolderThatCannotBeRead) {
  const Json::Value object = ParseJson(R"({"id": 1, "dirName": "root", "subdirs": [
      {"id": 2, "dirName": "a", "subdirs": [{"id": 4, "dirName": "deep"}]},
      {"id": 3, "dirName": 7},
      {"id": 5, "dirName": "c"}]})");
  ServerDirTree tree;
  ASSERT_TRUE(ServerDirTree::ParseJson(&object, tree));
  ASSERT_EQ(tree.subdirs.size(), 2u);
  EXPECT_EQ(tree.subdirs[0]->dirName, "a");
  ASSERT_EQ(tree.subdirs[0]->subdirs.size(), 1u);
  EXPECT_EQ(tree.subdirs[0]->subdirs[0]->dirName, "deep");
  EXPECT_EQ(tree.subdirs[1]->id, 5);

  ServerDirTree broken;
  const Json::Value bad = ParseJson(R"({"id": "1"})");
  EXPECT_FALSE(ServerDirTree::ParseJson(&bad, broken));
}

TEST(DirContent, OneUnreadableFileFailsTheReadingButKeepsEverythingElse) {
  const Json::Value object = ParseJson(R"({"id": 1, "dirName": "root",
      "files": [{"id": 10, "fileName": "a"}, {"id": "11"}, {"id": 12, "fileName": "c"}],
      "subdirs": [{"id": 2, "dirName": "s", "files": [{"id": 20, "fileName": "d"}]}]})");
  DirContent content;
  EXPECT_FALSE(DirContent::ParseJson(&object, content));
  EXPECT_EQ(content.dirName, "root");
  ASSERT_EQ(content.files.size(), 2u);
  EXPECT_EQ(content.files[0]->id, 10);
  EXPECT_EQ(content.files[1]->id, 12);
  ASSERT_EQ(content.subdirs.size(), 1u);
  ASSERT_EQ(content.subdirs[0]->files.size(), 1u);
  EXPECT_EQ(content.subdirs[0]->files[0]->fileName, "d");

  DirContent clean;
  const Json::Value good = ParseJson(R"({"id": 1, "files": [{"id": 10}], "subdirs": []})");
  EXPECT_TRUE(DirContent::ParseJson(&good, clean));
  EXPECT_EQ(clean.files.size(), 1u);
}

TEST(ServerUserInfo, ReadsTheQuotaAndLimits) {
  const Json::Value object = ParseJson(R"({"id": 42, "account": "ann@x", "name": "Ann", "status": 1,
      "createTime": 1, "updateTime": 2, "capacity": 10737418240, "capacityBase": 5368709120, "capacityAward": 5368709120,
      "filesStats": {"spaceUsed": 4294967296, "filesCount": 3, "dirsCount": 4, "incompleteFilesCount": 1},
      "actState": {"lastAccessTime": 5, "lastUpdateTime": 6},
      "fileConfig": {"fszm": 10737418240, "fsnm": 1000, "rnm": 2, "d": 3, "szm": 2147483647, "dsnm": 500,
                     "sfszm": 6000000000, "sfsnm": 100, "dym": 10},
      "incompleteFileConfig": {"fszm": 7, "fsnm": 8, "rnm": 9, "d": 10, "szm": 11}})");
  ServerUserInfo user;
  ASSERT_TRUE(ServerUserInfo::ParseJson(user, &object));
  EXPECT_EQ(user.id, 42);
  EXPECT_EQ(user.account, "ann@x");
  EXPECT_EQ(user.capacity, 10737418240LL);
  EXPECT_EQ(user.spaceUsed, 4294967296LL);
  EXPECT_EQ(user.incompleteFilesCount, 1);
  EXPECT_EQ(user.lastUpdateTime, 6);
  EXPECT_EQ(user.fszm, 10737418240LL);
  EXPECT_EQ(user.szm, 2147483647);
  EXPECT_EQ(user.dsnm, 500);
  EXPECT_EQ(user.sdsnm, 500);
  EXPECT_EQ(user.sfszm, 6000000000LL);
  EXPECT_EQ(user.dym, 10);
  EXPECT_EQ(user.incompleteFszm, 7);
  EXPECT_EQ(user.incompleteSzm, 11);

  const Json::Value bad = ParseJson(R"({"id": 42, "fileConfig": {"szm": "big"}})");
  EXPECT_FALSE(ServerUserInfo::ParseJson(user, &bad));
}

TEST(TransportTokenAndUploadDoc, ReadTheirMembers) {
  TransportToken token;
  const Json::Value good = ParseJson(R"({"docURL": "d0c", "context": "c7x"})");
  ASSERT_TRUE(TransportToken::ParseJson(token, &good));
  EXPECT_EQ(token.docURL, "d0c");
  EXPECT_EQ(token.context, "c7x");
  const Json::Value bad = ParseJson(R"({"docURL": 12})");
  EXPECT_FALSE(TransportToken::ParseJson(token, &bad));
  EXPECT_FALSE(TransportToken::ParseJson(token, nullptr));

  UploadDocInfo doc;
  const Json::Value upload = ParseJson(R"({"id": 3, "bucketId": 8589934592, "md5": "m", "curMD5": "c", "size": 5,
      "position": 2097152, "completed": 1, "createTime": 9, "completedTime": 10})");
  ASSERT_TRUE(UploadDocInfo::ParseJson(doc, &upload));
  EXPECT_EQ(doc.bucketId, 8589934592LL);
  EXPECT_EQ(doc.position, 2097152);
  EXPECT_TRUE(doc.completed);
  EXPECT_EQ(doc.completedTime, 10);
}
