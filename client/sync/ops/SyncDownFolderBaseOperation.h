#pragma once
#include "client/sync/items/DownSyncFolder.h"
#include "client/sync/ops/SyncDownBaseOperation.h"

class SyncDownFolderBaseOperation : public SyncDownBaseOperation {
 public:
  explicit SyncDownFolderBaseOperation(DownSyncFolder* item) : m_pItem(item) {}

  DownSyncFolder* m_pItem = nullptr;  // not owned
  juce::String m_sText;
};
