#pragma once
// A file added or changed on the server reaches the sync root: the target
// path from the database, no transfer when the local file already is the
// server's, a transport token, the content in ranges into a hidden part file
// beside the target, a digest check, and the part renamed in place of the
// local file only when that file holds no change made since the last sync.
//
// The content is written once: received straight into the part (named by
// the file's id, on the target's disk, hashed as the ranges arrive, flushed
// to the disk at the end) and renamed over the target, so an interrupted
// download or replace never leaves a truncated file in place. A complete part
// that cannot be placed yet (the target is held or edited) waits in the
// staging folder, out of the user's sight, and the next run takes it back
// without a transfer when that folder is on the same disk.
#include <memory>

#include <juce_core/juce_core.h>

#include "client/core/protocol/FileReplies.h"
#include "client/sync/ops/SyncDownFileBaseOperation.h"

class SyncDownloadFileOp : public SyncDownFileBaseOperation {
 public:
  explicit SyncDownloadFileOp(DownSyncFile* item);
  ~SyncDownloadFileOp() override;

  int Prepare_SyncOperation() override;
  int Execute_SyncOperation() override;
  int After_SyncOperation() override;
  int Success_SyncOperation() override;
  int Error_BeforeSyncOperation(int result) override;

  // 0 built (or already set), 1 cancel.
  int BuildDownloadFilePath();
  // Clears the need-download flag when the local file already is the server's.
  void IsNeedDownloadFile();
  // Puts the received part at the target (or keeps it for the next run).
  int ReplaceLocalFileByDownloadFile();

  // Where a complete part waits between runs: the staging folder + "<id>".
  static juce::String GetStagingPath(const SyncFileData& record);
  // The part file of a download to target: ".<id>.dorv-part" beside it.
  static juce::String GetPartPath(const juce::String& target, juce::int64 fileID);
  // Renames the part to target in one step. Without replace, an item that
  // took the target's name meanwhile stays and the call fails with
  // ERROR_ALREADY_EXISTS. False with the system's error set; the part stays.
  static bool PlacePart(const juce::String& part, const juce::String& target, bool replace = true);
  // The part's name, and the removal of one that an earlier run left when it
  // ended during a download (none that runs now).
  static bool IsPartName(const juce::String& name);
  static void RemoveLeftoverPart(const juce::String& path);
  // The program itself took the file at the path away to make room for the
  // service's version (the local version of a conflict, kept as a copy): the
  // next download of that version (for a while) does not wait for a change of
  // the name to be reported, as none of the user's is on its way.
  static void NameFreedForService(const juce::String& path);

  juce::String m_sDownloadFilePath;
  bool m_bNeedDownload = true;
  juce::String m_sParentFolderPath;
  TransportTokenReply m_token;

 private:
  DownSyncTask* Task() const;
  const SyncFileData* Record() const;
  class Part;
  int FetchToken();
  int DownloadToPart();
  int MakeEmptyFile();
  // Another synced item's file still stands at the target: the task waits
  // (a while, a few times) for the change that moves it.
  bool NameHeldByAnotherItem();
  // The file was there when the download began and is gone now: the user
  // moved or removed it meanwhile (logged).
  bool TargetWentMeanwhile();
  // The file synced at the target has left it since the pull (its change is
  // on its way up): the download waits for it, as for a name taken.
  bool ItemLeftItsName();
  // An earlier task of the same item put it in place under the name it had
  // then; this addition, listed since under a newer name, moves that file
  // there first (untouched only). An error result when the move failed.
  int CarryEarlierPlacement();
  // Sets the growing wait of a name that is not ready (false once spent).
  bool WaitForName(const juce::String& why);
  // Takes the part back from a name the file had just left.
  int TakeBackCopy(const juce::String& target);
  bool m_bHeld = false;
  bool m_bTargetExisted = false;
  std::unique_ptr<Part> m_part;  // from the download's start until placed or let go
  juce::String m_sReceivedMD5;   // of the content this run received
};
