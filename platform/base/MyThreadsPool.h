#pragma once
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <juce_core/juce_core.h>

#include "base/WorkTask.h"

namespace juce {

// A named pool of worker threads that run posted work tasks in the order they
// were posted. Init(min, max) starts min workers; more are added, up to max,
// while tasks wait and every worker is busy.
class MyThreadsPool {
 public:
  explicit MyThreadsPool(const String& name);
  // Builds and starts the pool at once (no Init follows).
  MyThreadsPool(const String& name, int minThreads, int maxThreads);
  MyThreadsPool(const MyThreadsPool&) = delete;
  MyThreadsPool& operator=(const MyThreadsPool&) = delete;
  // Ends the pool: tasks still queued never run (a waiting poster's task ends
  // as failed and its poster wakes), running tasks are waited for.
  ~MyThreadsPool();

  // Starts the workers. False when the numbers make no pool (min < 1 or
  // max < min), when the pool was started already, or when no thread starts.
  bool Init(int minThreads, int maxThreads);

  // Queues the task; the pool owns it from here on. mayAddThread: the task
  // may make the pool grow a worker when all are busy (false: it waits for a
  // free one). False when the task is null or the pool is not running; the
  // task is then disposed of as if the pool had ended.
  bool PostWorkTask(_WORK_TASK* task, bool mayAddThread);

  const String& GetName() const { return m_name; }
  int GetThreadCount() const;

 private:
  bool StartWorkerLocked();
  void WorkerLoop();

  String m_name;
  mutable std::mutex m_lock;
  std::condition_variable m_wake;
  std::deque<_WORK_TASK*> m_queue;
  std::vector<std::thread> m_threads;
  int m_maxThreads = 0;
  int m_idle = 0;
  bool m_running = false;
  bool m_stopping = false;
};

}  // namespace juce
