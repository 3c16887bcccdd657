#pragma once
// A local file that was added or changed reaches the service: createFile (no
// row yet) or updateFileContent (a row), the upload token, the content in
// blocks of 2 MiB, completeFile, then the file's row. Nothing is sent when the
// database already holds the content or the file is gone; a file above the
// account's limit, or of 2 GiB or more, is refused before any request.
#include "client/core/protocol/TransportToken.h"
#include "client/sync/ops/up/SyncUpFileBaseOperation.h"

class SyncUploadFileOp : public SyncUpFileBaseOperation {
 public:
  // What the service's answers asked for.
  enum UploadState {
    UPLOAD_SEND_CONTENT = 0,
    UPLOAD_CONTENT_HELD = 1,
    UPLOAD_FINISHED = 2,
    UPLOAD_NOTHING_KNOWN = 3,      // prepare type 3
    UPLOAD_NOTHING_UNCHANGED = 4,  // prepare type 5
  };
  static constexpr int kMaxTokenFailures = 3;

  explicit SyncUploadFileOp(UpSyncFile* item) : SyncUpFileBaseOperation(item) {}

  int Prepare_SyncOperation() override;
  int Execute_SyncOperation() override;
  int After_SyncOperation() override;
  int Success_SyncOperation() override;
  int Error_SyncOperation(int result) override;
  // A 610 (the service's file changed since the row's version while this one
  // changed too) keeps both versions; other codes as the base maps them.
  int Error_BeforeSyncOperation(int result) override;

  // The file changed (size or time) after the task was made.
  bool CheckFileModify() const;
  // CheckFileModify, and when true the file is queued to go up again (once).
  bool ChangedMeanwhile();

  TransportToken m_token;
  int m_nSizeOutOfLimit = 0;
  juce::int64 m_nParentID = 0;
  int m_nUploadState = UPLOAD_SEND_CONTENT;
  bool m_bNeedUpload = true;
  bool m_bQueuedAgain = false;

 private:
  void CheckNeedUpload();
  int FindParentID();
  int CheckFileSize();
  int EnsureTaskMD5();
  int PrepareUpload();
  int ProcessCreate();
  int ProcessModify(const SyncFileData& row);
  int ProcessToken();
  int ProcessUploadTransportToken();
  int UploadFileContent();
  void DeleteInCompleted();
  int CompleteUpload();
  int FinishUpload();
  int FinishRenamedUpload();
  // The reply's file as the row at path. When the service holds the file in
  // another folder (another device moved it meanwhile), the row keeps this
  // computer's folder and the version before the upload, so that the pull
  // brings the move here.
  void WriteUploadedRecord(const juce::String& path);
  juce::int64 ReplyFileID() const;
  // Both sides changed the file: the local version moves to a free
  // "name (n).ext" and goes up as a new file, the service's version comes
  // down under the original name, and the user is told of the rename.
  int KeepBothVersions(int result);

  int m_nTokenFailures = 0;
};
