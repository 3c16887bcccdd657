#pragma once
// A file item of the engine: the file's working row, owned. The up and down
// file items add the task they run; an operation reaches its task, the
// task's paths and the server record through the item it is built with.
// Items live for one dispatch, on the pump thread that runs it.
#include <memory>

#include "client/core/db/SyncFileData.h"

class SyncFile {
 public:
  SyncFile() : m_pFileData(std::make_unique<SyncFileData>()) {}
  virtual ~SyncFile() = default;
  SyncFile(const SyncFile&) = delete;
  SyncFile& operator=(const SyncFile&) = delete;

  std::unique_ptr<SyncFileData> m_pFileData;
};
