#include "client/sync/status/StatusDirNode.h"

StatusDirNode::StatusDirNode(const CString& path) : m_strPath(path) { InitializeCriticalSection(&m_lock); }

StatusDirNode::~StatusDirNode() { DeleteCriticalSection(&m_lock); }

void StatusDirNode::Count(int state, int change) {
  if (state == 2) m_nSyncingFiles += change;  // in transfer
  if (state == 3) m_nErrorFiles += change;    // error
}

void StatusDirNode::SetFileState(const CString& name, int state) {
  auto [it, added] = m_files.emplace(name, state);
  if (!added) {
    Count(it->second, -1);
    it->second = state;
  }
  Count(state, +1);
}

void StatusDirNode::EraseFile(const CString& name) {
  auto it = m_files.find(name);
  if (it == m_files.end()) return;
  Count(it->second, -1);
  m_files.erase(it);
}

int StatusDirNode::FileState(const CString& name) const {
  auto it = m_files.find(name);
  return it == m_files.end() ? -1 : it->second;
}
