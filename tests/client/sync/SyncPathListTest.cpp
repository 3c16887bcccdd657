// The tip list and the recent files.
#include <gtest/gtest.h>

#include <fstream>

#include "EngineTestSupport.h"
#include "client/core/account/AccountData.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "common/MutiLanSupport.h"
#include "common/StringConvert.h"

namespace {

std::vector<juce::String> Paths(SyncPathList& list) {
  std::vector<juce::String> paths;
  for (const SyncPathEntry& entry : list.GetEntries()) paths.push_back(entry.m_sPath);
  return paths;
}

SyncPathList& TipList(SyncPathList& list, int max = 1000, int shown = 3) {
  list.m_nMax = max;
  list.m_nShown = shown;
  return list;
}

TEST(SyncPathListTest, TheTipListKeepsOneEntryPerPathAndKindAndDropsTheOldest) {
  SyncPathList list;
  TipList(list);
  list.AddUnique("/r/a", TIP_SPACE_EXHAUSTED);
  list.AddUnique("/r/a", TIP_FILE_TOO_BIG);
  list.AddUnique("/r/a", TIP_SPACE_EXHAUSTED);
  EXPECT_EQ(list.GetCount(), 2);
  for (int i = 0; i < 998; ++i) list.AddUnique("/r/f" + juce::String(i), TIP_OCCUPIED);
  EXPECT_EQ(list.GetCount(), 1000);
  EXPECT_EQ(list.GetEntries().front().m_nKind, TIP_SPACE_EXHAUSTED);
  list.AddUnique("/r/newest", TIP_OCCUPIED);
  EXPECT_EQ(list.GetCount(), 1000);
  EXPECT_EQ(list.GetEntries().front().m_nKind, TIP_FILE_TOO_BIG);  // the oldest went
  EXPECT_EQ(Paths(list).back(), "/r/newest");
}

TEST(SyncPathListTest, RemovingAPathRemovesEveryEntryThatContainsIt) {
  SyncPathList list;
  TipList(list);
  for (const char* path : {"/r/A", "/r/A/b.txt", "/r/AB", "/r/C"}) list.AddUnique(path, TIP_OCCUPIED);
  EXPECT_TRUE(list.RemovePath("/r/A"));
  EXPECT_EQ(Paths(list), std::vector<juce::String>{"/r/C"});
  EXPECT_FALSE(list.RemovePath("/r/A"));
  EXPECT_EQ(list.GetCount(), 1);
}

TEST(SyncPathListTest, RecentFilesPutTheNewestFirstAndKeepTen) {
  SyncPathList list;
  list.m_nMax = 10;
  for (int i = 0; i < 10; ++i) list.AddMoveToFront("/r/" + juce::String(i), 0);
  list.AddMoveToFront("/r/3", 1);
  EXPECT_EQ(Paths(list).front(), "/r/3");
  EXPECT_EQ(list.GetEntries().front().m_nKind, 1);
  EXPECT_EQ(list.GetCount(), 10);
  list.AddMoveToFront("/r/new", 0);
  EXPECT_EQ(list.GetCount(), 10);
  EXPECT_EQ(Paths(list).back(), "/r/1");  // "/r/0" was the oldest

  SyncPathList copy;
  copy.CopyFrom(list);
  EXPECT_EQ(Paths(copy), Paths(list));
  copy.CopyFrom(copy);
  EXPECT_EQ(copy.GetCount(), 10);
}

class TipTextTest : public enginetest::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    const std::filesystem::path table = m_root / "strings.ini";
    dorvtest::WriteFile(table,
                        "STRID_TRAYICONTIPINFO_SPACENOTENOUGH=No space for %s\n"
                        "STRID_TRAYICONTIPINFO_INFOEXCEEDDIREDDPLIMIT=Deeper than %d\n"
                        "STRID_TRAYICONTIPINFO_INFOFILETOOBIG=%s is over %dMB %s %d\n"
                        "STRID_TRAYICONTIPINFO_INFOFILEBEOCCUPIED=%s is in use\n"
                        "STRID_TRAYICONNOTIFYINFO_INFOFOLDERBEOCCUPIED=folder %s is in use\n");
    Common::CMutiLanSupport::GetInstance()->LoadStringTable(Common::String_To_CString(Local("strings.ini")));
    UserConfigInfo config;
    config.UC_FileSizeLimit = 10 * 1048576;
    config.UC_DirDepthLimit = 7;
    GetAccountData()->SetUserConfig(config);
  }
  void TearDown() override {
    Common::CMutiLanSupport::GetInstance()->ClearAll();
    EngineTest::TearDown();
  }
  static std::wstring Text(SyncPathList& list, int reserve) {
    CString text;
    EXPECT_TRUE(list.ComposeTipText(text, reserve));
    return static_cast<LPCWSTR>(text);
  }
};

TEST_F(TipTextTest, TheTipShowsTheNewestThreeEntriesOldestFirst) {
  SyncPathList list;
  TipList(list);
  std::filesystem::create_directories((m_root.path() / "Folder").string());
  list.AddUnique("/r/old1.txt", TIP_SPACE_EXHAUSTED);
  list.AddUnique("/r/old2.txt", TIP_SPACE_EXHAUSTED);
  list.AddUnique("/r/averyveryverylongfilename.mpeg", TIP_FILE_TOO_BIG);
  list.AddUnique(Local("Folder"), TIP_OCCUPIED);
  list.AddUnique("/r/d", TIP_FOLDER_DEPTH_LIMIT);
  // A stray conversion in the table's text gets nothing rather than garbage.
  EXPECT_EQ(Text(list, 0), L"\nav...me.mpe is over 10MB  \nfolder Folder is in use\nDeeper than 7");
  EXPECT_EQ(Text(list, 127), L"\n");
  // A piece that doesn't fit ends the text.
  EXPECT_EQ(Text(list, 127 - 30), L"\nav...me.mpe is over 10MB  \n");
}

TEST_F(TipTextTest, UnknownKindsGiveAnEmptyLine) {
  SyncPathList list;
  TipList(list);
  list.AddUnique("/r/x", 42);
  list.AddUnique("/r/y.txt", TIP_OCCUPIED);
  EXPECT_EQ(Text(list, 0), L"\n\ny.txt is in use");
}

class RecentFilesTest : public enginetest::EngineTest {
 protected:
  juce::File Xml() const { return juce::File(SyncHelper::GetUserFolder(kAccount) + "RecentlyUpdateFile.xml"); }
};

TEST_F(RecentFilesTest, SavedAsXmlAndLoadedBackNewestFirst) {
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  tracker->AddRecentFile(juce::String::fromUTF8("/r/\xE6\x96\x87\xE4\xBB\xB6 \"1\".txt"), 0);
  tracker->AddRecentFile("/r/gone.txt", 1);
  ASSERT_TRUE(tracker->SaveRecentFiles(kAccount));
  EXPECT_EQ(Xml().loadFileAsString(),
            juce::String::fromUTF8("<RecentlyFiles>\n    <File Path=\"/r/gone.txt\" Deleted=\"1\" />\n"
                                   "    <File Path='/r/\xE6\x96\x87\xE4\xBB\xB6 &quot;1&quot;.txt' Deleted=\"0\" />\n"
                                   "</RecentlyFiles>\n"));
  tracker->Reset();
  EXPECT_EQ(tracker->GetRecentFiles().GetCount(), 0);
  ASSERT_TRUE(tracker->LoadRecentFiles(kAccount));
  auto entries = tracker->GetRecentFiles().GetEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries.front().m_sPath, "/r/gone.txt");
  EXPECT_EQ(entries.front().m_nKind, 1);
  EXPECT_EQ(entries.back().m_sPath, juce::String::fromUTF8("/r/\xE6\x96\x87\xE4\xBB\xB6 \"1\".txt"));
}

TEST_F(RecentFilesTest, LoadingTakesTheFirstTenElementsAndReadsMissingFlagsAsDeleted) {
  std::string xml = "<RecentlyFiles>";
  xml += "<File Deleted=\"0\"/>";                   // no path: counts, adds nothing
  xml += "<File Path=\"/r/nf\"/>";                  // no flag: deleted
  xml += "<File Path=\"/r/seven\" Deleted=\"7\"/>";  // any other value: deleted
  for (int i = 0; i < 12; ++i) xml += "<File Path=\"/r/" + std::to_string(i) + "\" Deleted=\"0\"/>";
  xml += "</RecentlyFiles>";
  Xml().getParentDirectory().createDirectory();
  ASSERT_TRUE(Xml().replaceWithText(xml));
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  ASSERT_TRUE(tracker->LoadRecentFiles(kAccount));
  auto entries = tracker->GetRecentFiles().GetEntries();
  ASSERT_EQ(entries.size(), 9u);
  EXPECT_EQ(entries.front().m_sPath, "/r/nf");
  EXPECT_EQ(entries.front().m_nKind, 1);
  EXPECT_EQ(std::next(entries.begin())->m_nKind, 1);
  EXPECT_EQ(entries.back().m_sPath, "/r/6");
}

TEST_F(RecentFilesTest, AMissingOrForeignFileLeavesTheListEmpty) {
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  tracker->AddRecentFile("/r/a", 0);
  EXPECT_FALSE(tracker->LoadRecentFiles(kAccount));
  EXPECT_EQ(tracker->GetRecentFiles().GetCount(), 0);
  Xml().getParentDirectory().createDirectory();
  ASSERT_TRUE(Xml().replaceWithText("<Other><File Path=\"/r/a\"/></Other>"));
  EXPECT_FALSE(tracker->LoadRecentFiles(kAccount));
  ASSERT_TRUE(Xml().replaceWithText("<RecentlyFiles><File Path="));
  EXPECT_FALSE(tracker->LoadRecentFiles(kAccount));
  EXPECT_EQ(tracker->GetRecentFiles().GetCount(), 0);
}

}  // namespace
