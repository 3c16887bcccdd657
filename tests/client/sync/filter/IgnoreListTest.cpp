// The list of changes the program makes itself: matching, consuming and
// expiry on the process clock.
#include <gtest/gtest.h>

#include "client/sync/SyncEngineLinks.h"
#include "client/sync/filter/ProgramChangeIgnoreList.h"
#include "client/sync/watcher/FileSystemEventArgs.h"
#include "win32/ManualClock.h"

namespace {

constexpr int A = WATCHER_EVENT_ADDED, D = WATCHER_EVENT_REMOVED, M = WATCHER_EVENT_MODIFIED,
              RN = WATCHER_EVENT_RENAMED, MV = WATCHER_EVENT_MOVED;

class IgnoreListTest : public testing::Test {
 protected:
  win32::ManualClock m_clock;
  win32::ScopedClock m_useClock{m_clock};
  ProgramChangeIgnoreList m_list;
};

TEST_F(IgnoreListTest, AnEntryIsConsumedOnceByItsOwnChange) {
  m_list.Add("/r/a.txt", "/r/a.txt", M);
  m_list.Add("/r/a.txt", "/r/a.txt", M);  // listed once
  EXPECT_EQ(m_list.GetCount(), 1);
  EXPECT_FALSE(m_list.CheckAndRemove("/r/A.txt", "/r/A.txt", M));  // paths compare exactly
  EXPECT_FALSE(m_list.CheckAndRemove("/r/a.txt", "/r/a.txt", D));  // another kind of change
  EXPECT_TRUE(m_list.CheckAndRemove("/r/a.txt", "/r/a.txt", M));
  EXPECT_FALSE(m_list.CheckAndRemove("/r/a.txt", "/r/a.txt", M));  // the second change is the user's
}

TEST_F(IgnoreListTest, AdditionsAndModificationsConsumeEachOther) {
  m_list.Add("/r/a", "/r/a", A);
  m_list.Add("/r/b", "/r/b", M);
  EXPECT_TRUE(m_list.CheckAndRemove("/r/a", "/r/a", M));
  EXPECT_TRUE(m_list.CheckAndRemove("/r/b", "/r/b", A));
  EXPECT_EQ(m_list.GetCount(), 0);
}

TEST_F(IgnoreListTest, RenamesAndMovesMatchOldAndNewPath) {
  m_list.Add("/r/old", "/r/new", RN);
  m_list.Add("/r/x/f", "/r/y/f", MV);
  EXPECT_FALSE(m_list.CheckAndRemove("/r/new", "/r/old", RN));
  EXPECT_FALSE(m_list.CheckAndRemove("/r/old", "/r/new", MV));
  EXPECT_TRUE(m_list.CheckAndRemove("/r/old", "/r/new", RN));
  EXPECT_TRUE(m_list.CheckAndRemove("/r/x/f", "/r/y/f", MV));
}

// What lay inside a folder the program renamed or moved lies under its new
// name, until the watcher reports the relocation itself.
TEST_F(IgnoreListTest, PathsInsideAFolderTheProgramRelocatedFollowItUntilItsReport) {
  m_list.Add("/r/Q", "/r/P", RN);
  m_list.Add("/r/P/sub", "/r/T/sub", MV);
  m_list.Add("/r/a.txt", "/r/b.txt", RN);
  EXPECT_EQ(m_list.FollowRelocations("/r/Q/sub/x.txt"), "/r/T/sub/x.txt");  // both, in the order listed
  EXPECT_EQ(m_list.FollowRelocations("/r/Q/y.txt"), "/r/P/y.txt");
  EXPECT_EQ(m_list.FollowRelocations("/r/Qx/y.txt"), "/r/Qx/y.txt");  // a sibling with a longer name
  EXPECT_EQ(m_list.FollowRelocations("/r/Q"), "/r/Q");                // the folder's own report says it
  EXPECT_EQ(m_list.FollowRelocations("/r/a.txt"), "/r/a.txt");
  EXPECT_TRUE(m_list.CheckAndRemove("/r/Q", "/r/P", RN));
  EXPECT_EQ(m_list.FollowRelocations("/r/Q/y.txt"), "/r/Q/y.txt");
}

TEST_F(IgnoreListTest, AnEntryWhoseChangeNeverCameExpiresAndSwallowsNoLaterChange) {
  m_list.Add("/r/a.txt", "/r/a.txt", M);
  m_clock.Advance(ProgramChangeIgnoreList::kEntryLifetimeMs - 1);
  EXPECT_EQ(m_list.GetCount(), 1);
  m_clock.Advance(1);
  EXPECT_EQ(m_list.GetCount(), 0);
  EXPECT_FALSE(m_list.CheckAndRemove("/r/a.txt", "/r/a.txt", M));
}

TEST_F(IgnoreListTest, TheRemovalOfAFolderCoversTheRemovalsOfItsContentsForAWhile) {
  m_list.Add("/r/f", "/r/f", D);
  EXPECT_TRUE(m_list.CheckAndRemove("/r/f/inner/x.txt", "/r/f/inner/x.txt", D));  // before the folder's own
  EXPECT_TRUE(m_list.CheckAndRemove("/r/f", "/r/f", D));
  EXPECT_FALSE(m_list.CheckAndRemove("/r/f", "/r/f", D));  // a second removal of the folder is the user's
  EXPECT_TRUE(m_list.CheckAndRemove("/r/f/y.txt", "/r/f/y.txt", D));
  EXPECT_FALSE(m_list.CheckAndRemove("/r/f/y.txt", "/r/f/y.txt", M));  // only removals
  EXPECT_FALSE(m_list.CheckAndRemove("/r/fx", "/r/fx", D));          // a sibling with a longer name
  m_clock.Advance(ProgramChangeIgnoreList::kContentsWindowMs);
  EXPECT_FALSE(m_list.CheckAndRemove("/r/f/z.txt", "/r/f/z.txt", D));
  EXPECT_EQ(m_list.GetCount(), 0);
}

// The program removed a folder for the service, and the service brought a
// folder of that name back soon after: a removal inside the new folder is
// the user's own.
TEST_F(IgnoreListTest, TheRemovalOfAFolderNoLongerCoversItsPathOnceAFolderIsThereAgain) {
  const juce::File root = juce::File::getSpecialLocation(juce::File::tempDirectory).getNonexistentChildFile("ignore", "");
  const juce::String folder = root.getChildFile("P").getFullPathName(), inner = folder + "/a.txt";
  m_list.Add(folder, folder, D);
  EXPECT_TRUE(m_list.CheckAndRemove(folder, folder, D));
  EXPECT_TRUE(m_list.CheckAndRemove(inner, inner, D));  // gone with the folder
  ASSERT_TRUE(juce::File(folder).createDirectory());
  EXPECT_FALSE(m_list.CheckAndRemove(inner, inner, D));
  root.deleteRecursively();
}

TEST_F(IgnoreListTest, TheEnginesOperationsAddAndWithdrawThroughTheLinks) {
  m_list.InstallAsEngineLink();
  SyncEngineLinks links = GetSyncEngineLinks();
  links.ignoreProgramChange("/r/from", "/r/to", RN);
  links.ignoreProgramChange("/r/f", "/r/f", D);
  // The folder's removal did not happen: nothing stays to cover its contents.
  EXPECT_TRUE(links.unignoreProgramChange("/r/f", "/r/f", D));
  EXPECT_FALSE(links.unignoreProgramChange("/r/f", "/r/f", D));
  EXPECT_FALSE(m_list.CheckAndRemove("/r/f/x.txt", "/r/f/x.txt", D));
  ClearSyncEngineLinks();
  EXPECT_TRUE(m_list.CheckAndRemove("/r/from", "/r/to", RN));
}

}  // namespace
