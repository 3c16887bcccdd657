#include "client/core/context/GlobalContext.h"

#include <mutex>

namespace {

std::mutex g_partsLock;
SyncEngineParts g_parts;
// Recursive: the engine's constructor may itself ask for the context.
std::recursive_mutex g_contextLock;
std::unique_ptr<GlobalContext> g_context;

void KeepSyncLogic(SyncLogic*) {}
void KeepTipList(SyncPathList*) {}

SyncEngineParts InstalledParts() {
  std::lock_guard<std::mutex> hold(g_partsLock);
  return g_parts;
}

}  // namespace

void InstallSyncEngineParts(const SyncEngineParts& parts) {
  std::lock_guard<std::mutex> hold(g_partsLock);
  g_parts = parts;
}

GlobalContext::GlobalContext()
    : m_pSyncLogic(nullptr, KeepSyncLogic),
      m_pTipList(nullptr, KeepTipList),
      m_parts(InstalledParts()) {
  m_pProductDBManager = std::make_unique<ProductDBManager>();
  m_pUserDataDBManager = std::make_unique<UserDataDBManager>();
  m_pFolderDBManager = std::make_unique<FolderDBManager>();
  m_pFileDBManager = std::make_unique<FileDBManager>();
  m_pCancelToken = std::make_unique<SyncCancelToken>();
  GetTipList();
}

GlobalContext::~GlobalContext() {
  StopSyncLogic();
  m_pProductDBManager.reset();
  m_pUserDataDBManager.reset();
  m_pFolderDBManager.reset();
  m_pFileDBManager.reset();
  m_pCancelToken.reset();
  m_pTipList.reset();
}

void GlobalContext::CreateSyncLogic() {
  if (!m_pSyncLogic && m_parts.createSyncLogic != nullptr && m_parts.destroySyncLogic != nullptr)
    m_pSyncLogic = {m_parts.createSyncLogic(), m_parts.destroySyncLogic};
}

SyncPathList* GlobalContext::GetTipList() {
  if (!m_pTipList && m_parts.createTipList != nullptr && m_parts.destroyTipList != nullptr)
    m_pTipList = {m_parts.createTipList(1000, 3), m_parts.destroyTipList};
  return m_pTipList.get();
}

void GlobalContext::StopSyncLogic() {
  // Threads end before the engine they use: until they are joined they may
  // still ask the context for it, and find it whole and in its place.
  if (m_pSyncLogic && m_parts.endSyncLogicThreads) m_parts.endSyncLogicThreads(m_pSyncLogic.get());
  m_pSyncLogic.reset();
}

GlobalContext* GetGlobalContext() {
  std::lock_guard<std::recursive_mutex> hold(g_contextLock);
  if (!g_context) {
    g_context = std::make_unique<GlobalContext>();
    // Made once the rest of the context is in place, so that the engine's
    // construction finds its managers through GetGlobalContext.
    g_context->CreateSyncLogic();
  }
  return g_context.get();
}

void StopGlobalSyncLogic() {
  GlobalContext* context;
  {
    std::lock_guard<std::recursive_mutex> hold(g_contextLock);
    context = g_context.get();
  }
  // Outside the lock: the engine's threads may still ask for the context
  // while they wind down, and they get this one, whole.
  if (context != nullptr) context->StopSyncLogic();
}

void DeleteGlobalContext() {
  StopGlobalSyncLogic();
  std::unique_ptr<GlobalContext> ending;
  {
    std::lock_guard<std::recursive_mutex> hold(g_contextLock);
    ending.swap(g_context);
  }
}
