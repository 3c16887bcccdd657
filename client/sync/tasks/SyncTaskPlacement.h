#pragma once
// Where a task manager's AddTask puts a new task in its queue.
#include <vector>

enum SyncTaskPlacement { PLACE_FRONT = 0, PLACE_BEHIND_HEAD = 1, PLACE_APPEND = 2 };

// Append; at the front; or behind the head, which may be running (appended
// when the queue is empty).
template <typename Task>
void InsertByPlacement(std::vector<Task*>& queue, Task* task, int placement) {
  if (placement == PLACE_APPEND || queue.empty())
    queue.push_back(task);
  else if (placement == PLACE_FRONT)
    queue.insert(queue.begin(), task);
  else
    queue.insert(queue.begin() + 1, task);
}
