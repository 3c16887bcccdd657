#include "Fixture.h"

namespace devtest {
namespace {

Json::Value FileBody(int64_t id, int64_t owner) {
  Json::Value b;
  b["file"]["id"] = Json::Int64(id);
  b["file"]["ownerId"] = Json::Int64(owner);
  return b;
}

TEST_F(ServiceTest, UploadOfANewFileGoesThroughTokenBlocksAndCompletion) {
  std::string bytes(5 * 1024 * 1024 + 17, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 4099);
  HttpReply created = client.CreateFile(Root(), "big.bin", bytes);
  ASSERT_EQ(created.Code(), 200);
  EXPECT_EQ(created.Result()["type"].asInt(), 0);
  EXPECT_FALSE(created.Result()["file"]["doc"]["completed"].asBool());
  int64_t id = created.Result()["id"].asInt64();
  EXPECT_EQ(created.Result()["file"]["id"].asInt64(), id);
  // Not visible before it completes.
  EXPECT_EQ(client.GetDirFiles(Root()).Result()["dir"]["files"].size(), 0u);

  ASSERT_TRUE(client.SendContent(id, bytes));
  HttpReply done = client.Complete(id);
  ASSERT_EQ(done.Code(), 200);
  EXPECT_EQ(done.Result()["type"].asInt(), 6);
  Json::Value file = done.Result()["file"];
  EXPECT_EQ(file["doc"]["md5"].asString(), Md5(bytes));
  EXPECT_EQ(file["doc"]["size"].asInt64(), static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(file["version"]["type"].asInt(), 0);
  EXPECT_EQ(client.Complete(id).Result()["type"].asInt(), 1) << "a second completion finds it complete";
  EXPECT_EQ(client.Download(id), bytes);

  // The same content again is known: nothing to transfer.
  HttpReply again = client.CreateFile(Root(), "copy.bin", bytes);
  EXPECT_EQ(again.Result()["type"].asInt(), 3);
  EXPECT_TRUE(again.Result()["file"]["doc"]["completed"].asBool());
  EXPECT_EQ(client.Download(again.Result()["id"].asInt64()), bytes);
}

TEST_F(ServiceTest, EmptyFileNeedsNoTransfer) {
  HttpReply r = client.CreateFile(Root(), "empty", "");
  ASSERT_EQ(r.Code(), 200);
  EXPECT_EQ(r.Result()["type"].asInt(), 3);
  EXPECT_EQ(r.Result()["file"]["doc"]["md5"].asString(), Md5(""));
  HttpReply token = client.DownloadToken(r.Result()["id"].asInt64());
  ASSERT_EQ(token.Code(), 200);
  EXPECT_EQ(client.Download(r.Result()["id"].asInt64()), "");
}

TEST_F(ServiceTest, CreateFileNameConflicts) {
  client.Upload(Root(), "a.txt", "one");
  HttpReply renamed = client.CreateFile(Root(), "a.txt", "two", 1);
  ASSERT_EQ(renamed.Code(), 200);
  ASSERT_TRUE(client.SendContent(renamed.Result()["id"].asInt64(), "two"));
  EXPECT_EQ(client.Complete(renamed.Result()["id"].asInt64()).Result()["file"]["fileName"].asString(), "a (1).txt");
  EXPECT_EQ(client.CreateFile(Root(), "a.txt", "three", 0).Code(), 611);

  // A name taken while an upload ran is settled at completion.
  HttpReply pending = client.CreateFile(Root(), "late.txt", "mine", 1);
  Admin(server, "put?account=" + client.account + "&parentId=" + std::to_string(Root()) + "&name=late.txt", "theirs");
  ASSERT_TRUE(client.SendContent(pending.Result()["id"].asInt64(), "mine"));
  HttpReply done = client.Complete(pending.Result()["id"].asInt64());
  EXPECT_EQ(done.Result()["file"]["fileName"].asString(), "late (1).txt");
}

TEST_F(ServiceTest, UpdateFileContentAnswersByVersionAndContent) {
  Json::Value file = client.Upload(Root(), "doc.txt", "v1");
  int64_t id = file["id"].asInt64();
  std::string version = file["version"]["value"].asString();

  EXPECT_EQ(client.UpdateFile(id, version, "v1").Result()["type"].asInt(), 5) << "unchanged";
  HttpReply changed = client.UpdateFile(id, version, "v2");
  ASSERT_EQ(changed.Code(), 200);
  ASSERT_EQ(changed.Result()["type"].asInt(), 0);
  ASSERT_TRUE(client.SendContent(id, "v2"));
  HttpReply done = client.Complete(id);
  ASSERT_EQ(done.Code(), 200);
  EXPECT_EQ(done.Result()["file"]["version"]["type"].asInt(), 1);
  EXPECT_GT(VersionNumber(done.Result()["file"]), VersionNumber(file));
  EXPECT_EQ(client.Download(id), "v2");

  // An edit of the old version would overwrite v2: refused, v2 stays.
  EXPECT_EQ(client.UpdateFile(id, version, "v3").Code(), 610);
  EXPECT_EQ(client.UpdateFile(id, "0|999999", "v3").Code(), 556);
  EXPECT_EQ(client.UpdateFile(987654, version, "v3").Code(), 555);
  EXPECT_EQ(client.Download(id), "v2");
}

TEST_F(ServiceTest, ChangeByAnotherDeviceDuringAnUploadIsAConflict) {
  Json::Value file = client.Upload(Root(), "shared.txt", "base");
  int64_t id = file["id"].asInt64();
  ASSERT_EQ(client.UpdateFile(id, file["version"]["value"].asString(), "mine").Result()["type"].asInt(), 0);
  ASSERT_TRUE(client.SendContent(id, "mine"));
  Admin(server, "put?account=" + client.account + "&parentId=" + std::to_string(Root()) + "&name=shared.txt",
        "theirs");
  EXPECT_EQ(client.Complete(id).Code(), 610);
  EXPECT_EQ(client.Download(id), "theirs");
}

TEST_F(ServiceTest, RenameMoveAndDeleteOfAFile) {
  int64_t other = client.MakeDir(Root(), "other");
  Json::Value file = client.Upload(Root(), "f.txt", "f");
  std::string id = file["id"].asString();
  client.Upload(Root(), "taken.txt", "t");

  Json::Value rb = FileBody(file["id"].asInt64(), client.userId);
  rb["file"]["fileName"] = "taken.txt";
  rb["file"]["versionValue"] = file["version"]["value"];
  rb["conflictPolicy"] = 1;
  rb["renamePolicy"] = 0;
  rb["nameConflictPolicy"] = 1;
  HttpReply renamed = client.FsPost("renameFile", "&id=" + id + client.U(), rb);
  ASSERT_EQ(renamed.Code(), 200);
  EXPECT_EQ(renamed.Result()["file"]["fileName"].asString(), "taken (1).txt");
  EXPECT_EQ(client.Upload(Root(), "f.txt", "new f")["fileName"].asString(), "f.txt") << "the old name is free";

  // Moving onto a file the caller knew replaces it.
  Json::Value target = client.Upload(other, "taken (1).txt", "old target");
  Json::Value mb = FileBody(file["id"].asInt64(), client.userId);
  mb["file"]["parentId"] = Json::Int64(other);
  mb["file"]["versionValue"] = renamed.Result()["file"]["version"]["value"];
  mb["nameConflictPolicy"] = 1;
  mb["renamePolicy"] = 0;
  mb["overwritedFile"]["id"] = target["id"];
  mb["overwritedFile"]["ownerId"] = Json::Int64(client.userId);
  mb["overwritedFile"]["versionValue"] = target["version"]["value"];
  HttpReply moved = client.FsPost("moveFile", client.U() + "&id=" + id, mb);
  ASSERT_EQ(moved.Code(), 200);
  EXPECT_EQ(moved.Result()["file"]["parentId"].asInt64(), other);
  EXPECT_EQ(moved.Result()["file"]["fileName"].asString(), "taken (1).txt");
  Json::Value listing = client.GetDirFiles(other).Result()["dir"]["files"];
  ASSERT_EQ(listing.size(), 1u);
  EXPECT_EQ(listing[0]["id"].asString(), id);
  EXPECT_EQ(client.Upload(Root(), "taken (1).txt", "new t1")["fileName"].asString(), "taken (1).txt")
      << "the name the move left is free";
  mb["file"]["parentId"] = Json::Int64(555555);
  EXPECT_EQ(client.FsPost("moveFile", client.U() + "&id=" + id, mb).Code(), 704);

  // Deleting with an old version is refused; with the current one it goes.
  std::string current = moved.Result()["file"]["version"]["value"].asString();
  EXPECT_EQ(client.FsGet("delFile", client.U() + "&id=" + id + "&version=" + file["version"]["value"].asString()).Code(),
            610);
  HttpReply del = client.FsGet("delFile", client.U() + "&id=" + id + "&version=" + current);
  ASSERT_EQ(del.Code(), 200);
  EXPECT_EQ(del.Result()["file"]["status"].asInt(), 1);
  EXPECT_EQ(client.FsGet("delFile", client.U() + "&id=" + id).Code(), 555);
  EXPECT_EQ(client.DownloadToken(std::stoll(id)).Code(), 555);
  // The name the delete left is free again.
  EXPECT_EQ(client.Upload(other, "taken (1).txt", "new t2")["fileName"].asString(), "taken (1).txt");
}

TEST_F(ServiceTest, DelFileIncompleteDropsTheUpload) {
  HttpReply created = client.CreateFile(Root(), "part.bin", "0123456789");
  int64_t id = created.Result()["id"].asInt64();
  Json::Value token = client.UploadToken(id).Result()["token"];
  ASSERT_EQ(client.UploadBlock(token, 0, "01234").Result()["doc"]["position"].asInt(), 5);
  Json::Value body;
  body["id"] = Json::Int64(id);
  body["ownerId"] = Json::Int64(client.userId);
  HttpReply r = HttpGetWithBody(client.FsUrl("delFileIncomplete", "&id=" + std::to_string(id) + client.U()),
                                ToJson(body), client.FsHeaders());
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.headers["connection"], "close");
  EXPECT_EQ(client.UploadBlock(token, 5, "56789").Code(), 605);
  EXPECT_EQ(client.Complete(id).Code(), 555);
  EXPECT_EQ(client.GetUser().Result()["user"]["filesStats"]["incompleteFilesCount"].asInt(), 0);
}

TEST_F(ServiceTest, QuotaLimitsRefuseUploads) {
  Admin(server, "quota?account=" + client.account + "&capacity=10&szm=8&fsnm=2");
  EXPECT_EQ(client.CreateFile(Root(), "big", "123456789").Code(), 600);
  ASSERT_EQ(client.Upload(Root(), "a", "1234567").type(), Json::objectValue);
  EXPECT_EQ(client.CreateFile(Root(), "b", "1234").Code(), 800);
  ASSERT_EQ(client.Upload(Root(), "c", "12").type(), Json::objectValue);
  EXPECT_EQ(client.CreateFile(Root(), "d", "").Code(), 801);
  // A full quota found at completion refuses it too.
  Admin(server, "quota?account=" + client.account + "&capacity=100&fsnm=100");
  HttpReply pending = client.CreateFile(Root(), "e", "12345");
  ASSERT_TRUE(client.SendContent(pending.Result()["id"].asInt64(), "12345"));
  Admin(server, "quota?account=" + client.account + "&capacity=10");
  EXPECT_EQ(client.Complete(pending.Result()["id"].asInt64()).Code(), 800);
}

}  // namespace
}  // namespace devtest
