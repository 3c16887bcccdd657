#include "client/sync/filter/FileWatchMessageFilter.h"

#include <deque>

#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/context/GlobalContext.h"
#include "client/sync/LocalPathGuard.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/ops/down/SyncDownloadFileOp.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/status/SyncPathList.h"
#include "client/sync/tasks/UpSyncTask.h"
#include "client/sync/watcher/WatcherStatusMarks.h"
#include "common/PathText.h"
#include "common/StringConvert.h"

namespace {

constexpr int kStatusInStep = 1;
// Folder renames remembered to follow the changes delivered after them.
constexpr size_t kFolderRenamesKept = 256;
const char* const kFunction = "FileWatchMessageFilter::";

juce::String J(const CString& text) { return Common::CString_to_String(text); }

juce::String ReplacePrefix(const juce::String& path, const juce::String& oldPrefix, const juce::String& newPrefix) {
  if (path == oldPrefix) return newPrefix;
  if (SyncHelper::IsUnderFolder(oldPrefix, path)) return newPrefix + path.substring(oldPrefix.length());
  return path;
}

bool AtOrUnder(const juce::String& folder, const juce::String& path) {
  return path == folder || SyncHelper::IsUnderFolder(folder, path);
}

void Log(int level, const char* translator, const juce::String& message) {
  WriteLog(level, juce::String(kFunction) + translator, message);
}

// A change of an item that is gone again, and not under a folder renamed
// since: its removal or rename, delivered after it, carries what is left.
void LogGone(const char* translator, const juce::String& path) {
  Log(NormalLog, translator, "The path is gone, nothing of it to send, path is " + path);
}

void MarkInStep(const juce::String& path) { WatcherStatus::SetPathStatus(path, kStatusInStep); }

}  // namespace

FileWatchMessageFilter::FileWatchMessageFilter(const juce::String& name, IUpTaskQueue* upManager,
                                               ProgramChangeIgnoreList* ignoreList)
    : juce::Thread(name),
      m_pIgnoreList(ignoreList),
      m_pUpManager(upManager),
      m_hExited(CreateEventW(nullptr, TRUE, FALSE, nullptr)),  // stays set: a second stop finds it ended
      m_hWake(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  if (m_pUpManager) m_pUpManager->AddWaiter(m_hWake);
  startThread();
}

FileWatchMessageFilter::~FileWatchMessageFilter() {
  m_bExit.store(true);
  SetEvent(m_hWake);
  // The turn in progress (one message) ends on its own; the thread must be gone
  // before the queue and events are.
  waitForThreadToExit(-1);
  if (m_pUpManager) m_pUpManager->RemoveWaiter(m_hWake);
  CloseHandle(m_hWake);
  CloseHandle(m_hExited);
}

void FileWatchMessageFilter::Append(std::unique_ptr<FileWatchMessage> message) {
  {
    const juce::ScopedLock guard(m_lock);
    message->m_sDeliveredPath = message->m_sPath;
    message->m_sDeliveredSrcPath = message->m_sSrcPath;
    if (message->m_nType != WATCHER_EVENT_REMOVED) ResolvePathLocked(*message);
    m_messages.push_back(std::move(message));
  }
  SetEvent(m_hWake);
}

void FileWatchMessageFilter::OnFileAdded(CFileSystemEventArgs* args) {
  auto message = std::make_unique<FileWatchMessage>();
  message->m_nType = WATCHER_EVENT_ADDED;
  message->m_sPath = message->m_sSrcPath = J(args->m_path);
  message->m_nPathType = SyncHelper::GetPathType(message->m_sPath);
  WriteMessageLog(KeyPoint, "FileWatch add, Path is " + message->m_sPath);
  Append(std::move(message));
}

void FileWatchMessageFilter::OnFileDeleted(CFileSystemEventArgs* args) {
  auto message = std::make_unique<FileWatchMessage>();
  message->m_nType = WATCHER_EVENT_REMOVED;
  message->m_sPath = message->m_sSrcPath = J(args->m_path);
  WriteMessageLog(KeyPoint, "FileWatch Deleted, Path is " + message->m_sPath);
  Append(std::move(message));
}

void FileWatchMessageFilter::OnFileChanged(CFileSystemEventArgs* args) {
  auto message = std::make_unique<FileWatchMessage>();
  message->m_nType = WATCHER_EVENT_MODIFIED;
  message->m_sPath = message->m_sSrcPath = J(args->m_path);
  message->m_nPathType = SyncHelper::GetPathType(message->m_sPath);
  WriteMessageLog(KeyPoint, "FileWatch Changed, Path is " + message->m_sPath);
  Append(std::move(message));
}

void FileWatchMessageFilter::OnFileRenamed(CFileSystemEventArgs* args) {
  auto* renamed = dynamic_cast<CRenamedEventArgs*>(args);
  if (!renamed) return;
  auto message = std::make_unique<FileWatchMessage>();
  message->m_nType = WATCHER_EVENT_RENAMED;
  message->m_sPath = J(renamed->m_path);
  message->m_sSrcPath = J(renamed->m_oldPath);
  message->m_nPathType = SyncHelper::GetPathType(message->m_sPath);
  WriteMessageLog(KeyPoint,
                  "FileWatch Rename, Old Path is " + message->m_sSrcPath + ", NewPath is " + message->m_sPath);
  {
    const juce::ScopedLock guard(m_lock);
    message->m_sDeliveredPath = message->m_sPath;
    message->m_sDeliveredSrcPath = message->m_sSrcPath;
    ResolvePathLocked(*message);
    if (message->m_nPathType == SyncHelper::PATH_FOLDER) {
      m_folderRenames.emplace_back(message->m_sSrcPath, message->m_sPath);
      if (m_folderRenames.size() > kFolderRenamesKept) m_folderRenames.pop_front();
    }
    auto behind = RewriteQueuedForRename(message->m_sPath, message->m_sSrcPath, message->m_nPathType);
    m_messages.push_back(std::move(message));
    for (auto& change : behind) m_messages.push_back(std::move(change));
  }
  SetEvent(m_hWake);
}

void FileWatchMessageFilter::OnFileMoved(CFileSystemEventArgs* args) {
  auto* moved = dynamic_cast<CRenamedEventArgs*>(args);
  if (!moved) return;
  auto message = std::make_unique<FileWatchMessage>();
  message->m_nType = WATCHER_EVENT_MOVED;
  message->m_sPath = J(moved->m_path);
  message->m_sSrcPath = J(moved->m_oldPath);
  message->m_nPathType = SyncHelper::GetPathType(message->m_sPath);
  WriteMessageLog(KeyPoint,
                  "FileWatch Move, Old Path is " + message->m_sSrcPath + ", NewPath is " + message->m_sPath);
  Append(std::move(message));
}

// Paths are rewritten by their leading folder only, so a name that merely
// contains the old path's text elsewhere stays as it is.
std::vector<std::unique_ptr<FileWatchMessage>> FileWatchMessageFilter::RewriteQueuedForRename(
    const juce::String& newPath, const juce::String& oldPath, int pathType) {
  std::vector<std::unique_ptr<FileWatchMessage>> behind;
  for (auto it = m_messages.begin(); it != m_messages.end();) {
    FileWatchMessage& queued = **it;
    if (pathType == SyncHelper::PATH_FILE) {
      if ((queued.m_nType == WATCHER_EVENT_ADDED || queued.m_nType == WATCHER_EVENT_MODIFIED) &&
          queued.m_sPath == oldPath) {
        queued.m_sPath = queued.m_sSrcPath = newPath;
        queued.m_nPathType = SyncHelper::GetPathType(newPath);
        behind.push_back(std::move(*it));
        it = m_messages.erase(it);
        continue;
      }
      ++it;
      continue;
    }
    if (pathType == SyncHelper::PATH_FOLDER) {
      // A change inside the folder goes behind its rename: the service knows
      // the folder by the new name only once the rename is up, and a new
      // sub-folder sent first would find no folder of that name and make one.
      bool inside = false;
      switch (queued.m_nType) {
        case WATCHER_EVENT_ADDED:
        case WATCHER_EVENT_MODIFIED:
          if (AtOrUnder(oldPath, queued.m_sPath)) {
            inside = queued.m_sPath != oldPath;
            queued.m_sPath = ReplacePrefix(queued.m_sPath, oldPath, newPath);
            queued.m_sSrcPath = queued.m_sPath;
            // Read when the path may have been gone already.
            queued.m_nPathType = SyncHelper::GetPathType(queued.m_sPath);
          }
          break;
        case WATCHER_EVENT_RENAMED:
          if (SyncHelper::IsUnderFolder(oldPath, queued.m_sSrcPath)) {
            inside = true;
            queued.m_sSrcPath = ReplacePrefix(queued.m_sSrcPath, oldPath, newPath);
            queued.m_sPath = ReplacePrefix(queued.m_sPath, oldPath, newPath);
          }
          break;
        case WATCHER_EVENT_MOVED:
          if (AtOrUnder(oldPath, queued.m_sPath)) {
            inside = queued.m_sPath != oldPath;
            queued.m_sPath = ReplacePrefix(queued.m_sPath, oldPath, newPath);
          }
          break;
        default: break;
      }
      if (inside) {
        behind.push_back(std::move(*it));
        it = m_messages.erase(it);
        continue;
      }
    }
    ++it;
  }
  return behind;
}

void FileWatchMessageFilter::ClearFileWatchMessage() {
  {
    const juce::ScopedLock guard(m_lock);
    m_messages.clear();
    m_folderRenames.clear();
  }
  WriteMessageLog(KeyPoint, "ClearFileWatchMessage");
}

void FileWatchMessageFilter::SignExit() {
  m_bExit.store(true);
  SetEvent(m_hWake);
  WriteLog(NormalLog, "FileWatchMessageFilter::SignExit", "Before Exit");
  if (isThreadRunning()) WaitForSingleObject(m_hExited, kExitWaitMs);
  WriteLog(NormalLog, "FileWatchMessageFilter::SignExit", "After Exit");
}

bool FileWatchMessageFilter::IsPathQueued(const juce::String& path) {
  const juce::ScopedLock guard(m_lock);
  for (const auto& message : m_messages) {
    if (message->m_sPath == path || message->m_sSrcPath == path) return true;
  }
  return false;
}

bool FileWatchMessageFilter::IsPathLeaving(const juce::String& path) {
  const juce::ScopedLock guard(m_lock);
  return std::any_of(m_messages.begin(), m_messages.end(), [&path](const auto& message) {
    if (message->m_nType == WATCHER_EVENT_REMOVED) return message->m_sPath == path;
    return (message->m_nType == WATCHER_EVENT_RENAMED || message->m_nType == WATCHER_EVENT_MOVED) &&
           message->m_sSrcPath == path;
  });
}

int FileWatchMessageFilter::GetMessageCount() {
  const juce::ScopedLock guard(m_lock);
  return static_cast<int>(m_messages.size());
}

std::vector<FileWatchMessage> FileWatchMessageFilter::GetMessages() {
  const juce::ScopedLock guard(m_lock);
  std::vector<FileWatchMessage> copies;
  for (const auto& message : m_messages) copies.push_back(*message);
  return copies;
}

void FileWatchMessageFilter::OnWatchError(CFileSystemEventArgs* args) {
  WriteMessageLog(KeyPoint, "FileWatch lost changes, the folder is looked at again: " + J(args->m_path));
  m_bRescanDue.store(true);
  SetEvent(m_hWake);
}

void FileWatchMessageFilter::run() {
  while (!m_bExit.load()) {
    // After the messages queued before it: the walk finds what they did not say.
    if (m_bRescanDue.load() && !m_bHold.load() && m_bRun.load() && GetMessageCount() == 0) {
      m_bRescanDue.store(false);
      if (m_rescan) m_rescan();
      continue;
    }
    // Every change of these sets the wake event.
    if (m_bHold.load() || !m_bRun.load() || GetMessageCount() == 0) {
      WaitForSingleObject(m_hWake, m_nIdleWaitMs.load());
      continue;
    }
    if (m_pUpManager && !m_pUpManager->HoldForTranslation()) {
      // An up operation runs; its queues stay as they are until it is done.
      WaitForSingleObject(m_hWake, kBusyWaitMs);
      continue;
    }
    // A burst's changes go in one hold: the pumps then find them queued
    // together instead of taking turns with each one.
    const juce::uint32 start = juce::Time::getMillisecondCounter();
    if (!TranslateFrontMessage()) WriteMessageLog(KeyPoint, "end Checking message");
    while (!m_bExit.load() && !m_bHold.load() && m_bRun.load() && GetMessageCount() > 0 &&
           juce::Time::getMillisecondCounter() - start < kHoldBurstMs)
      TranslateFrontMessage();
    if (m_pUpManager) m_pUpManager->EndTranslation();
  }
  SetEvent(m_hExited);
}

bool FileWatchMessageFilter::TranslateFrontMessage() {
  const juce::ScopedLock guard(m_lock);
  if (m_messages.empty()) return false;
  std::unique_ptr<FileWatchMessage> front = std::move(m_messages.front());
  m_messages.erase(m_messages.begin());
  Translate(std::move(*front));
  return true;
}

void FileWatchMessageFilter::ResolvePathLocked(FileWatchMessage& message) {
  if (juce::File(message.m_sPath).exists()) {
    if (message.m_nPathType == SyncHelper::PATH_UNKNOWN) message.m_nPathType = SyncHelper::GetPathType(message.m_sPath);
    return;
  }
  // The program's own folder renames and moves count from the moment it made
  // them: the user's changes inside may be reported before the watcher's
  // report of the folder's relocation itself.
  auto follow = [&](juce::String path) {
    for (const auto& [from, to] : m_folderRenames) path = ReplacePrefix(path, from, to);
    return m_pIgnoreList ? m_pIgnoreList->FollowRelocations(path) : path;
  };
  const juce::String path = follow(message.m_sPath);
  const juce::File found(path);
  if (path == message.m_sPath || !found.exists()) {
    // Gone for good: the database may still tell its kind.
    if (message.m_nPathType == SyncHelper::PATH_UNKNOWN) message.m_nPathType = SyncHelper::GetPathType(message.m_sPath);
    return;
  }
  const int type = found.isDirectory() ? SyncHelper::PATH_FOLDER : SyncHelper::PATH_FILE;
  const bool relocation = message.m_nType == WATCHER_EVENT_RENAMED || message.m_nType == WATCHER_EVENT_MOVED;
  message.m_sSrcPath = relocation ? follow(message.m_sSrcPath) : path;
  message.m_sPath = path;
  message.m_nPathType = type;
}

std::vector<juce::String> FileWatchMessageFilter::EarlierPathsLocked(const juce::String& path) const {
  std::vector<juce::String> earlier;
  juce::String recorded = path;
  for (auto it = m_folderRenames.rbegin(); it != m_folderRenames.rend(); ++it) {
    const juce::String before = ReplacePrefix(recorded, it->second, it->first);
    if (before == recorded) continue;
    recorded = before;
    earlier.push_back(recorded);
  }
  return earlier;
}

int FileWatchMessageFilter::KindInDatabase(const juce::String& path, int isFile) const {
  auto kind = [isFile](const juce::String& p) {
    if (isFile != 0 && SyncFileDataManager::IsFileInDB(p)) return SyncHelper::PATH_FILE;
    if (isFile != 1 && SyncFileDataManager::IsFolderInDB(p)) return SyncHelper::PATH_FOLDER;
    return SyncHelper::PATH_UNKNOWN;
  };
  const int own = kind(path);
  if (own != SyncHelper::PATH_UNKNOWN) return own;
  std::vector<juce::String> earlier;
  {
    const juce::ScopedLock guard(m_lock);
    earlier = EarlierPathsLocked(path);
  }
  // The rows went up with some of those renames and not with the later ones:
  // the newest name stored is the item's.
  for (const juce::String& before : earlier) {
    const int found = kind(before);
    if (found != SyncHelper::PATH_UNKNOWN) return found;
  }
  return SyncHelper::PATH_UNKNOWN;
}

bool FileWatchMessageFilter::IsInDatabase(const juce::String& path, int isFile) const {
  return KindInDatabase(path, isFile) != SyncHelper::PATH_UNKNOWN;
}

void FileWatchMessageFilter::Translate(FileWatchMessage message) {
  if (message.m_nType != WATCHER_EVENT_REMOVED) {
    const juce::ScopedLock guard(m_lock);
    ResolvePathLocked(message);
  }
  if (message.m_nType != WATCHER_EVENT_REMOVED && LocalPathGuard::IsThroughLink(message.m_sPath)) {
    Log(NormalLog, "Translate", "A symbolic link is not synced, path is " + message.m_sPath);
    return;
  }
  // Renamed or moved again before this report came through: the new place is
  // gone, but the item still left the old one. It goes as what the old place
  // was known as, and the later report of where it went follows from there.
  const bool relocation = message.m_nType == WATCHER_EVENT_RENAMED || message.m_nType == WATCHER_EVENT_MOVED;
  if (relocation && message.m_nPathType != SyncHelper::PATH_FILE && message.m_nPathType != SyncHelper::PATH_FOLDER)
    message.m_nPathType = KindOfSource(message.m_sSrcPath, message.m_nPathType);
  switch (message.m_nType) {
    case WATCHER_EVENT_ADDED: TranslateAddEvent(message); break;
    case WATCHER_EVENT_REMOVED: TranslateDeleteEvent(message); break;
    case WATCHER_EVENT_MODIFIED: TranslateChangedEvent(message); break;
    case WATCHER_EVENT_RENAMED: TranslateRenameEvent(message); break;
    case WATCHER_EVENT_MOVED: TranslateMoveEvent(message); break;
    default: break;
  }
}

// The account's limit; a limit not known yet (0) limits nothing.
bool FileWatchMessageFilter::IsFileTooBig(const juce::String& path) {
  AccountData* account = GetAccountData();
  if (!account) return false;
  juce::int64 limit = account->GetUserConfig().UC_FileSizeLimit;
  if (limit <= 0) return false;
  return SyncHelper::GetFileSize(path) > limit;
}

void FileWatchMessageFilter::TranslateAddEvent(const FileWatchMessage& message) {
  const juce::String& p = message.m_sPath;
  if (ReplacesOtherKind(p, message.m_nPathType)) return;
  if (IsOwnChange(message, WATCHER_EVENT_ADDED)) {
    MarkInStep(p);
    Log(NormalLog, "TranslateAddEvent", "AddEvent By download File or the program, path is " + p);
    return;
  }
  if (message.m_nPathType == SyncHelper::PATH_FILE) {
    if (IsFileTooBig(p)) {
      SyncHelper::ReportFileTooBig(p);
      return;
    }
    AddMessage(p, p, SyncHelper::GetFileMD5(p), message.m_nType, 1);
  } else if (message.m_nPathType == SyncHelper::PATH_FOLDER) {
    AddMessage(p, p, juce::String(), message.m_nType, 0);
  } else {
    LogGone("TranslateAddEvent", p);
  }
}

bool FileWatchMessageFilter::ReplacesOtherKind(const juce::String& path, int pathType) {
  // A folder now where the database knows a file (or the other way round):
  // the old item goes on the service first, then the new one is added with
  // everything in it. Without the delete the service would keep the old item
  // and give the new one another name. The program itself never leaves such
  // a pair (its rows follow its changes), so this comes before the ignore
  // list, whose entries of the path it must not take for its own.
  if (pathType == SyncHelper::PATH_FOLDER && SyncFileDataManager::IsFileInDB(path)) {
    Log(KeyPoint, "ReplacesOtherKind", "A file was replaced by a folder, path is " + path);
    AddMessage(path, path, juce::String(), WATCHER_EVENT_REMOVED, 1);
    QueueTreeAdd(path);
    return true;
  }
  if (pathType == SyncHelper::PATH_FILE && SyncFileDataManager::IsFolderInDB(path)) {
    Log(KeyPoint, "ReplacesOtherKind", "A folder was replaced by a file, path is " + path);
    AddMessage(path, path, juce::String(), WATCHER_EVENT_REMOVED, 0);
    QueueFileAdd(path);
    return true;
  }
  return false;
}

void FileWatchMessageFilter::TranslateDeleteEvent(const FileWatchMessage& message) {
  const juce::String& p = message.m_sPath;
  if (m_pIgnoreList && m_pIgnoreList->CheckAndRemove(p, p, WATCHER_EVENT_REMOVED)) {
    Log(NormalLog, "TranslateDeleteEvent", "TranslateDeleteEvent By download File or the program, path is " + p);
    return;
  }
  // What the program made there is gone with the user's removal: its report,
  // if it never came, must not swallow the next item the user puts there.
  if (m_pIgnoreList) m_pIgnoreList->ForgetAdditionsAt(p);
  if (SyncPathList* tips = GetSyncTipList()) tips->RemovePath(p);
  const int kind = KindOfSource(p, SyncHelper::PATH_UNKNOWN);
  if (kind == SyncHelper::PATH_UNKNOWN) {
    Log(NormalLog, "TranslateDeleteEvent", "Delete Operation can not judge file or folder, the path is " + p);
    return;
  }
  AddMessage(p, message.m_sSrcPath, juce::String(), message.m_nType, kind == SyncHelper::PATH_FILE ? 1 : 0);
}

void FileWatchMessageFilter::TranslateChangedEvent(const FileWatchMessage& message) {
  const juce::String& p = message.m_sPath;
  if (ReplacesOtherKind(p, message.m_nPathType)) return;
  if (IsOwnChange(message, WATCHER_EVENT_MODIFIED)) {
    MarkInStep(p);
    Log(NormalLog, "TranslateChangedEvent", "TranslateChangedEvent By download File or the program, path is " + p);
    return;
  }
  if (message.m_nPathType == SyncHelper::PATH_FILE) {
    if (IsFileTooBig(p)) {
      SyncHelper::ReportFileTooBig(p);
      return;
    }
    AddMessage(p, p, SyncHelper::GetFileMD5(p), WATCHER_EVENT_MODIFIED, 1);
  } else if (message.m_nPathType == SyncHelper::PATH_FOLDER) {
    Log(KeyPoint, "TranslateChangedEvent", "ChangedEvent judge File is Folder type, path is " + p);
  } else {
    LogGone("TranslateChangedEvent", p);
  }
}

bool FileWatchMessageFilter::IsOwnChange(const FileWatchMessage& message, int type) {
  if (!m_pIgnoreList) return false;
  if (m_pIgnoreList->CheckAndRemove(message.m_sSrcPath, message.m_sPath, type)) return true;
  const bool moved = message.m_sDeliveredPath.isNotEmpty() &&
                     (message.m_sDeliveredPath != message.m_sPath || message.m_sDeliveredSrcPath != message.m_sSrcPath);
  return moved && m_pIgnoreList->CheckAndRemove(message.m_sDeliveredSrcPath, message.m_sDeliveredPath, type);
}

bool FileWatchMessageFilter::IsOwnRenameOrMove(const FileWatchMessage& message, const char* translator) {
  if (!IsOwnChange(message, message.m_nType)) return false;
  MarkInStep(message.m_sPath);
  MarkInStep(message.m_sSrcPath);
  Log(NormalLog, translator, juce::String(translator) + " By download File or the program, path is " + message.m_sPath);
  return true;
}

void FileWatchMessageFilter::TranslateRenameEvent(const FileWatchMessage& message) {
  const juce::String& n = message.m_sPath;
  const juce::String& o = message.m_sSrcPath;
  if (IsOwnRenameOrMove(message, "TranslateRenameEvent")) {
    if (message.m_nPathType == SyncHelper::PATH_FOLDER) QueueChangesInRenamedFolder(n, o);
    if (message.m_nPathType == SyncHelper::PATH_FILE) QueueChangeBeforeOwnRename(n, o);
    return;
  }
  if (message.m_nPathType == SyncHelper::PATH_FILE) {
    if (!IsKnownSource(o, 1)) {
      QueueFileAdd(n);
      return;
    }
    AddMessage(n, o, juce::String(), message.m_nType, 1);
  } else if (message.m_nPathType == SyncHelper::PATH_FOLDER) {
    if (!IsKnownSource(o, 0)) {
      QueueTreeAdd(n);
      return;
    }
    AddMessage(n, o, juce::String(), message.m_nType, 0);
    QueueChangesInRenamedFolder(n, o);
  } else {
    LogGone("TranslateRenameEvent", n);
  }
}

void FileWatchMessageFilter::TranslateMoveEvent(const FileWatchMessage& message) {
  const juce::String& n = message.m_sPath;
  const juce::String& o = message.m_sSrcPath;
  if (IsOwnRenameOrMove(message, "TranslateMoveEvent")) {
    if (message.m_nPathType == SyncHelper::PATH_FILE) QueueChangeBeforeOwnRename(n, o);
    return;
  }
  if (message.m_nPathType == SyncHelper::PATH_FILE) {
    if (!IsKnownSource(o, 1)) {
      QueueFileAdd(n);
      return;
    }
    AddMessage(n, o, juce::String(), message.m_nType, 1);
    QueueContentChangeAfterMove(n, o);
  } else if (message.m_nPathType == SyncHelper::PATH_FOLDER) {
    QueueTreeMove(n, o);
    AddMessage(o, o, juce::String(), WATCHER_EVENT_REMOVED, 0);
    Log(KeyPoint, "TranslateMoveEvent", "Move Event  judge file is Folder type, process to add and delete, path is " + n);
  } else {
    LogGone("TranslateMoveEvent", n);
  }
}

void FileWatchMessageFilter::QueueChangeBeforeOwnRename(const juce::String& path, const juce::String& oldPath) {
  // A download takes its target's name from its hidden copy: that content is the service's.
  if (SyncDownloadFileOp::IsPartName(Common::String_GetFileName(oldPath))) return;
  SyncFileData row;
  if (!SyncFileDataManager::SelectSyncFileData(path, row) && !SyncFileDataManager::SelectSyncFileData(oldPath, row)) return;
  const juce::String md5 = SyncHelper::GetFileMD5(path);
  if (md5.isEmpty() || md5 == row.m_Md5) return;
  Log(KeyPoint, "QueueChangeBeforeOwnRename", "The file was changed before the program renamed it, path is " + path);
  AddMessage(path, path, md5, WATCHER_EVENT_MODIFIED, 1);
}

int FileWatchMessageFilter::KindOfSource(const juce::String& oldPath, int unknown) {
  const int kind = KindInDatabase(oldPath, -1);
  if (kind != SyncHelper::PATH_UNKNOWN) return kind;
  int queuedIsFile = 0;
  if (m_pUpManager && m_pUpManager->FindTaskByPath(oldPath, queuedIsFile))
    return queuedIsFile ? SyncHelper::PATH_FILE : SyncHelper::PATH_FOLDER;
  return unknown;
}

bool FileWatchMessageFilter::IsKnownSource(const juce::String& oldPath, int isFile) {
  if (IsInDatabase(oldPath, isFile)) return true;
  int queuedIsFile = 0;
  return m_pUpManager && m_pUpManager->FindTaskByPath(oldPath, queuedIsFile);
}

void FileWatchMessageFilter::QueueFileAdd(const juce::String& path) {
  if (IsFileTooBig(path)) {
    SyncHelper::ReportFileTooBig(path);
    return;
  }
  AddMessage(path, path, SyncHelper::GetFileMD5(path), WATCHER_EVENT_ADDED, 1);
}

void FileWatchMessageFilter::QueueTreeAdd(const juce::String& top) { QueueTreeMove(top, juce::String()); }

void FileWatchMessageFilter::QueueTreeMove(const juce::String& top, const juce::String& oldTop) {
  std::deque<juce::String> folders{top};
  while (!folders.empty()) {
    const juce::String folder = folders.front();
    folders.pop_front();
    AddMessage(folder, folder, juce::String(), WATCHER_EVENT_ADDED, 0);
    std::vector<juce::String> subfolders, files;
    LocalPathGuard::ListFolder(folder, subfolders, files);  // links are neither
    for (const juce::String& path : files) {
      if (SyncHelper::IsIgnoredFileName(Common::String_GetFileName(path).toLowerCase())) continue;
      const juce::String old = oldTop.isEmpty() ? juce::String() : ReplacePrefix(path, top, oldTop);
      if (old.isEmpty() || !SyncFileDataManager::IsFileInDB(old)) {
        AddMessage(path, path, SyncHelper::GetFileMD5(path), WATCHER_EVENT_ADDED, 1);
        continue;
      }
      AddMessage(path, old, juce::String(), WATCHER_EVENT_MOVED, 1);
      QueueContentChangeAfterMove(path, old);
    }
    for (const juce::String& sub : subfolders) folders.push_back(sub);
  }
}

void FileWatchMessageFilter::QueueChangesInRenamedFolder(const juce::String& folder, const juce::String& oldFolder) {
  const juce::int64 recent = juce::Time::currentTimeMillis() - kRecentChangeMs;
  std::deque<juce::String> folders{folder};
  while (!folders.empty()) {
    const juce::String current = folders.front();
    folders.pop_front();
    std::vector<juce::String> subfolders, files;
    LocalPathGuard::ListFolder(current, subfolders, files);
    for (const juce::String& path : files) {
      if (SyncHelper::IsIgnoredFileName(Common::String_GetFileName(path).toLowerCase())) continue;
      // Stored under the old name until the rename goes up, or already under the new one.
      SyncFileData row;
      const bool known = SyncFileDataManager::SelectSyncFileData(path, row) ||
                         SyncFileDataManager::SelectSyncFileData(oldFolder + path.substring(folder.length()), row);
      const juce::File file(path);
      if (known && row.m_FileSize == file.getSize() && file.getLastModificationTime().toMilliseconds() < recent)
        continue;
      // A change still queued here or for upload (a rename within the folder,
      // a move into it) says it itself.
      int queuedIsFile = 0;
      if (!known && (IsPathQueued(path) || (m_pUpManager && m_pUpManager->FindTaskByPath(path, queuedIsFile))))
        continue;
      const juce::String md5 = SyncHelper::GetFileMD5(path);
      if (known && row.m_Md5 == md5) continue;
      if (!known && IsRenamedSibling(path, folder, oldFolder, md5)) continue;
      if (IsFileTooBig(path)) {
        SyncHelper::ReportFileTooBig(path);
        continue;
      }
      Log(NormalLog, "QueueChangesInRenamedFolder", "Changed in the renamed folder, path is " + path);
      AddMessage(path, path, md5, known ? WATCHER_EVENT_MODIFIED : WATCHER_EVENT_ADDED, 1);
    }
    for (const juce::String& sub : subfolders) {
      if (!SyncFileDataManager::IsFolderInDB(sub) &&
          !SyncFileDataManager::IsFolderInDB(oldFolder + sub.substring(folder.length())))
        AddMessage(sub, sub, juce::String(), WATCHER_EVENT_ADDED, 0);
      folders.push_back(sub);
    }
  }
}

bool FileWatchMessageFilter::IsRenamedSibling(const juce::String& path, const juce::String& folder,
                                              const juce::String& oldFolder, const juce::String& md5) {
  const juce::String parent = Common::String_GetParentPath(path);
  SyncFolderData parentRow;
  if (!SyncFileDataManager::SelectSyncFolderData(parent, parentRow) &&
      !SyncFileDataManager::SelectSyncFolderData(oldFolder + parent.substring(folder.length()), parentRow))
    return false;
  GlobalContext* context = GetGlobalContext();
  std::vector<SyncFileData> rows;
  if (!context || !context->m_pFileDBManager || context->m_pFileDBManager->SelectFilesByParentID(parentRow.m_FolderID, rows) != 0)
    return false;
  for (const SyncFileData& row : rows) {
    const juce::String name = Common::String_GetFileName(row.m_FilePath);
    if (row.m_Md5 == md5 && !juce::File(parent + "/" + name).exists()) return true;
  }
  return false;
}

void FileWatchMessageFilter::QueueContentChangeAfterMove(const juce::String& newPath, const juce::String& oldPath) {
  SyncFileData oldRow;
  if (!SyncFileDataManager::SelectSyncFileData(oldPath, oldRow)) return;
  juce::String md5 = SyncHelper::GetFileMD5(newPath);
  if (md5.isEmpty() || md5.equalsIgnoreCase(oldRow.m_Md5)) return;
  Log(NormalLog, "TranslateMoveEvent", "Moved file has new content, path is " + newPath);
  AddMessage(newPath, newPath, md5, WATCHER_EVENT_MODIFIED, 1);
}

void FileWatchMessageFilter::AddMessage(const juce::String& path, const juce::String& srcPath,
                                        const juce::String& md5, int type, int isFile) {
  // A link, or anything reached through one, is never uploaded.
  if (type != WATCHER_EVENT_REMOVED && LocalPathGuard::IsThroughLink(path)) {
    WriteLog(NormalLog, "FileWatchMessageFilter::AddMessage", "A symbolic link is not synced, path is " + path);
    return;
  }
  // A download's hidden copy is the engine's own, however early the watcher
  // reports it: sent up, it would come back to every device as a stray copy.
  if (isFile && (type == WATCHER_EVENT_ADDED || type == WATCHER_EVENT_MODIFIED) &&
      SyncDownloadFileOp::IsPartName(Common::String_GetFileName(path))) {
    WriteLog(NormalLog, "FileWatchMessageFilter::AddMessage", "A download's hidden copy is not synced, path is " + path);
    return;
  }
  auto task = std::make_unique<UpSyncTask>();
  task->m_bIsFile = isFile ? 1 : 0;
  task->m_sPath = path;
  task->m_sSrcPath = srcPath;
  task->m_sMd5 = md5;
  task->m_time = SyncHelper::GetFileModifiedTime(path);
  if (!isFile) {
    task->m_nSize = 0;
    SyncFolderData row;
    if (SyncFileDataManager::SelectSyncFolderData(path, row)) {
      task->m_nID = task->m_nSrcID = row.m_FolderID;
      task->m_nParentID = task->m_nSrcParentID = row.m_ParentID;
    }
    switch (type) {
      case WATCHER_EVENT_REMOVED: task->m_nOp = UP_OP_FOLDER_DELETE; break;
      case WATCHER_EVENT_ADDED: task->m_nOp = UP_OP_FOLDER_ADD; break;
      case WATCHER_EVENT_RENAMED: task->m_nOp = UP_OP_FOLDER_RENAME; break;
      case WATCHER_EVENT_MOVED:
        WriteLog(NormalLog, "FileWatchMessageFilter::AddMessage", "Up Move Folder, Path is " + path);
        return;
      default: task->m_nOp = UP_OP_NONE; break;
    }
  } else {
    SyncFileData row;
    bool found = SyncFileDataManager::SelectSyncFileData(path, row);
    // A file added or changed where a queued rename or move takes the known
    // file away is another file: it does not take that file's record.
    const bool content = type == WATCHER_EVENT_ADDED || type == WATCHER_EVENT_MODIFIED;
    if (found && content && m_pUpManager && m_pUpManager->IsFileLeaving(path)) found = false;
    if (found) {
      task->m_nID = task->m_nSrcID = row.m_FileID;
      task->m_nParentID = task->m_nSrcParentID = row.m_ParentID;
    }
    switch (type) {
      case WATCHER_EVENT_REMOVED: task->m_nOp = UP_OP_FILE_DELETE; break;
      case WATCHER_EVENT_ADDED:
      case WATCHER_EVENT_MODIFIED:
        if (found && row.m_Md5 == md5) {
          if (ISyncNotifyUI* sink = GetSyncNotifyUI()) sink->NotifyPathStatus(path, 3);
          WriteLog(NormalLog, "FileWatchMessageFilter::AddMessage",
                   (type == WATCHER_EVENT_ADDED ? "File MD5 == DB MD5 and not add FileAdded message :"
                                                : "File MD5 == DB MD5 and not add FileChanged message :") +
                       path);
          return;
        }
        task->m_nSize = SyncHelper::GetFileSize(path);
        task->m_nOp = type == WATCHER_EVENT_ADDED ? UP_OP_FILE_ADD : UP_OP_FILE_MODIFY;
        break;
      case WATCHER_EVENT_MOVED:
      case WATCHER_EVENT_RENAMED: {
        SyncFileData srcRow;
        if (SyncFileDataManager::SelectSyncFileData(srcPath, srcRow)) {
          task->m_nSrcID = srcRow.m_FileID;
          task->m_nSrcParentID = srcRow.m_ParentID;
        }
        task->m_nSize = SyncHelper::GetFileSize(path);
        task->m_nOp = type == WATCHER_EVENT_MOVED ? UP_OP_FILE_MOVE : UP_OP_FILE_RENAME;
        break;
      }
      default: task->m_nOp = UP_OP_NONE; break;
    }
  }
  if (m_pUpManager) {
    UpSyncTask* raw = task.release();
    m_pUpManager->ClassifyTask(raw);
    m_pUpManager->AddTask(raw);
  }
  SetEvent(m_hWake);
}
