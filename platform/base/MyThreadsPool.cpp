#include "base/MyThreadsPool.h"

#include <pthread.h>

#include <system_error>

namespace juce {

MyThreadsPool::MyThreadsPool(const String& name) : m_name(name) {}

MyThreadsPool::MyThreadsPool(const String& name, int minThreads, int maxThreads) : m_name(name) {
  Init(minThreads, maxThreads);
}

MyThreadsPool::~MyThreadsPool() {
  std::deque<_WORK_TASK*> pending;
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_stopping = true;
    m_running = false;
    pending.swap(m_queue);
    threads.swap(m_threads);
  }
  m_wake.notify_all();
  for (_WORK_TASK* task : pending) task->Abandon();
  // A pool is never deleted from one of its own tasks: that worker would
  // wait for itself here.
  for (std::thread& t : threads) t.join();
}

bool MyThreadsPool::Init(int minThreads, int maxThreads) {
  if (minThreads < 1 || maxThreads < minThreads) return false;
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_running || m_stopping || !m_threads.empty()) return false;
  m_maxThreads = maxThreads;
  for (int i = 0; i < minThreads; ++i) {
    if (!StartWorkerLocked()) break;
  }
  m_running = !m_threads.empty();
  return m_running;
}

bool MyThreadsPool::StartWorkerLocked() {
  try {
    m_threads.emplace_back([this] { WorkerLoop(); });
  } catch (const std::system_error&) {
    return false;
  }
  // Thread names are limited to 15 bytes.
  pthread_setname_np(m_threads.back().native_handle(), m_name.substring(0, 15).toRawUTF8());
  return true;
}

bool MyThreadsPool::PostWorkTask(_WORK_TASK* task, bool mayAddThread) {
  if (task == nullptr) return false;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_running) {
      m_queue.push_back(task);
      if (mayAddThread && static_cast<int>(m_queue.size()) > m_idle &&
          static_cast<int>(m_threads.size()) < m_maxThreads)
        StartWorkerLocked();
      m_wake.notify_one();
      return true;
    }
  }
  task->Abandon();
  return false;
}

int MyThreadsPool::GetThreadCount() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return static_cast<int>(m_threads.size());
}

void MyThreadsPool::WorkerLoop() {
  for (;;) {
    _WORK_TASK* task;
    {
      std::unique_lock<std::mutex> hold(m_lock);
      ++m_idle;
      m_wake.wait(hold, [this] { return m_stopping || !m_queue.empty(); });
      --m_idle;
      if (m_stopping) return;
      task = m_queue.front();
      m_queue.pop_front();
    }
    task->ExecuteWork();
    task->AfterExecute();
  }
}

}  // namespace juce
