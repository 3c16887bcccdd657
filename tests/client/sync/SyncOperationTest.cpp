// The operation template, the error mapping and the connectivity reports.
#include <gtest/gtest.h>

#include <string>

#include "EngineTestSupport.h"
#include "client/core/GlobalConfig.h"
#include "client/core/account/AccountData.h"
#include "client/core/context/GlobalContext.h"
#include "client/sync/ops/LocalNetErrorManager.h"
#include "client/sync/ops/SyncBaseOperation.h"
#include "client/sync/ops/SyncDownBaseOperation.h"
#include "client/sync/ops/SyncErrorManager.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "win32/ManualClock.h"

namespace {

using enginetest::EngineTest;

// Steps answer what the test set; each step records its slot name.
class StepOperation : public SyncBaseOperation {
 public:
  int prepare = 0, execute = 0, after = 0, success = 0;
  int serverCode = SYNC_NO_SERVER_CODE;
  int errorOverride = -1;  // slot 8's answer when set
  bool cancelInExecute = false, stopInExecute = false;
  std::string trace;
  int beforeArgument = -1;

  int Prepare_SyncOperation() override { trace += "P"; return prepare; }
  int Execute_SyncOperation() override {
    trace += "E";
    if (serverCode != SYNC_NO_SERVER_CODE) m_nServerCode = serverCode;
    if (cancelInExecute) m_bCancel = true;
    if (stopInExecute) m_bStop = true;
    return execute;
  }
  int After_SyncOperation() override { trace += "A"; return after; }
  int Success_SyncOperation() override { trace += "S"; return success; }
  int Cancel_SyncOperation() override { trace += "C"; return SyncBaseOperation::Cancel_SyncOperation(); }
  int Error_SyncOperation(int result) override {
    trace += "X";
    return errorOverride >= 0 ? errorOverride : result;
  }
  int Error_BeforeSyncOperation(int result) override {
    trace += "B";
    beforeArgument = result;
    return result;
  }
};

class SyncOperationTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    GetGlobalContext()->m_pCancelToken->m_bCancel = false;
    LocalNetErrorManager::DeleteInstance();
    LocalNetErrorManager::GetInstance()->SetProbe([this] { return m_reachable; });
    m_sink.Forget();
  }
  void TearDown() override {
    GetGlobalContext()->m_pCancelToken->m_bCancel = false;
    LocalNetErrorManager::DeleteInstance();
    EngineTest::TearDown();
  }
  std::vector<int> EventTypes() {
    std::vector<int> types;
    for (const SyncNotifyInfo& info : m_sink.Events()) types.push_back(info.type);
    return types;
  }
  bool m_reachable = true;
};

TEST_F(SyncOperationTest, TheTemplateRunsItsStepsInOrderAndEndsByTheResult) {
  struct Row {
    const char* name;
    int prepare, execute, after, success;
    bool cancelInExecute, stopInExecute;
    int expected;
    const char* trace;
  } rows[] = {
      {"all steps succeed: the success step's answer", 0, 0, 0, 7, false, false, 7, "PEAS"},
      {"prepare cancels: cancel step", 1, 0, 0, 0, false, false, 1, "PC"},
      {"execute fails: error steps", 0, 3, 0, 0, false, false, 3, "PEXB"},
      {"after asks to wait: error steps", 0, 0, 4, 0, false, false, 4, "PEAXB"},
      {"cancel set during execute: the after check cancels", 0, 0, 0, 0, true, false, 1, "PEA"},
      {"stop set during execute: its own result", 0, 2, 0, 0, false, true, 2, "PE"},
  };
  for (const Row& row : rows) {
    StepOperation op;
    op.prepare = row.prepare;
    op.execute = row.execute;
    op.after = row.after;
    op.success = row.success;
    op.cancelInExecute = row.cancelInExecute;
    op.stopInExecute = row.stopInExecute;
    EXPECT_EQ(op.Run(), row.expected) << row.name;
    EXPECT_EQ(op.trace, row.trace) << row.name;
  }
}

TEST_F(SyncOperationTest, AFlagSetBeforeTheRunRunsNoStep) {
  StepOperation stopped;
  stopped.m_bStop = true;
  EXPECT_EQ(stopped.Run(), 0);
  StepOperation cancelled;
  cancelled.m_bCancel = true;
  EXPECT_EQ(cancelled.Run(), 1);
  EXPECT_EQ(stopped.trace + cancelled.trace, "");
}

TEST_F(SyncOperationTest, AServerCodeIsMappedOverTheErrorStepAndResetAfterTheRun) {
  StepOperation op;
  op.execute = 3;
  op.errorOverride = 3;
  op.serverCode = 705;
  EXPECT_EQ(op.Run(), 2);  // 705 fails whatever slot 8 said
  EXPECT_EQ(op.beforeArgument, 2);
  EXPECT_EQ(op.m_nServerCode.load(), SYNC_NO_SERVER_CODE);

  StepOperation plain;  // no server code: slot 8's value reaches slot 9
  plain.execute = 3;
  plain.errorOverride = 4;
  EXPECT_EQ(plain.Run(), 4);
  EXPECT_EQ(plain.beforeArgument, 4);
}

TEST_F(SyncOperationTest, ErrorCodesMapOntoResultsAndNotices) {
  struct Row {
    int code;
    int result;
    std::vector<int> notices;
  } rows[] = {
      {201, 3, {}},   {400, 3, {21}},  {403, 3, {23}},  {404, 3, {}},    {408, 3, {4}},
      {500, 2, {23}}, {501, 2, {23}},  {503, 3, {23}},  {550, 3, {23}},  {554, 3, {23}},
      {555, 3, {}},   {556, 3, {}},    {557, 3, {23}},  {601, 3, {23}},  {605, 3, {23}},
      {610, 3, {}},   {612, 2, {}},    {700, 3, {23}},  {701, 3, {20}},  {702, 3, {}},
      {704, 3, {}},   {705, 2, {20}},  {800, 3, {}},    {801, 4, {}},    {802, 4, {}},
      {1000, 3, {}},  {1005, 3, {}},   {12345, 3, {}},  {200, 3, {}},
  };
  for (const Row& row : rows) {
    m_sink.Forget();
    EXPECT_EQ(SyncErrorManager::ProcessSyncError(row.code, GetGlobalContext()->m_pCancelToken.get()), row.result)
        << row.code;
    EXPECT_EQ(EventTypes(), row.notices) << row.code;
  }
}

TEST_F(SyncOperationTest, TheSizeLimitNoticeCarriesTheLimitInMiBAndTheFileName) {
  UserConfigInfo config;
  config.UC_FileSizeLimit = 5 * 1048576 + 17;
  GetAccountData()->SetUserConfig(config);
  GetGlobalContext()->m_pCancelToken->m_sText = Local("docs/big.bin");
  EXPECT_EQ(SyncErrorManager::ProcessSyncError(600, GetGlobalContext()->m_pCancelToken.get()), 3);
  ASSERT_EQ(m_sink.Events().size(), 1u);
  EXPECT_EQ(m_sink.Events()[0].type, SNT_FILE_TOO_BIG);
  EXPECT_EQ(m_sink.Events()[0].a, "5");
  EXPECT_EQ(m_sink.Events()[0].b, "big.bin");
}

TEST_F(SyncOperationTest, WhileExitingEveryCodeGivesRetryWithoutNotice) {
  GetGlobalContext()->m_pCancelToken->m_bCancel = true;
  for (int code : {-1, 500, 705, 801, 12345})
    EXPECT_EQ(SyncErrorManager::ProcessSyncError(code, GetGlobalContext()->m_pCancelToken.get()), 3) << code;
  EXPECT_TRUE(m_sink.Events().empty());
  EXPECT_TRUE(LocalNetErrorManager::GetInstance()->IsOnline());
}

TEST_F(SyncOperationTest, ATransportFailureWaitsAndTakesTheEngineOffline) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  m_reachable = false;
  EXPECT_EQ(SyncErrorManager::ProcessSyncError(-1, nullptr), 4);
  EXPECT_FALSE(LocalNetErrorManager::GetInstance()->IsOnline());
  EXPECT_EQ(GetSyncStatusTracker()->m_nNetState.load(), SyncStatusTracker::NET_LOCAL_DOWN);
  EXPECT_EQ(EventTypes(), std::vector<int>{SNT_LOCAL_NETWORK_ERROR});
}

TEST_F(SyncOperationTest, ALostConnectionThroughAProxyBlamesTheProxy) {
  GlobalConfig* config = GetGlobalConfig();
  const Net::ProxyCfg before = config->GetCurrentProxy();
  Net::ProxyCfg proxy;
  proxy.m_type = 1;
  proxy.m_host = "127.0.0.1";
  proxy.m_port = 9;
  config->SetCurrentProxy(proxy);
  m_reachable = false;
  GetSyncStatusTracker()->m_nEngineState.store(SyncStatusTracker::ENGINE_RUNNING);
  LocalNetErrorManager::GetInstance()->ProcessLocalNetError();
  EXPECT_EQ(GetSyncStatusTracker()->m_nNetState.load(), SyncStatusTracker::NET_PROXY_UNREACHABLE);
  EXPECT_EQ(GetSyncStatusTracker()->GetTrayCode(), TRAY_OFFLINE);
  EXPECT_EQ(EventTypes(), std::vector<int>{SNT_PROXY_UNREACHABLE});
  config->SetCurrentProxy(before);
}

TEST_F(SyncOperationTest, ConnectionReportsAreThrottledAndTheThresholdRises) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  LocalNetErrorManager* net = LocalNetErrorManager::GetInstance();
  net->ProcessLocalNetError();
  clock.Advance(LocalNetErrorManager::kReportIntervalMs - 1);
  net->ProcessLocalNetError();  // too soon: probed, not counted
  EXPECT_EQ(net->GetFailureCount(), 1);
  EXPECT_EQ(GetSyncStatusTracker()->m_nNetState.load(), SyncStatusTracker::NET_SERVICE_UNREACHABLE);

  // Reports 2..4 one interval apart: the fourth tells the user.
  std::vector<int> noticeAt;
  for (int report = 2; report <= 14; ++report) {
    clock.Advance(LocalNetErrorManager::kReportIntervalMs);
    m_sink.Forget();
    net->ProcessLocalNetError();
    if (!m_sink.Events().empty()) {
      EXPECT_EQ(m_sink.Events()[0].type, SNT_CANNOT_CONNECT);
      noticeAt.push_back(report);
    }
  }
  EXPECT_EQ(noticeAt, (std::vector<int>{4, 11}));  // then after 7 more reports
  EXPECT_EQ(net->GetThreshold(), 9);

  net->SetOnline(false);
  net->SetBackOnline();  // the link answered: the next failure reports at once
  EXPECT_TRUE(net->IsOnline());
  m_reachable = false;
  m_sink.Forget();
  net->ProcessLocalNetError();
  EXPECT_EQ(EventTypes(), std::vector<int>{SNT_LOCAL_NETWORK_ERROR});
}

TEST_F(SyncOperationTest, ADoneDeletionIsARecentDeletionAndAnythingElseIsReportedSynced) {
  StepOperation op;
  op.ReportPathDone("/r/gone", 3, 0);
  op.ReportPathDone("/r/dir", 0, 8);
  op.ReportPathDone("/r/new", 1, 0);
  EXPECT_EQ(m_sink.PathStates(), (std::vector<std::pair<juce::String, int>>{{"/r/new", SYNC_PATH_SYNCED}}));
  auto recent = GetSyncStatusTracker()->GetRecentFiles().GetEntries();
  ASSERT_EQ(recent.size(), 3u);
  EXPECT_EQ(recent.front().m_sPath, "/r/new");
  EXPECT_EQ(recent.front().m_nKind, 0);
  EXPECT_EQ(recent.back().m_nKind, 1);
}

class DownStep : public SyncDownBaseOperation {
 public:
  int Execute_SyncOperation() override { return 0; }
  int Success_SyncOperation() override { return 0; }
};

TEST_F(SyncOperationTest, AnOccupiedPathIsReportedOnceAndWaitsEveryTime) {
  DownStep op;
  DownSyncTask task;
  EXPECT_EQ(op.ReportOccupied(&task, Local("held.txt")), 4);
  EXPECT_EQ(op.ReportOccupied(&task, Local("held.txt")), 4);
  EXPECT_EQ(task.m_nWaitState, DOWN_WAIT_OCCUPIED);
  ASSERT_EQ(m_sink.Events().size(), 1u);
  EXPECT_EQ(m_sink.Events()[0].type, SNT_OCCUPIED);
  EXPECT_EQ(m_sink.Events()[0].a, Local("held.txt"));
  EXPECT_EQ(m_sink.Events()[0].b, "File");
  EXPECT_TRUE(GetSyncStatusTracker()->HasOccupiedPaths());
  GetSyncStatusTracker()->RemoveOccupiedPath(Local("held.txt"));

  bool occupied = true;
  juce::File(Local("free.txt")).replaceWithText("x");
  op.CheckOccupied(&task, Local("free.txt"), occupied);
  EXPECT_FALSE(occupied);
}

TEST_F(SyncOperationTest, APathOf255BytesPassesAndOneMoreIsReported) {
  DownSyncTask task;
  const juce::String base = "/" + juce::String::repeatedString("a", 253);
  EXPECT_FALSE(SyncDownBaseOperation::CheckPathLength(&task, base + "b", true));  // 255
  EXPECT_FALSE(task.m_bSaveOnCancel.load());
  EXPECT_TRUE(SyncDownBaseOperation::CheckPathLength(&task, base + "bc", false));
  EXPECT_TRUE(task.m_bSaveOnCancel.load());
  ASSERT_EQ(m_sink.Events().size(), 1u);
  EXPECT_EQ(m_sink.Events()[0].type, SNT_LOCAL_PATH_TOO_LONG);
  EXPECT_EQ(m_sink.Events()[0].b, "Folder");
  // Multi-byte characters count by their bytes.
  EXPECT_TRUE(SyncDownBaseOperation::CheckPathLength(&task, "/" + juce::String::repeatedString(juce::String(juce::CharPointer_UTF8("\xe4\xb8\xad")), 90), true));
}

}  // namespace
