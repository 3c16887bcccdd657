#pragma once
// A file added or changed on the server reaches the sync root: the target
// path from the database, no transfer when the local file already is the
// server's, a transport token, the content in ranges into a part file, a
// digest check, and the part file put in place of the local file only when
// that file holds no change made since the last sync.
//
// The content is written once: the ranges go straight into a hidden part
// file beside the target (".<id>.dorv-part", left out of sync by the name
// filter), hashed as they arrive, and the part is renamed over the target.
// The rename stays on one file system, so an interrupted download never
// leaves a truncated target, and nothing stays behind twice on disk.
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

  // The part file of a server file beside its target: ".<id>.dorv-part".
  static juce::String GetPartPath(const juce::String& target, const SyncFileData& record);
  static bool IsPartName(const juce::String& name);
  // Deletes an earlier run's part file that no download writes now.
  static void RemoveLeftoverPart(const juce::String& path);
  // Renames the part over the target. False with the system's error set.
  static bool TakePartFile(const juce::String& part, const juce::String& target);
  // Puts source's content at target in one step (hidden copy beside the
  // target, flushed, renamed over it). False with the system's error set.
  static bool ReplaceFileAtomically(const juce::String& source, const juce::String& target);

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
  bool m_bHeld = false;
  juce::String m_sStagingPath;  // the part file
  juce::String m_sReceivedMD5;  // of the content this run received
};
