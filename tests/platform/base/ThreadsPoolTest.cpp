#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "base/Base.h"

namespace {

// A one-shot gate that tests open from outside to let blocked bodies go on.
class Gate {
 public:
  void Open() {
    std::lock_guard<std::mutex> hold(m_lock);
    m_open = true;
    m_cv.notify_all();
  }
  void Wait() {
    std::unique_lock<std::mutex> hold(m_lock);
    m_cv.wait(hold, [this] { return m_open; });
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_cv;
  bool m_open = false;
};

// Counts live tasks so tests can see that every task is deleted exactly once.
std::atomic<int> g_liveTasks{0};

class SquareTask : public juce::_WaitRelease_Work_Task {
 public:
  explicit SquareTask(int n, Gate* gate = nullptr, std::promise<void>* started = nullptr)
      : _WaitRelease_Work_Task("SquareTask"), m_n(n), m_gate(gate), m_started(started) {
    ++g_liveTasks;
  }
  ~SquareTask() override { --g_liveTasks; }
  int ExecuteWorkTask() override {
    if (m_started) m_started->set_value();
    if (m_gate) m_gate->Wait();
    if (m_n < 0) throw std::runtime_error("negative");
    m_result = m_n * m_n;
    SetSuccess(true);
    return 0;
  }
  int m_result = -1;

 private:
  int m_n;
  Gate* m_gate;
  std::promise<void>* m_started;
};

class CountTask : public juce::_WORK_TASK {
 public:
  CountTask(std::atomic<int>& runs, bool fail = false) : _WORK_TASK("CountTask"), m_runs(runs), m_fail(fail) {
    ++g_liveTasks;
  }
  ~CountTask() override { --g_liveTasks; }
  int ExecuteWorkTask() override {
    ++m_runs;
    if (m_fail) throw std::runtime_error("body failed");
    return 0;
  }

 private:
  std::atomic<int>& m_runs;
  bool m_fail;
};

// Posts one task the way every poster does and returns (ran, success, result).
struct Outcome {
  bool ran;
  bool success;
  int result;
};
Outcome PostAndWait(juce::MyThreadsPool& pool, SquareTask* task) {
  pool.PostWorkTask(task, true);
  Outcome out;
  out.ran = task->WaitExecuteFinishEvent();
  out.success = task->IsSuccess();
  out.result = task->m_result;
  task->SignReleaseEvent();
  return out;
}

}  // namespace

TEST(MyThreadsPool, InitChecksItsNumbersAndStartsOnce) {
  juce::MyThreadsPool pool("UpThreadsPool");
  EXPECT_FALSE(pool.Init(0, 5));
  EXPECT_FALSE(pool.Init(3, 2));
  EXPECT_TRUE(pool.Init(2, 5));
  EXPECT_EQ(pool.GetThreadCount(), 2);
  EXPECT_FALSE(pool.Init(2, 5));
  EXPECT_EQ(pool.GetName(), "UpThreadsPool");
  juce::MyThreadsPool rebuilt("StatThreadsPool", 2, 3);
  EXPECT_EQ(rebuilt.GetThreadCount(), 2);
}

TEST(MyThreadsPool, ManyPostersEachGetTheirOwnResult) {
  {
    juce::MyThreadsPool pool("UpThreadsPool");
    ASSERT_TRUE(pool.Init(2, 5));
    std::vector<std::thread> posters;
    std::atomic<int> wrong{0};
    for (int p = 0; p < 16; ++p) {
      posters.emplace_back([&, p] {
        for (int i = 0; i < 50; ++i) {
          int n = p * 100 + i;
          Outcome out = PostAndWait(pool, new SquareTask(n));
          if (!out.ran || !out.success || out.result != n * n) ++wrong;
        }
      });
    }
    for (auto& t : posters) t.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_LE(pool.GetThreadCount(), 5);
  }
  EXPECT_EQ(g_liveTasks, 0);
}

TEST(MyThreadsPool, ABodyThatThrowsFailsItsTaskAndTheWorkerLivesOn) {
  {
    juce::MyThreadsPool pool("DownThreadsPool", 1, 1);
    Outcome thrown = PostAndWait(pool, new SquareTask(-1));
    EXPECT_TRUE(thrown.ran);
    EXPECT_FALSE(thrown.success);
    std::atomic<int> runs{0};
    pool.PostWorkTask(new CountTask(runs, true), true);
    Outcome next = PostAndWait(pool, new SquareTask(7));
    EXPECT_TRUE(next.success);
    EXPECT_EQ(next.result, 49);
    EXPECT_EQ(runs, 1);
  }
  EXPECT_EQ(g_liveTasks, 0);
}

TEST(MyThreadsPool, GrowsUpToItsMaximumWhileAllWorkersAreBusy) {
  Gate gate;
  juce::MyThreadsPool pool("UpThreadsPool");
  ASSERT_TRUE(pool.Init(1, 3));
  std::vector<std::promise<void>> started(3);
  std::vector<SquareTask*> tasks;
  for (int i = 0; i < 3; ++i) {
    tasks.push_back(new SquareTask(i, &gate, &started[i]));
    pool.PostWorkTask(tasks.back(), true);
  }
  // All three run at once: the pool grew to three workers.
  for (auto& s : started) s.get_future().wait();
  EXPECT_EQ(pool.GetThreadCount(), 3);
  // A task that may not add a thread waits for a free worker.
  auto* queued = new SquareTask(5);
  pool.PostWorkTask(queued, false);
  EXPECT_EQ(pool.GetThreadCount(), 3);
  gate.Open();
  for (SquareTask* t : tasks) {
    t->WaitExecuteFinishEvent();
    t->SignReleaseEvent();
  }
  EXPECT_EQ(PostAndWait(pool, new SquareTask(2)).result, 4);
  queued->WaitExecuteFinishEvent();
  EXPECT_EQ(queued->m_result, 25);
  queued->SignReleaseEvent();
}

TEST(MyThreadsPool, DestructionFailsQueuedTasksAndWaitsForRunningOnes) {
  Gate gate;
  std::promise<void> started;
  std::atomic<int> plainRuns{0};
  auto pool = std::make_unique<juce::MyThreadsPool>("DownThreadsPool", 1, 1);
  auto* running = new SquareTask(3, &gate, &started);
  pool->PostWorkTask(running, true);
  started.get_future().wait();
  // Queued behind the running one; they will never run.
  auto* queued = new SquareTask(4);
  pool->PostWorkTask(queued, true);
  pool->PostWorkTask(new CountTask(plainRuns), true);

  // The destroyer waits for the running body, which waits for the gate.
  std::thread destroyer([&] { pool.reset(); });
  // The queued poster wakes with a failed task before the running one ends.
  EXPECT_FALSE(queued->WaitExecuteFinishEvent());
  EXPECT_FALSE(queued->IsSuccess());
  queued->SignReleaseEvent();
  gate.Open();
  destroyer.join();
  // The running task finished normally and its poster still reads it.
  EXPECT_TRUE(running->WaitExecuteFinishEvent());
  EXPECT_EQ(running->m_result, 9);
  running->SignReleaseEvent();
  EXPECT_EQ(plainRuns, 0);
  EXPECT_EQ(g_liveTasks, 0);
}

TEST(MyThreadsPool, APosterMayReleaseBeforeTheBodyHasRun) {
  Gate gate;
  {
    juce::MyThreadsPool pool("UpThreadsPool", 1, 1);
    auto* task = new SquareTask(2, &gate);
    pool.PostWorkTask(task, true);
    task->SignReleaseEvent();
    gate.Open();
  }
  EXPECT_EQ(g_liveTasks, 0);
}

TEST(MyThreadsPool, PostingToAPoolThatIsNotRunningFailsTheTaskAtOnce) {
  juce::MyThreadsPool pool("StatThreadsPool");  // never initialised
  auto* task = new SquareTask(2);
  EXPECT_FALSE(pool.PostWorkTask(task, true));
  EXPECT_FALSE(task->WaitExecuteFinishEvent());
  EXPECT_FALSE(task->IsSuccess());
  task->SignReleaseEvent();
  std::atomic<int> runs{0};
  EXPECT_FALSE(pool.PostWorkTask(new CountTask(runs), true));
  EXPECT_FALSE(pool.PostWorkTask(nullptr, true));
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(g_liveTasks, 0);
}
