#include "client/sync/status/CStatusCache.h"

#include "client/core/LogWriter.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/status/StatusPaths.h"
#include "common/FileHelpers.h"
#include "common/PathText.h"
#include "common/StringConvert.h"

namespace {

class CacheLock {
 public:
  explicit CacheLock(CRITICAL_SECTION& section) : m_section(section) { EnterCriticalSection(&m_section); }
  ~CacheLock() { LeaveCriticalSection(&m_section); }

 private:
  CRITICAL_SECTION& m_section;
};

// The path as the records key it: without a trailing separator.
CString KeyOf(const juce::String& path) {
  CString key = Common::String_To_CString(path);
  while (key.GetLength() > 1 && key[key.GetLength() - 1] == Common::kPathSeparator) key.Truncate(key.GetLength() - 1);
  return key;
}

// The name of the path inside its parent: what follows the parent and one
// separator; the whole path when it has no parent.
CString NameIn(const CString& parent, const CString& path) {
  CString normal = Common::ReparsePath(path);
  return parent.IsEmpty() ? normal : normal.Mid(parent.GetLength() + 1);
}

CString Child(const CString& folder, const CString& name) {
  CString path;
  path.Format(L"%s%c%s", folder.GetString(), Common::kPathSeparator, name.GetString());
  return path;
}

}  // namespace

CStatusCache* CStatusCache::GetInstance() {
  static CStatusCache instance;
  static const bool linked = [] {
    SyncEngineLinks links;
    links.setPathStatus = [](const juce::String& path, int status) {
      CStatusCache::GetInstance()->SetPathStatus(path, status);
    };
    links.getRootStatus = [] {
      int state = 0;
      return CStatusCache::GetInstance()->GetRootStatus(state) ? state : 0;
    };
    InstallSyncEngineLinks(links);
    return true;
  }();
  (void)linked;
  return &instance;
}

CStatusCache::CStatusCache() {
  InitializeCriticalSection(&m_cacheLock);
  m_rootRecord.disabled = 1;
  m_hPipeReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  m_hPipeThread = CreateThread(nullptr, 0, &CStatusCache::PipeThreadProc, this, 0, &m_dwPipeThreadId);
  if (m_hPipeThread) WaitForSingleObject(m_hPipeReady, INFINITE);
}

CStatusCache::~CStatusCache() {
  m_bStopPipe = true;
  // A server that could not be woken is left blocked in its wait for a client;
  // the process is ending, and waiting for it would never end.
  const bool pipeServerEnded = WakePipeServer();
  if (m_hMapping) {
    CloseHandle(m_hMapping);
    m_hMapping = nullptr;
  }
  {
    CacheLock hold(m_cacheLock);
    m_nodes.clear();
  }
  if (m_hPipeThread && pipeServerEnded) {
    WaitForSingleObject(m_hPipeThread, INFINITE);
    CloseHandle(m_hPipeThread);
  }
  m_refresher.Stop();
  if (m_hPipeReady) CloseHandle(m_hPipeReady);
  DeleteCriticalSection(&m_cacheLock);
}

StatusDirNode* CStatusCache::FindNode(const CString& path) {
  auto it = m_nodes.find(path);
  return it == m_nodes.end() ? nullptr : it->second.get();
}

std::vector<CStatusCache::NodeMap::iterator> CStatusCache::RecordsBelow(const CString& folder) {
  std::vector<NodeMap::iterator> below;
  CString prefix = folder;
  prefix += Common::kPathSeparator;
  for (auto it = m_nodes.lower_bound(prefix); it != m_nodes.end(); ++it) {
    if (it->first.GetLength() < prefix.GetLength() || it->first.Left(prefix.GetLength()) != prefix) break;
    below.push_back(it);
  }
  return below;
}

void CStatusCache::Recompute(StatusDirNode* node, int state, bool fromChild) {
  int newState = state;
  {
    CacheLock hold(node->m_lock);
    if (fromChild && state != STATUS_SYNCING) {
      bool syncing = node->AnyFileSyncing(), error = node->AnyFileInError();
      if (!syncing && !error) {
        for (const auto& [name, unused] : node->m_subFolders) {
          StatusDirNode* sub = FindNode(Child(node->m_strPath, name));
          if (!sub || sub == node) continue;
          CacheLock holdSub(sub->m_lock);
          syncing |= sub->m_nState == STATUS_SYNCING;
          error |= sub->m_nState == STATUS_ERROR;
        }
      }
      newState = syncing ? STATUS_SYNCING : error ? STATUS_ERROR : STATUS_NORMAL;
    }
    node->m_nState = newState;
  }
  StatusDirNode* parent = FindNode(StatusParentPath(node->m_strPath));
  if (parent && parent != node) Recompute(parent, newState, true);
}

void CStatusCache::SetPathStatus(const juce::String& pathText, int state) {
  CString path = KeyOf(pathText);
  // The disk is asked before the lock is taken: the lock guards the records,
  // and the overlay queries wait for it.
  const bool folder = Common::IsDirectory(path);
  const bool exists = Common::IsFileExist(path);
  {
    CacheLock hold(m_cacheLock);
    CString parentPath = StatusParentPath(path);
    if (folder) {
      StatusDirNode* node = FindNode(path);
      if (!node && exists) {
        node = (m_nodes[path] = std::make_unique<StatusDirNode>(path)).get();
        if (path != RootText()) {
          if (StatusDirNode* parent = FindNode(parentPath); parent && parent != node) {
            CacheLock holdParent(parent->m_lock);
            parent->m_subFolders[NameIn(parentPath, path)] = 0;
          }
        }
      }
      if (node) Recompute(node, state, false);
    } else {
      StatusDirNode* parent = FindNode(parentPath);
      if (!parent) return;
      if (exists) {
        {
          CacheLock holdParent(parent->m_lock);
          parent->SetFileState(NameIn(parentPath, path), state);
        }
        Recompute(parent, state, true);
      }
    }
  }
  QueueRefreshText(path, false);
}

void CStatusCache::RemovePath(const juce::String& pathText) {
  CString path = KeyOf(pathText);
  CString parentPath = StatusParentPath(path);
  {
    CacheLock hold(m_cacheLock);
    StatusDirNode* parent = FindNode(parentPath);
    auto own = m_nodes.find(path);
    if (own != m_nodes.end()) {
      // Every record below goes, also those that never made it into a
      // sub-folder list (made while their parent had no record).
      for (auto it : RecordsBelow(path)) m_nodes.erase(it);
      m_nodes.erase(own);
      if (parent) {
        {
          CacheLock holdParent(parent->m_lock);
          parent->m_subFolders.erase(NameIn(parentPath, path));
        }
        Recompute(parent, STATUS_NONE, true);
      }
    } else if (parent) {
      {
        CacheLock holdParent(parent->m_lock);
        parent->EraseFile(NameIn(parentPath, path));
      }
      Recompute(parent, STATUS_NONE, true);
    }
    if (!parent) return;
  }
  QueueRefreshText(parentPath, false);
}

void CStatusCache::RenamePath(const juce::String& oldText, const juce::String& newText) {
  CString oldPath = KeyOf(oldText), newPath = KeyOf(newText);
  if (oldPath == newPath) return;
  CString oldParentPath = StatusParentPath(oldPath), newParentPath = StatusParentPath(newPath);
  bool refresh = false;
  {
    CacheLock hold(m_cacheLock);
    StatusDirNode* oldParent = FindNode(oldParentPath);
    StatusDirNode* newParent = FindNode(newParentPath);
    auto own = m_nodes.find(oldPath);
    bool folder = own != m_nodes.end();
    if (folder) {
      // Re-key the folder and everything below it; states stay, the folder
      // itself shows the move in transfer.
      std::vector<std::unique_ptr<StatusDirNode>> moved;
      for (auto it : RecordsBelow(oldPath)) {
        moved.push_back(std::move(it->second));
        m_nodes.erase(it);
      }
      std::unique_ptr<StatusDirNode> self = std::move(own->second);
      m_nodes.erase(own);
      for (auto& node : moved) {
        node->m_strPath = newPath + node->m_strPath.Mid(oldPath.GetLength());
        CString key = node->m_strPath;
        m_nodes[key] = std::move(node);
      }
      self->m_strPath = newPath;
      self->m_nState = STATUS_SYNCING;
      m_nodes[newPath] = std::move(self);
    }
    if (oldParent) {
      CacheLock holdParent(oldParent->m_lock);
      if (folder)
        oldParent->m_subFolders.erase(NameIn(oldParentPath, oldPath));
      else
        oldParent->EraseFile(NameIn(oldParentPath, oldPath));
    }
    if (newParent) {
      CacheLock holdParent(newParent->m_lock);
      if (folder)
        newParent->m_subFolders[NameIn(newParentPath, newPath)] = 0;
      else
        newParent->SetFileState(NameIn(newParentPath, newPath), STATUS_SYNCING);
    }
    if (oldParent) Recompute(oldParent, STATUS_NONE, true);
    if (newParent && newParent != oldParent) Recompute(newParent, STATUS_NONE, true);
    refresh = oldParent || newParent;
  }
  if (refresh) QueueRefreshText(newPath, false);
}

StatusPipeReply CStatusCache::HandleStatusRequest(const StatusPipeRequest& request) {
  StatusPipeReply reply{0, 0};
  std::wstring wide;
  GetWirePath(request.path, wide);  // a path without its terminator names nothing
  CString path(wide);
  {
    CacheLock hold(m_cacheLock);
    if (!path.IsEmpty() && request.kind == kStatusKindFile) {
      CString parentPath = StatusParentPath(path);
      if (StatusDirNode* parent = FindNode(parentPath)) {
        CacheLock holdParent(parent->m_lock);
        int state = parent->FileState(NameIn(parentPath, path));
        if (state >= 0) {
          reply.flags = kStatusFlagKnown;
          reply.status = static_cast<std::uint32_t>(state);
        }
      }
    } else if (!path.IsEmpty() && request.kind == kStatusKindDirectory) {
      if (StatusDirNode* node = FindNode(path)) {
        CacheLock holdNode(node->m_lock);
        reply.flags = kStatusFlagKnown;
        reply.status = static_cast<std::uint32_t>(node->m_nState);
      }
    }
  }
  if (reply.status == STATUS_NONE) {
    CString line;
    line.Format(L"%s status is dorv_status_none", path.GetString());
    WriteMessageLog(ErrorLog, Common::CString_to_String(line));
    reply.status = STATUS_NORMAL;
  }
  return reply;
}

int CStatusCache::GetRecordedFolderState(const juce::String& pathText) {
  CacheLock hold(m_cacheLock);
  StatusDirNode* node = FindNode(KeyOf(pathText));
  return node ? node->m_nState : -1;
}

int CStatusCache::GetRecordedFileState(const juce::String& pathText) {
  CString path = KeyOf(pathText);
  CString parentPath = StatusParentPath(path);
  CacheLock hold(m_cacheLock);
  StatusDirNode* parent = FindNode(parentPath);
  if (!parent) return -1;
  CacheLock holdParent(parent->m_lock);
  return parent->FileState(NameIn(parentPath, path));
}

CString CStatusCache::RootText() {
  std::lock_guard<std::mutex> hold(m_rootLock);
  return m_strRoot;
}

void CStatusCache::QueueRefresh(const juce::String& path, bool recurse) { QueueRefreshText(KeyOf(path), recurse); }

void CStatusCache::QueueRefreshText(const CString& path, bool recurse) {
  m_refresher.QueueRefresh(path, recurse, RootText().GetLength());
}
