#include "Fixture.h"

namespace devtest {
namespace {

Json::Value RenameDirBody(int64_t id, int64_t owner, const std::string& name, int policy) {
  Json::Value b;
  b["dir"]["id"] = Json::Int64(id);
  b["dir"]["ownerId"] = Json::Int64(owner);
  b["dir"]["dirName"] = name;
  b["nameConflictPolicy"] = policy;
  b["renamePolicy"] = 0;
  return b;
}

Json::Value DelDirBody(int64_t id, int64_t owner, const std::string& version, const Json::Value& extra = {}) {
  Json::Value b;
  b["dir"]["id"] = Json::Int64(id);
  b["dir"]["ownerId"] = Json::Int64(owner);
  b["version"] = version;
  b["recursive"] = true;
  b["reserveStructure"] = false;
  if (!extra.isNull()) b["extraFiles"] = extra;
  return b;
}

TEST_F(ServiceTest, CreateDirFollowsTheNameConflictPolicy) {
  HttpReply first = client.CreateDir(-1, "Dorv", 2);
  ASSERT_EQ(first.Code(), 200);
  Json::Value dir = first.Result()["dir"];
  EXPECT_EQ(dir["dirName"].asString(), "Dorv");
  EXPECT_EQ(dir["parentId"].asInt64(), -1);
  EXPECT_EQ(dir["path"].asString(), "/");
  EXPECT_EQ(dir["version"]["type"].asInt(), 0);
  EXPECT_EQ(first.Result()["id"].asInt64(), dir["id"].asInt64());

  // 2 merges with the folder that exists, 1 picks a free name, 0 refuses.
  HttpReply merged = client.CreateDir(-1, "Dorv", 2);
  EXPECT_EQ(merged.Result()["dir"]["id"].asInt64(), dir["id"].asInt64());
  EXPECT_EQ(merged.Result()["dir"]["version"]["value"], dir["version"]["value"]);
  HttpReply renamed = client.CreateDir(-1, "Dorv", 1);
  EXPECT_EQ(renamed.Result()["dir"]["dirName"].asString(), "Dorv (1)");
  EXPECT_EQ(client.CreateDir(-1, "Dorv", 0).Code(), 611);

  int64_t child = client.MakeDir(dir["id"].asInt64(), "子目录");
  HttpReply tree = client.FsGet("getDirStructure", "&id=-1" + client.U() + "&owner=" +
                                                       std::to_string(client.userId) +
                                                       "&recursive=1&returnInfo=1&countFiles=1");
  ASSERT_EQ(tree.Code(), 200);
  Json::Value root = tree.Result()["dir"];
  EXPECT_EQ(root["id"].asInt64(), -1);
  ASSERT_EQ(root["subdirs"].size(), 2u);
  EXPECT_EQ(root["subdirs"][0]["subdirs"][0]["id"].asInt64(), child);
  EXPECT_EQ(root["subdirs"][0]["subdirs"][0]["path"].asString(), "/" + dir["id"].asString() + "/");
  EXPECT_EQ(root["subdirs"][0]["subdirs"][0]["dirName"].asString(), "子目录");
}

TEST_F(ServiceTest, CreateDirChecksParentDepthAndCount) {
  EXPECT_EQ(client.CreateDir(424242, "x").Code(), 704);
  EXPECT_EQ(client.CreateDir(Root(), "a/b").Code(), 700);
  EXPECT_EQ(client.CreateDir(Root(), std::string(256, 'n')).Code(), 612);
  Admin(server, "quota?account=" + client.account + "&dym=2&dsnm=3");
  int64_t second = client.MakeDir(Root(), "two");
  ASSERT_NE(second, 0);
  EXPECT_EQ(client.CreateDir(second, "three").Code(), 705);
  ASSERT_NE(client.MakeDir(Root(), "also-two"), 0);
  EXPECT_EQ(client.CreateDir(Root(), "one-too-many").Code(), 802);
}

TEST_F(ServiceTest, RenameDirBumpsItsVersion) {
  int64_t a = client.MakeDir(Root(), "a");
  client.MakeDir(Root(), "b");
  HttpReply r = client.FsPost("renameDir", "&id=" + std::to_string(a) + client.U(),
                              RenameDirBody(a, client.userId, "c", 1));
  ASSERT_EQ(r.Code(), 200);
  EXPECT_EQ(r.Result()["dir"]["dirName"].asString(), "c");
  EXPECT_EQ(r.Result()["dir"]["version"]["type"].asInt(), 1);
  HttpReply clash = client.FsPost("renameDir", "&id=" + std::to_string(a) + client.U(),
                                  RenameDirBody(a, client.userId, "b", 1));
  EXPECT_EQ(clash.Result()["dir"]["dirName"].asString(), "b (1)");
  EXPECT_EQ(client.FsPost("renameDir", "&id=" + std::to_string(a) + client.U(),
                          RenameDirBody(a, client.userId, "b", 0))
                .Code(),
            611);
  EXPECT_EQ(client.FsPost("renameDir", "&id=999" + client.U(), RenameDirBody(999, client.userId, "z", 1)).Code(), 704);
}

TEST_F(ServiceTest, DelDirKeepsWhatChangedAfterTheCallersVersion) {
  int64_t dir = client.MakeDir(Root(), "gone");
  int64_t sub = client.MakeDir(dir, "sub");
  client.Upload(sub, "old.txt", "old");
  Json::Value listed = client.Upload(dir, "listed.txt", "listed");
  std::string callerVersion = "0|" + std::to_string(VersionNumber(listed) - 1);
  // Another device writes into the folder after the caller's version.
  HttpReply newer = Admin(server, "put?account=" + client.account + "&parentId=" + std::to_string(sub) + "&name=new.txt",
                          "new");
  ASSERT_EQ(newer.Code(), 200);
  Json::Value extra(Json::arrayValue);
  Json::Value e;
  e["id"] = listed["id"];
  e["versionValue"] = listed["version"]["value"];
  e["ownerId"] = Json::Int64(client.userId);
  extra.append(e);
  HttpReply r = client.FsPost("delDir", "&id=" + std::to_string(dir) + client.U(),
                              DelDirBody(dir, client.userId, callerVersion, extra));
  ASSERT_EQ(r.Code(), 200);
  EXPECT_EQ(r.Result()["type"].asInt(), 1);

  Json::Value content = client.GetDirFiles(dir).Result()["dir"];
  ASSERT_EQ(content["files"].size(), 0u) << "listed.txt was listed with its version";
  ASSERT_EQ(content["subdirs"].size(), 1u);
  ASSERT_EQ(content["subdirs"][0]["files"].size(), 1u);
  EXPECT_EQ(content["subdirs"][0]["files"][0]["fileName"].asString(), "new.txt");

  // With nothing newer left, the folder goes; a second delete finds nothing.
  HttpReply all = client.FsPost("delDir", "&id=" + std::to_string(dir) + client.U(),
                                DelDirBody(dir, client.userId, "0|999999"));
  EXPECT_EQ(all.Result()["type"].asInt(), 0);
  EXPECT_EQ(all.Result()["dir"]["status"].asInt(), 1);
  EXPECT_EQ(client.FsPost("delDir", "&id=" + std::to_string(dir) + client.U(),
                          DelDirBody(dir, client.userId, "0|999999"))
                .Code(),
            704);
}

TEST_F(ServiceTest, DelDirWithoutRecursionRefusesAFullFolder) {
  int64_t dir = client.MakeDir(Root(), "full");
  client.MakeDir(dir, "child");
  Json::Value b = DelDirBody(dir, client.userId, "");
  b["recursive"] = false;
  EXPECT_EQ(client.FsPost("delDir", "&id=" + std::to_string(dir) + client.U(), b).Code(), 702);
}

TEST_F(ServiceTest, SyncDirListsChangesAfterTheVersionParentsFirst) {
  int64_t root = Root();
  HttpReply start = client.SyncDir(root, "0|0");
  ASSERT_EQ(start.Code(), 200);
  EXPECT_EQ(start.Result()["dirFiles"].size(), 0u);

  int64_t a = client.MakeDir(root, "a");
  Json::Value file = client.Upload(a, "f.txt", "content");
  int64_t since = VersionNumber(file);
  // Renaming the folder after its file was made puts the folder's version above the file's.
  client.FsPost("renameDir", "&id=" + std::to_string(a) + client.U(), RenameDirBody(a, client.userId, "A", 1));
  Json::Value entries = client.SyncDir(root, "0|0").Result()["dirFiles"];
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_FALSE(entries[0]["isFile"].asBool());
  EXPECT_EQ(entries[0]["dir"]["dirName"].asString(), "A");
  EXPECT_TRUE(entries[1]["isFile"].asBool());

  // Deletions are listed with status 1 and type 2, carrying the deletion's version.
  HttpReply del = client.FsGet("delFile", client.U() + "&id=" + file["id"].asString() + "&version=" +
                                              file["version"]["value"].asString());
  ASSERT_EQ(del.Code(), 200);
  Json::Value after = client.SyncDir(root, "7|" + std::to_string(since)).Result()["dirFiles"];
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[1]["file"]["status"].asInt(), 1);
  EXPECT_EQ(after[1]["file"]["version"]["type"].asInt(), 2);
  EXPECT_GT(VersionNumber(after[1]["file"]), VersionNumber(after[0]["dir"]));
  // Nothing after the newest version.
  int64_t newest = VersionNumber(after[1]["file"]);
  EXPECT_EQ(client.SyncDir(root, "0|" + std::to_string(newest)).Result()["dirFiles"].size(), 0u);
  EXPECT_EQ(client.SyncDir(424242, "0|0").Code(), 704);
}

TEST_F(ServiceTest, SyncDirReportsAnItemMovedOutAsDeletedThere) {
  int64_t root = Root();
  int64_t elsewhere = client.MakeDir(-1, "Elsewhere");
  int64_t sub = client.MakeDir(root, "sub");
  Json::Value file = client.Upload(sub, "f.txt", "f");
  int64_t since = VersionNumber(file);
  Admin(server, "move?account=" + client.account + "&id=" + file["id"].asString() + "&parentId=" +
                    std::to_string(elsewhere));
  Json::Value fromRoot = client.SyncDir(root, "0|" + std::to_string(since)).Result()["dirFiles"];
  ASSERT_EQ(fromRoot.size(), 1u);
  EXPECT_EQ(fromRoot[0]["file"]["id"], file["id"]);
  EXPECT_EQ(fromRoot[0]["file"]["status"].asInt(), 1);
  EXPECT_EQ(fromRoot[0]["file"]["parentId"].asInt64(), sub);
  Json::Value there = client.SyncDir(elsewhere, "0|" + std::to_string(since)).Result()["dirFiles"];
  ASSERT_EQ(there.size(), 1u);
  EXPECT_EQ(there[0]["file"]["status"].asInt(), 0);
  // Within the folder, a move is a change, not a deletion.
  Admin(server, "move?account=" + client.account + "&id=" + file["id"].asString() + "&parentId=" +
                    std::to_string(root));
  Json::Value back = client.SyncDir(root, "0|" + std::to_string(since)).Result()["dirFiles"];
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0]["file"]["status"].asInt(), 0);
  EXPECT_EQ(back[0]["file"]["parentId"].asInt64(), root);
}

TEST_F(ServiceTest, GetDirFilesShowsLiveItemsWithStats) {
  int64_t root = Root();
  int64_t sub = client.MakeDir(root, "sub");
  client.Upload(root, "one.txt", "1");
  client.Upload(sub, "two.txt", "22");
  Json::Value gone = client.Upload(sub, "gone.txt", "333");
  client.FsGet("delFile", client.U() + "&id=" + gone["id"].asString());
  Json::Value dir = client.GetDirFiles(root).Result()["dir"];
  EXPECT_EQ(dir["dirName"].asString(), "Dorv");
  ASSERT_EQ(dir["files"].size(), 1u);
  EXPECT_EQ(dir["files"][0]["doc"]["md5"].asString(), Md5("1"));
  ASSERT_EQ(dir["subdirs"].size(), 1u);
  ASSERT_EQ(dir["subdirs"][0]["files"].size(), 1u);
  EXPECT_EQ(dir["stats"]["filesCount"].asInt(), 1);
  EXPECT_EQ(dir["stats"]["filesTotalCount"].asInt(), 2);
  EXPECT_EQ(dir["stats"]["filesTotalSize"].asInt(), 3);
  EXPECT_EQ(dir["stats"]["dirsCount"].asInt(), 1);
}

}  // namespace
}  // namespace devtest
