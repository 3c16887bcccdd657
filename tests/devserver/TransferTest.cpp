#include "Fixture.h"

namespace devtest {
namespace {

TEST_F(ServiceTest, BlocksAreCheckedAndHeldContiguously) {
  std::string bytes = "0123456789abcdefghij";
  int64_t id = client.CreateFile(Root(), "blocks.bin", bytes).Result()["id"].asInt64();
  Json::Value token = client.UploadToken(id).Result()["token"];
  EXPECT_EQ(client.UploadBlock(token, 0, "01234").Result()["doc"]["position"].asInt(), 5);
  // A block past the held bytes isn't kept: the answer names where to go on.
  EXPECT_EQ(client.UploadBlock(token, 10, "abcde").Result()["doc"]["position"].asInt(), 5);
  // A block sent again overlaps: the held count ends after it.
  EXPECT_EQ(client.UploadBlock(token, 3, "3456789").Result()["doc"]["position"].asInt(), 10);
  EXPECT_EQ(client.Complete(id).Code(), 601) << "not complete yet";

  // A block whose checksum doesn't match is refused.
  Json::Value d;
  d["file"]["offset"] = 10;
  d["file"]["length"] = 10;
  d["file"]["checkSumType"] = 17;
  d["file"]["checkSumValue"] = Md5("something else");
  d["dataSize"] = 10;
  HttpReply bad = HttpPostMultipart(client.DfsUrl("uploadFile", client.U() + "&file=" + token["docURL"].asString()),
                                    {{"dataDescriptor", ToJson(d)}}, "dataBlocks", "abcdefghij",
                                    {{"Authorization", token["context"].asString()}});
  EXPECT_EQ(bad.Code(), 1005);
  // A wrong credential, an unknown token.
  Json::Value wrong = token;
  wrong["context"] = "0000";
  EXPECT_EQ(client.UploadBlock(wrong, 10, "abcdefghij").Code(), 401);
  wrong = token;
  wrong["docURL"] = "feed";
  EXPECT_EQ(client.UploadBlock(wrong, 10, "abcdefghij").Code(), 605);
  EXPECT_EQ(client.UploadBlock(token, 15, "abcdefghij").Code(), 400) << "past the declared size";

  HttpReply last = client.UploadBlock(token, 10, "abcdefghij");
  EXPECT_TRUE(last.Result()["doc"]["completed"].asBool());
  ASSERT_EQ(client.Complete(id).Result()["type"].asInt(), 6);
  EXPECT_EQ(client.Download(id), bytes);
}

TEST_F(ServiceTest, ResumedUploadReportsTheHeldPosition) {
  std::string bytes(3000, 'r');
  int64_t id = client.CreateFile(Root(), "resume.bin", bytes).Result()["id"].asInt64();
  Json::Value token = client.UploadToken(id).Result()["token"];
  ASSERT_EQ(client.UploadBlock(token, 0, bytes.substr(0, 1000)).Code(), 200);
  // The client starts over in a new run: the same announcement resumes.
  HttpReply again = client.CreateFile(Root(), "resume.bin", bytes);
  EXPECT_EQ(again.Result()["id"].asInt64(), id);
  EXPECT_EQ(again.Result()["file"]["doc"]["position"].asInt(), 1000);
  // Other content under the same name starts afresh.
  HttpReply other = client.CreateFile(Root(), "resume.bin", std::string(3000, 'x'));
  EXPECT_EQ(other.Result()["id"].asInt64(), id);
  EXPECT_EQ(other.Result()["file"]["doc"]["position"].asInt(), 0);
}

TEST_F(ServiceTest, ContentNotMatchingItsAnnouncedMd5IsRefusedAtCompletion) {
  HttpReply created = client.CreateFile(Root(), "lie.bin", "announced");
  int64_t id = created.Result()["id"].asInt64();
  Json::Value token = client.UploadToken(id).Result()["token"];
  ASSERT_EQ(client.UploadBlock(token, 0, "different").Code(), 200);
  EXPECT_EQ(client.Complete(id).Code(), 1005);
  // The upload starts again from nothing; the right content completes it.
  ASSERT_TRUE(client.SendContent(id, "announced"));
  EXPECT_EQ(client.Complete(id).Result()["type"].asInt(), 6);
}

TEST_F(ServiceTest, RangedDownloadAnswersTheAskedBytes) {
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += static_cast<char>('a' + i % 26);
  Json::Value file = client.Upload(Root(), "r.txt", bytes);
  int64_t id = file["id"].asInt64();
  Json::Value token = client.DownloadToken(id, file["version"]["value"].asString()).Result()["token"];
  std::string url = client.DfsUrl("downloadFile", client.U() + "&file=" + token["docURL"].asString());
  Headers auth = {{"Authorization", token["context"].asString()}};

  struct Case {
    const char* range;
    long status;
    std::string body;
    std::string contentRange;
  } cases[] = {
      {"", 200, bytes, ""},
      {"bytes=0-1", 206, bytes.substr(0, 2), "bytes 0-1/1000"},
      {"bytes=990-1400", 206, bytes.substr(990), "bytes 990-999/1000"},
      {"bytes=500-", 206, bytes.substr(500), "bytes 500-999/1000"},
      {"bytes=-3", 206, bytes.substr(997), "bytes 997-999/1000"},
      {"bytes=1000-1001", 416, "", "bytes */1000"},
  };
  for (const Case& c : cases) {
    Headers h = auth;
    if (*c.range) h.emplace_back("Range", c.range);
    HttpReply r = HttpGet(url, h);
    EXPECT_EQ(r.status, c.status) << c.range;
    EXPECT_EQ(r.body, c.body) << c.range;
    EXPECT_EQ(r.headers["content-range"], c.contentRange) << c.range;
  }
  // Errors carry no body, so a client that appends any body appends nothing.
  HttpReply wrongContext = HttpGet(url, {{"Authorization", "nope"}});
  EXPECT_EQ(wrongContext.status, 401);
  EXPECT_TRUE(wrongContext.body.empty());
  HttpReply unknown = HttpGet(client.DfsUrl("downloadFile", client.U() + "&file=beef"), auth);
  EXPECT_EQ(unknown.status, 404);
  EXPECT_TRUE(unknown.body.empty());
}

TEST_F(ServiceTest, DownloadTokenOfReplacedContentIsRefused) {
  Json::Value file = client.Upload(Root(), "v.txt", "one");
  std::string old = file["version"]["value"].asString();
  Admin(server, "put?account=" + client.account + "&parentId=" + std::to_string(Root()) + "&name=v.txt", "two");
  EXPECT_EQ(client.DownloadToken(file["id"].asInt64(), old).Code(), 556);
  EXPECT_EQ(client.Download(file["id"].asInt64()), "two");
  // A rename changes the version but not the content: still downloadable by the content's version.
  Json::Value tree = HttpGet(server.BaseUrl() + "/admin/tree?account=" + client.account).Result();
  std::string current;
  for (const Json::Value& item : tree["items"])
    if (item["id"] == file["id"]) current = item["version"].asString();
  Admin(server, "rename?account=" + client.account + "&id=" + file["id"].asString() + "&name=w.txt");
  EXPECT_EQ(client.DownloadToken(file["id"].asInt64(), current).Code(), 200);
}

}  // namespace
}  // namespace devtest
