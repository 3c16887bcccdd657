// The account record, its UserData and UserConfig rows, and its lock.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <atomic>
#include <thread>

#include "../db/DBTestFolder.h"
#include "client/core/account/AccountData.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"

namespace {

class AccountDataTest : public dorvtest::DBTest {
 protected:
  void SetUp() override {
    DBTest::SetUp();
    ASSERT_TRUE(InitUserTables());
  }
};

AccountSnapshot Someone(const juce::String& name) {
  AccountSnapshot snapshot;
  snapshot.FullName = name;
  snapshot.m_sAccount = name;
  snapshot.m_sNickName = "nick \"n\"";
  snapshot.m_sPassword = "0123456789abcdef0123456789abcdef";
  snapshot.m_sSessionID = "sid";
  snapshot.UserID = 8589934593;
  snapshot.IsAutoLogin = 0;
  return snapshot;
}

TEST_F(AccountDataTest, InitUserTablesMakesBothTablesOnce) {
  UserDataDBManager* manager = GetGlobalContext()->m_pUserDataDBManager.get();
  EXPECT_TRUE(manager->IsDBTableExist());
  EXPECT_TRUE(manager->IsUserConfigTableExist());
  EXPECT_TRUE(InitUserTables()) << "existing tables are kept";
  EXPECT_TRUE(manager->IsUserDataEmpty());
}

TEST_F(AccountDataTest, ASavedAccountLoadsBackUnderItsName) {
  const juce::String name = juce::String::fromUTF8("o'brien_100%@例子.com");
  AccountData data;
  SaveAccountData(Someone(name), &data);
  EXPECT_FALSE(GetGlobalContext()->m_pUserDataDBManager->IsUserDataEmpty());

  AccountData loaded;
  ASSERT_TRUE(LoadAccountData(name, &loaded));
  const AccountSnapshot back = loaded.GetSnapshot();
  EXPECT_EQ(back.FullName, name);
  EXPECT_EQ(back.m_sShortName, name);
  EXPECT_EQ(back.m_sAccount, name);
  EXPECT_EQ(back.m_sNickName, "nick \"n\"");
  EXPECT_EQ(back.m_sPassword, "0123456789abcdef0123456789abcdef");
  EXPECT_EQ(back.UserID, 8589934593);
  EXPECT_EQ(back.IsAutoLogin, 0);
  EXPECT_EQ(back.m_sSessionID, "") << "session ids are not stored";
}

TEST_F(AccountDataTest, UnknownAndEmptyNamesLeaveTheAccountAlone) {
  AccountData data;
  data.SetSnapshot(Someone("current"));
  EXPECT_FALSE(LoadAccountData("nobody", &data));
  EXPECT_FALSE(LoadAccountData("FullName", &data)) << "a name equal to the column matches nothing";
  EXPECT_EQ(data.GetSnapshot().m_sAccount, "current");

  CloseAllDB();
  EXPECT_FALSE(LoadAccountData("", &data));
  EXPECT_EQ(dorvtest::CountLogLines("ErrorLog"), 0) << "the empty name runs nothing";
}

TEST_F(AccountDataTest, AStoredPasswordIsReplacedByName) {
  SaveAccountData(Someone("a@b"), GetAccountData());
  SaveAccountData(Someone("c@d"), GetAccountData());
  ASSERT_EQ(GetGlobalContext()->m_pUserDataDBManager->UpdateUserPassword("a@b", "new"), 0);
  AccountData data;
  ASSERT_TRUE(LoadAccountData("a@b", &data));
  EXPECT_EQ(data.GetSnapshot().m_sPassword, "new");
  ASSERT_TRUE(LoadAccountData("c@d", &data));
  EXPECT_EQ(data.GetSnapshot().m_sPassword, "0123456789abcdef0123456789abcdef");
  DeleteAccountData();
}

TEST_F(AccountDataTest, TheUserConfigIsStoredUnderTheAccountAndLogged) {
  AccountData data;
  data.SetSnapshot(Someone("acct'1"));
  UserConfigInfo config;
  config.UC_Capacity = 10737418240;
  config.UC_SpaceUsed = 1;
  config.UC_FileSizeLimit = 52428800;
  config.UC_TotalDirsNumLinit = 300;
  config.UC_DirDepthLimit = 9;
  SaveUserConfig(&data, config);
  EXPECT_EQ(dorvtest::CountLogLines("GetUserConfig, FileSizeLimit is 52428800"), 1);

  AccountData other;
  other.SetSnapshot(Someone("acct'1"));
  EXPECT_FALSE(LoadUserConfig(&other, ""));
  ASSERT_TRUE(LoadUserConfig(&other, "any name: the account field decides"));
  const UserConfigInfo back = other.GetUserConfig();
  EXPECT_EQ(back.UC_Capacity, 10737418240);
  EXPECT_EQ(back.UC_SpaceUsed, 1);
  EXPECT_EQ(back.UC_FileSizeLimit, 52428800);
  EXPECT_EQ(back.UC_TotalDirsNumLinit, 300);
  EXPECT_EQ(back.UC_DirDepthLimit, 9);

  AccountData stranger;
  stranger.SetSnapshot(Someone("stranger"));
  EXPECT_FALSE(LoadUserConfig(&stranger, "stranger"));
}

TEST_F(AccountDataTest, ReadersNeverSeeHalfOfARenewal) {
  AccountData data;
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::thread writer([&] {
    for (int i = 0; i < 20000; ++i) {
      const juce::String value(i);
      data.UpdateSnapshot([&](AccountSnapshot& s) {
        s.m_sSessionID = "s" + value;
        s.m_sClientID = "c" + value;
      });
    }
    done = true;
  });
  std::vector<std::thread> readers;
  for (int r = 0; r < 3; ++r) {
    readers.emplace_back([&] {
      while (!done) {
        const AccountSnapshot s = data.GetSnapshot();
        if (s.m_sSessionID.substring(1) != s.m_sClientID.substring(1)) ++torn;
      }
    });
  }
  writer.join();
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_EQ(data.GetSessionID(), "s19999");
}

}  // namespace
