#include "win32/Accounts.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "win32/CodePage.h"
#include "win32/UserDatabase.h"
#include "win32/WinError.h"

namespace {

constexpr DWORD ERROR_INVALID_LEVEL = 124;
constexpr DWORD ERROR_NO_SUCH_USER = 1317;

struct Account {
  std::string name;
  uid_t uid;
  gid_t gid;
  std::string home;
  std::string comment;
};

std::optional<Account> FindAccount(const std::string& name) {
  std::vector<char> scratch(16384);
  passwd entry{}, *found = nullptr;
  if (name.empty() || ::getpwnam_r(name.c_str(), &entry, scratch.data(), scratch.size(), &found) != 0 || !found)
    return std::nullopt;
  return Account{found->pw_name, found->pw_uid, found->pw_gid, found->pw_dir ? found->pw_dir : "",
                 found->pw_gecos ? found->pw_gecos : ""};
}

std::vector<std::string> GroupNames(const Account& account) {
  int count = 64;
  std::vector<gid_t> ids(count);
  while (::getgrouplist(account.name.c_str(), account.gid, ids.data(), &count) < 0) ids.resize(count + 16);
  ids.resize(count);
  std::vector<std::string> names;
  for (gid_t id : ids) {
    std::string name = win32::GroupNameOf(id);
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

bool LocalServer(LPCWSTR server) { return !server || !*server; }

// One block holding the records followed by the texts they point to.
template <typename Record>
LPBYTE PackTexts(const std::vector<std::vector<std::wstring>>& texts,
                 void (*fill)(Record&, const std::vector<LPWSTR>&)) {
  size_t bytes = texts.size() * sizeof(Record);
  for (const auto& record : texts)
    for (const auto& t : record) bytes += (t.size() + 1) * sizeof(wchar_t);
  auto* block = static_cast<LPBYTE>(std::calloc(1, bytes ? bytes : 1));
  if (!block) return nullptr;
  auto* records = reinterpret_cast<Record*>(block);
  auto* cursor = reinterpret_cast<wchar_t*>(block + texts.size() * sizeof(Record));
  for (size_t i = 0; i < texts.size(); ++i) {
    std::vector<LPWSTR> pointers;
    for (const auto& t : texts[i]) {
      std::wmemcpy(cursor, t.c_str(), t.size() + 1);
      pointers.push_back(cursor);
      cursor += t.size() + 1;
    }
    fill(records[i], pointers);
  }
  return block;
}

}  // namespace

BOOL GetUserNameW(LPWSTR buffer, LPDWORD size) {
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string name = win32::UserNameOf(::geteuid());
  if (const char* user = std::getenv("USER"); name.empty() && user) name = user;
  if (name.empty()) {
    SetLastError(ERROR_NO_SUCH_USER);
    return FALSE;
  }
  std::wstring wide = Utf8ToWide(name);
  if (!buffer || *size < wide.size() + 1) {
    *size = static_cast<DWORD>(wide.size() + 1);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::wmemcpy(buffer, wide.c_str(), wide.size() + 1);
  *size = static_cast<DWORD>(wide.size() + 1);
  return TRUE;
}

NET_API_STATUS NetUserGetInfo(LPCWSTR server, LPCWSTR user, DWORD level, LPBYTE* buffer) {
  if (!buffer || !user) return ERROR_INVALID_PARAMETER;
  *buffer = nullptr;
  if (!LocalServer(server)) return NERR_InvalidComputer;
  if (level != 0 && level != 1) return ERROR_INVALID_LEVEL;
  std::optional<Account> account = FindAccount(WideToUtf8(user));
  if (!account) return NERR_UserNotFound;
  std::wstring name = Utf8ToWide(account->name);
  if (level == 0) {
    *buffer = PackTexts<USER_INFO_0>({{name}}, [](USER_INFO_0& r, const std::vector<LPWSTR>& t) {
      r.usri0_name = t[0];
    });
  } else {
    bool admin = win32::IsAdministratorAccount(account->name.c_str());
    *buffer = PackTexts<USER_INFO_1>(
        {{name, Utf8ToWide(account->home), Utf8ToWide(account->comment), L""}},
        [](USER_INFO_1& r, const std::vector<LPWSTR>& t) {
          r.usri1_name = t[0];
          r.usri1_home_dir = t[1];
          r.usri1_comment = t[2];
          r.usri1_script_path = t[3];
        });
    if (*buffer) reinterpret_cast<USER_INFO_1*>(*buffer)->usri1_priv = admin ? USER_PRIV_ADMIN : USER_PRIV_USER;
  }
  return *buffer ? NERR_Success : ERROR_NOT_ENOUGH_MEMORY;
}

NET_API_STATUS NetUserGetLocalGroups(LPCWSTR server, LPCWSTR user, DWORD level, DWORD, LPBYTE* buffer, DWORD,
                                     LPDWORD entriesRead, LPDWORD totalEntries) {
  if (!buffer || !user || !entriesRead || !totalEntries) return ERROR_INVALID_PARAMETER;
  *buffer = nullptr;
  *entriesRead = *totalEntries = 0;
  if (!LocalServer(server)) return NERR_InvalidComputer;
  if (level != 0) return ERROR_INVALID_LEVEL;
  std::optional<Account> account = FindAccount(WideToUtf8(user));
  if (!account) return NERR_UserNotFound;
  std::vector<std::vector<std::wstring>> texts;
  for (const std::string& name : GroupNames(*account)) texts.push_back({Utf8ToWide(name)});
  *buffer = PackTexts<LOCALGROUP_USERS_INFO_0>(texts, [](LOCALGROUP_USERS_INFO_0& r, const std::vector<LPWSTR>& t) {
    r.lgrui0_name = t[0];
  });
  if (!*buffer) return ERROR_NOT_ENOUGH_MEMORY;
  *entriesRead = *totalEntries = static_cast<DWORD>(texts.size());
  return NERR_Success;
}

NET_API_STATUS NetApiBufferFree(LPVOID buffer) {
  std::free(buffer);
  return NERR_Success;
}

namespace win32 {

bool IsAdministratorAccount(const char* user) {
  std::optional<Account> account = FindAccount(user ? user : "");
  if (!account) return false;
  if (account->uid == 0) return true;
  for (const std::string& group : GroupNames(*account))
    if (group == "sudo" || group == "wheel") return true;
  return false;
}

}  // namespace win32
