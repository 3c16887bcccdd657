#include "win32/Security.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "win32/NativePath.h"
#include "win32/SystemInfo.h"
#include "win32/UserDatabase.h"
#include "win32/WinError.h"

namespace {

constexpr WORD SE_DACL_PRESENT = 0x0004;
constexpr WORD SE_SELF_RELATIVE = 0x8000;

struct DescriptorHeader {  // SECURITY_DESCRIPTOR_RELATIVE
  BYTE Revision;
  BYTE Sbz1;
  WORD Control;
  DWORD Owner;
  DWORD Group;
  DWORD Sacl;
  DWORD Dacl;
};
static_assert(sizeof(DescriptorHeader) == 20);

// The identifier's bytes: S-1-<authority>-<sub>...
std::string MakeSid(BYTE authority, std::vector<DWORD> subs) {
  std::string bytes(8 + 4 * subs.size(), '\0');
  bytes[0] = 1;
  bytes[1] = static_cast<char>(subs.size());
  bytes[7] = static_cast<char>(authority);
  std::memcpy(bytes.data() + 8, subs.data(), 4 * subs.size());
  return bytes;
}

constexpr BYTE kWorldAuthority = 1;
constexpr BYTE kUnixAuthority = 22;
std::string UserSid(uid_t uid) { return MakeSid(kUnixAuthority, {1, static_cast<DWORD>(uid)}); }
std::string GroupSid(gid_t gid) { return MakeSid(kUnixAuthority, {2, static_cast<DWORD>(gid)}); }
std::string EveryoneSid() { return MakeSid(kWorldAuthority, {0}); }

ACCESS_MASK MaskOf(unsigned bits, bool folder) {  // bits: rwx as 4, 2, 1
  ACCESS_MASK mask = 0;
  if (bits & 4) mask |= FILE_READ_DATA | FILE_READ_EA | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;
  if (bits & 2) mask |= FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES | DELETE;
  if (bits & 1) mask |= folder ? FILE_TRAVERSE : FILE_EXECUTE;
  return mask;
}

void AppendAce(std::string& acl, BYTE type, ACCESS_MASK mask, const std::string& sid) {
  ACE_HEADER header{type, 0, static_cast<WORD>(sizeof(ACE_HEADER) + sizeof(ACCESS_MASK) + sid.size())};
  acl.append(reinterpret_cast<const char*>(&header), sizeof header);
  acl.append(reinterpret_cast<const char*>(&mask), sizeof mask);
  acl += sid;
}

const DescriptorHeader* HeaderOf(PSECURITY_DESCRIPTOR descriptor) {
  const auto* header = static_cast<const DescriptorHeader*>(descriptor);
  if (!header || header->Revision != 1 || !(header->Control & SE_SELF_RELATIVE)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return header;
}

bool CopyName(const std::wstring& text, LPWSTR buffer, LPDWORD length, bool& fits) {
  if (!length) return false;
  if (!buffer || *length < text.size() + 1) {
    *length = static_cast<DWORD>(text.size() + 1);
    fits = false;
    return true;
  }
  std::wmemcpy(buffer, text.c_str(), text.size() + 1);
  *length = static_cast<DWORD>(text.size());
  return true;
}

}  // namespace

BOOL GetFileSecurityW(LPCWSTR path, SECURITY_INFORMATION requested, PSECURITY_DESCRIPTOR descriptor, DWORD length,
                      LPDWORD needed) {
  if (!path || !needed) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string native = NativePath(path);
  struct stat st;
  if (::stat(native.c_str(), &st) != 0) {
    SetLastErrorForPath(errno, native);
    return FALSE;
  }
  bool folder = S_ISDIR(st.st_mode);
  std::string owner = UserSid(st.st_uid), group = GroupSid(st.st_gid);

  std::string aces;
  WORD count = 0;
  auto add = [&](unsigned bits, const std::string& sid) {
    AppendAce(aces, ACCESS_ALLOWED_ACE_TYPE, MaskOf(bits, folder), sid);
    ++count;
  };
  add((st.st_mode >> 6) & 7, owner);
  add((st.st_mode >> 3) & 7, group);
  add(st.st_mode & 7, EveryoneSid());
  ACL acl{2, 0, static_cast<WORD>(sizeof(ACL) + aces.size()), count, 0};

  DescriptorHeader header{1, 0, SE_SELF_RELATIVE, 0, 0, 0, 0};
  std::string body;
  auto place = [&](const std::string& bytes) {
    DWORD offset = static_cast<DWORD>(sizeof header + body.size());
    body += bytes;
    return offset;
  };
  if (requested & OWNER_SECURITY_INFORMATION) header.Owner = place(owner);
  if (requested & GROUP_SECURITY_INFORMATION) header.Group = place(group);
  if (requested & DACL_SECURITY_INFORMATION) {
    header.Control |= SE_DACL_PRESENT;
    header.Dacl = place(std::string(reinterpret_cast<const char*>(&acl), sizeof acl) + aces);
  }
  DWORD size = static_cast<DWORD>(sizeof header + body.size());
  *needed = size;
  if (!descriptor || length < size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(descriptor, &header, sizeof header);
  std::memcpy(static_cast<BYTE*>(descriptor) + sizeof header, body.data(), body.size());
  return TRUE;
}

BOOL GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, LPBOOL present, PACL* dacl, LPBOOL defaulted) {
  const DescriptorHeader* header = HeaderOf(descriptor);
  if (!header || !present || !dacl || !defaulted) return FALSE;
  *present = (header->Control & SE_DACL_PRESENT) ? TRUE : FALSE;
  *dacl = *present && header->Dacl ? reinterpret_cast<PACL>(static_cast<BYTE*>(descriptor) + header->Dacl) : nullptr;
  *defaulted = FALSE;
  return TRUE;
}

BOOL GetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR descriptor, PSID* owner, LPBOOL defaulted) {
  const DescriptorHeader* header = HeaderOf(descriptor);
  if (!header || !owner || !defaulted) return FALSE;
  *owner = header->Owner ? static_cast<BYTE*>(descriptor) + header->Owner : nullptr;
  *defaulted = FALSE;
  return TRUE;
}

BOOL GetAce(PACL acl, DWORD index, LPVOID* ace) {
  if (!acl || !ace || index >= acl->AceCount) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  BYTE* cursor = reinterpret_cast<BYTE*>(acl) + sizeof(ACL);
  for (DWORD i = 0; i < index; ++i) cursor += reinterpret_cast<ACE_HEADER*>(cursor)->AceSize;
  *ace = cursor;
  return TRUE;
}

BOOL IsValidSid(PSID sid) {
  const auto* s = static_cast<const SID*>(sid);
  return s && s->Revision == 1 && s->SubAuthorityCount <= 15;
}

DWORD GetLengthSid(PSID sid) {
  return IsValidSid(sid) ? 8 + 4 * static_cast<const SID*>(sid)->SubAuthorityCount : 0;
}

BOOL LookupAccountSidW(LPCWSTR, PSID sid, LPWSTR name, LPDWORD nameLength, LPWSTR domain, LPDWORD domainLength,
                       PSID_NAME_USE use) {
  if (!IsValidSid(sid) || !nameLength || !domainLength) {
    SetLastError(ERROR_INVALID_SID);
    return FALSE;
  }
  const auto* s = static_cast<const SID*>(sid);
  BYTE authority = s->IdentifierAuthority.Value[5];
  std::string account;
  SID_NAME_USE kind = SidTypeUser;
  bool worldSid = authority == kWorldAuthority && s->SubAuthorityCount == 1 && s->SubAuthority[0] == 0;
  if (worldSid) {
    account = "Everyone";
    kind = SidTypeWellKnownGroup;
  } else if (authority == kUnixAuthority && s->SubAuthorityCount == 2 && s->SubAuthority[0] == 1) {
    account = win32::UserNameOf(s->SubAuthority[1]);
  } else if (authority == kUnixAuthority && s->SubAuthorityCount == 2 && s->SubAuthority[0] == 2) {
    account = win32::GroupNameOf(s->SubAuthority[1]);
    kind = SidTypeAlias;
  }
  if (account.empty()) {
    SetLastError(ERROR_NONE_MAPPED);
    return FALSE;
  }
  std::wstring computer;
  if (!worldSid) {
    wchar_t host[256];
    DWORD hostLength = 256;
    if (GetComputerNameW(host, &hostLength)) computer.assign(host, hostLength);
  }
  bool fits = true;
  CopyName(Utf8ToWide(account), name, nameLength, fits);
  CopyName(computer, domain, domainLength, fits);
  if (!fits) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (use) *use = kind;
  return TRUE;
}
