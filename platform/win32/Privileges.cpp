#include "win32/Privileges.h"

#include <cwchar>
#include <memory>

#include "win32/Handle.h"
#include "win32/Process.h"
#include "win32/WinError.h"

namespace {

class TokenObject final : public win32::KernelObject {};

struct Privilege {
  const wchar_t* name;
  DWORD luid;
};

// The numbers Windows gives these privileges.
constexpr Privilege kPrivileges[] = {
    {L"SeSecurityPrivilege", 8},  {L"SeTakeOwnershipPrivilege", 9}, {L"SeBackupPrivilege", 17},
    {L"SeRestorePrivilege", 18},  {L"SeShutdownPrivilege", 19},     {L"SeDebugPrivilege", 20},
    {L"SeChangeNotifyPrivilege", 23},
};

bool Known(const LUID& luid) {
  for (const Privilege& privilege : kPrivileges) {
    if (luid.HighPart == 0 && luid.LowPart == privilege.luid) return true;
  }
  return false;
}

}  // namespace

BOOL OpenProcessToken(HANDLE process, DWORD, PHANDLE token) {
  if (!token) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (process != GetCurrentProcess()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  *token = win32::RegisterHandle(std::make_shared<TokenObject>());
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL LookupPrivilegeValueW(LPCWSTR, LPCWSTR name, PLUID luid) {
  if (!name || !luid) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (const Privilege& privilege : kPrivileges) {
    if (wcscasecmp(name, privilege.name) == 0) {  // Windows ignores case here
      *luid = LUID{privilege.luid, 0};
      SetLastError(ERROR_SUCCESS);
      return TRUE;
    }
  }
  SetLastError(ERROR_NO_SUCH_PRIVILEGE);
  return FALSE;
}

BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState, DWORD bufferLength,
                           PTOKEN_PRIVILEGES previousState, PDWORD returnLength) {
  if (!win32::LookupHandleAs<TokenObject>(token)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!disableAll && !newState) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (previousState) {
    if (bufferLength < sizeof(DWORD)) {
      if (returnLength) *returnLength = sizeof(DWORD);
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    previousState->PrivilegeCount = 0;
    if (returnLength) *returnLength = sizeof(DWORD);
  }
  bool all = true;
  if (!disableAll) {
    for (DWORD i = 0; i < newState->PrivilegeCount; ++i) all = all && Known(newState->Privileges[i].Luid);
  }
  SetLastError(all ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
  return TRUE;
}
