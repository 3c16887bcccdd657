#pragma once
#include <condition_variable>
#include <mutex>

#include "base/WorkTask.h"

namespace juce {

// The base of a task whose poster waits for it. Protocol of the poster:
// new, PostWorkTask, WaitExecuteFinishEvent, IsSuccess and copy the results,
// SignReleaseEvent; then never touch the task again.
//
// The task is deleted by whichever of its two holders lets go last: the pool
// once the body has run (or the pool has ended without running it), the
// poster at SignReleaseEvent. So a worker never waits for a slow poster, and a
// poster never waits forever for a pool that is gone.
class _WaitRelease_Work_Task : public _WORK_TASK {
 public:
  explicit _WaitRelease_Work_Task(const String& name);

  // Runs the body, then signals "finished".
  int ExecuteWork() override;

  // Blocks until "finished": the body has run, or the pool ended before it
  // could run (then the task has failed). True when the body ran.
  bool WaitExecuteFinishEvent();
  // Waits at most ms for "finished"; true once it is.
  bool WaitExecuteFinishEventFor(int ms);
  bool IsSuccess() const;
  // Signals "released": the poster is done with the task.
  void SignReleaseEvent();

 protected:
  void SetSuccess(bool success);

 private:
  void AfterExecute() override;
  void Abandon() override;
  void SignalFinished(bool ran);
  void DropHolder();

  mutable std::mutex m_lock;
  std::condition_variable m_finishedEvent;
  bool m_finished = false;
  bool m_ran = false;
  bool m_success = false;
  int m_holders = 2;  // the pool's side and the poster's side
};

}  // namespace juce
