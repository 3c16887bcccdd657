#include <future>

#include "Fixture.h"

namespace devtest {
namespace {

TEST_F(ServiceTest, InjectedFaultsHitTheChosenOperation) {
  int64_t root = Root();
  // Once: the next getUser gets the code, the one after is served.
  Admin(server, "fault?op=getUser&code=503");
  EXPECT_EQ(client.GetUser().Code(), 503);
  EXPECT_EQ(client.GetUser().Code(), 200);
  // A non-200 status with no body.
  Admin(server, "fault?op=syncDir&http=500");
  HttpReply r = client.SyncDir(root, "0|0");
  EXPECT_EQ(r.status, 500);
  EXPECT_TRUE(r.body.empty());
  // A dropped connection: the transfer breaks.
  Admin(server, "fault?op=getDirFiles&drop=1");
  EXPECT_NE(client.GetDirFiles(root).error, CURLE_OK);
  // Always, after skipping one.
  Admin(server, "fault?op=createDir&code=802&times=0&skip=1");
  EXPECT_EQ(client.CreateDir(root, "a").Code(), 200);
  EXPECT_EQ(client.CreateDir(root, "b").Code(), 802);
  EXPECT_EQ(client.CreateDir(root, "c").Code(), 802);
  Admin(server, "faults/clear");
  EXPECT_EQ(client.CreateDir(root, "d").Code(), 200);
}

TEST_F(ServiceTest, DelayedRequestIsAnsweredAfterALaterOne) {
  Admin(server, "log/clear");
  Admin(server, "fault?op=getUser&delayMs=1000");
  auto slow = std::async(std::launch::async, [&] { return client.GetUser(); });
  // The delayed request is logged once answered; the quick one overtakes it.
  EXPECT_EQ(client.SyncDir(Root(), "0|0").Code(), 200);
  EXPECT_EQ(slow.get().Code(), 200);
  Json::Value log = RequestLog(server);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[2]["op"].asString(), "getUser");
}

TEST_F(ServiceTest, FaultAfterTheOperationLosesOnlyTheAnswer) {
  Admin(server, "fault?op=createDir&drop=1&afterOp=1");
  EXPECT_NE(client.CreateDir(-1, "made").error, CURLE_OK);
  // The folder was made: policy 2 finds it.
  EXPECT_EQ(client.CreateDir(-1, "made", 2).Result()["type"].asInt(), 1);
}

TEST_F(ServiceTest, WrongMd5FaultSpoilsTheDownloadedContent) {
  Json::Value file = client.Upload(Root(), "m.txt", "payload");
  Admin(server, "fault?op=downloadFile&wrongMd5=1");
  std::string got = client.Download(file["id"].asInt64(), 7);
  EXPECT_EQ(got.size(), 7u);
  EXPECT_NE(Md5(got), Md5("payload"));
  EXPECT_EQ(client.Download(file["id"].asInt64()), "payload");
}

TEST_F(ServiceTest, ErrorFaultOnARangedDownloadIsTheWholeErrorReply) {
  Json::Value file = client.Upload(Root(), "r.txt", "ranged payload");
  HttpReply token = client.DownloadToken(file["id"].asInt64());
  ASSERT_EQ(token.Code(), 200);
  Admin(server, "fault?op=downloadFile&code=503");
  HttpReply reply = client.DownloadRange(token.Result()["token"], 0, 3);
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.Code(), 503) << reply.body;
}

TEST_F(ServiceTest, RequestLogRecordsOperationsWithTheirCodes) {
  Admin(server, "log/clear");
  client.CreateDir(424242, "x");
  client.GetUser();
  Json::Value log = RequestLog(server);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0]["op"].asString(), "createDir");
  EXPECT_EQ(log[0]["code"].asInt(), 704);
  EXPECT_EQ(log[0]["status"].asInt(), 200);
  EXPECT_NE(log[0]["query"].asString().find("a=alice@example.com"), std::string::npos);
  EXPECT_EQ(log[1]["op"].asString(), "getUser");
  EXPECT_EQ(RequestLog(server, log[1]["seq"].asInt64()).size(), 0u);
}

TEST_F(ServiceTest, ResetEmptiesTheStoreButKeepsAccounts) {
  client.Upload(Root(), "f", "f");
  ASSERT_EQ(Admin(server, "reset").Code(), 200);
  EXPECT_EQ(client.GetUser().Code(), 401) << "sessions are gone";
  ASSERT_EQ(client.SignIn().Code(), 200);
  Json::Value tree = HttpGet(server.BaseUrl() + "/admin/tree?account=" + client.account).Result();
  EXPECT_EQ(tree["items"].size(), 0u);
  EXPECT_EQ(tree["g"].asInt64(), 0);
}

TEST_F(ServiceTest, AnotherDeviceChangesShowInThePull) {
  int64_t root = Root();
  std::string account = "account=" + client.account;
  Json::Value dir = Admin(server, "mkdir?" + account + "&parentId=" + std::to_string(root) + "&name=d").Result()["dir"];
  Json::Value file =
      Admin(server, "put?" + account + "&parentId=" + dir["id"].asString() + "&name=f.txt", "bytes").Result()["file"];
  Admin(server, "rename?" + account + "&id=" + file["id"].asString() + "&name=g.txt");
  Admin(server, "move?" + account + "&id=" + file["id"].asString() + "&parentId=" + std::to_string(root));
  EXPECT_EQ(Admin(server, "move?" + account + "&id=" + dir["id"].asString() + "&parentId=" + dir["id"].asString()).Code(),
            701);
  Admin(server, "delete?" + account + "&id=" + dir["id"].asString());
  Json::Value entries = client.SyncDir(root, "0|" + std::to_string(VersionNumber(dir) - 1)).Result()["dirFiles"];
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(entries[0]["isFile"].asBool());
  EXPECT_EQ(entries[0]["file"]["fileName"].asString(), "g.txt");
  EXPECT_EQ(entries[0]["file"]["parentId"].asInt64(), root);
  EXPECT_EQ(entries[0]["file"]["version"]["type"].asInt(), 1);
  EXPECT_EQ(entries[1]["dir"]["status"].asInt(), 1);
  EXPECT_EQ(HttpGet(server.BaseUrl() + "/admin/content?" + account + "&id=" + file["id"].asString()).body, "bytes");
}

TEST(Admin, DisabledWithoutTheSwitch) {
  dorvtest::DevServerOptions o;
  o.admin = false;
  dorvtest::DevServer server(o);
  EXPECT_EQ(HttpPost(server.BaseUrl() + "/admin/reset", "").status, 404);
}

TEST(StaticFiles, UsageEventsAndUpdateFilesAreServed) {
  dorvtest::TempDir update("dorv-update");
  dorvtest::WriteFile(update / "update.xml", "<update><Version VersionID=\"2.0\"/></update>");
  dorvtest::WriteFile(update / "setup.exe", std::string(100000, 'S'));
  dorvtest::DevServerOptions o;
  o.updateDir = update.path();
  dorvtest::DevServer server(o);
  std::string base = server.BaseUrl();
  EXPECT_EQ(HttpGet(base + "/stat.cloudstorage.pc/00-11-22-33-44-55/login/alice+1@example.com").status, 200);
  EXPECT_EQ(HttpGet(base + "/stat.cloudstorage.pc/unknown_mac_address/default/sync_immediately%09").status, 200);
  Json::Value events = HttpGet(base + "/admin/stats").Result()["events"];
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0]["category"].asString(), "login");
  EXPECT_EQ(events[0]["event"].asString(), "alice+1@example.com");
  EXPECT_EQ(events[1]["event"].asString(), "sync_immediately\t");

  HttpReply xml = HttpGet(base + "/client/dorv/update/update.xml");
  EXPECT_EQ(xml.status, 200);
  EXPECT_EQ(xml.body, "<update><Version VersionID=\"2.0\"/></update>");
  EXPECT_EQ(HttpGet(base + "/client/dorv/update/setup.exe").body.size(), 100000u);
  EXPECT_EQ(HttpGet(base + "/client/dorv/update/missing.exe").status, 404);
  EXPECT_EQ(HttpGet(base + "/client/dorv/update/../devserver.db").status, 404);
  EXPECT_EQ(HttpGet(base + "/client/dorv/update/%2e%2e/devserver.db").status, 404);
}

}  // namespace
}  // namespace devtest
