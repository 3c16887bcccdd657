// The three named pools and their end at exit.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/MyThreadsPool.h"
#include "base/WaitReleaseWorkTask.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/context/ThreadsPools.h"

namespace {

class Echo : public juce::_WaitRelease_Work_Task {
 public:
  Echo() : _WaitRelease_Work_Task("EchoTask") {}
  int ExecuteWorkTask() override {
    SetSuccess(true);
    return 0;
  }
};

// Posts to the Up pool and waits, the way a pump runs a request.
bool RunRequest(juce::MyThreadsPool* pool) {
  auto* task = new Echo;
  pool->PostWorkTask(task, true);
  const bool ran = task->WaitExecuteFinishEvent() && task->IsSuccess();
  task->SignReleaseEvent();
  return ran;
}

TEST(ThreadsPoolsTest, EachPoolIsMadeOnceWithItsName) {
  juce::MyThreadsPool* up = GetUpThreadsPool();
  EXPECT_EQ(GetUpThreadsPool(), up);
  EXPECT_EQ(up->GetName(), "UpThreadsPool");
  EXPECT_EQ(GetDownThreadsPool()->GetName(), "DownThreadsPool");
  EXPECT_EQ(GetStatThreadsPool()->GetName(), "StatThreadsPool");
  EXPECT_NE(GetDownThreadsPool(), up);
  EXPECT_TRUE(RunRequest(up));
  EXPECT_TRUE(RunRequest(GetStatThreadsPool()));
  FreeThreadsPools();
  // A getter after the end builds a working pool again.
  EXPECT_TRUE(RunRequest(GetUpThreadsPool()));
  FreeThreadsPools();
}

// A stand-in engine: one thread that keeps running requests on the Up pool
// until it is stopped, like a pump.
struct FakeEngine {
  juce::MyThreadsPool* pool = GetUpThreadsPool();
  std::atomic<bool> stop{false};
  std::atomic<int> ran{0};
  std::atomic<int> failed{0};
  std::thread pump{[this] {
    while (!stop) (RunRequest(pool) ? ran : failed)++;
  }};
};

std::atomic<int> g_endedRan{-1};
std::atomic<int> g_endedFailed{-1};

SyncLogic* CreateFakeEngine() { return reinterpret_cast<SyncLogic*>(new FakeEngine); }
void DestroyFakeEngine(SyncLogic* engine) {
  auto* fake = reinterpret_cast<FakeEngine*>(engine);
  fake->stop = true;
  fake->pump.join();
  g_endedRan = fake->ran.load();
  g_endedFailed = fake->failed.load();
  delete fake;
}

TEST(ThreadsPoolsTest, TheEngineStopsBeforeThePoolsItUsesEnd) {
  SyncEngineParts parts;
  parts.createSyncLogic = CreateFakeEngine;
  parts.destroySyncLogic = DestroyFakeEngine;
  InstallSyncEngineParts(parts);
  GlobalContext* context = GetGlobalContext();
  ASSERT_NE(context->m_pSyncLogic, nullptr);
  auto* fake = reinterpret_cast<FakeEngine*>(context->m_pSyncLogic.get());
  while (fake->ran < 3) std::this_thread::yield();

  FreeThreadsPools();
  EXPECT_EQ(context->m_pSyncLogic, nullptr);
  EXPECT_GE(g_endedRan.load(), 3);
  EXPECT_EQ(g_endedFailed.load(), 0) << "every request of the engine ran on a live pool";

  DeleteGlobalContext();
  InstallSyncEngineParts(SyncEngineParts());
}

}  // namespace
