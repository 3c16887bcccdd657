#include "Fixture.h"

namespace devtest {
namespace {

TEST_F(ServiceTest, RestartOnTheSameDataKeepsEverything) {
  int64_t root = Root();
  int64_t sub = client.MakeDir(root, "sub");
  std::string big(3 * 1024 * 1024, 'b');
  Json::Value file = client.Upload(sub, "big.bin", big);
  ASSERT_TRUE(file.isObject());
  Json::Value gone = client.Upload(root, "gone.txt", "x");
  client.FsGet("delFile", client.U() + "&id=" + gone["id"].asString());
  // An upload under way.
  HttpReply pending = client.CreateFile(root, "half.bin", "0123456789");
  int64_t pendingId = pending.Result()["id"].asInt64();
  Json::Value token = client.UploadToken(pendingId).Result()["token"];
  ASSERT_EQ(client.UploadBlock(token, 0, "01234").Code(), 200);
  Json::Value before = client.SyncDir(root, "0|0").Result()["dirFiles"];

  ASSERT_TRUE(server.Stop()) << "the service ends cleanly on SIGTERM";
  server.Start();

  // The session, the tree with its deletions and versions, the content and the upload survive.
  ASSERT_EQ(client.GetUser().Code(), 200);
  EXPECT_EQ(client.SyncDir(root, "0|0").Result()["dirFiles"], before);
  EXPECT_EQ(client.Download(file["id"].asInt64()), big);
  EXPECT_EQ(client.UploadBlock(token, 5, "56789").Result()["doc"]["position"].asInt(), 10);
  HttpReply done = client.Complete(pendingId);
  ASSERT_EQ(done.Code(), 200);
  // The counter goes on from where it was.
  EXPECT_GT(VersionNumber(done.Result()["file"]), VersionNumber(before[before.size() - 1]["file"]));
}

// The account's usage is kept as running counts; opening the data again counts
// it afresh, so after a mix of changes both must agree.
TEST_F(ServiceTest, UsageAfterAMixOfChangesMatchesAFreshCount) {
  int64_t root = Root();
  int64_t sub = client.MakeDir(root, "sub");
  int64_t doomed = client.MakeDir(root, "doomed");
  client.MakeDir(doomed, "inner");
  ASSERT_TRUE(client.Upload(doomed, "in.txt", "12345").isObject());
  Json::Value kept = client.Upload(sub, "kept.txt", "abc");
  ASSERT_TRUE(kept.isObject());
  Json::Value gone = client.Upload(root, "gone.txt", "xyz");
  ASSERT_TRUE(gone.isObject());
  // Overwritten with a larger content, here and by another device.
  int64_t keptId = kept["id"].asInt64();
  ASSERT_EQ(client.UpdateFile(keptId, kept["version"]["value"].asString(), "abcdefgh").Code(), 200);
  ASSERT_TRUE(client.SendContent(keptId, "abcdefgh"));
  ASSERT_EQ(client.Complete(keptId).Code(), 200);
  Admin(server, "put?account=" + client.account + "&parentId=" + std::to_string(sub) + "&name=kept.txt",
        "0123456789");
  client.FsGet("delFile", client.U() + "&id=" + gone["id"].asString());
  Json::Value del;
  del["dir"]["id"] = Json::Int64(doomed);
  del["dir"]["ownerId"] = Json::Int64(client.userId);
  del["version"] = "";
  del["recursive"] = true;
  del["reserveStructure"] = false;
  ASSERT_EQ(client.FsPost("delDir", "&id=" + std::to_string(doomed) + client.U(), del).Code(), 200);
  // One upload under way, one given up.
  ASSERT_EQ(client.CreateFile(root, "half.bin", "not sent yet").Code(), 200);
  int64_t dropped = client.CreateFile(root, "dropped.bin", "98765").Result()["id"].asInt64();
  client.FsGet("delFileIncomplete", client.U() + "&id=" + std::to_string(dropped));
  // Another account's files count only for it.
  Client other(server, "bob@example.com", "pw");
  Admin(server, "user?account=bob@example.com&password=pw");
  ASSERT_EQ(other.SignIn().Code(), 200);
  ASSERT_TRUE(other.Upload(other.MakeDir(-1, "Dorv"), "b.txt", "bob's").isObject());

  Json::Value counted = client.GetUser().Result()["user"]["filesStats"];
  EXPECT_EQ(counted["spaceUsed"].asInt64(), 10);
  EXPECT_EQ(counted["filesCount"].asInt64(), 1);
  EXPECT_EQ(counted["dirsCount"].asInt64(), 2);
  EXPECT_EQ(counted["incompleteFilesCount"].asInt64(), 1);
  server.Restart();
  EXPECT_EQ(client.GetUser().Result()["user"]["filesStats"], counted);
}

}  // namespace
}  // namespace devtest
