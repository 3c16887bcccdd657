#include <future>

#include "Fixture.h"

namespace devtest {
namespace {

dorvtest::DevServerOptions Hold(int ms) {
  dorvtest::DevServerOptions o;
  o.linkHoldMs = ms;
  return o;
}

TEST(LinkPoll, PlainTimeoutAnswers408) {
  dorvtest::DevServer server(Hold(200));
  Client client(server);
  ASSERT_EQ(client.SignIn().Code(), 200);
  HttpReply r = client.Poll();
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.Code(), 408);
}

TEST(LinkPoll, ChangeWakesTheWaitingPollWithTheNewCounter) {
  // A hold far longer than the test: only news ends the poll.
  dorvtest::DevServer server(Hold(120000));
  Client client(server);
  ASSERT_EQ(client.SignIn().Code(), 200);
  int64_t root = client.MakeDir(-1, "Dorv");
  // The sign-in's own change is news for the first poll.
  HttpReply first = client.Poll();
  ASSERT_EQ(first.Code(), 200);
  int64_t t0 = first.Result()["t"].asInt64();

  auto poll = std::async(std::launch::async, [&] { return client.Poll(); });
  HttpReply put = Admin(server, "put?account=" + client.account + "&parentId=" + std::to_string(root) +
                                    "&name=x.txt", "x");
  ASSERT_EQ(put.Code(), 200);
  HttpReply woke = poll.get();
  ASSERT_EQ(woke.Code(), 200);
  EXPECT_EQ(woke.Result()["t"].asInt64(), VersionNumber(put.Result()["file"]));
  EXPECT_GT(woke.Result()["t"].asInt64(), t0);

  // A change between two polls is news for the next one at once.
  Json::Value own = client.Upload(root, "own.txt", "mine");
  HttpReply next = client.Poll();
  ASSERT_EQ(next.Code(), 200);
  EXPECT_EQ(next.Result()["t"].asInt64(), VersionNumber(own));
}

TEST(LinkPoll, UnknownClientOrAccount) {
  dorvtest::DevServer server(Hold(200));
  Client client(server);
  ASSERT_EQ(client.SignIn().Code(), 200);
  std::string base = server.BaseUrl() + "/link/service/?op=LINK_BEATHEART";
  EXPECT_EQ(HttpGet(base + "&account=" + client.account + "&cid=unknown").Code(), 413);
  EXPECT_EQ(HttpGet(base + "&account=nobody@example.com&cid=" + client.cid).Code(), 404);
  EXPECT_EQ(HttpGet(base + "&account=" + client.account).Code(), 400);
  // Another account's client id is not this account's.
  Admin(server, "user?account=bob@example.com&password=pw");
  Client bob(server, "bob@example.com", "pw");
  ASSERT_EQ(bob.SignIn().Code(), 200);
  EXPECT_EQ(HttpGet(base + "&account=" + client.account + "&cid=" + bob.cid).Code(), 413);
}

}  // namespace
}  // namespace devtest
