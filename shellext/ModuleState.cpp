#include "ModuleState.h"

#include <set>

#include "DorvShell.h"

namespace {

HINSTANCE g_module = nullptr;
LONG g_liveObjects = 0;

struct LiveRegistry {
  LiveRegistry() { InitializeCriticalSection(&lock); }
  ~LiveRegistry() { DeleteCriticalSection(&lock); }
  CRITICAL_SECTION lock;
  std::set<CDorvShell*> shells;
};

// Built when the module loads; freed by the module's last unload step, after the
// objects still alive have been deleted.
LiveRegistry* g_registry = new LiveRegistry;
const UINT g_shellIdListFormat = RegisterClipboardFormatW(CFSTR_SHELLIDLIST);

}  // namespace

namespace DorvShellModule {

HINSTANCE Handle() { return g_module; }
void SetHandle(HINSTANCE module) { g_module = module; }

void AddLiveObject() { InterlockedIncrement(&g_liveObjects); }
void ReleaseLiveObject() { InterlockedDecrement(&g_liveObjects); }
LONG LiveObjects() { return InterlockedCompareExchange(&g_liveObjects, 0, 0); }

void RegisterShell(CDorvShell* shell) {
  if (!g_registry) return;
  EnterCriticalSection(&g_registry->lock);
  g_registry->shells.insert(shell);
  LeaveCriticalSection(&g_registry->lock);
}

void UnregisterShell(CDorvShell* shell) {
  if (!g_registry) return;
  EnterCriticalSection(&g_registry->lock);
  g_registry->shells.erase(shell);
  LeaveCriticalSection(&g_registry->lock);
}

void DestroyLiveShells() {
  if (!g_registry) return;
  EnterCriticalSection(&g_registry->lock);
  while (!g_registry->shells.empty()) {
    CDorvShell* shell = *g_registry->shells.begin();
    delete shell;  // its destructor leaves the set (the lock is re-entrant)
  }
  LeaveCriticalSection(&g_registry->lock);
}

void DestroyRegistry() {
  delete g_registry;
  g_registry = nullptr;
}

UINT ShellIdListFormat() { return g_shellIdListFormat; }

}  // namespace DorvShellModule
