// The process's own status cache: made on first use, it links the engine's
// registries and tracker to itself. Its own program, since the process-wide
// cache keeps the pipe until the process ends.
#include <gtest/gtest.h>

#include <filesystem>

#include "client/core/account/AccountData.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/status/CStatusCache.h"
#include "TempDir.h"

TEST(StatusCacheInstance, TheFirstUseLinksTheEngineToTheCache) {
  EXPECT_FALSE(GetSyncEngineLinks().setPathStatus);
  CStatusCache* cache = CStatusCache::GetInstance();
  ASSERT_NE(cache, nullptr);
  EXPECT_EQ(CStatusCache::GetInstance(), cache);
  EXPECT_TRUE(cache->IsPipeServerRunning());

  dorvtest::TempDir dir("instance");
  std::filesystem::create_directories(dir / "Sync");
  dorvtest::WriteFile(dir / "Sync" / "f.txt", "x");
  juce::String root((dir / "Sync").string());
  SyncEngineLinks links = GetSyncEngineLinks();
  ASSERT_TRUE(links.setPathStatus && links.getRootStatus);
  EXPECT_EQ(links.getRootStatus(), 0);  // overlays off until the root is published
  GetAccountData()->SetLoggedIn(true);
  cache->PublishRoot(root);
  links.setPathStatus(root + "/f.txt", 3);
  EXPECT_EQ(cache->GetRecordedFileState(root + "/f.txt"), 3);
  EXPECT_EQ(links.getRootStatus(), 3);
}
