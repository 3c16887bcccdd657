// Several threads writing and reading through the same managers at once.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <atomic>
#include <thread>

#include "DBTestFolder.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"

namespace {

class ConcurrencyTest : public dorvtest::DBTest {};

TEST_F(ConcurrencyTest, WritersOnSeveralThreadsLoseNothingAndFailNothing) {
  ASSERT_EQ(OpenUserDB("someone"), SQLITE_OK);
  GlobalContext* context = GetGlobalContext();
  FileDBManager* files = context->m_pFileDBManager.get();
  ASSERT_EQ(files->CreateDBTable(), 0);
  ASSERT_EQ(context->m_pUserDataDBManager->CreateUserConfigTable(), 0);

  constexpr int kThreads = 8;
  constexpr int kRowsEach = 150;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRowsEach; ++i) {
        SyncFileData row;
        row.m_FileID = t * 1000 + i;
        row.m_ParentID = t;
        row.m_FileName = "f'" + juce::String(i);
        row.m_FilePath = "/r/" + juce::String(t) + "/" + row.m_FileName;
        if (files->ReplaceFile(row) != 0) ++failures;
        SyncFileData back;
        if (files->SelectFileByPath(row.m_FilePath, back) != 0 || back.m_FileID != row.m_FileID)
          ++failures;
        // The main database at the same time.
        UserConfigInfo config;
        config.UC_FileCount = i;
        if (context->m_pUserDataDBManager->ReplaceUserConfig(config, "acct" + juce::String(t)) != 0)
          ++failures;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(failures.load(), 0);
  for (int t = 0; t < kThreads; ++t) {
    std::vector<SyncFileData> rows;
    ASSERT_EQ(files->SelectFilesByParentID(t, rows), 0);
    EXPECT_EQ(rows.size(), static_cast<size_t>(kRowsEach));
    UserConfigInfo config;
    int read = 0;
    ASSERT_EQ(context->m_pUserDataDBManager->SelectUserConfig("acct" + juce::String(t), config, &read), 0);
    EXPECT_EQ(read, 1);
    EXPECT_EQ(config.UC_FileCount, kRowsEach - 1);
  }
}

}  // namespace
