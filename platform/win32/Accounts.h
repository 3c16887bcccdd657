#pragma once
// User accounts and their groups, as the network-management calls report them,
// read from the system's user and group databases (getpwnam, getgrouplist).
// An account is an administrator when its id is 0 or it belongs to the group
// "sudo" or "wheel" (the groups that may act as root); other accounts are users.
#include "win32/WinDef.h"

using NET_API_STATUS = DWORD;

constexpr NET_API_STATUS NERR_Success = 0;
constexpr NET_API_STATUS NERR_InvalidComputer = 2351;
constexpr NET_API_STATUS NERR_UserNotFound = 2221;
constexpr DWORD MAX_PREFERRED_LENGTH = 0xFFFFFFFF;
constexpr DWORD LG_INCLUDE_INDIRECT = 0x0001;
constexpr DWORD UNLEN = 256;

constexpr DWORD USER_PRIV_GUEST = 0;
constexpr DWORD USER_PRIV_USER = 1;
constexpr DWORD USER_PRIV_ADMIN = 2;

struct USER_INFO_0 {
  LPWSTR usri0_name;
};

struct USER_INFO_1 {
  LPWSTR usri1_name;
  LPWSTR usri1_password;  // always null
  DWORD usri1_password_age;
  DWORD usri1_priv;
  LPWSTR usri1_home_dir;
  LPWSTR usri1_comment;
  DWORD usri1_flags;
  LPWSTR usri1_script_path;
};

struct LOCALGROUP_USERS_INFO_0 {
  LPWSTR lgrui0_name;
};

// The account running the process. `size` in characters, terminator included on
// both sides; a short buffer gives ERROR_INSUFFICIENT_BUFFER and the size needed.
BOOL GetUserNameW(LPWSTR buffer, LPDWORD size);

// Levels 0 and 1 of the local machine (server null or empty); the buffer is freed
// with NetApiBufferFree. NERR_UserNotFound for an unknown account,
// ERROR_INVALID_LEVEL for another level.
NET_API_STATUS NetUserGetInfo(LPCWSTR server, LPCWSTR user, DWORD level, LPBYTE* buffer);
// Level 0: the names of the account's groups (its primary group included).
NET_API_STATUS NetUserGetLocalGroups(LPCWSTR server, LPCWSTR user, DWORD level, DWORD flags, LPBYTE* buffer,
                                     DWORD preferredMaximumLength, LPDWORD entriesRead, LPDWORD totalEntries);
NET_API_STATUS NetApiBufferFree(LPVOID buffer);

namespace win32 {
// Whether the account (a name of the user database) counts as an administrator.
bool IsAdministratorAccount(const char* user);
}  // namespace win32
