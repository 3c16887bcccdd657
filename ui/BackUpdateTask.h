#pragma once
// A worker-thread task for a background job that can be started, restarted
// and killed. States: 0 idle (no worker), 1 running, 2 waiting on the wake
// event, 3 restart asked while running, 4 killed, 5 resume asked while
// waiting. The worker routine (set by a derived class) receives the task,
// changes the state under its lock (0/3/5 -> 1, 1 -> 2, ends on 4), waits on
// the wake event while in state 2 and signals the done event when it ends.
#include "win32/Windows.h"

namespace UI {

class BackUpdateTask {
 public:
  using WorkerRoutine = void (*)(void*);
  enum State { kIdle = 0, kRunning = 1, kWaiting = 2, kRestart = 3, kKilled = 4, kResume = 5 };

  BackUpdateTask();
  BackUpdateTask(const BackUpdateTask&) = delete;
  BackUpdateTask& operator=(const BackUpdateTask&) = delete;

  // Deletes the task through its destructor, the derived class's included.
  virtual void Release();
  virtual void OnCreate() {}
  virtual ~BackUpdateTask();

  // Null for null data; else the data kept, OnCreate run, and the task.
  static BackUpdateTask* CreateTask(BackUpdateTask* task, void* data);
  // Starts the worker (idle) or wakes it (waiting); 0 for a killed task or
  // a worker that can't start. A started task counts as running at once, so
  // that a second call before the worker runs starts no second worker.
  static int BeginUpdateTask(BackUpdateTask* task);
  static int ResetUpdateTask(BackUpdateTask* task);
  // Marks the task killed and waits for the worker to end.
  static void KillUpdateTask(BackUpdateTask* task);

  int GetState() const { return m_nState; }
  void* GetUserData() const { return m_pUserData; }
  CRITICAL_SECTION* GetLock() const { return m_pLock; }
  HANDLE GetWakeEvent() const { return m_hWake; }
  HANDLE GetDoneEvent() const { return m_hDone; }
  // For the worker routine: under the task's lock.
  void SetState(int state) { m_nState = state; }

 protected:
  static void SetTaskEvent(BackUpdateTask* task);
  static unsigned ThreadMain(void* task);

  void* m_pUserData = nullptr;
  WorkerRoutine m_pRoutine = nullptr;
  volatile int m_nState = kIdle;
  std::uintptr_t m_hThread = 0;
  HANDLE m_hWake = nullptr;
  CRITICAL_SECTION* m_pLock = nullptr;
  HANDLE m_hDone = nullptr;
};

}  // namespace UI
