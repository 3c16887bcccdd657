#include "common/Accounts.h"

#include <string>

namespace Common {

int IsUserAdminPrivilege(CString& account, int& isAdmin) {
  // Only the account's privilege level decides: every local account's identifier
  // comes from the same authority, so that says nothing about administrators.
  isAdmin = 0;
  LPBYTE buffer = nullptr;
  if (NetUserGetInfo(nullptr, account, 1, &buffer) != NERR_Success || !buffer) return 0;
  isAdmin = reinterpret_cast<USER_INFO_1*>(buffer)->usri1_priv == USER_PRIV_ADMIN ? 1 : 0;
  NetApiBufferFree(buffer);
  return 1;
}

int GetUserGroupsLocal(CString account, CStringArray& out) {
  LPBYTE buffer = nullptr;
  DWORD read = 0, total = 0;
  if (NetUserGetLocalGroups(nullptr, account, 0, LG_INCLUDE_INDIRECT, &buffer, MAX_PREFERRED_LENGTH, &read,
                            &total) != NERR_Success)
    return 0;
  const auto* groups = reinterpret_cast<const LOCALGROUP_USERS_INFO_0*>(buffer);
  for (DWORD i = 0; i < read; ++i) out.Add(CString(groups[i].lgrui0_name));
  NetApiBufferFree(buffer);
  return 1;
}

namespace {

// The account an access entry names, or empty.
CString AccountOf(LPVOID ace) {
  PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart;
  wchar_t name[256], domain[256];
  DWORD nameLength = 256, domainLength = 256;
  SID_NAME_USE use;
  if (!LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use)) return CString();
  return CString(name);
}

}  // namespace

int HasRightToOption(CString path, int rights) {
  wchar_t userName[UNLEN + 1] = {};
  DWORD length = UNLEN + 1;
  GetUserNameW(userName, &length);
  CString user(userName);
  CStringArray groups;
  GetUserGroupsLocal(user, groups);
  int isAdmin = 0;
  if (IsUserAdminPrivilege(user, isAdmin) && isAdmin) return 1;

  BYTE descriptor[1000];
  DWORD needed = 0;
  if (!GetFileSecurityW(path, DACL_SECURITY_INFORMATION, descriptor, sizeof descriptor, &needed)) return 0;
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) return 0;
  if (!present || !dacl) return 1;

  ACCESS_MASK wanted = 0;
  if (rights & 1) wanted |= FILE_READ_DATA;
  if (rights & 2) wanted |= FILE_WRITE_DATA;
  if (rights & 4) wanted |= DELETE;
  if (rights == 0) wanted = MAXIMUM_ALLOWED;

  bool answer = true;
  int userAnswer = -1, groupAnswer = -1;  // -1: no entry named them
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    LPVOID ace = nullptr;
    if (!GetAce(dacl, i, &ace)) continue;
    CString account = AccountOf(ace);
    bool namesUser = !account.IsEmpty() && account == user;
    bool namesGroup = false;
    for (INT_PTR g = 0; !namesUser && !namesGroup && g < groups.GetSize(); ++g)
      namesGroup = !account.IsEmpty() && groups[g] == account;
    if (!namesUser && !namesGroup) continue;
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    ACCESS_MASK mask = static_cast<const ACCESS_ALLOWED_ACE*>(ace)->Mask;
    if (header->AceType == ACCESS_ALLOWED_ACE_TYPE && (mask & wanted) != wanted) answer = false;
    if (header->AceType == ACCESS_DENIED_ACE_TYPE && (mask & wanted) != 0) answer = false;
    (namesUser ? userAnswer : groupAnswer) = answer ? 1 : 0;
  }
  if (userAnswer >= 0) return userAnswer;
  if (groupAnswer >= 0) return groupAnswer;
  return 0;
}

int DeleteFileToRecycleBin(CString path) {
  std::wstring from = path.str();
  from.push_back(L'\0');  // the list ends with an empty entry
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted ? 1 : 0;
}

}  // namespace Common
