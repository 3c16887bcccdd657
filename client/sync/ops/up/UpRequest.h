#pragma once
// The way every up operation sends a request: the task is posted to the Up
// pool with waiting, waited for, its reply copied out (on success and on
// failure alike) and then let go.
#include "base/MyThreadsPool.h"
#include "client/core/context/ThreadsPools.h"

template <class Task, class Reply>
bool PostUpRequest(Task* task, Reply& reply) {
  GetUpThreadsPool()->PostWorkTask(task, true);
  task->WaitExecuteFinishEvent();
  const bool success = task->IsSuccess();
  task->GetResult(reply);
  task->SignReleaseEvent();
  return success;
}
