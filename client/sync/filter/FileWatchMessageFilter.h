#pragma once
// Turns the watcher's delivered changes into up tasks.
//
// The handler slots run on the watcher's notifier thread and only queue a
// FileWatchMessage (a rename first brings queued paths up to date). The
// filter's own thread, "FileWatchMessageFilter", takes one message at a time
// while the up task manager runs no operation: it drops the changes the
// program made itself (ProgramChangeIgnoreList), tells files from folders,
// drops files that are too big or unchanged, expands a folder moved in, and
// queues the rest through AddMessage, which the start-up walk calls as well.
//
// The controller (UI and start-up threads) sets the hold and run flags,
// signals the wake event, clears the queue and tells the thread to exit. The
// filter lock guards the queue; a message is translated under it.
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include <juce_core/juce_core.h>

#include "client/sync/filter/FileWatchMessage.h"
#include "client/sync/filter/ProgramChangeIgnoreList.h"
#include "client/sync/filter/UpTaskQueue.h"
#include "client/sync/watcher/WatcherChangeHandler.h"
#include "win32/Windows.h"

class FileWatchMessageFilter : public IWatcherChangeHandler, public juce::Thread {
 public:
  // The safety time-out of the idle wait: the thread looks again after it
  // even when no signal came.
  static constexpr DWORD kIdleWaitMs = 60000;
  // How soon it looks again while an up operation keeps it from translating
  // (the end of every up run wakes it sooner).
  static constexpr DWORD kBusyWaitMs = 1000;
  // The changes waiting are translated under one hold for up to this long.
  static constexpr juce::uint32 kHoldBurstMs = 100;
  static constexpr DWORD kExitWaitMs = 500;
  // How recent a file's time must be for a folder's rename to look at its content.
  static constexpr juce::int64 kRecentChangeMs = 10 * 60 * 1000;

  // Starts the thread (held until the controller releases it).
  FileWatchMessageFilter(const juce::String& name, IUpTaskQueue* upManager, ProgramChangeIgnoreList* ignoreList);
  ~FileWatchMessageFilter() override;

  void OnFileAdded(CFileSystemEventArgs* args) override;
  void OnFileDeleted(CFileSystemEventArgs* args) override;
  void OnFileRenamed(CFileSystemEventArgs* args) override;
  void OnFileChanged(CFileSystemEventArgs* args) override;
  void OnFileMoved(CFileSystemEventArgs* args) override;
  // Changes were lost (too many at once) or the watch failed: the thread runs
  // the rescan given to SetRescan at its next turn.
  void OnWatchError(CFileSystemEventArgs* args) override;
  void OnWatchStarted(CFileSystemEventArgs*) override {}
  void OnWatchStopped(CFileSystemEventArgs*) override {}

  // Builds the up task of one change and queues it (type 1-5; isFile 1 file,
  // 0 folder; md5 empty for none).
  void AddMessage(const juce::String& path, const juce::String& srcPath, const juce::String& md5, int type,
                  int isFile);
  void ClearFileWatchMessage();
  void SignExit();
  bool IsPathQueued(const juce::String& path);
  // Whether a message not yet translated removes the path or renames or moves
  // the item there away.
  bool IsPathLeaving(const juce::String& path);
  int GetMessageCount();
  // Copies of the queued messages, front first (tests, diagnostics).
  std::vector<FileWatchMessage> GetMessages();

  // Takes the front message and translates it, as the thread does in a turn
  // (without the up manager's busy state). False when the queue was empty.
  bool TranslateFrontMessage();

  // What finds the changes a watch lost: the start-up walk of the root. Set
  // before the watch starts; runs on the filter's thread.
  void SetRescan(std::function<void()> rescan) { m_rescan = std::move(rescan); }
  bool IsRescanDue() const { return m_bRescanDue.load(); }

  void SetHold(bool hold) { m_bHold.store(hold); }
  void SetRun(bool run) { m_bRun.store(run); }
  void Wake() { SetEvent(m_hWake); }
  // The idle wait's time-out (INFINITE: only a signal ends it).
  void SetIdleWaitMs(DWORD ms) { m_nIdleWaitMs.store(ms); }

  void run() override;

 private:
  void Append(std::unique_ptr<FileWatchMessage> message);
  // Under the filter lock: queued messages of a renamed item take its new
  // path. A file's queued content change, and a folder's queued changes
  // inside it (not its removals), are taken out and returned: they go behind
  // the rename, so that they reach the service under the identity the rename
  // gives, not as new items beside it.
  std::vector<std::unique_ptr<FileWatchMessage>> RewriteQueuedForRename(const juce::String& newPath,
                                                                        const juce::String& oldPath, int pathType);
  void Translate(FileWatchMessage message);
  // The kind of a delivered path; a path gone meanwhile is followed through
  // the folder renames delivered before it and the program's own ones not
  // delivered yet (the item lives on under the new name), and the message
  // takes the path it was found at.
  void ResolvePathLocked(FileWatchMessage& message);
  // The names the path had before the folder renames delivered, newest
  // first: the database knows an item by one of them while the later renames
  // have not gone up yet (a folder renamed back and forth had the path's own
  // name among them too).
  std::vector<juce::String> EarlierPathsLocked(const juce::String& path) const;
  // Whether the database holds path (isFile 1 a file, 0 a folder), under its
  // own name or under the newest one it had before the folder renames delivered.
  bool IsInDatabase(const juce::String& path, int isFile) const;
  // The kind (SyncHelper::PATH_*) of the row of the path (isFile 1 files
  // only, 0 folders only, -1 either), else of the row of the newest name it
  // had before the folder renames seen since: the path's own row wins, a name
  // a renamed folder left may hold an item of the other kind now.
  int KindInDatabase(const juce::String& path, int isFile) const;
  void TranslateAddEvent(const FileWatchMessage& message);
  void TranslateDeleteEvent(const FileWatchMessage& message);
  void TranslateChangedEvent(const FileWatchMessage& message);
  void TranslateRenameEvent(const FileWatchMessage& message);
  void TranslateMoveEvent(const FileWatchMessage& message);
  bool IsFileTooBig(const juce::String& path);
  // A change the program announced itself, under the message's paths or the
  // ones it was delivered with: the ignore list's entry is consumed.
  bool IsOwnChange(const FileWatchMessage& message, int type);
  // A rename or move the program made itself: consumed, both paths in step.
  bool IsOwnRenameOrMove(const FileWatchMessage& message, const char* translator);
  // Whether the old path of a rename or move is known to the service's side:
  // stored, or queued for upload. A file written under a temporary name and
  // renamed into place is known by nothing and is an addition of its new name.
  // PATH_FILE or PATH_FOLDER, as the database or a queued task knows the
  // path (a rename's source, a removed path); unknown when neither does.
  int KindOfSource(const juce::String& oldPath, int unknown);
  bool IsKnownSource(const juce::String& oldPath, int isFile);
  void QueueFileAdd(const juce::String& path);
  // The folder, then its files (but the shell's own) and sub-folders, breadth first.
  // A file replaced by a folder of the same name (or the reverse): queues
  // the old item's delete and the new item's add; false for anything else.
  bool ReplacesOtherKind(const juce::String& path, int pathType);
  void QueueTreeAdd(const juce::String& top);
  // A folder moved to another parent: its folders are made anew at the new
  // place and the files the database knows at the old one move into them,
  // keeping their ids on the service, so that a change another device made to
  // one of them meanwhile follows it (the old folder's deletion, queued after,
  // waits for these moves). Files it does not know are added; without an old
  // place (QueueTreeAdd), every file is.
  void QueueTreeMove(const juce::String& top, const juce::String& oldTop);
  // A file that moved under the same name may also have new content: the
  // move keeps the server's old content, so a change follows when the digest
  // differs from the one stored for the old path.
  void QueueContentChangeAfterMove(const juce::String& newPath, const juce::String& oldPath);
  // A folder renamed a moment after changes in it: those changes may have
  // been delivered, under the old path, before the rename, and found nothing
  // there. The folder is looked at once: a file that is new, or changed
  // lately (size or recent time, then digest) against its row, is queued.
  void QueueChangesInRenamedFolder(const juce::String& folder, const juce::String& oldFolder);
  // A file the program renamed or moved for the service: the user may have
  // changed it just before, and that change, delivered under the old path,
  // found nothing there. Content that differs from the row's is queued.
  void QueueChangeBeforeOwnRename(const juce::String& path, const juce::String& oldPath);
  // A file of that walk without a row whose content a row of its folder has,
  // and whose name is gone: a rename in the folder, whose event carries it.
  bool IsRenamedSibling(const juce::String& path, const juce::String& folder, const juce::String& oldFolder,
                        const juce::String& md5);

  ProgramChangeIgnoreList* m_pIgnoreList;
  IUpTaskQueue* m_pUpManager;
  std::vector<std::unique_ptr<FileWatchMessage>> m_messages;
  std::atomic<bool> m_bExit{false};
  HANDLE m_hExited;
  HANDLE m_hWake;
  std::atomic<bool> m_bHold{true};
  std::atomic<bool> m_bRun{true};
  std::atomic<bool> m_bRescanDue{false};
  std::atomic<DWORD> m_nIdleWaitMs{kIdleWaitMs};
  std::function<void()> m_rescan;
  // Folder renames as delivered (old, new), oldest first, a bounded number.
  std::deque<std::pair<juce::String, juce::String>> m_folderRenames;
  juce::CriticalSection m_lock;
};
