#include "EngineTestSupport.h"

#include "client/core/account/AccountData.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncLogic.h"

namespace enginetest {

void RecordingSink::SetTrayIcon(int icon) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_trayIcons.push_back(icon);
}

void RecordingSink::NotifyPathStatus(juce::String path, int state) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_pathStates.emplace_back(path, state);
}

void RecordingSink::NotifySyncEvent(SyncNotifyInfo info) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_events.push_back(info);
}

std::vector<int> RecordingSink::TrayIcons() {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_trayIcons;
}

std::vector<std::pair<juce::String, int>> RecordingSink::PathStates() {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_pathStates;
}

std::vector<SyncNotifyInfo> RecordingSink::Events() {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_events;
}

void RecordingSink::Forget() {
  std::lock_guard<std::mutex> hold(m_lock);
  m_trayIcons.clear();
  m_pathStates.clear();
  m_events.clear();
}

void EngineTest::SetUp() {
  InstallSyncEngine();
  DBTest::SetUp();
  ASSERT_EQ(OpenUserDB(kAccount), 0);
  GlobalContext* context = GetGlobalContext();
  ASSERT_EQ(context->m_pFileDBManager->CreateDBTable(), 0);
  ASSERT_EQ(context->m_pFolderDBManager->CreateDBTable(), 0);
  AccountSnapshot account;
  account.m_sAccount = kAccount;
  GetAccountData()->SetSnapshot(account);
  ASSERT_NE(GetSyncLogic(), nullptr);
  GetSyncLogic()->SetNotifyUI(&m_sink);

  ClearSyncEngineLinks();
  SyncEngineLinks links;
  links.setPathStatus = [this](const juce::String& path, int status) {
    std::lock_guard<std::mutex> hold(m_callsLock);
    m_calls.pathStatuses.emplace_back(path, status);
  };
  links.getRootStatus = [this] {
    std::lock_guard<std::mutex> hold(m_callsLock);
    return m_calls.rootStatus;
  };
  links.queueServerFileAdd = [this](const SyncFileData& row) {
    std::lock_guard<std::mutex> hold(m_callsLock);
    m_calls.serverFileAdds.push_back(row);
  };
  links.queueLocalFolderAdd = [this](const juce::String& path) {
    std::lock_guard<std::mutex> hold(m_callsLock);
    m_calls.localFolderAdds.push_back(path);
  };
  links.queueLocalFileAdd = [this](const juce::String& path) {
    std::lock_guard<std::mutex> hold(m_callsLock);
    m_calls.localFileAdds.push_back(path);
  };
  links.ignoreProgramChange = [this](const juce::String& from, const juce::String& to, int type) {
    std::lock_guard<std::mutex> hold(m_callsLock);
    m_calls.ignoredChanges.push_back(from + " -> " + to + " (" + juce::String(type) + ")");
  };
  links.isEngineIdle = [this] {
    std::lock_guard<std::mutex> hold(m_callsLock);
    return m_calls.idle;
  };
  InstallSyncEngineLinks(links);
}

void EngineTest::TearDown() {
  if (SyncLogic* logic = GetSyncLogic()) logic->SetNotifyUI(nullptr);
  ClearSyncEngineLinks();
  GetAccountData()->SetSnapshot(AccountSnapshot());
  DBTest::TearDown();
}

juce::String EngineTest::Local(const std::string& relative) const {
  return juce::String::fromUTF8((m_root.path() / relative).string().c_str());
}

SyncFileData EngineTest::FileRow(juce::int64 id, const juce::String& path, juce::int64 parent,
                                 const juce::String& md5) {
  SyncFileData row;
  row.m_FileID = id;
  row.m_FilePath = path;
  row.m_ParentID = parent;
  row.m_FileName = path.fromLastOccurrenceOf("/", false, false);
  row.m_Md5 = md5;
  row.m_VersionValue = "1|" + juce::String(id);
  return row;
}

SyncFolderData EngineTest::FolderRow(juce::int64 id, const juce::String& path, juce::int64 parent) {
  SyncFolderData row;
  row.m_FolderID = id;
  row.m_FolderPath = path;
  row.m_ParentID = parent;
  row.m_FolderName = path.fromLastOccurrenceOf("/", false, false);
  row.m_ParentPath = "/" + juce::String(parent) + "/";
  row.m_VersionValue = "1|" + juce::String(id);
  return row;
}

}  // namespace enginetest
