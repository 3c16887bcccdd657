#pragma once
#include <juce_core/juce_core.h>

namespace juce {

class MyThreadsPool;

// The base of a plain work task. The poster allocates it with new and posts it;
// from then on the pool owns it and deletes it once the body has run (or
// without running it, when the pool ends first).
class _WORK_TASK {
 public:
  explicit _WORK_TASK(const String& name);
  _WORK_TASK(const _WORK_TASK&) = delete;
  _WORK_TASK& operator=(const _WORK_TASK&) = delete;

  // Runs the body on the calling thread. An exception out of the body counts
  // as a failure (2) and goes no further.
  virtual int ExecuteWork();
  virtual ~_WORK_TASK();
  // The task's work: 0 on success, 2 on failure.
  virtual int ExecuteWorkTask() = 0;

  const String& GetTaskName() const { return m_name; }

 private:
  friend class MyThreadsPool;
  // The pool's hand-over points: after ExecuteWork, or in its place when the
  // task will never run. A plain task is deleted in both cases.
  virtual void AfterExecute();
  virtual void Abandon();

  String m_name;
};

}  // namespace juce
