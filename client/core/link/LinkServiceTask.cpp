#include "client/core/link/LinkServiceTask.h"

#include "client/core/GlobalConfig.h"
#include "client/core/account/AccountData.h"
#include "client/core/login/SessionRenewal.h"
#include "client/core/protocol/HttpTransportHolder.h"
#include "client/core/protocol/QueryString.h"
#include "client/core/protocol/ReplyEnvelope.h"
#include "client/core/protocol/ServerList.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"
#include "net/NetTrace.h"
#include "win32/Clock.h"

LinkServiceTask::LinkServiceTask(const std::string& account, const std::string& clientID, void* userData,
                                 LinkServiceCallBack callback)
    : juce::Thread("LinkServer"),
      m_pHolder(std::make_unique<HttpTransportHolder>(true)),
      m_sAccount(account),
      m_sClientID(clientID),
      m_pUserData(userData),
      m_pCallBack(callback) {}

LinkServiceTask::~LinkServiceTask() { StopLinkService(); }

std::string LinkServiceTask::GetAccount() const {
  std::lock_guard<std::mutex> hold(m_valueLock);
  return m_sAccount;
}

std::string LinkServiceTask::GetClientID() const {
  std::lock_guard<std::mutex> hold(m_valueLock);
  return m_sClientID;
}

void LinkServiceTask::ResetAccount(const std::string& account, const std::string& clientID) {
  // Not under the lock: the poll holds it for its whole exchange.
  m_pHolder->GetTransport()->Stop();
  {
    const juce::ScopedLock hold(m_lock);
    m_pHolder->GetTransport()->m_bRestart = true;
    std::lock_guard<std::mutex> values(m_valueLock);
    m_sAccount = account;
    m_sClientID = clientID;
  }
  Wake();
}

void LinkServiceTask::StopLinkService() {
  Net::NET_TRACE(1, "stop link server ping");
  m_bStop = true;
  signalThreadShouldExit();
  m_pHolder->GetTransport()->Stop();
  Wake();
  // Joined, never killed: the poll returns at once once its transport is
  // stopped, and every wait ends on the wake-up.
  if (juce::Thread::getCurrentThreadId() != getThreadId()) waitForThreadToExit(-1);
}

void LinkServiceTask::Wake() {
  {
    std::lock_guard<std::mutex> hold(m_waitLock);
    m_bWake = true;
  }
  m_wake.notify_all();
}

void LinkServiceTask::WaitBeforeNextPoll(int ms) {
  win32::Clock& clock = win32::CurrentClock();
  std::unique_lock<std::mutex> hold(m_waitLock);
  clock.WaitUntil(hold, m_wake, clock.NowMs() + static_cast<ULONGLONG>(ms), [this] { return m_bWake; });
}

void LinkServiceTask::run() {
  win32::Clock& clock = win32::CurrentClock();
  while (!m_bStop) {
    {
      // A wake-up that came before this poll was for the values it now
      // carries.
      std::lock_guard<std::mutex> hold(m_waitLock);
      m_bWake = false;
    }
    const ULONGLONG start = clock.NowMs();
    Net::NET_TRACE(1, "begin link server ping");
    int delay = Ping();
    Net::NET_TRACE(1, "end link server ping");
    if (m_bStop) break;
    const ULONGLONG elapsed = clock.NowMs() - start;
    if (delay == 0 && elapsed < static_cast<ULONGLONG>(kMinPollIntervalMs))
      delay = kMinPollIntervalMs - static_cast<int>(elapsed);
    if (delay > 0) WaitBeforeNextPoll(delay);
  }
}

void LinkServiceTask::FillHttpRequest(Net::HttpRequest& request, std::string& account) const {
  std::string clientID;
  {
    std::lock_guard<std::mutex> values(m_valueLock);
    account = m_sAccount;
    clientID = m_sClientID;
  }
  // Both values always go, even empty; percent-encoded like every query value.
  std::string url = OperationUrl(ServerList::GetInstance()->GetLinkServer(), "LINK_BEATHEART");
  url += "&account=" + PercentEncode(account);
  url += "&cid=" + PercentEncode(clientID);
  request.SetHttpRequest(Net::HTTP_GET, url);
}

int LinkServiceTask::Ping() {
  Net::HttpRequest request;
  Net::HttpResponse response;
  std::string account;
  bool answered = false;
  {
    const juce::ScopedLock hold(m_lock);
    FillHttpRequest(request, account);
    Net::HttpTransport* transport = m_pHolder->GetTransport();
    transport->SetProxy(GetGlobalConfig()->GetCurrentProxy());
    answered = transport->Transport(request, response);
  }
  int code = ReplyEnvelope::kNotRead;
  int64_t t = -1;
  const bool readable = ReplyEnvelope::IsReadable(answered, response.GetStatusCode());
  if (readable) ParseResponse(response.GetBody(), code, t);
  // Only a callback that is there is called (user data alone is not one),
  // and none once the service is stopping: the poll it ended is no news.
  if (m_pCallBack && !m_bStop) m_pCallBack(m_pUserData, code, account, t);
  return HandleResult(readable ? code : response.GetStatusCode());
}

void LinkServiceTask::ParseResponse(const std::string& body, int& code, int64_t& t) {
  code = ReplyEnvelope::kUnreadable;
  t = -1;
  Json::Value root;
  if (!JsonParse(body, root)) return;
  int readCode = 0;
  int64_t readT = -1;
  const bool read = JsonRead::Guarded([&] {
    readCode = ReplyEnvelope::Code(root);
    const Json::Value& value = JsonRead::Member(ReplyEnvelope::Result(root), "t");
    if (!value.isNull()) readT = JsonRead::AsInt64(value);
  });
  if (!read) return;
  code = readCode;
  t = readT;
}

int LinkServiceTask::HandleResult(int code) {
  switch (code) {
    case 200:
      return 0;
    case 413: {
      m_nFailureCount = 0;
      AccountData* accountData = GetAccountData();
      UpdateClientID(accountData);
      const std::string clientID = accountData->GetSnapshot().m_sClientID.toStdString();
      const juce::ScopedLock hold(m_lock);
      std::lock_guard<std::mutex> values(m_valueLock);
      m_sClientID = clientID;
      return 0;
    }
    case 403:
    case 408:
      m_nFailureCount = 0;
      return 0;
    default:
      break;
  }
  const int failures = ++m_nFailureCount;
  if (failures > 9) return 120000;
  if (failures >= 7) return 20000;
  if (failures >= 3) return 4000;
  return 0;
}
