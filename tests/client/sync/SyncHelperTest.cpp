// The engine's utilities.
#include <gtest/gtest.h>

#include <cstdlib>

#include <filesystem>

#include "EngineTestSupport.h"
#include "LockHolderProcess.h"
#include "client/core/account/AccountData.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/protocol/ServerFileInfo.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "win32/Windows.h"

namespace {

using enginetest::EngineTest;

TEST(SyncHelperTextTest, ShortensLongNamesForTips) {
  struct Row {
    const char* name;
    const char* shortened;
  } rows[] = {
      {"", ""},
      {"abcdefghijklmnopqrstuvwxyz012345.jpeg", "ab...45.jpe"},
      {".profile", ".profile"},                 // a leading dot starts no extension
      {".hiddenfilewithaverylongname", ".h...me"},  // so the whole name is the base
      {"short.txt", "short.txt"},
      {"exactlytwentychars!!.md", "exactlytwentychars!!.md"},
      {"twentyonecharacters!!", "tw...!!"},
      {"archive.tar.gz", "archive.tar.gz"},
  };
  for (const Row& row : rows) EXPECT_EQ(SyncHelper::ShortenFileName(row.name), row.shortened) << row.name;
}

TEST(SyncHelperTextTest, ComparesVersionsByTheirSecondNumber) {
  struct Row {
    const char* a;
    const char* b;
    int result;
  } rows[] = {
      {"1|20", "1|3", 1}, {"1|3", "2|3", 0},  {"5|07", "5|7", -1}, {"1|99", "1|100", -1},
      {"7|7", "7|7", 0},  {"|5", "x", 0},     {"1|5", "", 1},      {"1|9223372036854775807", "1|1", 1},
  };
  for (const Row& row : rows) EXPECT_EQ(SyncHelper::CompareVersionValue(row.a, row.b), row.result) << row.a << " " << row.b;
  EXPECT_EQ(SyncHelper::GetVersionNumber("12|34|5"), "34|5");
  EXPECT_EQ(SyncHelper::GetVersionNumber("|34"), "");
  EXPECT_EQ(SyncHelper::GetVersionNumber("34"), "");
}

TEST(SyncHelperTextTest, TellsWhetherAPathLiesBelowAFolder) {
  struct Row {
    const char* folder;
    const char* path;
    bool under;
  } rows[] = {
      {"/r/A", "/r/A", false},        {"/r/A", "/r/A/x", true},     {"/r/A/", "/r/A/b/c/x.txt", true},
      {"/r/A", "/r/a/b/x.txt", false}, {"/r/A", "/r/AB/x", false},  {"", "/r/A/x", false},
      {"/r/A", "", false},            {"/r/A/b", "/r/A/x", false},
  };
  for (const Row& row : rows) EXPECT_EQ(SyncHelper::IsUnderFolder(row.folder, row.path), row.under) << row.folder << " " << row.path;
}

TEST(SyncHelperTextTest, NamesAndAccounts) {
  EXPECT_TRUE(SyncHelper::IsIgnoredFileName("THUMBS.DB"));
  EXPECT_TRUE(SyncHelper::IsIgnoredFileName("Desktop.ini"));
  EXPECT_FALSE(SyncHelper::IsIgnoredFileName("desktop.ini.bak"));
  EXPECT_TRUE(SyncHelper::IsVip("someone@VIP.Halvorn.com"));
  EXPECT_FALSE(SyncHelper::IsVip("someone@example.com"));
  EXPECT_FALSE(SyncHelper::IsVip(""));
  EXPECT_FALSE(SyncHelper::IsVip("@vip.halvorn.com"));
  EXPECT_FALSE(SyncHelper::IsVip("no-at-sign"));
}

TEST(SyncHelperTextTest, ListingRecordsBecomeRows) {
  ServerFileInfo file;
  file.id = 42;
  file.path = "/r/a b.txt";
  file.fileName = "what?.txt";
  file.versionValue = "3|9";
  file.doc.md5 = "d41d8cd98f00b204e9800998ecf8427e";
  file.doc.size = 12;
  file.renewLimit = 5;
  file.duration = 6;
  SyncFileData row;
  SyncHelper::ServerFileToSyncFileData(file, row);
  EXPECT_EQ(row.m_FileID, 42);
  EXPECT_EQ(row.m_FilePath, "/r/a b.txt");
  EXPECT_EQ(row.m_FileName, "what .txt");
  EXPECT_EQ(row.m_Md5, "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(row.m_FileSize, 12);
  EXPECT_EQ(row.m_RenewLimit, 0);
  EXPECT_EQ(row.m_Duration, 0);
}

class SyncHelperTest : public EngineTest {};

TEST_F(SyncHelperTest, FileFacts) {
  const juce::String file = Local("a.txt");
  dorvtest::WriteFile(file.toStdString(), "hello");
  EXPECT_EQ(SyncHelper::GetFileMD5(file), "5d41402abc4b2a76b9719d911017c592");
  dorvtest::WriteFile(Local("empty").toStdString(), "");
  EXPECT_EQ(SyncHelper::GetFileMD5(Local("empty")), "d41d8cd98f00b204e9800998ecf8427e");
  // No content to hash is no digest, never the digest of some content.
  EXPECT_EQ(SyncHelper::GetFileMD5(Local("missing")), "");
  EXPECT_EQ(SyncHelper::GetFileMD5(Local("")), "");
  EXPECT_EQ(SyncHelper::GetFileSize(file), 5);
  EXPECT_EQ(SyncHelper::GetFileSize(Local("missing")), 0);
  EXPECT_FALSE(SyncHelper::IsFileSizeChanged(5, file));
  EXPECT_TRUE(SyncHelper::IsFileSizeChanged(6, file));
  const juce::Time modified = SyncHelper::GetFileModifiedTime(file);
  EXPECT_FALSE(SyncHelper::IsFileTimeChanged(file, modified + juce::RelativeTime::milliseconds(1) -
                                                        juce::RelativeTime::milliseconds(1)));
  EXPECT_TRUE(SyncHelper::IsFileTimeChanged(file, modified - juce::RelativeTime::seconds(2)));
  EXPECT_EQ(SyncHelper::GetFileModifiedTime(Local("missing")).toMilliseconds(), 0);
}

TEST_F(SyncHelperTest, PathTypesComeFromDiskThenFromTheDatabase) {
  std::filesystem::create_directories((m_root.path() / "dir").string());
  dorvtest::WriteFile(m_root / "file.txt", "x");
  SyncFileData gone = FileRow(1, Local("gone.txt"), 10);
  ASSERT_TRUE(SaveSyncFileData(gone));
  SyncFolderData goneFolder = FolderRow(11, Local("gonedir"), 10);
  ASSERT_TRUE(SaveSyncFolderData(goneFolder));
  EXPECT_EQ(SyncHelper::GetPathType(Local("dir")), SyncHelper::PATH_FOLDER);
  EXPECT_EQ(SyncHelper::GetPathType(Local("file.txt")), SyncHelper::PATH_FILE);
  EXPECT_EQ(SyncHelper::GetPathType(Local("gone.txt")), SyncHelper::PATH_FILE);
  EXPECT_EQ(SyncHelper::GetPathType(Local("gonedir")), SyncHelper::PATH_FOLDER);
  EXPECT_EQ(SyncHelper::GetPathType(Local("nowhere")), SyncHelper::PATH_UNKNOWN);
}

TEST_F(SyncHelperTest, AFileIsOccupiedOnlyWhileAnotherProcessHoldsIt) {
  const juce::String file = Local("held.docx");
  dorvtest::WriteFile(file.toStdString(), "x");
  EXPECT_FALSE(SyncHelper::IsFileOccupied(file));
  EXPECT_FALSE(SyncHelper::IsFileOccupied(Local("missing")));
  {
    wintest::LockHolderProcess holder(file.toStdString(), "ofd-shared");
    EXPECT_TRUE(SyncHelper::IsFileOccupied(file));
  }
  EXPECT_FALSE(SyncHelper::IsFileOccupied(file));
}

TEST_F(SyncHelperTest, AMoveNeverReplacesAnExistingFile) {
  dorvtest::WriteFile(m_root / "a.txt", "mine");
  dorvtest::WriteFile(m_root / "b.txt", "users");
  EXPECT_FALSE(SyncHelper::MoveWithoutReplace(Local("a.txt"), Local("b.txt")));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(dorvtest::ReadFile(m_root / "b.txt"), "users");
  EXPECT_TRUE(SyncHelper::MoveWithoutReplace(Local("a.txt"), Local("c.txt")));
  EXPECT_EQ(dorvtest::ReadFile(m_root / "c.txt"), "mine");
}

TEST_F(SyncHelperTest, FoldersAndFreeSpace) {
  std::filesystem::create_directories((m_root.path() / "empty").string());
  EXPECT_TRUE(SyncHelper::IsFolderEmpty(Local("empty")));
  dorvtest::WriteFile(m_root / "empty" / "x", "x");
  EXPECT_FALSE(SyncHelper::IsFolderEmpty(Local("empty")));
  EXPECT_FALSE(SyncHelper::IsFolderEmpty(""));
  EXPECT_EQ(dorvtest::CountLogLines("sFolderPath is Empty"), 1);

  EXPECT_FALSE(SyncHelper::IsDiskSpaceLow(""));
  ULARGE_INTEGER free{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(Local("").toWideCharPointer(), &free, nullptr, nullptr));
  // A download into a folder that is still to be made is measured on its volume.
  EXPECT_EQ(SyncHelper::IsDiskSpaceLow(Local("new/deeper/file.bin")),
            static_cast<juce::int64>(free.QuadPart) < SyncHelper::kLowDiskSpaceBytes);
}

TEST_F(SyncHelperTest, PerUserFilesAndTheStagingFolder) {
  const juce::String folder = SyncHelper::GetUserFolder("bob@example.com");
  EXPECT_TRUE(folder.endsWith("/users/bob@example.com/"));
  EXPECT_TRUE(folder.startsWith(juce::String(dorvtest::AppDataFolder().string())));
  EXPECT_EQ(SyncHelper::GetUserDBPath("bob@example.com"), folder + "user.db");
  // The test main moves staging out of the shared program folder.
  const std::string moved = std::getenv("DORV_STAGING_DIR");
  EXPECT_EQ(SyncHelper::GetDownloadTempDirectory(), juce::String(moved) + "/");
  EXPECT_TRUE(juce::File(juce::String(moved)).isDirectory());
  unsetenv("DORV_STAGING_DIR");
  const juce::String temp = SyncHelper::GetDownloadTempDirectory();
  setenv("DORV_STAGING_DIR", moved.c_str(), 1);
  EXPECT_TRUE(temp.endsWith("/temp/"));
  EXPECT_TRUE(juce::File(temp).isDirectory());
}

TEST_F(SyncHelperTest, AFileTooBigIsReportedToTheWindowsAndListedAmongTheTips) {
  UserConfigInfo config;
  config.UC_FileSizeLimit = 3 * 1048576 + 5;
  GetAccountData()->SetUserConfig(config);
  SyncHelper::ReportFileTooBig(Local("big.iso"));
  auto events = m_sink.Events();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, SNT_FILE_TOO_BIG);
  EXPECT_EQ(events[0].a, Local("big.iso"));
  EXPECT_EQ(events[0].b, "3");
  ASSERT_EQ(m_sink.PathStates().size(), 1u);
  EXPECT_EQ(m_sink.PathStates()[0].second, SYNC_PATH_FAILED);
  auto tips = GetGlobalContext()->GetTipList()->GetEntries();
  ASSERT_EQ(tips.size(), 1u);
  EXPECT_EQ(tips.front().m_nKind, TIP_FILE_TOO_BIG);

  GetSyncLogic()->SetNotifyUI(nullptr);  // without windows only the tip is kept
  SyncHelper::ReportFileTooBig(Local("other.iso"));
  EXPECT_EQ(m_sink.Events().size(), 1u);
  EXPECT_EQ(GetGlobalContext()->GetTipList()->GetCount(), 2);
}

TEST_F(SyncHelperTest, AnIdleEngineForgetsItsTransfersAndShowsTheRootsState) {
  SyncStatusTracker* tracker = GetSyncStatusTracker();
  tracker->m_nEngineState = SyncStatusTracker::ENGINE_RUNNING;
  tracker->AddUpFile(Local("a"), 10);
  m_calls.idle = false;
  SyncHelper::RefreshTrayWhenIdle();
  EXPECT_EQ(tracker->m_nTransferState, SyncStatusTracker::TRANSFER_UP);
  m_calls.idle = true;
  m_calls.rootStatus = 3;
  m_sink.Forget();
  SyncHelper::RefreshTrayWhenIdle();
  EXPECT_EQ(tracker->m_nTransferState, SyncStatusTracker::TRANSFER_IDLE);
  EXPECT_EQ(tracker->GetUpFigures().fileCount, 0);
  EXPECT_EQ(tracker->m_nSyncState, SyncStatusTracker::SYNC_ERROR);
  ASSERT_FALSE(m_sink.TrayIcons().empty());
  EXPECT_EQ(m_sink.TrayIcons().back(), TRAY_ERROR);

  // Idle with paths still marked as syncing: nothing syncs, the tray says so.
  m_calls.rootStatus = 2;
  SyncHelper::RefreshTrayWhenIdle();
  EXPECT_EQ(tracker->m_nSyncState, SyncStatusTracker::SYNC_SYNCED);
  EXPECT_EQ(m_sink.TrayIcons().back(), TRAY_SYNCED);
}

}  // namespace
