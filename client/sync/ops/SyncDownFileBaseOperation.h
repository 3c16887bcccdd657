#pragma once
#include "client/sync/items/DownSyncFile.h"
#include "client/sync/ops/SyncDownBaseOperation.h"

class SyncDownFileBaseOperation : public SyncDownBaseOperation {
 public:
  explicit SyncDownFileBaseOperation(DownSyncFile* item) : m_pItem(item) {}

  DownSyncFile* m_pItem = nullptr;  // not owned
  juce::String m_sText;
};
