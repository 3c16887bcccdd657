#include "client/sync/SyncLogic.h"

#include <algorithm>
#include <deque>

#include "base/MyThreadsPool.h"
#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/db/FileDBManager.h"
#include "client/core/db/FolderDBManager.h"
#include "client/core/login/LogoutTask.h"
#include "client/sync/LocalPathGuard.h"
#include "client/sync/RenamedFolderMatch.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/dispatch/SyncTaskDispatcher.h"
#include "client/sync/filter/FileWatchMessageFilter.h"
#include "client/sync/filter/ProgramChangeIgnoreList.h"
#include "client/sync/filter/ServerUpdateMessageFilter.h"
#include "client/sync/filter/UpTaskManagerQueue.h"
#include "client/sync/ops/LocalNetErrorManager.h"
#include "client/sync/ops/SyncResult.h"
#include "client/sync/ops/down/SyncDownloadFileOp.h"
#include "client/sync/ops/up/ServiceFolderNames.h"
#include "client/sync/pull/ImmediateSyncFromServerOp.h"
#include "client/sync/pumps/DownTaskPumps.h"
#include "client/sync/pumps/UpTaskPumps.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/registry/MovedFolderRegistry.h"
#include "client/sync/status/CStatusCache.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/SyncDownTaskManager.h"
#include "client/sync/tasks/SyncUpTaskManager.h"
#include "client/sync/watcher/FileSystemWatcher.h"
#include "client/sync/watcher/PathFilter.h"
#include "client/sync/watcher/WatchedRootPublisher.h"
#include "common/PathText.h"
#include "common/StringConvert.h"

namespace {

constexpr int kFileAdded = 1, kFileDeleted = 2, kFileChanged = 3, kFileRenamed = 4;
// File downloads that run at once: fewer than the Down pool's five threads,
// which carry their ranges. Each spends most of its time waiting for the
// service and for its file to reach the disk.
constexpr size_t kDownloadsInFlight = 4;
// Uploads that run at once, for the same reason: a file's four calls wait on
// the service's round trips, which several files in flight hide.
constexpr size_t kUploadsInFlight = 4;

// The watcher announces the root it watches through the status cache, so
// that the shell shows overlays below it.
class StatusCacheRootPublisher final : public IWatchedRootPublisher {
 public:
  void PublishRoot(const CString& root) override {
    CStatusCache::GetInstance()->PublishRoot(Common::CString_to_String(root));
  }
  void ReleaseRoot() override { CStatusCache::GetInstance()->ReleaseRoot(); }
};

StatusCacheRootPublisher g_rootPublisher;

void SetPathStatus(const juce::String& path, int status) {
  if (auto set = GetSyncEngineLinks().setPathStatus) set(path, status);
}

// A file that takes part in sync (the shell's own desktop.ini and the like
// do not).
bool HasSyncedFile(const std::vector<juce::String>& files) {
  CPathFilter* filter = CPathFilter::GetInstance();
  for (const auto& file : files) {
    const CString name = Common::String_To_CString(Common::String_GetFileName(file));
    if (!filter || (filter->IsIncluded(name) && !filter->IsExcluded(name))) return true;
  }
  return false;
}

void SetTrackerState(SyncStatusTracker* tracker, std::atomic<int>& word, int value) {
  word.store(value);
  tracker->PushTrayState();
}

}  // namespace

SyncLogic::SyncLogic() : m_pStatusTracker(std::make_unique<SyncStatusTracker>()) {
  // The status cache serves the shell and answers the engine's path states
  // from the engine's start on.
  CStatusCache::GetInstance();
}

SyncLogic::~SyncLogic() {
  EndThreads();
  m_pFileSystemWatcher.reset();
  m_pFileWatchMessageFilter.reset();
  m_pUpTaskQueue.reset();
  m_pServerUpdateMessageFilter.reset();
  m_pUpNoDepandTaskPump.reset();
  m_pUpFileAndDepandTaskPump.reset();
  m_pUpWaitAndDepandTaskPump.reset();
  m_pDownNormalTaskPump.reset();
  m_pDownWaitAndRetryTaskPump.reset();
  m_workflowTask.m_pTaskManagers.reset();
  m_pUpTaskManager.reset();
  m_pDownTaskManager.reset();
  m_pStatusTracker.reset();
  m_pTaskDispatcher.reset();
  m_pIgnoreList.reset();
  std::lock_guard guard(m_currentPullLock);
  m_pStartupPull.reset();
}

void SyncLogic::EndThreads() {
  m_pNotifyUI.store(nullptr);
  m_workflowTask.signalThreadShouldExit();
  if (m_pFileSystemWatcher) m_pFileSystemWatcher->Stop();
  SaveRecentFiles();
  SignalStopAll();
  // The pumps end their turn once their operation sees the stop flag. They are
  // joined without limit: a pump freed while it runs would use freed queues.
  for (SyncTaskPump* pump : Pumps())
    if (pump) pump->Stop(-1);
  // Likewise the workflow: it stops between its steps and its pulls were told
  // to stop.
  m_workflowTask.stopThread(-1);

  // Nothing of the engine is to be reached through the links any more; the
  // status cache's own entries stay, as it outlives the engine.
  SyncEngineLinks inert;
  inert.queueServerFileAdd = [](const SyncFileData&) {};
  inert.queueLocalFolderAdd = [](const juce::String&) {};
  inert.queueLocalFileAdd = [](const juce::String&) {};
  inert.repathUpTasks = [](const juce::String&, const juce::String&) {};
  inert.ignoreProgramChange = [](const juce::String&, const juce::String&, int) {};
  inert.unignoreProgramChange = [](const juce::String&, const juce::String&, int) { return false; };
  inert.pullFolderFromServer = [](const juce::String&, juce::int64) {};
  inert.startImmediatePull = [] {};
  inert.isEngineIdle = [] { return false; };
  InstallSyncEngineLinks(inert);
  if (m_pTaskDispatcher) m_pTaskDispatcher->SetControllerHooks(SyncControllerHooks{});
  // The filters' threads (the link poll with its callbacks among them).
  if (m_pServerUpdateMessageFilter) m_pServerUpdateMessageFilter->EndThreads();
  if (m_pFileWatchMessageFilter) m_pFileWatchMessageFilter->waitForThreadToExit(-1);
}

void SyncLogic::CreateSyncWorkers() {
  if (!m_pFileSystemWatcher) {
    m_pFileSystemWatcher = std::make_unique<CFileSystemWatcher>();
    m_pFileSystemWatcher->SetRootPublisher(&g_rootPublisher);
  }
  if (!m_pTaskDispatcher) m_pTaskDispatcher = std::make_unique<SyncTaskDispatcher>();
  GetProgramChangeIgnoreList();
  if (!m_pUpTaskManager) {
    m_pUpTaskManager = std::make_unique<SyncUpTaskManager>(m_pTaskDispatcher.get());
    m_pUpTaskManager->SetUploadsInFlight(kUploadsInFlight);
  }
  if (!m_pDownTaskManager) {
    m_pDownTaskManager = std::make_unique<SyncDownTaskManager>(m_pTaskDispatcher.get());
    m_pDownTaskManager->SetDownloadsInFlight(kDownloadsInFlight);
  }

  // Each pump is made paused and started at once, named after its class.
  auto make = [](auto& pump, const char* name, auto* manager) {
    if (pump) return;
    pump = std::make_unique<typename std::remove_reference_t<decltype(pump)>::element_type>(name, manager);
    pump->m_bPaused.store(true);
    pump->startThread();
  };
  SyncUpTaskManager* up = m_pUpTaskManager.get();
  SyncDownTaskManager* down = m_pDownTaskManager.get();
  make(m_pUpNoDepandTaskPump, "UpNoDepandTaskPump", up);
  make(m_pUpFileAndDepandTaskPump, "UpFileAndDepandTaskPump", up);
  make(m_pUpWaitAndDepandTaskPump, "UpWaitAndDepandTaskPump", up);
  make(m_pDownNormalTaskPump, "DownNormalTaskPump", down);
  make(m_pDownWaitAndRetryTaskPump, "DownWaitAndRetryTaskPump", down);
  if (!m_pServerUpdateMessageFilter) {
    m_pServerUpdateMessageFilter = std::make_unique<ServerUpdateMessageFilter>("ServerUpdateMessageFilter", down);
    // News of the service waits for the start-up workflow: a sign-in in the
    // wizard starts the link while the sync root is still being chosen and bound.
    m_pServerUpdateMessageFilter->SetHold(true);
  }
  if (!m_pFileWatchMessageFilter) {
    m_pUpTaskQueue = std::make_unique<UpTaskManagerQueue>(up);
    m_pFileWatchMessageFilter = std::make_unique<FileWatchMessageFilter>("FileWatchMessageFilter",
                                                                         m_pUpTaskQueue.get(), m_pIgnoreList.get());
    m_pFileWatchMessageFilter->SetHold(true);
    m_pFileWatchMessageFilter->SetRescan([this] {
      WriteLog(KeyPoint, "SyncLogic::ScanLocalTree", "The watch lost changes: the root is walked as at start-up");
      ScanLocalTree();
    });
  }
  InstallLinks();
}

void SyncLogic::InstallLinks() {
  SyncControllerHooks hooks;
  hooks.isPathQueued = [this](const juce::String& path) { return IsPathQueued(path); };
  hooks.hasDownTasks = [this] { return HasDownTasks(); };
  hooks.updateFromServerWhenUpIdle = [this] { UpdateFromServerWhenUpIdle(); };
  hooks.hasQueuedServerVersions = [this] {
    return m_pServerUpdateMessageFilter && m_pServerUpdateMessageFilter->HasQueuedVersions();
  };
  m_pTaskDispatcher->SetControllerHooks(hooks);

  SyncEngineLinks links;
  links.queueServerFileAdd = [this](const SyncFileData& row) {
    if (m_pDownTaskManager) m_pDownTaskManager->QueueServerFileAdd(row, row.m_FileID, row.m_ParentID);
  };
  links.queueLocalFolderAdd = [this](const juce::String& path) {
    if (m_pUpTaskManager) m_pUpTaskManager->QueueLocalFolderAdd(path);
  };
  links.queueLocalFileAdd = [this](const juce::String& path) {
    if (m_pUpTaskManager) m_pUpTaskManager->QueueLocalFileAdd(path);
  };
  links.repathUpTasks = [this](const juce::String& oldFolder, const juce::String& newFolder) {
    if (m_pUpTaskManager) m_pUpTaskManager->RepathUnder(oldFolder, newFolder);
  };
  links.pullFolderFromServer = [this](const juce::String& version, juce::int64 folderId) {
    PullFolderFromServer(version, folderId);
  };
  links.startImmediatePull = [this] { StartImmediatePull(); };
  links.isEngineIdle = [this] { return IsIdle(); };
  links.isLeavingPath = [this](const juce::String& path) {
    return (m_pFileWatchMessageFilter && m_pFileWatchMessageFilter->IsPathLeaving(path)) ||
           (m_pFileSystemWatcher && m_pFileSystemWatcher->HasPendingChange(Common::String_To_CString(path), true));
  };
  links.isPathPending = [this](const juce::String& path) {
    int isFile = 0;
    return (m_pFileSystemWatcher && m_pFileSystemWatcher->HasPendingChange(Common::String_To_CString(path), false)) ||
           (m_pFileWatchMessageFilter && m_pFileWatchMessageFilter->IsPathQueued(path)) ||
           (m_pUpTaskManager && m_pUpTaskManager->FindTaskByPath(path, isFile));
  };
  InstallSyncEngineLinks(links);
}

void SyncLogic::SignalStopAll() {
  m_bStopping.store(true);
  if (m_pUpTaskManager) m_pUpTaskManager->StopHeads();
  if (m_pDownTaskManager) m_pDownTaskManager->StopHeads();
  if (m_pFileWatchMessageFilter) m_pFileWatchMessageFilter->SignExit();
  if (m_pServerUpdateMessageFilter) m_pServerUpdateMessageFilter->SignExit();
  {
    std::lock_guard guard(m_currentPullLock);
    if (m_pStartupPull) m_pStartupPull->m_bStop.store(true);
  }
  for (SyncTaskPump* pump : Pumps()) {
    if (pump) pump->SignalStop();
  }
}

bool SyncLogic::StartWorkflow() {
  if (m_workflowTask.isThreadRunning()) return false;
  return m_workflowTask.startThread();
}

void SyncLogic::RunStartupWorkflow() {
  SyncStatusTracker* tracker = m_pStatusTracker.get();
  if (tracker) {
    SetTrackerState(tracker, tracker->m_nEngineState, SyncStatusTracker::ENGINE_RUNNING);
    SetTrackerState(tracker, tracker->m_nTransferState, SyncStatusTracker::TRANSFER_IDLE);
    SetTrackerState(tracker, tracker->m_nSyncState, SyncStatusTracker::SYNC_SYNCING);
  }
  LoadRecentFiles();
  // The files an earlier run that was killed left in the staging folder; its
  // hidden copies beside their targets go in the walk of the folder.
  const juce::String staging = SyncHelper::GetDownloadTempDirectory();
  if (staging.isNotEmpty())
    for (const auto& entry : juce::RangedDirectoryIterator(juce::File(staging), false, "*", juce::File::findFiles))
      entry.getFile().deleteFile();
  SyncRootFolder* root = SyncRootFolder::GetInstance();
  root->Reload();
  if (m_workflowTask.threadShouldExit()) return;

  if (m_pServerUpdateMessageFilter) m_pServerUpdateMessageFilter->SetHold(true);
  const juce::String version = GetStartVersion();
  bool folderPull = version != "0|0";
  if (!folderPull) {
    StartImmediatePull();
    std::shared_ptr<ImmediateSyncFromServerOp> pull;
    {
      std::lock_guard guard(m_currentPullLock);
      pull = m_pStartupPull;
    }
    folderPull = pull && pull->m_bCompleted.load() == 0 && !LocalNetErrorManager::GetInstance()->IsOnline();
  }
  if (folderPull && !m_workflowTask.threadShouldExit())
    PullFolderFromServer(version, root->GetRootFolderID());
  if (m_workflowTask.threadShouldExit()) return;

  if (m_pServerUpdateMessageFilter) {
    m_pServerUpdateMessageFilter->InitLinkService();
    m_pServerUpdateMessageFilter->SetHold(false);
    m_pServerUpdateMessageFilter->Wake();
  }

  if (m_pFileWatchMessageFilter) m_pFileWatchMessageFilter->SetHold(true);
  InitWatchFolderFromDB();
  ScanLocalTree();
  if (m_pFileWatchMessageFilter) {
    m_pFileWatchMessageFilter->SetHold(false);
    m_pFileWatchMessageFilter->Wake();
  }
  if (m_workflowTask.threadShouldExit()) return;

  SetPumpsPaused(false);
  ResumeWorkers();
  SyncHelper::RefreshTrayWhenIdle();
}

std::array<SyncTaskPump*, 5> SyncLogic::Pumps() const {
  return {m_pUpNoDepandTaskPump.get(), m_pUpFileAndDepandTaskPump.get(), m_pUpWaitAndDepandTaskPump.get(),
          m_pDownNormalTaskPump.get(), m_pDownWaitAndRetryTaskPump.get()};
}

void SyncLogic::SetPumpsPaused(bool paused) {
  for (SyncTaskPump* pump : Pumps()) {
    if (!pump) continue;
    pump->m_bPaused.store(paused);
    if (!paused) pump->Wake();
  }
}

void SyncLogic::ResumeWorkers() {
  if (m_pFileWatchMessageFilter) {
    m_pFileWatchMessageFilter->SetRun(true);
    m_pFileWatchMessageFilter->Wake();
  }
  if (m_pServerUpdateMessageFilter) {
    m_pServerUpdateMessageFilter->SetRun(true);
    m_pServerUpdateMessageFilter->Wake();
  }
  if (m_pDownTaskManager) m_pDownTaskManager->Enable();
  if (m_pUpTaskManager) m_pUpTaskManager->Enable();
}

juce::String SyncLogic::GetStartVersion() {
  // The request is used by this one workflow; later starts pull from the
  // stored version again.
  if (m_workflowTask.m_bForceFullPull.exchange(false)) return "0|0";
  return SyncRootFolder::GetInstance()->GetGlobalVersion();
}

int SyncLogic::StartImmediatePull() {
  // One full pull at a time; the one before stays alive as long as another
  // thread still flags it.
  std::lock_guard serial(m_immediatePullLock);
  auto pull = std::make_shared<ImmediateSyncFromServerOp>(m_pDownTaskManager.get());
  pull->m_bFullPull.store(1);
  pull->m_bCompleted.store(1);
  {
    std::lock_guard guard(m_currentPullLock);
    m_pStartupPull = pull;
  }
  // After the stop a pull ends before its first request, as the folder pulls do.
  if (m_bStopping.load() || m_workflowTask.threadShouldExit()) pull->m_bStop.store(true);
  return pull->Run();
}

void SyncLogic::PullFolderFromServer(const juce::String& version, juce::int64 folderId) {
  if (m_pServerUpdateMessageFilter) m_pServerUpdateMessageFilter->PullFromServer(version, folderId);
}

void SyncLogic::InitWatchFolderFromDB() {
  static const char* const kTag = "SyncLogic::InitWatchFolderFromDB";
  if (!m_pFileSystemWatcher) {
    WriteLog(ErrorLog, kTag, "m_pFileSystemWatcher is 0");
    return;
  }
  if (!m_pFileWatchMessageFilter) {
    WriteLog(ErrorLog, kTag, "m_pFileWatchMessageFilter is 0");
    return;
  }
  const juce::String rootPath = SyncRootFolder::GetInstance()->GetRootPath();
  if (rootPath.isEmpty()) {
    WriteLog(ErrorLog, kTag, "RootPath is empty");
    return;
  }
  m_pFileSystemWatcher->Stop();
  m_pFileSystemWatcher->AddDirectory(Common::String_To_CString(rootPath), m_pFileWatchMessageFilter.get());
}

void SyncLogic::ScanLocalTree() {
  const juce::String rootPath = SyncRootFolder::GetInstance()->GetRootPath();
  if (rootPath.isEmpty()) return;
  const juce::File root(rootPath);
  if (!root.isDirectory()) return;
  SetPathStatus(rootPath, 1);
  // Links are never followed: the walk lists neither them nor what they point at.
  std::deque<ScannedFolder> folders{{root.getFullPathName(), root.getFullPathName()}};
  while (!folders.empty() && !m_workflowTask.threadShouldExit()) {
    const ScannedFolder folder = folders.front();
    folders.pop_front();
    for (const ScannedFolder& sub : CompareLocalFolder(folder)) folders.push_back(sub);
  }
}

std::vector<SyncLogic::ScannedFolder> SyncLogic::CompareLocalFolder(const ScannedFolder& folder) {
  const juce::String& folderPath = folder.path;
  // Below a folder renamed while the program was not running, the rows still
  // carry the old name until the rename has gone up; the changes queued here
  // carry the new one, and run after it.
  auto recorded = [&](const juce::String& path) { return folder.recorded + path.substring(folderPath.length()); };
  auto onDisk = [&](const juce::String& path) { return folderPath + path.substring(folder.recorded.length()); };
  FileWatchMessageFilter* filter = m_pFileWatchMessageFilter.get();
  GlobalContext* context = GetGlobalContext();
  std::vector<juce::String> subfolders, files;
  LocalPathGuard::ListFolder(folderPath, subfolders, files);
  std::vector<ScannedFolder> walk;
  for (const juce::String& path : subfolders) walk.push_back({path, recorded(path)});
  if (!filter || !context) return walk;
  const juce::int64 sizeLimit = GetAccountData()->GetUserConfig().UC_FileSizeLimit;

  std::vector<SyncFolderData> goneFolders;
  SyncFolderData row;
  if (SyncFileDataManager::SelectSyncFolderData(folder.recorded, row)) {
    std::vector<SyncFolderData> childFolders;
    std::vector<SyncFileData> childFiles;
    const bool foldersRead =
        context->m_pFolderDBManager && context->m_pFolderDBManager->SelectFoldersByParentID(row.m_FolderID, childFolders) == 0;
    const bool filesRead = row.m_FolderID != -1 && context->m_pFileDBManager &&
                           context->m_pFileDBManager->SelectFilesByParentID(row.m_FolderID, childFiles) == 0;
    // A sync root that is empty on disk while the database knows items in it
    // is an unmounted or replaced folder, not the user's deletion of
    // everything: nothing is deleted on the service for it.
    const bool emptyRoot = subfolders.empty() && !HasSyncedFile(files) &&
                           folderPath == SyncRootFolder::GetInstance()->GetRootPath() &&
                           (!childFolders.empty() || !childFiles.empty());
    if (emptyRoot) {
      WriteLog(ErrorLog, "SyncLogic::CompareLocalFolder", "Root folder is empty, no deletion sent: " + folderPath);
    } else {
      // An item replaced by one of the other kind under its name is gone too.
      if (foldersRead)
        for (const auto& child : childFolders)
          if (!juce::File(onDisk(child.m_FolderPath)).isDirectory()) goneFolders.push_back(child);
      if (filesRead)
        for (const auto& child : childFiles)
          if (!juce::File(onDisk(child.m_FilePath)).existsAsFile())
            filter->AddMessage(onDisk(child.m_FilePath), {}, {}, kFileDeleted, 1);
    }
  }

  std::vector<juce::String> added;
  for (const juce::String& path : subfolders) {
    if (SyncFileDataManager::IsFolderInDB(recorded(path))) {
      SetPathStatus(path, 1);
    } else {
      SetPathStatus(path, 2);
      added.push_back(path);
    }
  }
  std::vector<bool> renamedFrom(goneFolders.size(), false), renamedTo(added.size(), false);
  for (const RenamedFolder& pair : MatchRenamedFolders(goneFolders, added)) {
    const juce::String& path = added[pair.added];
    const juce::String& old = goneFolders[pair.gone].m_FolderPath;
    WriteLog(KeyPoint, "SyncLogic::CompareLocalFolder",
             "Renamed while the program was not running: " + onDisk(old) + " -> " + path);
    filter->AddMessage(path, onDisk(old), {}, kFileRenamed, 0);
    for (ScannedFolder& sub : walk)
      if (sub.path == path) sub.recorded = old;
    renamedFrom[pair.gone] = renamedTo[pair.added] = true;
  }
  for (size_t i = 0; i < goneFolders.size(); ++i)
    if (!renamedFrom[i]) filter->AddMessage(onDisk(goneFolders[i].m_FolderPath), {}, {}, kFileDeleted, 0);
  for (size_t i = 0; i < added.size(); ++i)
    if (!renamedTo[i]) filter->AddMessage(added[i], {}, {}, kFileAdded, 0);

  CPathFilter* pathFilter = CPathFilter::GetInstance();
  for (const juce::String& path : files) {
    const CString name = Common::String_To_CString(Common::String_GetFileName(path));
    if (SyncDownloadFileOp::IsPartName(Common::String_GetFileName(path))) {
      // A download the program did not finish before it ended.
      SyncDownloadFileOp::RemoveLeftoverPart(path);
      continue;
    }
    if (pathFilter && (!pathFilter->IsIncluded(name) || pathFilter->IsExcluded(name))) {
      SetPathStatus(path, 1);
      continue;
    }
    if (sizeLimit > 0 && SyncHelper::GetFileSize(path) > sizeLimit) {
      SetPathStatus(path, 3);
      if (SyncPathList* tips = GetSyncTipList()) tips->AddUnique(path, TIP_FILE_TOO_BIG);
      continue;
    }
    const juce::String md5 = SyncHelper::GetFileMD5(path);
    SyncFileData fileRow;
    if (SyncFileDataManager::SelectSyncFileData(recorded(path), fileRow)) {
      if (fileRow.m_Md5 == md5) {
        SetPathStatus(path, 1);
      } else {
        SetPathStatus(path, 2);
        filter->AddMessage(path, {}, md5, kFileChanged, 1);
      }
    } else {
      SetPathStatus(path, 2);
      filter->AddMessage(path, {}, md5, kFileAdded, 1);
    }
  }
  return walk;
}

void SyncLogic::PauseOrContinueSync() {
  SyncStatusTracker* tracker = m_pStatusTracker.get();
  if (!tracker) return;
  static const char* const kTag = "SyncLogic::PauseOrContinueSync";
  if (tracker->m_nEngineState.load() == SyncStatusTracker::ENGINE_PAUSED) {
    SetTrackerState(tracker, tracker->m_nEngineState, SyncStatusTracker::ENGINE_RUNNING);
    ResumeWorkers();
    CStatusCache::GetInstance()->PublishRoot(SyncRootFolder::GetInstance()->GetRootPath());
    tracker->UpdateSyncStateFromRoot();
    WriteLog(KeyPoint, kTag, "continue Sync");
    return;
  }
  SetTrackerState(tracker, tracker->m_nEngineState, SyncStatusTracker::ENGINE_PAUSED);
  if (m_pFileWatchMessageFilter) m_pFileWatchMessageFilter->SetRun(false);
  if (m_pServerUpdateMessageFilter) m_pServerUpdateMessageFilter->SetRun(false);
  if (m_pDownTaskManager) m_pDownTaskManager->Disable();
  if (m_pUpTaskManager) m_pUpTaskManager->Disable();
  SetTrackerState(tracker, tracker->m_nEngineState, SyncStatusTracker::ENGINE_PAUSED);
  SyncHelper::RefreshTrayWhenIdle();
  CStatusCache::GetInstance()->ReleaseRoot();
  WriteLog(KeyPoint, kTag, "Pause Sync");
}

void SyncLogic::AfterChangeBindRootPath() {
  WriteLog(KeyPoint, "", "Begin After Change Bind Root Path");
  // Nothing may go on working on the old root once the new one is stored: a
  // walk, a watch or an operation begun there would otherwise write rows of
  // the old root into the new tables, or touch the old folder for the new
  // root. The workflow is told to end (its pull is cancelled) and the pumps to
  // start nothing new; then the queues are emptied, and the caller re-binds
  // only after every operation still running has ended. The next workflow
  // lets the pumps go again.
  m_workflowTask.signalThreadShouldExit();
  {
    std::lock_guard guard(m_currentPullLock);
    if (m_pStartupPull) m_pStartupPull->m_bCancel.store(true);
  }
  SetPumpsPaused(true);
  std::array<juce::uint64, 5> waits{};
  const auto pumps = Pumps();
  for (size_t i = 0; i < pumps.size(); ++i)
    if (pumps[i]) waits[i] = pumps[i]->GetWaitCount();
  // One time limit for all of it.
  const juce::uint32 deadline = juce::Time::getMillisecondCounter() + kRebindQuietMs;
  auto left = [deadline] { return std::max(0, static_cast<int>(deadline - juce::Time::getMillisecondCounter())); };
  if (!m_workflowTask.waitForThreadToExit(left()))
    WriteLog(ErrorLog, "SyncLogic::AfterChangeBindRootPath", "The workflow did not end in time");
  StopAndClear(false);
  // A pump that begins a wait after the pause has ended the operation it ran.
  for (size_t i = 0; i < pumps.size(); ++i) {
    if (!pumps[i] || pumps[i]->m_bStop.load() || !pumps[i]->isThreadRunning()) continue;
    pumps[i]->Wake();
    pumps[i]->WaitForWaitNumber(waits[i] + 1, left());
    if (pumps[i]->GetWaitCount() <= waits[i])
      WriteLog(ErrorLog, "SyncLogic::AfterChangeBindRootPath", "A pump did not end its operation in time");
  }
  // What the stopped work may have queued meanwhile goes too.
  StopAndClear(false);
  WriteLog(KeyPoint, "", "End After Change Bind Root Path");
}

void SyncLogic::StopAndClear(bool restartLink) {
  if (m_pFileSystemWatcher) m_pFileSystemWatcher->Stop();
  if (m_pUpTaskManager) m_pUpTaskManager->Disable();
  if (m_pDownTaskManager) m_pDownTaskManager->Disable();
  if (m_pServerUpdateMessageFilter) {
    // Held until the next workflow: the root may be re-bound meanwhile.
    m_pServerUpdateMessageFilter->SetHold(true);
    if (restartLink) m_pServerUpdateMessageFilter->RestartLinkService();
    m_pServerUpdateMessageFilter->ClearQueue();
  }
  {
    std::lock_guard guard(m_currentPullLock);
    if (m_pStartupPull) m_pStartupPull->m_bCancel.store(true);
  }
  if (m_pFileWatchMessageFilter) m_pFileWatchMessageFilter->ClearFileWatchMessage();
  if (m_pDownTaskManager) {
    m_pDownTaskManager->ClearPendingVersions();
    m_pDownTaskManager->CancelHeads();
  }
  if (m_pUpTaskManager) {
    m_pUpTaskManager->CancelHeads();
    m_pUpTaskManager->RemoveAllButHeads();
  }
  if (m_pDownTaskManager) m_pDownTaskManager->DropQueued();
  if (m_pUpTaskManager) m_pUpTaskManager->Enable();
  if (m_pDownTaskManager) m_pDownTaskManager->Enable();
  if (m_pStatusTracker) m_pStatusTracker->Reset();
  if (SyncPathList* tips = GetSyncTipList()) tips->Clear();
  MovedFolderRegistry::GetInstance()->Clear();
  ServiceFolderNames::Get().Clear();
}

void SyncLogic::ChangeAccount() {
  WriteLog(KeyPoint, "", "Change Account");
  AccountData* account = GetAccountData();
  auto* logout = new LogoutTask("LogouTask", account->GetAccount().toStdString(), account->GetClientID().toStdString());
  GetUpThreadsPool()->PostWorkTask(logout, true);
  account->SetLoggedIn(false);
  ProductInfo product = GetProductInfo();
  product.CurrentUser = "";
  SaveProductInfo(product);
  SaveRecentFiles();
  StopAndClear(true);
  SyncRootFolder::GetInstance()->ClearRootPath();
  if (SyncStatusTracker* tracker = m_pStatusTracker.get()) {
    SetTrackerState(tracker, tracker->m_nEngineState, SyncStatusTracker::ENGINE_NONE);
    tracker->PushTrayState();
  }
}

void SyncLogic::UpdateFromServerWhenUpIdle() {
  if (!m_pFileWatchMessageFilter || !m_pServerUpdateMessageFilter) return;
  if (m_pFileWatchMessageFilter->GetMessageCount() != 0) return;
  WriteLog(KeyPoint, "", "Up No Task, Update from server");
  const juce::String version = SyncRootFolder::GetInstance()->GetGlobalVersion();
  WriteLog(KeyPoint, "", "Add Update GlobalVersion is " + version);
  m_pServerUpdateMessageFilter->AddVersion(version);
}

ProgramChangeIgnoreList* SyncLogic::GetProgramChangeIgnoreList() {
  std::lock_guard guard(m_ignoreListLock);
  if (!m_pIgnoreList) {
    m_pIgnoreList = std::make_unique<ProgramChangeIgnoreList>();
    m_pIgnoreList->InstallAsEngineLink();
  }
  return m_pIgnoreList.get();
}

SyncTaskManagers* SyncLogic::GetTaskManagers() {
  if (!m_workflowTask.m_pTaskManagers && m_pUpTaskManager && m_pDownTaskManager) {
    m_workflowTask.m_pTaskManagers = std::make_unique<SyncTaskManagers>();
    m_workflowTask.m_pTaskManagers->m_pUpManager = m_pUpTaskManager.get();
    m_workflowTask.m_pTaskManagers->m_pDownManager = m_pDownTaskManager.get();
  }
  return m_workflowTask.m_pTaskManagers.get();
}

bool SyncLogic::HasDownTasks() { return m_pDownTaskManager && !m_pDownTaskManager->AreQueuesEmpty(); }

bool SyncLogic::IsPathQueued(const juce::String& path) {
  if (!m_pUpTaskManager || !m_pFileWatchMessageFilter) return false;
  int isFile = 0;
  if (m_pUpTaskManager->FindTaskByPath(path, isFile) || m_pFileWatchMessageFilter->IsPathQueued(path)) return true;
  // An item gone from its place whose move or removal the watcher still
  // holds back: the down side waits for that change instead of putting the
  // item back where the user took it away.
  return m_pFileSystemWatcher && !juce::File(path).exists() &&
         m_pFileSystemWatcher->HasPendingChange(Common::String_To_CString(path));
}

bool SyncLogic::IsIdle() {
  if (!m_pStatusTracker || !m_pUpTaskManager || !m_pDownTaskManager) return false;
  if (!m_pUpTaskManager->AreQueuesEmpty() || !m_pDownTaskManager->AreQueuesEmpty()) return false;
  return !m_pServerUpdateMessageFilter || !m_pServerUpdateMessageFilter->HasQueuedVersions();
}

void SyncLogic::LoadRecentFiles() {
  const juce::String account = GetAccountData()->GetAccount();
  if (account.isNotEmpty() && m_pStatusTracker) m_pStatusTracker->LoadRecentFiles(account);
}

void SyncLogic::SaveRecentFiles() {
  const juce::String account = GetAccountData()->GetAccount();
  if (account.isNotEmpty() && m_pStatusTracker) m_pStatusTracker->SaveRecentFiles(account);
}

SyncLogic* GetSyncLogic() {
  GlobalContext* context = GetGlobalContext();
  return context ? context->m_pSyncLogic.get() : nullptr;
}

ISyncNotifyUI* GetSyncNotifyUI() {
  SyncLogic* logic = GetSyncLogic();
  return logic ? logic->GetNotifyUI() : nullptr;
}

SyncStatusTracker* GetSyncStatusTracker() {
  SyncLogic* logic = GetSyncLogic();
  return logic ? logic->GetStatusTracker() : nullptr;
}

SyncPathList* GetSyncTipList() {
  GlobalContext* context = GetGlobalContext();
  return context ? context->GetTipList() : nullptr;
}

namespace {

SyncLogic* MakeSyncLogic() { return new SyncLogic(); }
void EndSyncLogic(SyncLogic* logic) { delete logic; }
void EndSyncLogicThreads(SyncLogic* logic) { logic->EndThreads(); }

SyncPathList* MakeTipList(int maxEntries, int shownEntries) {
  auto* list = new SyncPathList();
  list->m_nMax = maxEntries;
  list->m_nShown = shownEntries;
  return list;
}
void EndTipList(SyncPathList* list) { delete list; }

}  // namespace

void InstallSyncEngine() {
  SyncEngineParts parts;
  parts.createSyncLogic = MakeSyncLogic;
  parts.destroySyncLogic = EndSyncLogic;
  parts.endSyncLogicThreads = EndSyncLogicThreads;
  parts.createTipList = MakeTipList;
  parts.destroyTipList = EndTipList;
  InstallSyncEngineParts(parts);
}
