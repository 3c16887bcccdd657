#pragma once
// Where a task manager's AddTask puts a new task in its queue.
enum SyncTaskPlacement { PLACE_FRONT = 0, PLACE_BEHIND_HEAD = 1, PLACE_APPEND = 2 };
