#pragma once
// One known folder of the status cache: its own overlay state and the states of
// the files in it, with the names of its known sub-folders. Names are the part
// of a path after the folder's path and one separator; they compare
// case-sensitively, as paths do here.
#include <map>

#include "mfc/Afx.h"
#include "win32/CriticalSection.h"

struct StatusDirNode {
  explicit StatusDirNode(const CString& path);
  ~StatusDirNode();
  StatusDirNode(const StatusDirNode&) = delete;
  StatusDirNode& operator=(const StatusDirNode&) = delete;

  CString m_strPath;  // without a trailing separator
  int m_nState = 0;
  std::map<CString, int> m_files;
  std::map<CString, int> m_subFolders;  // the value is always 0
  CRITICAL_SECTION m_lock;
};
