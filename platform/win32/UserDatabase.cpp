#include "win32/UserDatabase.h"

#include <grp.h>
#include <pwd.h>

#include <vector>

namespace win32 {

std::string UserNameOf(uid_t uid) {
  std::vector<char> scratch(16384);
  passwd entry{}, *found = nullptr;
  if (::getpwuid_r(uid, &entry, scratch.data(), scratch.size(), &found) != 0 || !found) return {};
  return found->pw_name;
}

std::string GroupNameOf(gid_t gid) {
  std::vector<char> scratch(16384);
  group entry{}, *found = nullptr;
  if (::getgrgid_r(gid, &entry, scratch.data(), scratch.size(), &found) != 0 || !found) return {};
  return found->gr_name;
}

}  // namespace win32
