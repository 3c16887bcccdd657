// Accounts, groups, rights on files and the recycle bin.
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "TempDir.h"
#include "common/Accounts.h"
#include "win32/NativePath.h"

namespace {

namespace fs = std::filesystem;

TEST(Accounts, AdministratorsAreDecidedByTheirGroupsNotByTheirIdentifiersAuthority) {
  CString root(L"root");
  int isAdmin = -1;
  EXPECT_EQ(Common::IsUserAdminPrivilege(root, isAdmin), 1);
  EXPECT_EQ(isAdmin, 1);

  if (passwd* nobody = getpwnam("nobody")) {
    CString name(Utf8ToWide(nobody->pw_name).c_str());
    EXPECT_EQ(Common::IsUserAdminPrivilege(name, isAdmin), 1);
    EXPECT_EQ(isAdmin, 0);  // an ordinary account is no administrator
  }

  CString unknown(L"no-such-account-here");
  isAdmin = 1;
  EXPECT_EQ(Common::IsUserAdminPrivilege(unknown, isAdmin), 0);
  EXPECT_EQ(isAdmin, 0);
}

TEST(Accounts, GroupsAreAppended) {
  CStringArray groups;
  groups.Add(L"kept");
  ASSERT_EQ(Common::GetUserGroupsLocal(L"root", groups), 1);
  ASSERT_GE(groups.GetSize(), 2);
  EXPECT_EQ(groups[0], L"kept");
  bool found = false;
  for (INT_PTR i = 1; i < groups.GetSize(); ++i) found |= groups[i] == Utf8ToWide(getgrgid(0)->gr_name).c_str();
  EXPECT_TRUE(found);
  EXPECT_EQ(Common::GetUserGroupsLocal(L"no-such-account-here", groups), 0);
}

// The rights of an ordinary account: this process (when it runs as root) becomes
// "nobody" in a child of its own and asks about files of several owners and modes.
TEST(RightsDeathTest, TheUsersEntryElseItsGroupsEntryDecides) {
  passwd* nobody = getpwnam("nobody");
  if (geteuid() != 0 || !nobody) GTEST_SKIP() << "needs root and the account nobody";
  uid_t uid = nobody->pw_uid;
  gid_t gid = nobody->pw_gid;
  dorvtest::TempDir dir;
  chmod(dir.path().c_str(), 0755);
  struct Case {
    const char* name;
    uid_t owner;
    gid_t group;
    mode_t mode;
    int rights;
    int expected;
  } cases[] = {
      {"own-rw", uid, 0, 0600, 1 | 2 | 4, 1},
      {"own-r", uid, 0, 0400, 1, 1},
      {"own-r-write", uid, 0, 0400, 2, 0},
      {"own-none-group-rw", uid, gid, 0060, 1, 0},  // the user's own entry decides
      {"group-r", 0, gid, 0640, 1, 1},
      {"group-r-delete", 0, gid, 0640, 4, 0},
      {"others-only", 0, 0, 0644, 1, 0},  // no entry names the user or a group of theirs
      {"own-any", uid, 0, 0600, 0, 0},    // an allow entry never holds MAXIMUM_ALLOWED
  };
  for (const Case& c : cases) {
    fs::path file = dir / c.name;
    dorvtest::WriteFile(file, "x");
    ASSERT_EQ(chown(file.c_str(), c.owner, c.group), 0);
    ASSERT_EQ(chmod(file.c_str(), c.mode), 0);
  }
  EXPECT_EXIT(
      {
        if (setgid(gid) != 0 || setuid(uid) != 0) std::exit(100);
        int wrong = 0;
        for (const Case& c : cases) {
          CString path(WidePath((dir / c.name).c_str()).c_str());
          if (Common::HasRightToOption(path, c.rights) != c.expected) {
            std::fprintf(stderr, "wrong: %s\n", c.name);
            ++wrong;
          }
        }
        CString missing(WidePath((dir / "missing").c_str()).c_str());
        if (Common::HasRightToOption(missing, 1) != 0) ++wrong;
        std::exit(wrong);
      },
      testing::ExitedWithCode(0), "");
}

TEST(Rights, AdministratorsHaveEveryRight) {
  CString me(Utf8ToWide(getpwuid(geteuid())->pw_name).c_str());
  int isAdmin = 0;
  ASSERT_EQ(Common::IsUserAdminPrivilege(me, isAdmin), 1);
  if (!isAdmin) GTEST_SKIP() << "the test runs as an ordinary account";
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "locked", "x");
  chmod((dir / "locked").c_str(), 0);
  EXPECT_EQ(Common::HasRightToOption(WidePath((dir / "locked").c_str()).c_str(), 2), 1);
}

TEST(RecycleBin, ItemsGoToTheTrashAndMissingOnesFail) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "old.txt", "content");
  EXPECT_EQ(Common::DeleteFileToRecycleBin(WidePath((dir / "old.txt").c_str()).c_str()), 1);
  EXPECT_FALSE(fs::exists(dir / "old.txt"));
  std::string trash = std::string(std::getenv("XDG_DATA_HOME")) + "/Trash";
  EXPECT_EQ(dorvtest::ReadFile(trash + "/files/old.txt"), "content");
  EXPECT_EQ(Common::DeleteFileToRecycleBin(WidePath((dir / "old.txt").c_str()).c_str()), 0);
}

}  // namespace
