#pragma once
// Turns the change records of one directory read into changes with full paths.
//
// The old and the new name of a rename are joined into one change. When a read
// ends with an old name, the walk holds it and joins it to a new name that
// begins the next read; anything else gives it up as a removal. A new name
// without an old one is an addition. Names are taken whole, whatever their
// length. Records that would reach past the bytes read end the walk. One walk
// per watched directory, used by its worker thread only.
#include <vector>

#include "mfc/Afx.h"
#include "win32/Windows.h"

struct WatcherChange {
  int type;        // WATCHER_EVENT_ADDED, _REMOVED, _MODIFIED or _RENAMED
  CString path;    // the new path of a rename
  CString oldPath; // renames only
};

class CChangeRecordWalk {
 public:
  // `directory` ends with the separator; `records` holds `bytes` bytes as
  // ReadDirectoryChangesW wrote them (DWORD aligned).
  std::vector<WatcherChange> Walk(const BYTE* records, DWORD bytes, const CString& directory);
  // The records since the last read were lost, or watching ends: a held old
  // name is given up as a removal.
  std::vector<WatcherChange> Flush();

 private:
  CString m_heldOldPath;
  bool m_holding = false;
};
