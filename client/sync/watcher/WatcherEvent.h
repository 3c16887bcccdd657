#pragma once
// One change waiting in a directory's coalescing timer. Types are those of
// WatcherEventType; for renames and moves `path` is the new path.
#include "mfc/Afx.h"

struct WatcherEvent {
  CString path;
  CString otherPath;
  int type = 0;
};
