#pragma once
// Mutex objects: owned by one thread at a time, recursively. A thread that ends
// while owning a mutex abandons it: the next wait that takes it returns
// WAIT_ABANDONED (+ index), telling the new owner that what it guards may be
// half changed.
//
// A named mutex is one object for all its handles in this process; other
// processes see only that the name exists (ERROR_ALREADY_EXISTS), as for events.
#include "win32/Event.h"
#include "win32/WinDef.h"

constexpr DWORD MUTEX_ALL_ACCESS = 0x001F0001;

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name);
HANDLE OpenMutexW(DWORD access, BOOL inheritHandle, LPCWSTR name);
// FALSE with ERROR_NOT_OWNER when the calling thread does not own the mutex.
BOOL ReleaseMutex(HANDLE mutex);

namespace win32 {
// Abandons the mutexes the calling thread owns; run when a thread ends.
void AbandonMutexesOfThisThread();
}  // namespace win32
