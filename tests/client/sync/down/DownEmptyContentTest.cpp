// Another device empties a file: the change reaches this device like any
// other, also over a file that holds content here.
#include <gtest/gtest.h>

#include "DownOpsFixture.h"
#include "client/sync/ops/SyncResult.h"

using namespace downtest;

TEST_F(DownOpsTest, AFileTheServiceEmptiedIsEmptiedHereAndFilledAgain) {
  const juce::int64 f = Put(m_rootID, "f.txt", "some content");
  ASSERT_EQ(FullPull(), SYNC_RESULT_SUCCESS);
  Drain();
  ASSERT_EQ(dorvtest::ReadFile(Path("f.txt")), "some content");

  Put(m_rootID, "f.txt", "");
  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  Drain();
  EXPECT_TRUE(std::filesystem::is_regular_file(Path("f.txt")));
  EXPECT_EQ(dorvtest::ReadFile(Path("f.txt")), "");
  EXPECT_EQ(RowMd5(f), Md5(""));

  Put(m_rootID, "f.txt", "filled again");
  ASSERT_EQ(IncrementalPull(), SYNC_RESULT_SUCCESS);
  Drain();
  EXPECT_EQ(dorvtest::ReadFile(Path("f.txt")), "filled again");
  EXPECT_EQ(LocalTree(), ServerTree());
}
