#include "client/sync/ops/LocalNetErrorManager.h"

#include "client/core/GlobalConfig.h"
#include "client/core/LogWriter.h"
#include "client/core/protocol/NetReachable.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "win32/Clock.h"

namespace {

LocalNetErrorManager* g_instance = nullptr;
std::mutex g_instanceLock;

constexpr const char* kTag = "LocalNetErrorManager::ProcessLocalNetError";

}  // namespace

LocalNetErrorManager::LocalNetErrorManager(std::function<bool()> probe) : m_probe(std::move(probe)) {
  if (!m_probe) m_probe = [] { return CheckNetReachable(); };
}

LocalNetErrorManager* LocalNetErrorManager::GetInstance() {
  std::lock_guard<std::mutex> hold(g_instanceLock);
  if (!g_instance) g_instance = new LocalNetErrorManager();
  return g_instance;
}

void LocalNetErrorManager::DeleteInstance() {
  std::lock_guard<std::mutex> hold(g_instanceLock);
  delete g_instance;
  g_instance = nullptr;
}

void LocalNetErrorManager::SetProbe(std::function<bool()> probe) {
  std::lock_guard<std::mutex> hold(m_probeLock);
  m_probe = probe ? std::move(probe) : std::function<bool()>([] { return CheckNetReachable(); });
}

bool LocalNetErrorManager::Probe() {
  std::function<bool()> probe;
  {
    std::lock_guard<std::mutex> hold(m_probeLock);
    probe = m_probe;
  }
  return probe();
}

void LocalNetErrorManager::SetOnline(bool online) {
  if (m_bOnline.exchange(online) != online) m_wakeList.SetAll();
}

void LocalNetErrorManager::SetBackOnline() {
  m_nLastReportMs.store(0);
  SetOnline(true);
}

int LocalNetErrorManager::GetFailureCount() {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_nFailureCount;
}

int LocalNetErrorManager::GetThreshold() {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_nThreshold;
}

void LocalNetErrorManager::ProcessLocalNetError() {
  std::lock_guard<std::mutex> hold(m_lock);
  const bool reachable = Probe();
  // With a proxy set, the probe went through it: the user is sent to the proxy
  // setting rather than told the network is gone.
  const bool proxied = !reachable && GetGlobalConfig()->GetCurrentProxy().m_type != 0;
  if (SyncStatusTracker* tracker = GetSyncStatusTracker()) {
    tracker->m_nNetState.store(reachable ? SyncStatusTracker::NET_SERVICE_UNREACHABLE
                               : proxied ? SyncStatusTracker::NET_PROXY_UNREACHABLE
                                         : SyncStatusTracker::NET_LOCAL_DOWN);
    tracker->PushTrayState();
  }

  const juce::int64 now = static_cast<juce::int64>(win32::CurrentClock().NowMs());
  const juce::int64 last = m_nLastReportMs.load();
  if (last != 0 && (now < last || now - last < kReportIntervalMs)) return;

  m_nLastReportMs.store(now);
  ISyncNotifyUI* sink = GetSyncNotifyUI();
  if (Probe()) {
    ++m_nFailureCount;
    WriteLog(ErrorLog, kTag, "Connect Server Error");
    if (sink && m_nFailureCount > m_nThreshold) {
      sink->NotifySyncEvent(SyncNotifyInfo{SNT_CANNOT_CONNECT, {}, {}});
      m_nThreshold += 3;
      m_nFailureCount = 0;
    }
  } else if (proxied) {
    WriteLog(ErrorLog, kTag, "Proxy Unreachable");
    if (sink) sink->NotifySyncEvent(SyncNotifyInfo{SNT_PROXY_UNREACHABLE, {}, {}});
  } else {
    WriteLog(ErrorLog, kTag, "Local Net Error");
    if (sink) sink->NotifySyncEvent(SyncNotifyInfo{SNT_LOCAL_NETWORK_ERROR, {}, {}});
  }
}
