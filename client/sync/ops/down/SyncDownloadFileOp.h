#pragma once
// A file added or changed on the server reaches the sync root: the target
// path from the database, no transfer when the local file already is the
// server's, a transport token, the content in ranges into a staging file, a
// digest check, and the staging file put in place of the local file only
// when that file holds no change made since the last sync.
//
// The staging file is named by the file's id and name, so two downloads of
// same-named files never share one. The local file is replaced in one step: the
// content is copied next to it under a hidden name, flushed, and renamed
// over it, so an interrupted replace never leaves a truncated file in place.
// The digest is taken as the ranges arrive, and the staging file goes once
// the target holds its content.
#include <juce_core/juce_core.h>

#include "client/core/protocol/FileReplies.h"
#include "client/sync/ops/SyncDownFileBaseOperation.h"

class SyncDownloadFileOp : public SyncDownFileBaseOperation {
 public:
  explicit SyncDownloadFileOp(DownSyncFile* item);

  int Prepare_SyncOperation() override;
  int Execute_SyncOperation() override;
  int After_SyncOperation() override;
  int Success_SyncOperation() override;
  int Error_BeforeSyncOperation(int result) override;

  // 0 built (or already set), 1 cancel.
  int BuildDownloadFilePath();
  // Clears the need-download flag when the local file already is the server's.
  void IsNeedDownloadFile();
  int ReplaceLocalFileByDownloadFile(const juce::String& stagingPath);

  // The staging file of a server file: the temp folder + "<id>-<name>".
  static juce::String GetStagingPath(const SyncFileData& record);
  // Puts source's content at target in one step (hidden copy beside the
  // target, flushed, renamed over it). Without replace, an item that took the
  // target's name meanwhile stays and the call fails with ERROR_ALREADY_EXISTS.
  // False with the system's error set.
  static bool ReplaceFileAtomically(const juce::String& source, const juce::String& target, bool replace = true);
  // The hidden copy's name (".<id>.dorv-part"), and the removal of one that an
  // earlier run left when it ended during a replace (none that runs now).
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
  int FetchToken();
  int DownloadToStaging();
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
  // Sets the growing wait of a name that is not ready (false once spent).
  bool WaitForName(const juce::String& why);
  // Removes the copy a replace put at a name the file had just left.
  int TakeBackCopy(const juce::String& stagingPath, const juce::String& target);
  bool m_bHeld = false;
  bool m_bTargetExisted = false;
  juce::String m_sStagingPath;
  juce::String m_sReceivedMD5;  // of the content this run received
};
