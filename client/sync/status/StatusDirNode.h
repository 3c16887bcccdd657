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

  // The files' states change only through these (under m_lock), which keep the
  // counts of files in transfer and in error: a folder's state is then found
  // without walking all its files, however many there are.
  void SetFileState(const CString& name, int state);
  void EraseFile(const CString& name);
  // -1 when the file has no entry.
  int FileState(const CString& name) const;
  bool AnyFileSyncing() const { return m_nSyncingFiles > 0; }
  bool AnyFileInError() const { return m_nErrorFiles > 0; }

  CString m_strPath;  // without a trailing separator
  int m_nState = 0;
  std::map<CString, int> m_subFolders;  // the value is always 0
  CRITICAL_SECTION m_lock;

 private:
  void Count(int state, int change);

  std::map<CString, int> m_files;
  int m_nSyncingFiles = 0;
  int m_nErrorFiles = 0;
};
