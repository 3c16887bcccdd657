#include "base/WaitReleaseWorkTask.h"

namespace juce {

_WaitRelease_Work_Task::_WaitRelease_Work_Task(const String& name) : _WORK_TASK(name) {}

int _WaitRelease_Work_Task::ExecuteWork() {
  int result;
  try {
    result = ExecuteWorkTask();
  } catch (...) {
    // A body that threw never got to report: it failed.
    SetSuccess(false);
    result = 2;
  }
  SignalFinished(true);
  return result;
}

void _WaitRelease_Work_Task::SetSuccess(bool success) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_success = success;
}

bool _WaitRelease_Work_Task::IsSuccess() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_success;
}

bool _WaitRelease_Work_Task::WaitExecuteFinishEvent() {
  std::unique_lock<std::mutex> hold(m_lock);
  m_finishedEvent.wait(hold, [this] { return m_finished; });
  return m_ran;
}

bool _WaitRelease_Work_Task::WaitExecuteFinishEventFor(int ms) {
  std::unique_lock<std::mutex> hold(m_lock);
  return m_finishedEvent.wait_for(hold, std::chrono::milliseconds(ms), [this] { return m_finished; });
}

void _WaitRelease_Work_Task::SignReleaseEvent() { DropHolder(); }

void _WaitRelease_Work_Task::SignalFinished(bool ran) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_finished) return;
  m_finished = true;
  m_ran = ran;
  if (!ran) m_success = false;
  m_finishedEvent.notify_all();
}

void _WaitRelease_Work_Task::AfterExecute() { DropHolder(); }

void _WaitRelease_Work_Task::Abandon() {
  SignalFinished(false);
  DropHolder();
}

void _WaitRelease_Work_Task::DropHolder() {
  bool last;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    last = --m_holders == 0;
  }
  if (last) delete this;
}

}  // namespace juce
