#pragma once
// Threads behind HANDLE values. A thread's handle is signalled when the thread
// has ended; its id is the system's thread id (the main thread's id is the
// process id), unique among the live threads of the machine.
#include "win32/Event.h"
#include "win32/WinDef.h"

#ifndef WINAPI
#define WINAPI
#endif

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID);

constexpr DWORD CREATE_SUSPENDED = 0x4;
constexpr DWORD STACK_SIZE_PARAM_IS_A_RESERVATION = 0x10000;

// The stack size is a minimum (0: the system's default). With CREATE_SUSPENDED
// the thread runs only after ResumeThread.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, LPDWORD threadId);
// The C runtime's form; 0 on failure.
std::uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned (*start)(void*), void* argument,
                              unsigned flags, unsigned* threadId);

DWORD GetCurrentThreadId();
// STILL_ACTIVE while the thread runs, then what its function returned.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
// Returns the previous suspend count; only a thread created suspended can be
// resumed, and no thread can be suspended later ((DWORD)-1 otherwise).
DWORD ResumeThread(HANDLE thread);
DWORD GetThreadId(HANDLE thread);
// Killing a thread in mid-flight would leave the locks it holds taken and its
// objects half made, so this is refused: FALSE with ERROR_NOT_SUPPORTED. Threads
// are asked to end (an event, a quit message) and waited for.
BOOL TerminateThread(HANDLE thread, DWORD exitCode);
