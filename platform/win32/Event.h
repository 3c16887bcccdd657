#pragma once
// Event objects: manual-reset (stays signalled until reset) and auto-reset (one
// satisfied wait resets it).
//
// A named event is one object for all its handles in this process; other
// processes see only that the name exists (CreateEventW answers
// ERROR_ALREADY_EXISTS), not its state: setting it in one process does not wake
// waits in another. The name goes away when the last process holding it closes
// its handles or dies.
#include "win32/WinDef.h"

constexpr DWORD SYNCHRONIZE = 0x00100000;
constexpr DWORD EVENT_MODIFY_STATE = 0x0002;
constexpr DWORD EVENT_ALL_ACCESS = 0x001F0003;
constexpr DWORD CREATE_EVENT_MANUAL_RESET = 0x1;
constexpr DWORD CREATE_EVENT_INITIAL_SET = 0x2;

// Security attributes are accepted and ignored. On an existing name the existing
// event is returned (its kind and state unchanged) with ERROR_ALREADY_EXISTS.
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
HANDLE CreateEventExW(LPSECURITY_ATTRIBUTES attributes, LPCWSTR name, DWORD flags, DWORD access);
// Null with ERROR_FILE_NOT_FOUND when no process holds the name. An event held
// only by other processes opens as a new, non-signalled manual-reset event of
// this process that holds the name too.
HANDLE OpenEventW(DWORD access, BOOL inheritHandle, LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
