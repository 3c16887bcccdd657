#pragma once
// Process tokens and privileges. The process runs with every privilege it asks
// for already granted (a folder watch needs none here), so enabling one succeeds
// and changes nothing; an unknown name or LUID fails as on Windows.
#include "win32/WinDef.h"

constexpr DWORD TOKEN_QUERY = 0x0008;
constexpr DWORD TOKEN_ADJUST_PRIVILEGES = 0x0020;
constexpr DWORD SE_PRIVILEGE_ENABLED = 0x00000002;
constexpr DWORD SE_PRIVILEGE_REMOVED = 0x00000004;

constexpr DWORD ERROR_NOT_ALL_ASSIGNED = 1300;
constexpr DWORD ERROR_NO_SUCH_PRIVILEGE = 1313;

#define SE_BACKUP_NAME L"SeBackupPrivilege"
#define SE_RESTORE_NAME L"SeRestorePrivilege"
#define SE_CHANGE_NOTIFY_NAME L"SeChangeNotifyPrivilege"

struct LUID {
  DWORD LowPart;
  LONG HighPart;
};
using PLUID = LUID*;

struct LUID_AND_ATTRIBUTES {
  LUID Luid;
  DWORD Attributes;
};

struct TOKEN_PRIVILEGES {
  DWORD PrivilegeCount;
  LUID_AND_ATTRIBUTES Privileges[1];
};
using PTOKEN_PRIVILEGES = TOKEN_PRIVILEGES*;
using PHANDLE = HANDLE*;
using PDWORD = DWORD*;

// Only the current process (GetCurrentProcess()); another gives ERROR_ACCESS_DENIED.
BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, PHANDLE token);
// The system name is not used. ERROR_NO_SUCH_PRIVILEGE for an unknown name.
BOOL LookupPrivilegeValueW(LPCWSTR systemName, LPCWSTR name, PLUID luid);
// TRUE for a token handle; the last error is ERROR_SUCCESS, or
// ERROR_NOT_ALL_ASSIGNED when a LUID names no privilege. The previous state,
// when asked for, lists no privilege.
BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState, DWORD bufferLength,
                           PTOKEN_PRIVILEGES previousState, PDWORD returnLength);
