// The global context: what it holds, the tip list, and its end.
#include <gtest/gtest.h>

#include <vector>

#include "client/core/context/GlobalContext.h"

namespace {

struct FakeTipList {
  int maxEntries;
  int shownEntries;
};

std::vector<std::pair<int, int>> g_tipListsMade;
int g_tipListsEnded = 0;

SyncPathList* MakeTipList(int maxEntries, int shownEntries) {
  g_tipListsMade.emplace_back(maxEntries, shownEntries);
  return reinterpret_cast<SyncPathList*>(new FakeTipList{maxEntries, shownEntries});
}
void EndTipList(SyncPathList* list) {
  ++g_tipListsEnded;
  delete reinterpret_cast<FakeTipList*>(list);
}

// The engine's constructor reaches for the context it lives in.
int g_enginesMade = 0;
SyncLogic* MakeEngine() {
  ++g_enginesMade;
  EXPECT_NE(GetGlobalContext()->m_pFileDBManager, nullptr);
  return reinterpret_cast<SyncLogic*>(new int(7));
}
void EndEngine(SyncLogic* engine) { delete reinterpret_cast<int*>(engine); }

TEST(GlobalContextTest, HoldsTheManagersAndTheTokenWithoutAnEngineInstalled) {
  DeleteGlobalContext();
  GlobalContext* context = GetGlobalContext();
  EXPECT_EQ(GetGlobalContext(), context);
  EXPECT_NE(context->m_pProductDBManager, nullptr);
  EXPECT_NE(context->m_pUserDataDBManager, nullptr);
  EXPECT_NE(context->m_pFolderDBManager, nullptr);
  EXPECT_NE(context->m_pFileDBManager, nullptr);
  ASSERT_NE(context->m_pCancelToken, nullptr);
  EXPECT_FALSE(context->m_pCancelToken->m_bCancel);
  EXPECT_TRUE(context->m_pCancelToken->m_sText.isEmpty());
  EXPECT_EQ(context->m_pSyncLogic, nullptr);
  EXPECT_EQ(context->GetTipList(), nullptr);
  DeleteGlobalContext();
}

TEST(GlobalContextTest, TheInstalledEngineAndTipListAreMadeAndEnded) {
  DeleteGlobalContext();
  SyncEngineParts parts;
  parts.createSyncLogic = MakeEngine;
  parts.destroySyncLogic = EndEngine;
  parts.createTipList = MakeTipList;
  parts.destroyTipList = EndTipList;
  InstallSyncEngineParts(parts);
  g_tipListsMade.clear();
  g_tipListsEnded = 0;

  GlobalContext* context = GetGlobalContext();
  EXPECT_EQ(g_enginesMade, 1);
  EXPECT_NE(context->m_pSyncLogic, nullptr);
  SyncPathList* first = context->GetTipList();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(context->GetTipList(), first);

  // A removed tip list is made anew with the same limits.
  context->m_pTipList.reset();
  EXPECT_EQ(g_tipListsEnded, 1);
  EXPECT_NE(context->GetTipList(), nullptr);
  EXPECT_EQ(g_tipListsMade, (std::vector<std::pair<int, int>>{{1000, 3}, {1000, 3}}));

  DeleteGlobalContext();
  EXPECT_EQ(g_tipListsEnded, 2);
  InstallSyncEngineParts(SyncEngineParts());
}

}  // namespace
