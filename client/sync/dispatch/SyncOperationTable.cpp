#include "client/sync/dispatch/SyncOperationTable.h"

#include <cstring>

#include "client/sync/ops/SyncBaseOperation.h"

const char* SyncOperationTable::GetClassName(bool up, bool isFile, int op) {
  if (up && isFile) {
    switch (op) {
      case 1: case 5: return "SyncUploadFileOp";
      case 2: return "UpSyncMoveFileOp";
      case 3: return "UpSyncDeleteFileOp";
      case 4: return "UpSyncRenameFileOp";
    }
  } else if (up) {
    switch (op) {
      case 6: return "UpSyncCreateFolderOp";
      case 7: return "UpSyncDeleteFolderOp";
      case 8: return "UpSyncRenameFolderOp";
    }
  } else if (isFile) {
    switch (op) {
      case 1: case 2: return "SyncDownloadFileOp";
      case 3: return "DownSyncDeleteFileOp";
      case 4: return "DownSyncRenameFileOp";
      case 5: return "DownSyncMoveFileOp";
    }
  } else {
    switch (op) {
      case 7: return "DownSyncCreateFolderOp";
      case 8: return "DownSyncDeleteFolderOp";
      case 9: return "DownSyncRenameFolderOp";
      case 10: return "DownSyncMoveFolderOp";
    }
  }
  return "";
}

namespace {

template <typename Map, typename Factory>
bool Store(std::mutex& lock, Map& map, bool up, bool isFile, int op, Factory factory) {
  if (std::strlen(SyncOperationTable::GetClassName(up, isFile, op)) == 0) return false;
  std::lock_guard<std::mutex> hold(lock);
  map[op] = std::move(factory);
  return true;
}

template <typename Map, typename Item>
std::shared_ptr<SyncBaseOperation> Make(std::mutex& lock, const Map& map, int op, Item& item) {
  typename Map::mapped_type factory;
  {
    std::lock_guard<std::mutex> hold(lock);
    auto found = map.find(op);
    if (found == map.end()) return nullptr;
    factory = found->second;
  }
  return factory ? factory(item) : nullptr;
}

}  // namespace

bool SyncOperationTable::SetUpFileOp(int op, UpFileFactory factory) {
  return Store(m_lock, m_upFile, true, true, op, std::move(factory));
}
bool SyncOperationTable::SetUpFolderOp(int op, UpFolderFactory factory) {
  return Store(m_lock, m_upFolder, true, false, op, std::move(factory));
}
bool SyncOperationTable::SetDownFileOp(int op, DownFileFactory factory) {
  return Store(m_lock, m_downFile, false, true, op, std::move(factory));
}
bool SyncOperationTable::SetDownFolderOp(int op, DownFolderFactory factory) {
  return Store(m_lock, m_downFolder, false, false, op, std::move(factory));
}

std::shared_ptr<SyncBaseOperation> SyncOperationTable::MakeUpFileOp(int op, UpSyncFile& item) const {
  return Make(m_lock, m_upFile, op, item);
}
std::shared_ptr<SyncBaseOperation> SyncOperationTable::MakeUpFolderOp(int op, UpSyncFolder& item) const {
  return Make(m_lock, m_upFolder, op, item);
}
std::shared_ptr<SyncBaseOperation> SyncOperationTable::MakeDownFileOp(int op, DownSyncFile& item) const {
  return Make(m_lock, m_downFile, op, item);
}
std::shared_ptr<SyncBaseOperation> SyncOperationTable::MakeDownFolderOp(int op, DownSyncFolder& item) const {
  return Make(m_lock, m_downFolder, op, item);
}
