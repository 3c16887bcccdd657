// The checks of a chosen sync folder and the re-binding of the sync root, on
// real folders and the real per-user database.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "../core/db/DBTestFolder.h"
#include "TempDir.h"
#include "client/core/account/AccountData.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/FileDBManager.h"
#include "client/core/db/FolderDBManager.h"
#include "client/core/db/LocalDatabases.h"
#include "client/core/protocol/ServerDirInfo.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/windows/SyncFolderChecks.h"
#include "client/windows/wizard/InitSetForm.h"

namespace {

namespace fs = std::filesystem;

CString Wide(const fs::path& p) { return CString(p.wstring().c_str()); }

void Touch(const fs::path& p) {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << "x";
}

// HOME pointed at a folder of the test, put back afterwards.
class ScopedHome {
 public:
  explicit ScopedHome(const fs::path& home) {
    if (const char* old = std::getenv("HOME")) m_old = old;
    setenv("HOME", home.c_str(), 1);
  }
  ~ScopedHome() { setenv("HOME", m_old.c_str(), 1); }

 private:
  std::string m_old;
};

TEST(SyncFolderChecksTest, SystemLocationsAreRefusedByWholePathComponents) {
  dorvtest::TempDir dir;
  const fs::path home = dir / "home";
  fs::create_directories(home / "Documents");
  fs::create_symlink("/etc", home / "etc-link");
  ScopedHome scoped(home);
  const struct {
    std::string path;
    bool refused;
  } cases[] = {
      {"/", true},
      {"/etc", true},
      {"/etc/", true},
      {"/usr/local/share/Dorv", true},
      {"/var/tmp/x", true},
      {"/lib64", true},
      {"/libx32/a", true},
      {"/proc/self", true},
      {"/home/../etc", true},
      {"//bin", true},
      {home.string(), true},
      {home.string() + "/", true},
      {(home / "etc-link" / "Dorv").string(), true},
      {(home / "Documents" / "Dorv").string(), false},
      {(home / "Documents").string(), false},
      {"/usrdata/Dorv", false},
      {"/ETC", false},  // compared with its case
      {"/tmp/etc", false},
      {"/home/someone-else", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsSystemFolderForSync(CString(c.path.c_str())), c.refused) << c.path;
}

TEST(SyncFolderChecksTest, FoldersAreNestedByWholeComponentsAfterResolvingLinks) {
  dorvtest::TempDir dir;
  fs::create_directories(dir / "root" / "sub");
  fs::create_directories(dir / "rootx");
  fs::create_directory_symlink(dir / "root", dir / "alias");
  const CString root = Wide(dir / "root");
  const struct {
    fs::path other;
    bool nested;
  } cases[] = {
      {dir / "root" / "sub", true},
      {dir / "root" / "sub" / "missing", true},
      {dir.path(), true},
      {dir / "alias" / "sub", true},  // through a link to the root
      {dir / "root" / "sub" / "..", false},  // the root itself
      {dir / "root", false},
      {dir / "alias", false},  // a link to the root is the root
      {dir / "rootx", false},  // a sibling whose name begins alike
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AreSyncFoldersNested(Wide(c.other), root), c.nested) << c.other;
    EXPECT_EQ(AreSyncFoldersNested(root + L"/", Wide(c.other)), c.nested) << c.other;
  }
  EXPECT_FALSE(AreSyncFoldersNested(root, CString()));  // no current root
}

TEST(SyncFolderChecksTest, ALinkOrAFolderNobodyMayWriteIsNoSyncFolder) {
  dorvtest::TempDir dir;
  fs::create_directories(dir / "real");
  fs::create_directory_symlink(dir / "real", dir / "link");
  EXPECT_TRUE(IsLinkFolderForSync(Wide(dir / "link")));
  EXPECT_TRUE(IsLinkFolderForSync(Wide(dir / "link") + L"/"));
  EXPECT_FALSE(IsLinkFolderForSync(Wide(dir / "real")));
  EXPECT_FALSE(IsLinkFolderForSync(Wide(dir / "link" / "missing")));
  EXPECT_TRUE(IsWritableFolderForSync(Wide(dir / "real")));
  EXPECT_FALSE(IsWritableFolderForSync(Wide(dir / "missing")));
  Touch(dir / "file");
  EXPECT_FALSE(IsWritableFolderForSync(Wide(dir / "file")));
  fs::permissions(dir / "real", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(IsWritableFolderForSync(Wide(dir / "real")));
  fs::permissions(dir / "real", fs::perms::owner_all);
}

TEST(SyncFolderChecksTest, AFolderWithOnlyDesktopIniOrNothingIsEmpty) {
  dorvtest::TempDir dir;
  EXPECT_TRUE(IsFolderEmptyForSync(Wide(dir / "missing")));
  EXPECT_TRUE(IsFolderEmptyForSync(Wide(dir.path())));
  Touch(dir / "desktop.ini");
  EXPECT_TRUE(IsFolderEmptyForSync(Wide(dir.path()) + L"/"));
  Touch(dir / "Desktop.ini");  // names compare with their case
  EXPECT_FALSE(IsFolderEmptyForSync(Wide(dir.path())));
}

TEST(SyncFolderChecksTest, AnEmptyLocalOrServerFolderNeedsNoMergeQuestion) {
  dorvtest::TempDir dir;
  ServerDirInfo withFiles;
  withFiles.filesCount = 3;
  EXPECT_EQ(CheckFolderMerge(Wide(dir.path()), &withFiles, nullptr), 0);  // the local side is empty
  Touch(dir / "a.txt");
  ServerDirInfo empty;
  EXPECT_EQ(CheckFolderMerge(Wide(dir.path()), &empty, nullptr), 0);
  EXPECT_EQ(CheckFolderMerge(Wide(dir.path()), nullptr, nullptr), 0);
}

class FolderAllowanceTest : public dorvtest::DBTest {
 protected:
  void SetUp() override {
    DBTest::SetUp();
    m_home = std::make_unique<ScopedHome>(m_dir / "home");
  }
  // The account may store `limit` files and holds `count`.
  static void SetQuota(int limit, int count) {
    UserConfigInfo config;
    config.UC_FilesTotalNumLimit = limit;
    config.UC_FileCount = count;
    GetAccountData()->SetUserConfig(config);
  }
  dorvtest::TempDir m_dir;
  std::unique_ptr<ScopedHome> m_home;
};

TEST_F(FolderAllowanceTest, TheWalkStopsAtAFolderEnteredPastTheAllowanceOrBelowLevelTen) {
  // Ten levels pass; the eleventh stops the walk.
  fs::path deep = m_dir / "deep";
  for (int level = 2; level <= 10; ++level) deep /= "d";
  fs::create_directories(deep);
  SetQuota(100, 0);
  EXPECT_EQ(CheckSyncFolder(Wide(m_dir / "deep"), nullptr), 1);
  int count = 0;
  EXPECT_EQ(CountFolderFiles(Wide(m_dir / "deep"), count, 1), 1);
  fs::create_directories(deep / "d");
  count = 0;
  EXPECT_EQ(CountFolderFiles(Wide(m_dir / "deep"), count, 1), 0);

  // Allowance 0: a folder entered after one file stops the walk; files alone do not.
  SetQuota(5, 7);
  Touch(m_dir / "flat" / "a.txt");
  Touch(m_dir / "flat" / "b.txt");
  EXPECT_EQ(CheckSyncFolder(Wide(m_dir / "flat"), nullptr), 1);
  EXPECT_EQ(GetSyncFolderFileAllowance(), 0);
  Touch(m_dir / "nested" / "sub" / "only.txt");
  EXPECT_EQ(CheckSyncFolder(Wide(m_dir / "nested"), nullptr), 1);
  count = 1;
  EXPECT_EQ(CountFolderFiles(Wide(m_dir / "nested"), count, 1), 0);
}

TEST_F(FolderAllowanceTest, SymbolicLinksAreCountedNeverFollowed) {
  SetQuota(100, 0);
  fs::path loop = m_dir / "loop";
  fs::create_directories(loop);
  fs::create_directory_symlink(loop, loop / "self");
  int count = 0;
  EXPECT_EQ(CountFolderFiles(Wide(loop), count, 1), 1);
  EXPECT_EQ(count, 1);
}

class RebindTest : public dorvtest::DBTest {
 protected:
  void SetUp() override {
    DBTest::SetUp();
    ASSERT_EQ(OpenUserDB("someone@example.com"), 0);
    GlobalContext* context = GetGlobalContext();
    ASSERT_EQ(context->m_pFolderDBManager->CreateDBTable(), 0);
    ASSERT_EQ(context->m_pFileDBManager->CreateDBTable(), 0);
    SyncRootFolder::DeleteInstance();
  }
  void TearDown() override {
    SyncRootFolder::DeleteInstance();
    if (HasFailure()) {
      std::ifstream log(dorvtest::AppDataFolder() / "dorv.log");
      std::cerr << log.rdbuf();
    }
    DBTest::TearDown();
  }
  static bool HasFolder(juce::int64 id) {
    SyncFolderData row;
    return GetGlobalContext()->m_pFolderDBManager->SelectFolderByID(id, row) == 0 && row.m_FolderID == id;
  }
  static ServerDirInfo Folder(int64_t id) {
    ServerDirInfo dir;
    dir.id = id;
    dir.dirName = "Dorv";
    dir.path = "/";  // the service names a folder by its parent's path
    dir.versionValue = "1";
    return dir;
  }
};

TEST_F(RebindTest, ANewRootStartsUnsyncedWithEmptyTablesAndTheSameRootKeepsItsVersion) {
  const ServerDirInfo dir = Folder(100);
  CInitSetForm::BeforeChangeNextPageHandler(&dir, L"/home/u/Dorv", false, false);
  SyncRootFolder* root = SyncRootFolder::GetInstance();
  EXPECT_TRUE(root->IsRootRecordValid());
  root->Reload();
  EXPECT_EQ(root->GetRootPath(), juce::String("/home/u/Dorv"));
  EXPECT_EQ(root->GetGlobalVersion(), juce::String("0|0"));
  EXPECT_EQ(root->GetRootFolderID(), 100);

  root->SetRootFolder("/home/u/Dorv", "7|3", root->GetFolderData());
  SyncFolderData child;
  child.m_FolderID = 101;
  child.m_ParentID = 100;
  child.m_FolderName = "sub";
  child.m_FolderPath = "/home/u/Dorv/sub";
  ASSERT_EQ(GetGlobalContext()->m_pFolderDBManager->ReplaceFolder(child), 0);
  CInitSetForm::BeforeChangeNextPageHandler(&dir, L"/home/u/Dorv", true, false);
  root->Reload();
  EXPECT_EQ(root->GetGlobalVersion(), juce::String("7|3"));
  EXPECT_TRUE(HasFolder(101));

  CInitSetForm::BeforeChangeNextPageHandler(&dir, L"/home/u/Other", false, false);
  root->Reload();
  EXPECT_EQ(root->GetRootPath(), juce::String("/home/u/Other"));
  EXPECT_EQ(root->GetGlobalVersion(), juce::String("0|0"));
  EXPECT_FALSE(HasFolder(101));
  // Without a server folder the tables are emptied and nothing is stored.
  CInitSetForm::BeforeChangeNextPageHandler(nullptr, L"/home/u/Third", false, false);
  EXPECT_FALSE(root->IsRootRecordValid());
}

}  // namespace
