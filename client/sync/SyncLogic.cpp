#include "client/sync/SyncLogic.h"

#include "client/core/account/AccountData.h"
#include "client/core/context/GlobalContext.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"

SyncLogic::SyncLogic() : m_pStatusTracker(std::make_unique<SyncStatusTracker>()) {}

SyncLogic::~SyncLogic() {
  m_pNotifyUI.store(nullptr);
  SaveRecentFiles();
  m_pStatusTracker.reset();
}

void SyncLogic::LoadRecentFiles() {
  const juce::String account = GetAccountData()->GetAccount();
  if (account.isNotEmpty() && m_pStatusTracker) m_pStatusTracker->LoadRecentFiles(account);
}

void SyncLogic::SaveRecentFiles() {
  const juce::String account = GetAccountData()->GetAccount();
  if (account.isNotEmpty() && m_pStatusTracker) m_pStatusTracker->SaveRecentFiles(account);
}

SyncLogic* GetSyncLogic() {
  GlobalContext* context = GetGlobalContext();
  return context ? context->m_pSyncLogic.get() : nullptr;
}

ISyncNotifyUI* GetSyncNotifyUI() {
  SyncLogic* logic = GetSyncLogic();
  return logic ? logic->GetNotifyUI() : nullptr;
}

SyncStatusTracker* GetSyncStatusTracker() {
  SyncLogic* logic = GetSyncLogic();
  return logic ? logic->GetStatusTracker() : nullptr;
}

SyncPathList* GetSyncTipList() {
  GlobalContext* context = GetGlobalContext();
  return context ? context->GetTipList() : nullptr;
}

namespace {

SyncLogic* MakeSyncLogic() { return new SyncLogic(); }
void EndSyncLogic(SyncLogic* logic) { delete logic; }

SyncPathList* MakeTipList(int maxEntries, int shownEntries) {
  auto* list = new SyncPathList();
  list->m_nMax = maxEntries;
  list->m_nShown = shownEntries;
  return list;
}
void EndTipList(SyncPathList* list) { delete list; }

}  // namespace

void InstallSyncEngine() {
  SyncEngineParts parts;
  parts.createSyncLogic = MakeSyncLogic;
  parts.destroySyncLogic = EndSyncLogic;
  parts.createTipList = MakeTipList;
  parts.destroyTipList = EndTipList;
  InstallSyncEngineParts(parts);
}
