// The pipeline's marks linked to the process's status cache. Its own program:
// the cache's threads live to the process's end and wait on the process clock,
// which other tests replace.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempDir.h"
#include "client/sync/status/CStatusCache.h"
#include "client/sync/watcher/WatcherStatusMarks.h"

namespace fs = std::filesystem;

namespace {

TEST(WatcherStatusMarks, LinkedToTheStatusCacheTheMarksReachIt) {
  dorvtest::TempDir dir("dorv-marks");
  std::ofstream(dir.path() / "a.txt") << "a";
  const juce::String folder = juce::String::fromUTF8(dir.path().string().c_str());
  const juce::String a = folder + "/a.txt", b = folder + "/b.txt";
  LinkWatcherStatusMarksToStatusCache();
  CStatusCache* cache = CStatusCache::GetInstance();
  WatcherStatus::SetPathStatus(folder, CStatusCache::STATUS_NORMAL);
  WatcherStatus::SetPathStatus(a, CStatusCache::STATUS_SYNCING);
  EXPECT_EQ(cache->GetRecordedFileState(a), CStatusCache::STATUS_SYNCING);
  fs::rename(dir.path() / "a.txt", dir.path() / "b.txt");
  WatcherStatus::RenamePath(a, b);
  EXPECT_EQ(cache->GetRecordedFileState(a), -1);
  EXPECT_EQ(cache->GetRecordedFileState(b), CStatusCache::STATUS_SYNCING);
  WatcherStatus::RemovePath(b);
  EXPECT_EQ(cache->GetRecordedFileState(b), -1);
  ClearWatcherStatusMarks();
}

}  // namespace
