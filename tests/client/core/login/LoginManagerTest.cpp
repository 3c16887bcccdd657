// Sign-in, sign-out and the renewals of the session and client ids against
// the local cloud service.
#include <gtest/gtest.h>

#include <memory>

#include <chrono>
#include <thread>

#include <juce_cryptography/juce_cryptography.h>

#include <vector>

#include "ServiceFixture.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/login/LoginEvents.h"
#include "client/core/login/LoginTask.h"
#include "client/core/login/LogoutTask.h"
#include "client/core/login/UserDataTasks.h"
#include "client/core/login/SessionRenewal.h"
#include "client/core/protocol/HttpTransportHolder.h"
#include "client/core/protocol/JsonText.h"
#include "client/core/protocol/QueryString.h"
#include "client/core/protocol/RequestFrame.h"
#include "client/core/protocol/ServerList.h"
#include "client/core/tasks/GetSerDirTask.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"

using namespace signintest;

namespace {

const juce::String kPasswordHash = juce::MD5(juce::String(kPassword).toUTF8()).toHexString();

class LoginTest : public ServiceTest {
 protected:
  void TearDown() override {
    LoginEvents::SetRestartLinkService(nullptr);
    ServiceTest::TearDown();
  }

  // Returns once the service has taken every fault rule, that is, once the
  // requests they were meant for have arrived.
  static void WaitUntilFaultsTaken() {
    for (int i = 0; i < 10000 && Admin("faults")["faults"].size() > 0; ++i) {
    }
    ASSERT_EQ(Admin("faults")["faults"].size(), 0u);
  }

  // The service's code for the root listing made with the account data's
  // session (GetSerDirTask run on this thread).
  static int ListRootCode() {
    GetSerDirTask task("GetSerDirTask");
    task.ExecuteWorkTask();
    return task.m_reply.code;
  }

  // The link poll's code for the account data's account and client id.
  static int LinkCode() {
    const AccountSnapshot account = GetAccountData()->GetSnapshot();
    std::string url = OperationUrl(ServerList::GetInstance()->GetLinkServer(), "LINK_BEATHEART");
    AppendQueryString(account.m_sAccount.toStdString(), url, "account");
    AppendQueryString(account.m_sClientID.toStdString(), url, "cid");
    Net::HttpRequest request(Net::HTTP_GET, url);
    Net::HttpResponse response;
    HttpTransportHolder holder(true);
    if (!holder.Exchange(Net::ProxyCfg(), request, response)) return -1;
    Json::Value value;
    return JsonParse(response.GetBody(), value) ? value["code"].asInt() : 1000;
  }
};

TEST_F(LoginTest, SignInFillsTheAccountProductAndQuota) {
  int restarts = 0;
  LoginEvents::SetRestartLinkService([&] { ++restarts; });

  LoginManager manager;
  ASSERT_EQ(SignIn(manager), LoginManager::kOk);
  EXPECT_FALSE(manager.IsLogining());
  EXPECT_EQ(manager.GetUserName(), kAccount);
  EXPECT_TRUE(LoginManager::IsFirstAccount()) << "no account had signed in here";

  AccountData* data = GetAccountData();
  EXPECT_TRUE(data->IsLoggedIn());
  const AccountSnapshot account = data->GetSnapshot();
  EXPECT_EQ(account.m_sAccount, kAccount);
  EXPECT_EQ(account.FullName, kAccount);
  EXPECT_EQ(account.m_sShortName, "alice");
  EXPECT_EQ(account.m_sPassword, kPasswordHash);
  EXPECT_FALSE(account.m_sSessionID.isEmpty());
  EXPECT_FALSE(account.m_sClientID.isEmpty());
  EXPECT_FALSE(account.m_sLoginToken.isEmpty());
  EXPECT_GT(account.UserID, 0);
  EXPECT_EQ(account.IsAutoLogin, 1);
  EXPECT_EQ(data->GetUserConfig().UC_FileSizeLimit, 2147483647) << "the service's default file limit";

  EXPECT_EQ(GetProductInfo().ProductName, "dorv");
  ProductInfo stored;
  ASSERT_TRUE(LoadProductInfo(stored));
  EXPECT_EQ(stored.ProductName, "dorv") << "the product name is saved in the main database";
  AccountData reread;
  reread.SetSnapshot(account);
  ASSERT_TRUE(LoadUserConfig(&reread, kAccount));
  EXPECT_EQ(reread.GetUserConfig().UC_FileSizeLimit, 2147483647) << "the quota is saved as the UserConfig row";

  EXPECT_EQ(restarts, 1);
  // The "login" usage event is fire and forget: watch the service until it is there.
  Json::Value events;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while ((events = Admin("stats")["events"]).empty() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0]["category"].asString(), "login");
  EXPECT_EQ(events[0]["event"].asString(), kAccount);
  EXPECT_EQ(ListRootCode(), 200) << "requests go out with the new session";
}

TEST_F(LoginTest, EachRefusalMapsToItsResultAndWritesNothing) {
  struct Case {
    std::string fault;  // an admin fault rule, or empty
    std::string account;
    std::string password;
    int result;
    int serverCode;
  };
  const std::vector<Case> cases = {
      {"", kAccount, "wrong", 3, 460},
      {"", "nobody@example.com", kPassword, 3, 420},
      {"code=401", kAccount, kPassword, 3, 401},
      {"code=403", kAccount, kPassword, 13, 403},
      {"code=412", kAccount, kPassword, 5, 412},
      {"code=415", kAccount, kPassword, 8, 415},
      {"code=416", kAccount, kPassword, 10, 416},
      {"code=417", kAccount, kPassword, 9, 417},
      {"code=418", kAccount, kPassword, 9, 418},
      {"code=419", kAccount, kPassword, 10, 419},
      {"code=422", kAccount, kPassword, 6, 422},
      {"code=423", kAccount, kPassword, 7, 423},
      {"code=500", kAccount, kPassword, 4, 500},
      {"code=503", kAccount, kPassword, 4, 503},
      {"code=577", kAccount, kPassword, 11, 577},
      {"code=999", kAccount, kPassword, 14, 999},
      {"http=503", kAccount, kPassword, 4, 503},
      {"http=500", kAccount, kPassword, 4, 500},
      {"http=404", kAccount, kPassword, 2, 404},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault.empty() ? c.account + "/" + c.password : c.fault);
    if (!c.fault.empty()) Fault("op=APP_AUTHEN&" + c.fault);
    LoginManager manager;
    EXPECT_EQ(SignIn(manager, c.account, c.password), c.result);
    EXPECT_EQ(manager.GetServerCode(), c.serverCode);
    EXPECT_FALSE(manager.IsLogining());
    EXPECT_FALSE(GetAccountData()->IsLoggedIn());
    EXPECT_TRUE(GetAccountData()->GetSnapshot().m_sSessionID.isEmpty());
  }
}

TEST_F(LoginTest, ADeadServiceIsANetworkFailure) {
  dorvtest::DevServer other;
  const std::string xml = other.ServerListXml();
  other.Stop();
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "server_list.xml", xml);
  ServerList::LoadInstance(juce::File((dir / "server_list.xml").string()));

  LoginManager manager;
  EXPECT_EQ(SignIn(manager), LoginManager::kNetworkError);
  EXPECT_EQ(manager.GetServerCode(), 0) << "no HTTP status arrived";
}

TEST_F(LoginTest, AFailedQuotaQueryStillSignsInWithTheStoredQuota) {
  AccountData earlier;
  AccountSnapshot snapshot;
  snapshot.m_sAccount = kAccount;
  earlier.SetSnapshot(snapshot);
  UserConfigInfo stored;
  stored.UC_FileSizeLimit = 12345;
  SaveUserConfig(&earlier, stored);

  Fault("op=getUser&code=500");
  LoginManager manager;
  EXPECT_EQ(SignIn(manager), LoginManager::kOkLocalConfig);
  EXPECT_TRUE(GetAccountData()->IsLoggedIn());
  EXPECT_EQ(GetAccountData()->GetUserConfig().UC_FileSizeLimit, 12345);
}

TEST_F(LoginTest, AutomaticSignInUsesTheStoredAccount) {
  AccountSnapshot stored;
  stored.FullName = kAccount;
  stored.m_sAccount = kAccount;
  stored.m_sPassword = kPasswordHash;
  SaveAccountData(stored, GetAccountData());
  DeleteAccountData();
  ASSERT_TRUE(LoadAccountData(kAccount));

  LoginManager manager;
  AfterLoginWaiter waiter(manager);
  manager.AutoLogin();
  ASSERT_TRUE(waiter.Wait());
  EXPECT_EQ(manager.GetResultCode(), LoginManager::kOk);
  EXPECT_FALSE(LoginManager::IsFirstAccount()) << "the account's row was there before";
  EXPECT_EQ(GetAccountData()->GetSnapshot().m_sPassword, kPasswordHash);
  EXPECT_FALSE(GetAccountData()->GetSnapshot().m_sSessionID.isEmpty());
}

TEST_F(LoginTest, ASecondSignInWhileOneRunsIsRefused) {
  Fault("op=APP_AUTHEN&delayMs=300");
  LoginManager manager;
  AfterLoginWaiter waiter(manager);
  manager.Login(kAccount, kPassword, true, false);
  EXPECT_TRUE(manager.IsLogining());
  manager.Login(kAccount, "other", true, false);
  ASSERT_TRUE(waiter.Wait());
  EXPECT_EQ(manager.GetResultCode(), LoginManager::kOk) << "the first sign-in went on unchanged";
  EXPECT_EQ(Requests("APP_AUTHEN"), 1);
  EXPECT_EQ(waiter.Count(), 1);
}

TEST_F(LoginTest, ExitingBeforeTheReplySilencesTheSignIn) {
  Fault("op=APP_AUTHEN&delayMs=300");
  LoginManager manager;
  AfterLoginWaiter waiter(manager);
  manager.Login(kAccount, kPassword, true, false);
  WaitUntilFaultsTaken();  // the sign-in has reached the service and waits for its answer
  manager.SetExiting();
  FreeThreadsPools();  // waits for the sign-in task to end
  EXPECT_EQ(Requests("APP_AUTHEN"), 1);
  EXPECT_EQ(waiter.Count(), 0);
  EXPECT_FALSE(manager.IsLogining());
  EXPECT_FALSE(GetAccountData()->IsLoggedIn());
  EXPECT_TRUE(GetAccountData()->GetSnapshot().m_sSessionID.isEmpty()) << "no account data was written";
  EXPECT_EQ(Requests("getUser"), 0);
}

TEST_F(LoginTest, AManagerDeletedWhileItsSignInRunsIsNeverReachedAgain) {
  Fault("op=APP_AUTHEN&delayMs=300");
  auto manager = std::make_unique<LoginManager>();
  AfterLoginWaiter waiter(*manager);
  manager->Login(kAccount, kPassword, true, false);
  WaitUntilFaultsTaken();
  manager.reset();  // the task on the pool still holds its way back
  FreeThreadsPools();  // the reply arrives and finds nobody
  EXPECT_EQ(Requests("APP_AUTHEN"), 1);
  EXPECT_EQ(waiter.Count(), 0);
  EXPECT_TRUE(GetAccountData()->GetSnapshot().m_sSessionID.isEmpty());
}

TEST_F(LoginTest, TasksReportOnlyToCallbacksThatAreSet) {
  LoginTask unheard(AuthenRequest{kAccount, kPasswordHash.toStdString(), "127.0.0.1"}, true);
  EXPECT_EQ(unheard.ExecuteWorkTask(), 2);
  EXPECT_EQ(Requests("APP_AUTHEN"), 0) << "a sign-in nobody hears is not sent";

  LoginManager manager;
  ASSERT_EQ(SignIn(manager), LoginManager::kOk);
  const RequestHeader header = CurrentRequestHeader();
  struct Seen {
    int calls = 0;
    bool counts = false;
  } seen;
  const auto counted = [](void* context, const UserFilesCountReply* counts) {
    auto* s = static_cast<Seen*>(context);
    ++s->calls;
    s->counts = counts != nullptr && counts->capacity > 0;
  };
  QueryUserFileDataTask query(header, &seen, counted);
  EXPECT_EQ(query.ExecuteWorkTask(), 0);
  EXPECT_EQ(seen.calls, 1);
  EXPECT_TRUE(seen.counts);

  Fault("op=getUserFilesCount&code=500");
  QueryUserFileDataTask refused(header, &seen, counted);
  refused.ExecuteWorkTask();
  EXPECT_EQ(seen.calls, 2);
  EXPECT_FALSE(seen.counts) << "a refused query reports no values";

  QueryUserDataTask silent(header, &seen, nullptr);
  EXPECT_EQ(silent.ExecuteWorkTask(), 0) << "a context without a callback is not called";
  EXPECT_EQ(seen.calls, 2);
}

TEST_F(LoginTest, SignOutEndsTheSession) {
  LoginManager manager;
  ASSERT_EQ(SignIn(manager), LoginManager::kOk);
  const AccountSnapshot account = GetAccountData()->GetSnapshot();
  ASSERT_EQ(ListRootCode(), 200);

  LogoutTask logout("LogoutTask", account.m_sAccount.toStdString(), account.m_sClientID.toStdString());
  EXPECT_EQ(logout.ExecuteWorkTask(), 0);
  EXPECT_EQ(ListRootCode(), 401) << "the session ended with the sign-out";

  Fault("op=APP_LOGOUT&code=500");
  LogoutTask refused("LogoutTask", account.m_sAccount.toStdString(), account.m_sClientID.toStdString());
  EXPECT_EQ(refused.ExecuteWorkTask(), 1);
}

TEST_F(LoginTest, AnExpiredSessionIsRenewed) {
  LoginManager manager;
  ASSERT_EQ(SignIn(manager), LoginManager::kOk);
  const juce::String before = GetAccountData()->GetSessionID();
  Admin("expire-sessions?account=" + std::string(kAccount));
  ASSERT_EQ(ListRootCode(), 401);

  Fault("op=APP_GET_SID&code=401");
  EXPECT_FALSE(UpdateSID(GetAccountData()));
  EXPECT_EQ(GetAccountData()->GetSessionID(), before) << "a refused renewal leaves the session id";

  EXPECT_TRUE(UpdateSID(GetAccountData()));
  EXPECT_NE(GetAccountData()->GetSessionID(), before);
  EXPECT_EQ(ListRootCode(), 200);
}

TEST_F(LoginTest, ARefusedClientIdIsRenewed) {
  LoginManager manager;
  ASSERT_EQ(SignIn(manager), LoginManager::kOk);
  const juce::String before = GetAccountData()->GetClientID();
  Admin("expire-clients?account=" + std::string(kAccount));
  ASSERT_EQ(LinkCode(), 413);

  Fault("op=APP_GET_CID&http=500");
  EXPECT_FALSE(UpdateClientID(GetAccountData()));
  EXPECT_EQ(GetAccountData()->GetClientID(), before) << "a failed renewal leaves the client id";

  EXPECT_TRUE(UpdateClientID(GetAccountData()));
  EXPECT_NE(GetAccountData()->GetClientID(), before);
  EXPECT_NE(LinkCode(), 413);
}

}  // namespace
