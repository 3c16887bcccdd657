#pragma once
// The process-wide holder of the sync engine's controller, the four database
// managers, the cancel token of all sync operations and the notification tip
// list. Created by the first GetGlobalContext (on the UI thread at start-up),
// ended by the application's exit after the thread pools.
//
// The engine (SyncLogic) and the tip list (SyncPathList) belong to the sync
// library, which builds on this one: it installs how they are made and ended
// with InstallSyncEngineParts before the context's first use. Without that the
// context holds neither and GetTipList returns null.
#include <memory>

#include "client/core/context/SyncCancelToken.h"
#include "client/core/db/FileDBManager.h"
#include "client/core/db/FolderDBManager.h"
#include "client/core/db/ProductDBManager.h"
#include "client/core/db/UserDataDBManager.h"

class SyncLogic;
class SyncPathList;

struct SyncEngineParts {
  SyncLogic* (*createSyncLogic)() = nullptr;
  // Stops and joins the engine's threads, then frees it.
  void (*destroySyncLogic)(SyncLogic*) = nullptr;
  // Stops and joins the engine's threads; the engine stays whole.
  void (*endSyncLogicThreads)(SyncLogic*) = nullptr;
  SyncPathList* (*createTipList)(int maxEntries, int shownEntries) = nullptr;
  void (*destroyTipList)(SyncPathList*) = nullptr;
};

// Applies to contexts constructed afterwards. The engine is made right after
// the rest of the context, so its constructor may call GetGlobalContext.
void InstallSyncEngineParts(const SyncEngineParts& parts);

class GlobalContext {
 public:
  GlobalContext();
  GlobalContext(const GlobalContext&) = delete;
  GlobalContext& operator=(const GlobalContext&) = delete;
  // Ends the engine first (its threads use everything else here), then the
  // managers, the token and the tip list.
  ~GlobalContext();

  // The tip list, made anew (1000 entries kept, 3 shown) when it is missing.
  SyncPathList* GetTipList();
  // Makes the engine with the installed parts when it is missing.
  void CreateSyncLogic();
  // Stops and ends the engine; the rest of the context stays. Idempotent.
  void StopSyncLogic();

  std::unique_ptr<SyncLogic, void (*)(SyncLogic*)> m_pSyncLogic;
  std::unique_ptr<ProductDBManager> m_pProductDBManager;
  std::unique_ptr<UserDataDBManager> m_pUserDataDBManager;
  std::unique_ptr<FolderDBManager> m_pFolderDBManager;
  std::unique_ptr<FileDBManager> m_pFileDBManager;
  std::unique_ptr<SyncCancelToken> m_pCancelToken;
  std::unique_ptr<SyncPathList, void (*)(SyncPathList*)> m_pTipList;

 private:
  SyncEngineParts m_parts;
};

// The process-wide context, constructed on first call.
GlobalContext* GetGlobalContext();
// Ends the process-wide context at exit, after FreeThreadsPools: a request
// still running on a pool may use the managers. A later GetGlobalContext
// builds a new one.
void DeleteGlobalContext();
// Stops the engine of the process-wide context, when there is one; the exit
// does this before it frees the thread pools.
void StopGlobalSyncLogic();
