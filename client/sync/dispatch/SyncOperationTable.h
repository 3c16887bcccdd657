#pragma once
// Which operation class runs which task: one factory per (side, kind, op
// code). The operations register here (RegisterSyncOperations); the
// dispatcher builds each task's operation through its table.
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include <juce_core/juce_core.h>

class SyncBaseOperation;
class UpSyncFile;
class UpSyncFolder;
class DownSyncFile;
class DownSyncFolder;

class SyncOperationTable {
 public:
  using UpFileFactory = std::function<std::shared_ptr<SyncBaseOperation>(UpSyncFile&)>;
  using UpFolderFactory = std::function<std::shared_ptr<SyncBaseOperation>(UpSyncFolder&)>;
  using DownFileFactory = std::function<std::shared_ptr<SyncBaseOperation>(DownSyncFile&)>;
  using DownFolderFactory = std::function<std::shared_ptr<SyncBaseOperation>(DownSyncFolder&)>;

  // The operation class that runs the op code ("" for a code of no operation):
  // up file 1 and 5 SyncUploadFileOp, 2 UpSyncMoveFileOp, 3 UpSyncDeleteFileOp,
  // 4 UpSyncRenameFileOp; up folder 6 UpSyncCreateFolderOp, 7
  // UpSyncDeleteFolderOp, 8 UpSyncRenameFolderOp; down file 1 and 2
  // SyncDownloadFileOp, 3 DownSyncDeleteFileOp, 4 DownSyncRenameFileOp, 5
  // DownSyncMoveFileOp; down folder 7 DownSyncCreateFolderOp, 8
  // DownSyncDeleteFolderOp, 9 DownSyncRenameFolderOp, 10 DownSyncMoveFolderOp.
  static const char* GetClassName(bool up, bool isFile, int op);

  // A factory for a code that is not the kind's (see GetClassName) is refused.
  bool SetUpFileOp(int op, UpFileFactory factory);
  bool SetUpFolderOp(int op, UpFolderFactory factory);
  bool SetDownFileOp(int op, DownFileFactory factory);
  bool SetDownFolderOp(int op, DownFolderFactory factory);

  // Null when the code is not the kind's or nothing is registered for it.
  std::shared_ptr<SyncBaseOperation> MakeUpFileOp(int op, UpSyncFile& item) const;
  std::shared_ptr<SyncBaseOperation> MakeUpFolderOp(int op, UpSyncFolder& item) const;
  std::shared_ptr<SyncBaseOperation> MakeDownFileOp(int op, DownSyncFile& item) const;
  std::shared_ptr<SyncBaseOperation> MakeDownFolderOp(int op, DownSyncFolder& item) const;

 private:
  mutable std::mutex m_lock;
  std::map<int, UpFileFactory> m_upFile;
  std::map<int, UpFolderFactory> m_upFolder;
  std::map<int, DownFileFactory> m_downFile;
  std::map<int, DownFolderFactory> m_downFolder;
};

// Registers every operation class of the engine in the table.
void RegisterSyncOperations(SyncOperationTable& table);
