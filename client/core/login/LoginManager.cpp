#include "client/core/login/LoginManager.h"

#include <juce_cryptography/juce_cryptography.h>

#include "base/MyThreadsPool.h"
#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/login/LocalIP.h"
#include "client/core/login/LoginEvents.h"
#include "client/core/login/LoginTask.h"
#include "client/core/login/UserDataTasks.h"
#include "client/core/stats/StatisticsTask.h"
#include "common/StringConvert.h"

std::atomic<bool> LoginManager::s_bFirstAccount{false};
std::atomic<bool> LoginManager::s_bFirstLogin{false};

namespace {

// The quota and limits of the user record as the account's stored config.
UserConfigInfo ToUserConfig(const ServerUserInfo& user) {
  UserConfigInfo config;
  config.UC_Status = user.status;
  config.UC_CreateTime = user.createTime;
  config.UC_UpdateTime = user.updateTime;
  config.UC_Capacity = user.capacity;
  config.UC_SpaceUsed = user.spaceUsed;
  config.UC_FileCount = user.filesCount;
  config.UC_DirsCount = user.dirsCount;
  config.UC_LastAccessTime = user.lastAccessTime;
  config.UC_LastUpdateTime = user.lastUpdateTime;
  config.UC_FilesTotalSizeLimit = user.fszm;
  config.UC_FilesTotalNumLimit = user.fsnm;
  config.UC_RenewLimit = user.rnm;
  config.UC_Duration = user.d;
  config.UC_FileSizeLimit = user.szm;
  config.UC_TotalDirsNumLinit = user.dsnm;
  config.UC_SubFilesTotalSizeLimit = user.sfszm;
  config.UC_SubFilesNumLimit = user.sfsnm;
  config.UC_SubDirsNumLimit = user.sdsnm;
  config.UC_DirDepthLimit = user.dym;
  return config;
}

juce::String FromUtf8(const std::string& text) { return Common::Stdstring_To_String(text); }

}  // namespace

LoginManager::LoginManager() : m_alive(std::make_shared<Alive>()) { m_alive->manager = this; }

LoginManager::~LoginManager() {
  SetExiting();
  std::lock_guard hold(m_alive->lock);
  m_alive->manager = nullptr;
}

void LoginManager::Login(const juce::String& name, const juce::String& password, bool autoLogin, bool useStored) {
  if (m_bLogining.exchange(true)) {
    WriteLog(NormalLog, "Login", "Return While Logining");
    return;
  }
  const std::string ip = GetLocalIP();
  const juce::String hash = useStored ? GetAccountData()->GetSnapshot().m_sPassword
                                      : juce::MD5(password.toRawUTF8(), password.getNumBytesAsUTF8())
                                            .toHexString();
  AuthenRequest request;
  {
    const juce::ScopedLock hold(m_lock);
    m_sUserName = name;
    m_bAutoLogin = autoLogin;
    m_sPasswordHash = hash;
    request.account = Common::String_ToStdString(name);
    request.password = hash.toStdString();
    request.ip = ip;
  }
  auto* task = new LoginTask(request, true);
  task->SetResultCallBack(m_alive.get(), &LoginManager::LoginResultCallBack, m_alive);
  m_pCurrentTask = task;
  WriteLog(KeyPoint, "Login", "Begin Logining");
  if (!GetUpThreadsPool()->PostWorkTask(task, true)) {
    // The pool has ended (the program is closing): the task is gone unrun.
    m_pCurrentTask = nullptr;
    m_nServerCode = 0;
    m_nResultCode = kNetworkError;
    AfterLoginProcess();
  }
}

void LoginManager::AutoLogin() {
  const AccountSnapshot account = GetAccountData()->GetSnapshot();
  Login(account.FullName, account.m_sPassword, true, true);
}

void LoginManager::SetAfterLoginCallBack(void* context, AfterLoginCallBackFunc callback) {
  const juce::ScopedLock hold(m_lock);
  m_pAfterLoginContext = context;
  m_pAfterLoginCallBack = callback;
  if (!context && !callback) WriteLog(ErrorLog, "SetAfterLoginCallBack", "callBack is 0");
}

void LoginManager::SetExiting() {
  const juce::ScopedLock hold(m_lock);
  m_bExiting = true;
}

juce::String LoginManager::GetUserName() const {
  const juce::ScopedLock hold(m_lock);
  return m_sUserName;
}

int LoginManager::ResultForServiceCode(int code) {
  switch (code) {
    case -1: return kNetworkError;
    case 401: case 420: case 460: return kWrongAccount;
    case 500: case 503: return kServerBusy;
    case 412: return kCode412;
    case 422: return kCode422;
    case 423: return kCode423;
    case 415: return kCode415;
    case 417: case 418: return kCode417Or418;
    case 416: case 419: return kCode416Or419;
    case 577: return kCode577;
    case 403: return kForbidden;
    default: return kOtherError;
  }
}

void LoginManager::LoginResultCallBack(void* context, int httpStatus, AuthenReply reply) {
  auto* alive = static_cast<Alive*>(context);
  std::lock_guard hold(alive->lock);
  if (alive->manager) alive->manager->OnLoginResult(httpStatus, reply);
}

void LoginManager::QueryUserDataCallBack(void* context, const ServerUserInfo* user) {
  auto* alive = static_cast<Alive*>(context);
  std::lock_guard hold(alive->lock);
  if (alive->manager) alive->manager->OnUserData(user);
}

void LoginManager::OnLoginResult(int httpStatus, const AuthenReply& reply) {
  // Held throughout, so that once SetExiting has returned no account data is
  // written by this reply.
  const juce::ScopedLock hold(m_lock);
  if (m_bExiting) {
    m_bLogining = false;
    return;
  }
  if (httpStatus == 200 && reply.ok) {
    UserDataDBManager* users = GetGlobalContext()->m_pUserDataDBManager.get();
    s_bFirstAccount = !users || users->IsUserDataEmpty();
    s_bFirstLogin = reply.firstLogin != 0;
    SaveLoginData(reply);
    LoginEvents::RestartLinkService();
    ReportUsageEvent("login", Common::String_ToStdString(m_sUserName));
    WriteLog(KeyPoint, "LoginResultCallBack", "Login OK");
    const RequestHeader header(GetProductInfo().ProductName.toStdString(), reply.userId, reply.sid);
    if (!GetDownThreadsPool()->PostWorkTask(
            new QueryUserDataTask(header, m_alive.get(), &LoginManager::QueryUserDataCallBack, m_alive), true))
      OnUserData(nullptr);  // the pool has ended: the stored quota stands in
    return;
  }
  if (httpStatus == 200) {
    WriteLog(ErrorLog, "LoginResultCallBack", "Login ERROR");
    ProcessLoginError(reply);
  } else {
    m_nServerCode = httpStatus;
    m_nResultCode = (httpStatus == 500 || httpStatus == 503) ? kServerBusy : kNetworkError;
  }
  AfterLoginProcess();
}

void LoginManager::ProcessLoginError(const AuthenReply& reply) {
  m_nServerCode = reply.code;
  WriteErrorCodeLog("LoginResultCallBack", juce::String(reply.code), "LoginError");
  m_nResultCode = ResultForServiceCode(reply.code);
}

void LoginManager::SaveLoginData(const AuthenReply& reply) {
  AccountData* accountData = GetAccountData();
  if (accountData->GetSnapshot().m_sPassword != m_sPasswordHash) {
    if (UserDataDBManager* users = GetGlobalContext()->m_pUserDataDBManager.get())
      users->UpdateUserPassword(m_sUserName, m_sPasswordHash);
  }
  AccountSnapshot account;
  account.m_sSessionID = FromUtf8(reply.sid);
  account.m_sClientID = FromUtf8(reply.cid);
  account.FullName = m_sUserName;
  account.m_sAccount = reply.account.empty() ? m_sUserName : FromUtf8(reply.account);
  const int at = m_sUserName.lastIndexOfChar('@');
  account.m_sShortName = at < 0 ? juce::String() : m_sUserName.substring(0, at);
  account.m_sPassword = m_sPasswordHash;
  account.m_sLoginToken = FromUtf8(reply.pz);
  account.UserID = reply.userId;
  account.IsAutoLogin = m_bAutoLogin ? 1 : 0;
  accountData->SetSnapshot(account);

  ProductInfo product = GetProductInfo();
  product.ProductName = FromUtf8(reply.product);
  SaveProductInfo(product);
}

void LoginManager::OnUserData(const ServerUserInfo* user) {
  const juce::ScopedLock hold(m_lock);
  if (m_bExiting) {
    m_bLogining = false;
    return;
  }
  AccountData* accountData = GetAccountData();
  accountData->SetLoggedIn(true);
  m_nResultCode = kOk;
  if (user) {
    SaveUserConfig(accountData, ToUserConfig(*user));
  } else {
    LoadUserConfig(accountData, m_sUserName);
    WriteMessageLog(ErrorLog, "QueryUserDataCallBack, Get UserConfig Error");
    m_nResultCode = kOkLocalConfig;
  }
  AfterLoginProcess();
}

void LoginManager::AfterLoginProcess() {
  m_bLogining = false;
  const juce::ScopedLock hold(m_lock);
  if (m_bExiting) return;
  if (m_pAfterLoginCallBack) {
    WriteLog(KeyPoint, "LoginResultCallBack", "After Login Process");
    m_pAfterLoginCallBack(m_pAfterLoginContext);
  } else {
    WriteLog(ErrorLog, "LoginResultCallBack", "m_AfterLoginCallBack is 0");
  }
}
