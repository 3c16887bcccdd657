#include "ui/BackUpdateTask.h"

#include "ui/UILock.h"

namespace UI {

BackUpdateTask::BackUpdateTask()
    : m_hWake(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_pLock(UILock::CreateLock()),
      m_hDone(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

BackUpdateTask::~BackUpdateTask() {
  if (m_hThread) ::CloseHandle(reinterpret_cast<HANDLE>(m_hThread));
  if (m_hWake) ::CloseHandle(m_hWake);
  if (m_hDone) ::CloseHandle(m_hDone);
  UILock::ReleaseLock(m_pLock);
}

void BackUpdateTask::Release() { delete this; }

BackUpdateTask* BackUpdateTask::CreateTask(BackUpdateTask* task, void* data) {
  if (!task || !data) return nullptr;
  task->m_pUserData = data;
  task->OnCreate();
  return task;
}

unsigned BackUpdateTask::ThreadMain(void* argument) {
  auto* task = static_cast<BackUpdateTask*>(argument);
  if (task->m_pRoutine) task->m_pRoutine(task);
  return 0;
}

int BackUpdateTask::BeginUpdateTask(BackUpdateTask* task) {
  if (!task) return 0;
  if (task->m_nState == kRunning) return 1;
  UILock lock(task->m_pLock, FALSE);
  switch (task->m_nState) {
    case kKilled: return 0;
    case kIdle: {
      if (!task->m_pRoutine) return 0;
      if (task->m_hThread) ::CloseHandle(reinterpret_cast<HANDLE>(task->m_hThread));
      task->m_nState = kRunning;
      task->m_hThread = _beginthreadex(nullptr, 0, &BackUpdateTask::ThreadMain, task, 0, nullptr);
      if (!task->m_hThread) {
        task->m_nState = kIdle;
        return 0;
      }
      SetTaskEvent(task);
      return 1;
    }
    case kWaiting:
      task->m_nState = kResume;
      SetTaskEvent(task);
      return 1;
    default: return 1;
  }
}

int BackUpdateTask::ResetUpdateTask(BackUpdateTask* task) {
  if (!task) return 0;
  if (task->m_nState == kRestart) return 1;
  UILock lock(task->m_pLock, FALSE);
  switch (task->m_nState) {
    case kRunning: task->m_nState = kRestart; return 1;
    case kWaiting:
      task->m_nState = kResume;
      SetTaskEvent(task);
      return 1;
    default: return 0;
  }
}

void BackUpdateTask::KillUpdateTask(BackUpdateTask* task) {
  if (!task || task->m_nState == kIdle || task->m_nState == kKilled) return;
  {
    UILock lock(task->m_pLock, FALSE);
    const int old = task->m_nState;
    task->m_nState = kKilled;
    if (old == kWaiting) SetTaskEvent(task);
  }
  ::WaitForSingleObject(task->m_hDone, INFINITE);
  ::ResetEvent(task->m_hDone);
  if (task->m_hThread) ::CloseHandle(reinterpret_cast<HANDLE>(task->m_hThread));
  task->m_hThread = 0;
}

void BackUpdateTask::SetTaskEvent(BackUpdateTask* task) { ::SetEvent(task->m_hWake); }

}  // namespace UI
