#include "Fixture.h"

namespace devtest {
namespace {

TEST(AppService, SignInAnswersEveryMemberTheClientReads) {
  dorvtest::DevServer server;
  Client client(server, "Alice@Example.com");
  HttpReply r = client.SignIn();
  ASSERT_EQ(r.status, 200);
  ASSERT_EQ(r.Code(), 200);
  Json::Value res = r.Result();
  for (const char* key : {"cid", "sid", "pz", "name", "product", "account"}) {
    EXPECT_TRUE(res[key].isString()) << key;
    EXPECT_FALSE(res[key].asString().empty()) << key;
  }
  EXPECT_TRUE(res["userId"].isInt64());
  EXPECT_EQ(res["firstLogin"].asInt(), 1);
  // The account is found whatever the case of the typed name, and answered as stored.
  EXPECT_EQ(res["account"].asString(), "alice@example.com");
  EXPECT_EQ(client.SignIn().Result()["firstLogin"].asInt(), 0);
}

TEST(AppService, RefusedSignInsCarryTheirCodes) {
  dorvtest::DevServer server;
  Client wrongPassword(server, "alice@example.com", "nope");
  Client unknown(server, "bob@example.com", "secret");
  EXPECT_EQ(wrongPassword.SignIn().Code(), 460);
  EXPECT_EQ(unknown.SignIn().Code(), 420);
}

TEST_F(ServiceTest, SessionRenewalReplacesTheSessionId) {
  Json::Value body;
  body["pz"] = client.pz;
  body["cid"] = client.cid;
  body["name"] = "test-pc";
  HttpReply r = HttpPost(client.AppUrl("APP_GET_SID"), ToJson(body));
  ASSERT_EQ(r.Code(), 200);
  std::string oldSid = client.sid;
  client.sid = r.Result()["sid"].asString();
  EXPECT_NE(client.sid, oldSid);
  EXPECT_EQ(client.GetUser().Code(), 200);
  client.sid = oldSid;
  EXPECT_EQ(client.GetUser().Code(), 401);

  body["pz"] = "not-a-token";
  HttpReply bad = HttpPost(client.AppUrl("APP_GET_SID"), ToJson(body));
  EXPECT_EQ(bad.Code(), 401);
  EXPECT_FALSE(bad.Result().isMember("sid"));
}

TEST_F(ServiceTest, ClientIdRenewalKeepsTheSessionAndFeedsTheLinkPoll) {
  Admin(server, "expire-clients?account=" + client.account);
  EXPECT_EQ(client.Poll().Code(), 413);
  Json::Value body;
  body["pz"] = client.pz;
  body["ip"] = "127.0.0.1";
  body["name"] = "test-pc";
  HttpReply r = HttpPost(client.AppUrl("APP_GET_CID"), ToJson(body));
  ASSERT_EQ(r.Code(), 200);
  client.cid = r.Result()["cid"].asString();
  EXPECT_FALSE(r.Result()["sid"].asString().empty());
  EXPECT_EQ(client.Poll().Code(), 408);
  EXPECT_EQ(client.GetUser().Code(), 200);
}

TEST_F(ServiceTest, LogoutEndsTheDevicesSession) {
  Json::Value body;
  body["account"] = client.account;
  body["cid"] = client.cid;
  EXPECT_EQ(HttpPost(client.AppUrl("APP_LOGOUT"), ToJson(body)).Code(), 200);
  EXPECT_EQ(client.GetUser().Code(), 401);
  EXPECT_EQ(client.Poll().Code(), 413);
  // Logging out twice is no error.
  EXPECT_EQ(HttpPost(client.AppUrl("APP_LOGOUT"), ToJson(body)).Code(), 200);
}

TEST_F(ServiceTest, UserRecordCarriesQuotaAndUsage) {
  ASSERT_NE(client.Upload(Root(), "a.txt", "12345").type(), Json::nullValue);
  HttpReply r = client.GetUser();
  ASSERT_EQ(r.Code(), 200);
  Json::Value user = r.Result()["user"];
  EXPECT_EQ(user["id"].asInt64(), client.userId);
  EXPECT_EQ(user["fileConfig"]["szm"].asInt64(), 2147483647);
  EXPECT_GT(user["fileConfig"]["dym"].asInt(), 0);
  EXPECT_EQ(user["filesStats"]["spaceUsed"].asInt64(), 5);
  EXPECT_EQ(user["filesStats"]["filesCount"].asInt(), 1);
  EXPECT_EQ(user["filesStats"]["dirsCount"].asInt(), 1);
  HttpReply counts = client.FsGet("getUserFilesCount", client.U() + "&id=" + std::to_string(client.userId));
  EXPECT_EQ(counts.Result()["user"]["capacity"].asInt64(), user["capacity"].asInt64());
  EXPECT_EQ(counts.Result()["user"]["filesStats"]["filesCount"].asInt(), 1);
}

TEST_F(ServiceTest, SessionMustMatchTheQuery) {
  Client other(server, "bob@example.com", "pw");
  Admin(server, "user?account=bob@example.com&password=pw");
  ASSERT_EQ(other.SignIn().Code(), 200);
  // Bob's session with Alice's user id, or with Alice's account as "a".
  client.sid = other.sid;
  EXPECT_EQ(client.GetUser().Code(), 403);
  other.account = "alice@example.com";
  EXPECT_EQ(other.GetUser().Code(), 403);
}

}  // namespace
}  // namespace devtest
