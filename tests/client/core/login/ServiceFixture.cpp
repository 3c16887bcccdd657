#include "ServiceFixture.h"

#include <chrono>

#include "TempDir.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"
#include "client/core/protocol/HttpTransportHolder.h"
#include "client/core/protocol/JsonText.h"
#include "client/core/protocol/ServerList.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"

namespace signintest {

const char* const kAccount = "alice@example.com";
const char* const kPassword = "secret";

std::unique_ptr<dorvtest::DevServer> ServiceTest::s_server;

void ServiceTest::SetUpTestSuite() {
  dorvtest::DevServerOptions options;
  options.linkHoldMs = 200;
  s_server = std::make_unique<dorvtest::DevServer>(options);
}

void ServiceTest::TearDownTestSuite() { s_server.reset(); }

void ServiceTest::SetUp() {
  DBTest::SetUp();
  ASSERT_TRUE(InitUserTables());
  DeleteProductInfo();
  ASSERT_TRUE(LoadProductInfo());
  DeleteAccountData();
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "server_list.xml", Server().ServerListXml());
  ServerList::LoadInstance(juce::File((dir / "server_list.xml").string()));
  Admin("reset");
}

void ServiceTest::TearDown() {
  ServerList::DeleteInstance();
  DBTest::TearDown();
}

Json::Value ServiceTest::Admin(const std::string& request, const std::string& body) {
  Net::HttpRequest http(Net::HTTP_POST, Server().BaseUrl() + "/admin/" + request);
  http.SetPostContent(body);
  Net::HttpResponse response;
  HttpTransportHolder holder(false);
  EXPECT_TRUE(holder.Exchange(Net::ProxyCfg(), http, response)) << request;
  Json::Value value;
  EXPECT_TRUE(JsonParse(response.GetBody(), value)) << request << ": " << response.GetBody();
  EXPECT_EQ(value["code"].asInt(), 200) << request << ": " << response.GetBody();
  return value["result"];
}

std::string ServiceTest::AdminRaw(const std::string& request) {
  Net::HttpRequest http(Net::HTTP_GET, Server().BaseUrl() + "/admin/" + request);
  Net::HttpResponse response;
  HttpTransportHolder holder(false);
  holder.GetTransport()->SetLimits(Net::LimitsFor(Net::RequestKind::LargeFile));  // may be a file's content
  EXPECT_TRUE(holder.Exchange(Net::ProxyCfg(), http, response)) << request;
  return response.GetBody();
}

int ServiceTest::Requests(const std::string& op) {
  const Json::Value log = Admin("log");
  int count = 0;
  for (const Json::Value& entry : log["entries"])
    if (entry["op"].asString() == op) ++count;
  return count;
}

int ServiceTest::SignIn(LoginManager& manager, const std::string& account, const std::string& password) {
  AfterLoginWaiter waiter(manager);
  manager.Login(juce::String::fromUTF8(account.c_str()), juce::String::fromUTF8(password.c_str()), true, false);
  EXPECT_TRUE(waiter.Wait());
  return manager.GetResultCode();
}

void ServiceTest::SignInWithEngineTables(LoginManager& manager) {
  ASSERT_EQ(SignIn(manager), LoginManager::kOk);
  ASSERT_EQ(OpenUserDB(juce::String(kAccount)), 0);
  GlobalContext* context = GetGlobalContext();
  ASSERT_EQ(context->m_pFileDBManager->CreateDBTable(), 0);
  ASSERT_EQ(context->m_pFolderDBManager->CreateDBTable(), 0);
}

AfterLoginWaiter::AfterLoginWaiter(LoginManager& manager) {
  manager.SetAfterLoginCallBack(this, &AfterLoginWaiter::CallBack);
}

void AfterLoginWaiter::CallBack(void* context) {
  auto* waiter = static_cast<AfterLoginWaiter*>(context);
  std::lock_guard<std::mutex> hold(waiter->m_lock);
  ++waiter->m_count;
  waiter->m_called.notify_all();
}

bool AfterLoginWaiter::Wait() {
  std::unique_lock<std::mutex> hold(m_lock);
  const bool called =
      m_called.wait_for(hold, std::chrono::seconds(30), [&] { return m_count > m_seen; });
  m_seen = m_count;
  return called;
}

int AfterLoginWaiter::Count() {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_count;
}

}  // namespace signintest
