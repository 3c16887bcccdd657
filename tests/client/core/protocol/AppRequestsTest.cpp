#include <gtest/gtest.h>

#include "ProtocolFixture.h"
#include "RequestView.h"
#include "client/core/protocol/AppRequests.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"

using namespace protocoltest;
using Keys = std::vector<std::string>;

namespace {

class AppRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    UseServerList(ServerListXml("http://svc.test:81"));
    // Signed in or not, app requests never carry the account pair.
    SetAccount("ann@example.com", SignedIn::Yes);
  }
  void TearDown() override { ServerList::DeleteInstance(); }
};

void Respond(Net::HttpResponse& response, int status, const std::string& body) {
  response.SetStatusCode(status);
  response.BeginBody(static_cast<int64_t>(body.size()));
  response.AppendBody(body.data(), body.size());
  response.EndBody();
}

}  // namespace

TEST_F(AppRequests, SignInSendsTheHashedPasswordAndTheUserAgent) {
  Net::HttpRequest plain;
  AuthenRequest::FillHttpRequest({"ann@example.com", "secret", "10.0.0.2"}, &plain, AuthenRequest::Password::Plain);
  const RequestView view(plain);
  EXPECT_EQ(view.method, Net::HTTP_POST);
  EXPECT_EQ(view.base, "http://svc.test:81/app/service/");
  EXPECT_EQ(view.Keys(), (Keys{"op"}));
  EXPECT_EQ(view.Value("op"), "APP_AUTHEN");
  EXPECT_EQ(view.body["account"].asString(), "ann@example.com");
  EXPECT_EQ(view.body["pwd"].asString(), "5ebe2294ecd0e0f08eab7690d2a6ee69");
  EXPECT_EQ(view.body["ip"].asString(), "10.0.0.2");
  EXPECT_EQ(view.body["name"].asString(), GetComputerNameUtf8());
  EXPECT_EQ(view.Header("User-Agent").rfind("Windows|6.1|", 0), 0u) << view.Header("User-Agent");
  EXPECT_EQ(view.Header("Authorization"), "<absent>");
  EXPECT_EQ(view.Header("x-hlvn-meta-product"), "<absent>");

  Net::HttpRequest hashed;
  AuthenRequest::FillHttpRequest({"ann@example.com", "5ebe2294ecd0e0f08eab7690d2a6ee69", ""}, &hashed,
                                 AuthenRequest::Password::Hashed);
  EXPECT_EQ(RequestView(hashed).body["pwd"].asString(), "5ebe2294ecd0e0f08eab7690d2a6ee69");
}

TEST_F(AppRequests, SignOutAndRenewalsCarryTheirMembersAndHeaders) {
  Net::HttpRequest logout;
  LogoutRequest::FillHttpRequest({"ann@example.com", "cid-1"}, &logout);
  const RequestView out(logout);
  EXPECT_EQ(out.Value("op"), "APP_LOGOUT");
  EXPECT_EQ(out.body, ParseJson(R"({"account": "ann@example.com", "cid": "cid-1"})"));
  EXPECT_TRUE(out.headers.empty());

  Net::HttpRequest sid;
  GetSidRequest::FillHttpRequest({"pz-1", "cid-1", "Dorv Pro"}, &sid);
  const RequestView s(sid);
  EXPECT_EQ(s.Value("op"), "APP_GET_SID");
  EXPECT_EQ(s.body["pz"].asString(), "pz-1");
  EXPECT_EQ(s.body["cid"].asString(), "cid-1");
  EXPECT_TRUE(s.body.isMember("name"));
  EXPECT_EQ(s.Header("x-hlvn-meta-product"), "Dorv Pro");
  EXPECT_NE(s.Header("User-Agent"), "<absent>");

  Net::HttpRequest cid;
  GetCidRequest::FillHttpRequest({"pz-1", "Dorv Pro", "10.0.0.2"}, &cid);
  const RequestView c(cid);
  EXPECT_EQ(c.Value("op"), "APP_GET_CID");
  EXPECT_EQ(c.body["pz"].asString(), "pz-1");
  EXPECT_EQ(c.body["ip"].asString(), "10.0.0.2");
  EXPECT_EQ(c.Header("x-hlvn-meta-product"), "Dorv Pro");
}

TEST(UserAgent, AnUnknownAdapterBecomesZeros) {
  EXPECT_EQ(BuildUserAgent(6, 1, "unknown_mac_address"), "Windows|6.1|00-00-00-00-00-00");
  EXPECT_EQ(BuildUserAgent(6, 1, ""), "Windows|6.1|00-00-00-00-00-00");
  EXPECT_EQ(BuildUserAgent(10, 0, "0a-1b-2c-3d-4e-5f"), "Windows|10.0|0a-1b-2c-3d-4e-5f");
  EXPECT_EQ(BuildUserAgent(6, 1, std::string(200, 'x')).size(), 98u);
}

TEST(AppReplies, SignInReplyIsOkOnlyWithCode200) {
  AuthenReply reply;
  AuthenReply::ReadBody(R"({"code": 200, "result": {"cid": "c", "sid": "s", "pz": "p", "userId": 8589934592,
      "name": "n", "product": "Dorv Pro", "firstLogin": 1, "account": "ann"}})",
                        reply);
  EXPECT_TRUE(reply.ok);
  EXPECT_EQ(reply.userId, 8589934592LL);
  EXPECT_EQ(reply.product, "Dorv Pro");
  EXPECT_EQ(reply.firstLogin, 1);
  EXPECT_EQ(reply.account, "ann");

  AuthenReply refused;
  AuthenReply::ReadBody(R"({"code": 460, "result": {}})", refused);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.code, 460);

  AuthenReply broken;
  AuthenReply::ReadBody(R"({"code": 200, "result": {"userId": "8"}})", broken);
  EXPECT_FALSE(broken.ok);
  EXPECT_EQ(broken.code, 1000);
}

// An error reply must never blank the session's id: a renewal counts only
// with code 200 and a new id.
TEST(AppReplies, ARenewalSucceedsOnlyWithCode200AndANewId) {
  struct Row {
    const char* body;
    int code;
    bool ok;
  } rows[] = {
      {R"({"code": 200, "result": {"sid": "s2", "cid": "c2"}})", 200, true},
      {R"({"code": 401, "result": {}})", 401, false},
      {R"({"code": 401, "result": {"sid": "s2", "cid": "c2"}})", 401, false},
      {R"({"code": 200, "result": {"sid": "", "cid": ""}})", 200, false},
      {R"({"code": 200, "result": {"sid": 5, "cid": 5}})", 1000, false},
      {"<html>gateway</html>", 1000, false},
  };
  for (const Row& row : rows) {
    GetSidReply sid;
    GetSidReply::ReadBody(row.body, sid);
    EXPECT_EQ(sid.code, row.code) << row.body;
    EXPECT_EQ(sid.ok, row.ok) << row.body;
    GetCidReply cid;
    GetCidReply::ReadBody(row.body, cid);
    EXPECT_EQ(cid.code, row.code) << row.body;
    EXPECT_EQ(cid.ok, row.ok) << row.body;
  }
}

TEST(AppReplies, OnlyAResponseWithStatus200IsRead) {
  Net::HttpResponse error;
  Respond(error, 500, R"({"code": 200, "result": {"sid": "s"}})");
  GetSidReply reply;
  GetSidReply::ParseResponse(&error, reply);
  EXPECT_EQ(reply.code, -1);
  EXPECT_FALSE(reply.ok);
  GetSidReply::ParseResponse(nullptr, reply);
  EXPECT_EQ(reply.code, -1);

  Net::HttpResponse good;
  Respond(good, 200, R"({"code": 200, "result": {"sid": "s"}})");
  GetSidReply::ParseResponse(&good, reply);
  EXPECT_TRUE(reply.ok);
  EXPECT_EQ(reply.sid, "s");

  LogoutReply out;
  Net::HttpResponse logout;
  Respond(logout, 200, R"({"code": 200})");
  LogoutReply::ParseResponse(&logout, out);
  EXPECT_TRUE(out.ok);
}
