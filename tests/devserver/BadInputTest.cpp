#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "Fixture.h"

namespace devtest {
namespace {

// Sends raw bytes on a fresh connection and returns what comes back before it closes.
std::string RawExchange(int port, const std::string& bytes) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return "<no connection>";
  }
  send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  shutdown(fd, SHUT_WR);
  std::string got;
  char buffer[4096];
  ssize_t n;
  while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0) got.append(buffer, static_cast<size_t>(n));
  close(fd);
  return got;
}

TEST_F(ServiceTest, BadInputGetsItsErrorCodeAndLeavesTheStoreIntact) {
  int64_t root = Root();
  ASSERT_TRUE(client.Upload(root, "keep.txt", "keep").isObject());
  std::string u = client.U();
  std::string fs = server.BaseUrl() + "/fs/service/?op=";
  std::string a = "&a=" + client.account;
  Headers auth = client.FsHeaders();
  std::string dir = "{\"dir\":{\"parentId\":" + std::to_string(root) + ",\"dirName\":\"n\"},\"nameConflictPolicy\":1}";

  struct Row {
    const char* name;
    bool post;
    std::string url;
    Headers headers;
    std::string body;
    int code;
  } rows[] = {
      {"malformed JSON", true, fs + "createDir" + a + "&id=-1" + u, auth, "{\"dir\": {", 400},
      {"JSON that is not an object", true, fs + "createDir" + a + "&id=-1" + u, auth, "[1,2]", 400},
      {"empty body", true, fs + "createDir" + a + "&id=-1" + u, auth, "", 400},
      {"trailing garbage", true, fs + "createDir" + a + "&id=-1" + u, auth, dir + "}", 400},
      {"deep nesting", true, fs + "createDir" + a + "&id=-1" + u, auth, std::string(100000, '['), 400},
      {"missing parentId", true, fs + "createDir" + a + "&id=-1" + u, auth, "{\"dir\":{\"dirName\":\"n\"}}", 400},
      {"name of the wrong kind", true, fs + "createDir" + a + "&id=-1" + u, auth,
       "{\"dir\":{\"parentId\":-1,\"dirName\":5}}", 400},
      {"id as a string", true, fs + "createDir" + a + "&id=-1" + u, auth,
       "{\"dir\":{\"parentId\":\"-1\",\"dirName\":\"n\"}}", 400},
      {"flag as a string", true, fs + "delDir" + a + "&id=" + std::to_string(root) + u, auth,
       "{\"dir\":{\"id\":" + std::to_string(root) + "},\"recursive\":\"yes\"}", 400},
      {"policy out of int range", true, fs + "createDir" + a + "&id=-1" + u, auth,
       "{\"dir\":{\"parentId\":-1,\"dirName\":\"n\"},\"nameConflictPolicy\":9999999999}", 400},
      {"ids that differ", true, fs + "renameDir" + a + "&id=1" + u, auth,
       "{\"dir\":{\"id\":2,\"dirName\":\"n\"}}", 400},
      {"invalid UTF-8 name", true, fs + "createDir" + a + "&id=-1" + u, auth,
       "{\"dir\":{\"parentId\":-1,\"dirName\":\"\xff\"}}", 700},
      {"bad md5", true, fs + "createFile" + a + "&id=-1" + u, auth,
       "{\"file\":{\"parentId\":-1,\"fileName\":\"f\",\"doc\":{\"md5\":\"xyz\",\"size\":1}}}", 400},
      {"negative size", true, fs + "createFile" + a + "&id=-1" + u, auth,
       "{\"file\":{\"parentId\":-1,\"fileName\":\"f\",\"doc\":{\"md5\":\"" + Md5("") + "\",\"size\":-1}}}", 400},
      {"size beyond 32 bits", true, fs + "createFile" + a + "&id=-1" + u, auth,
       "{\"file\":{\"parentId\":-1,\"fileName\":\"f\",\"doc\":{\"md5\":\"" + Md5("") + "\",\"size\":4294967297}}}",
       400},
      {"unknown op", false, fs + "dropEverything" + a + u, auth, "", 501},
      {"op of another endpoint", true, server.BaseUrl() + "/app/service/?op=createDir", {}, dir, 501},
      {"no op", false, server.BaseUrl() + "/fs/service/?id=1" + u, auth, "", 400},
      {"no session", false, fs + "getUser" + a + u + "&id=1", {}, "", 401},
      {"bad session", false, fs + "getUser" + a + u + "&id=1", {{"Authorization", "bogus"}}, "", 401},
      {"no userId", false, fs + "getUser" + a + "&id=1", auth, "", 400},
      {"id not a number", false, fs + "syncDir" + a + "&id=abc" + u, auth, "", 400},
      {"version not a number", false, fs + "syncDir" + a + "&id=-1" + u + "&version=1|x", auth, "", 400},
      {"POST for a GET op", true, fs + "getUser" + a + u + "&id=1", auth, "{}", 400},
      {"GET for a POST op", false, fs + "createDir" + a + "&id=-1" + u, auth, "", 400},
      {"sign-in with a number as password", true, server.BaseUrl() + "/app/service/?op=APP_AUTHEN", {},
       "{\"account\":\"alice@example.com\",\"pwd\":5}", 400},
      {"sign-in without account", true, server.BaseUrl() + "/app/service/?op=APP_AUTHEN", {}, "{\"pwd\":\"x\"}", 400},
      {"upload that is not multipart", true, server.BaseUrl() + "/dfs/service/?op=uploadFile" + u + "&file=x", {},
       "data", 400},
      {"unknown transfer op", false, server.BaseUrl() + "/dfs/service/?op=rsync" + u, {}, "", 501},
  };
  for (const Row& row : rows) {
    HttpReply r = row.post ? HttpPost(row.url, row.body, row.headers) : HttpGet(row.url, row.headers);
    EXPECT_EQ(r.status, 200) << row.name;
    EXPECT_EQ(r.Code(), row.code) << row.name << ": " << r.body;
    EXPECT_FALSE(r.Result()["message"].asString().find('{') != std::string::npos) << row.name;
  }

  // A malformed upload descriptor, a block without its descriptor.
  int64_t id = client.CreateFile(root, "u.bin", "abc").Result()["id"].asInt64();
  Json::Value token = client.UploadToken(id).Result()["token"];
  std::string upload = client.DfsUrl("uploadFile", u + "&file=" + token["docURL"].asString());
  Headers ctx = {{"Authorization", token["context"].asString()}};
  EXPECT_EQ(HttpPostMultipart(upload, {{"dataDescriptor", "{oops"}}, "dataBlocks", "abc", ctx).Code(), 400);
  EXPECT_EQ(HttpPostMultipart(upload, {}, "dataBlocks", "abc", ctx).Code(), 400);
  Json::Value d;
  d["file"]["offset"] = 0;
  d["file"]["length"] = 5;
  d["file"]["checkSumValue"] = Md5("abc");
  d["dataSize"] = 5;
  EXPECT_EQ(HttpPostMultipart(upload, {{"dataDescriptor", ToJson(d)}}, "dataBlocks", "abc", ctx).Code(), 400)
      << "a truncated block";

  // Far too large a body is refused by the HTTP layer.
  EXPECT_EQ(HttpPost(fs + "createDir" + a + "&id=-1" + u, std::string(17 * 1024 * 1024, ' '), auth).status, 413);
  // A body cut short: the connection ends, the service goes on.
  RawExchange(server.port(), "POST /fs/service/?op=createDir HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\n{\"dir\"");
  RawExchange(server.port(), "GARBAGE\r\n\r\n");

  // The service still answers and the store holds what it held.
  ASSERT_EQ(client.GetUser().Code(), 200);
  Json::Value files = client.GetDirFiles(root).Result()["dir"]["files"];
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0]["fileName"].asString(), "keep.txt");
}

TEST(QueryValues, ArePercentDecodedWithPlusKept) {
  dorvtest::DevServerOptions options;
  options.users = {{"a+b@example.com", "pw"}};
  dorvtest::DevServer server(options);
  Client client(server, "a+b@example.com", "pw");
  ASSERT_EQ(client.SignIn().Code(), 200);
  // "+" stays "+", so the account matches.
  EXPECT_EQ(client.GetUser().Code(), 200);
  // Encoded and raw "|" read the same.
  int64_t root = client.MakeDir(-1, "Dorv");
  client.Upload(root, "f", "f");
  EXPECT_EQ(client.SyncDir(root, "0%7C0").Result()["dirFiles"].size(), 1u);
  EXPECT_EQ(client.SyncDir(root, "0|0").Result()["dirFiles"].size(), 1u);
  // An encoded "a" value naming the account.
  EXPECT_EQ(HttpGet(server.BaseUrl() + "/fs/service/?op=getUser&a=a%2Bb%40example.com" + client.U(),
                    client.FsHeaders())
                .Code(),
            200);
}

}  // namespace
}  // namespace devtest
