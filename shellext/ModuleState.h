#pragma once
// What the extension keeps once per process: its module handle, the count of
// live objects (class factories and shell objects), the registry of live shell
// objects and the clipboard format of the shell's item-list arrays.
#include "win32/Windows.h"

class CDorvShell;

namespace DorvShellModule {

HINSTANCE Handle();
void SetHandle(HINSTANCE module);

void AddLiveObject();
void ReleaseLiveObject();
LONG LiveObjects();

void RegisterShell(CDorvShell* shell);
void UnregisterShell(CDorvShell* shell);
// Deletes every shell object still registered (the module is unloading).
void DestroyLiveShells();
// Frees the registry and its lock; the last step of unloading.
void DestroyRegistry();

// The registered number of "Shell IDList Array".
UINT ShellIdListFormat();

}  // namespace DorvShellModule
