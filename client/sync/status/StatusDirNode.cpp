#include "client/sync/status/StatusDirNode.h"

StatusDirNode::StatusDirNode(const CString& path) : m_strPath(path) { InitializeCriticalSection(&m_lock); }

StatusDirNode::~StatusDirNode() { DeleteCriticalSection(&m_lock); }
