#pragma once
// OLE's per-thread start and end. Nothing here needs an apartment: the calls
// keep the count a thread's OleUninitialize must balance.
#include "win32/HResult.h"

// S_OK for the thread's first call, S_FALSE for a nested one.
HRESULT OleInitialize(LPVOID reserved);
// Ends one OleInitialize of the calling thread; an unbalanced call does nothing.
void OleUninitialize();
// Whether OLE is initialised on the calling thread.
namespace win32 {
bool OleInitialized();
}  // namespace win32
