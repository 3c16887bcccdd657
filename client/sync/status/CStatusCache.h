#pragma once
// The overlay state of every known file and folder under the sync root, kept for
// the Explorer extension, and the main program's end of the shell link:
//  - the pipe "\\.\pipe\DorvCache", on which the extension asks for one path's
//    state per connection (StatusPipeRequest in, StatusPipeReply out);
//  - the shared memory "DorvShellFileMappingObject" (ShellRootMapping), which
//    tells the extension the sync root and whether overlays are on;
//  - the root's desktop.ini (the program's icon and a tip);
//  - the refresher that tells Explorer which paths changed.
//
// States: 0 none, 1 normal (in step), 2 in transfer, 3 error. A folder's state
// follows from its contents (Recompute). The entry points that touch records take
// the cache lock for their whole run; PublishRoot and ReleaseRoot are called by
// one thread at a time (the one that starts or stops the watcher, the UI thread).
//
// The pipe server has kPipeInstances instances, each serving one client at a
// time on a thread of its own. A client that sends nothing, sends a malformed
// request or goes away is disconnected after a bounded wait, and the instance
// goes on with the next: no client can end or hold up the server. There are
// instances enough that dozens of clients holding one without a word leave the
// others free to serve the file manager at once.
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include <juce_core/juce_core.h>

#include "client/sync/status/CExplorerRefresher.h"
#include "client/sync/status/StatusDirNode.h"
#include "mfc/Afx.h"
#include "shellext/StatusWire.h"
#include "win32/Windows.h"

class CStatusCache {
 public:
  static constexpr int STATUS_NONE = 0;
  static constexpr int STATUS_NORMAL = 1;
  static constexpr int STATUS_SYNCING = 2;
  static constexpr int STATUS_ERROR = 3;

  // How long the server waits for a connected client's request, and for the
  // client to take the reply and close its end, before it lets the client go.
  static constexpr DWORD kRequestWaitMs = 500;
  static constexpr DWORD kReplyTakenWaitMs = 500;
  // Knocks on the pipe (rounds 50 ms apart) that the exit makes to wake its server.
  static constexpr int kWakeAttempts = 40;
  // Clients served at once (each instance a thread); more wait for a free instance.
  static constexpr int kPipeInstances = 64;

  // The process's cache, made on first use (which starts the pipe server) and
  // destroyed at process exit. The first call also links the engine's
  // registries and tracker to it (SyncEngineLinks).
  static CStatusCache* GetInstance();

  // Starts the pipe server; returns once the pipe exists (or could not be made).
  CStatusCache();
  virtual ~CStatusCache();
  CStatusCache(const CStatusCache&) = delete;
  CStatusCache& operator=(const CStatusCache&) = delete;

  void SetPathStatus(const juce::String& path, int state);
  void RemovePath(const juce::String& path);
  void RenamePath(const juce::String& oldPath, const juce::String& newPath);
  void PublishRoot(const juce::String& rootPath);
  void ReleaseRoot();
  // False while overlays are off; else the root folder's state (1 without a record).
  bool GetRootStatus(int& state);
  void QueueRefresh(const juce::String& path, bool recurse);

  // The answer to one pipe request.
  StatusPipeReply HandleStatusRequest(const StatusPipeRequest& request);

  // For tests and diagnostics: a folder's state and a file's state (-1 when not
  // recorded), and whether the pipe server still runs.
  int GetRecordedFolderState(const juce::String& path);
  int GetRecordedFileState(const juce::String& path);
  bool IsPipeServerRunning();
  CExplorerRefresher& Refresher() { return m_refresher; }

 private:
  using NodeMap = std::map<CString, std::unique_ptr<StatusDirNode>>;

  StatusDirNode* FindNode(const CString& path);
  void Recompute(StatusDirNode* node, int state, bool fromChild);
  // Every record below the folder (not the folder's own), by key.
  std::vector<NodeMap::iterator> RecordsBelow(const CString& folder);
  CString RootText();
  void QueueRefreshText(const CString& path, bool recurse);
  void WriteDesktopIni(const CString& root);
  bool CopyRecordToMapping(bool clearOnly);

  static DWORD WINAPI PipeThreadProc(LPVOID self);
  void RunPipeServer();
  void ServeInstance(HANDLE pipe);
  void ServeClient(HANDLE pipe);
  // True once the server thread has ended; false when it could not be woken.
  bool WakePipeServer();

  NodeMap m_nodes;
  HANDLE m_hPipeThread = nullptr;
  DWORD m_dwPipeThreadId = 0;
  HANDLE m_hPipeReady = nullptr;
  std::atomic<bool> m_bStopPipe{false};
  HANDLE m_hMapping = nullptr;
  CRITICAL_SECTION m_cacheLock;  // recursive
  // The root text and the off flag, laid out as the shared memory's record.
  std::mutex m_rootLock;
  ShellRootMapping m_rootRecord{};
  CString m_strRoot;
  CExplorerRefresher m_refresher;
};
