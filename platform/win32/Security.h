#pragma once
// Security descriptors of files, made from the file's owner, group and permission
// bits: an access list of up to three allow entries, for the owner (S-1-22-1-uid),
// the group (S-1-22-2-gid) and everyone else (Everyone, S-1-1-0). Read permission
// gives the read rights, write permission the write rights and DELETE, execute
// permission FILE_EXECUTE (FILE_TRAVERSE for a folder). Account names of these
// identifiers come from the user and group databases.
#include "win32/CodePage.h"
#include "win32/Event.h"  // SYNCHRONIZE
#include "win32/WinDef.h"

using ACCESS_MASK = DWORD;
using PSID = void*;
using PSECURITY_DESCRIPTOR = void*;
using SECURITY_INFORMATION = DWORD;

struct SID_IDENTIFIER_AUTHORITY {
  BYTE Value[6];
};
struct SID {
  BYTE Revision;
  BYTE SubAuthorityCount;
  SID_IDENTIFIER_AUTHORITY IdentifierAuthority;
  DWORD SubAuthority[1];
};

struct ACL {
  BYTE AclRevision;
  BYTE Sbz1;
  WORD AclSize;
  WORD AceCount;
  WORD Sbz2;
};
using PACL = ACL*;

struct ACE_HEADER {
  BYTE AceType;
  BYTE AceFlags;
  WORD AceSize;
};
struct ACCESS_ALLOWED_ACE {
  ACE_HEADER Header;
  ACCESS_MASK Mask;
  DWORD SidStart;  // the SID begins here
};
struct ACCESS_DENIED_ACE {
  ACE_HEADER Header;
  ACCESS_MASK Mask;
  DWORD SidStart;
};

constexpr BYTE ACCESS_ALLOWED_ACE_TYPE = 0;
constexpr BYTE ACCESS_DENIED_ACE_TYPE = 1;

constexpr SECURITY_INFORMATION OWNER_SECURITY_INFORMATION = 0x1;
constexpr SECURITY_INFORMATION GROUP_SECURITY_INFORMATION = 0x2;
constexpr SECURITY_INFORMATION DACL_SECURITY_INFORMATION = 0x4;

constexpr ACCESS_MASK FILE_READ_DATA = 0x0001;
constexpr ACCESS_MASK FILE_LIST_DIRECTORY = 0x0001;
constexpr ACCESS_MASK FILE_WRITE_DATA = 0x0002;
constexpr ACCESS_MASK FILE_ADD_FILE = 0x0002;
constexpr ACCESS_MASK FILE_APPEND_DATA = 0x0004;
constexpr ACCESS_MASK FILE_READ_EA = 0x0008;
constexpr ACCESS_MASK FILE_WRITE_EA = 0x0010;
constexpr ACCESS_MASK FILE_EXECUTE = 0x0020;
constexpr ACCESS_MASK FILE_TRAVERSE = 0x0020;
constexpr ACCESS_MASK FILE_READ_ATTRIBUTES = 0x0080;
constexpr ACCESS_MASK FILE_WRITE_ATTRIBUTES = 0x0100;
constexpr ACCESS_MASK DELETE = 0x00010000;
constexpr ACCESS_MASK READ_CONTROL = 0x00020000;
constexpr ACCESS_MASK MAXIMUM_ALLOWED = 0x02000000;

enum SID_NAME_USE { SidTypeUser = 1, SidTypeGroup, SidTypeDomain, SidTypeAlias, SidTypeWellKnownGroup };
using PSID_NAME_USE = SID_NAME_USE*;

constexpr DWORD ERROR_NONE_MAPPED = 1332;
constexpr DWORD ERROR_INVALID_SID = 1337;

// A self-relative descriptor. A buffer shorter than the descriptor gives
// ERROR_INSUFFICIENT_BUFFER with the size needed in `needed`.
BOOL GetFileSecurityW(LPCWSTR path, SECURITY_INFORMATION requested, PSECURITY_DESCRIPTOR descriptor, DWORD length,
                      LPDWORD needed);
BOOL GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, LPBOOL present, PACL* dacl, LPBOOL defaulted);
BOOL GetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR descriptor, PSID* owner, LPBOOL defaulted);
BOOL GetAce(PACL acl, DWORD index, LPVOID* ace);
BOOL IsValidSid(PSID sid);
DWORD GetLengthSid(PSID sid);
// Names, lengths in characters as for GetUserNameW (a short buffer: ERROR_INSUFFICIENT_BUFFER
// with the sizes needed); ERROR_NONE_MAPPED for an identifier without an account. The
// domain is the computer's name, empty for Everyone.
BOOL LookupAccountSidW(LPCWSTR system, PSID sid, LPWSTR name, LPDWORD nameLength, LPWSTR domain,
                       LPDWORD domainLength, PSID_NAME_USE use);
