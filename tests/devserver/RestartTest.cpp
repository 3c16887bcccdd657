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

}  // namespace
}  // namespace devtest
