#pragma once
// A folder item of the engine: the folder's working row, owned, and a lock
// that guards it. The up and down folder items and the sync root derive from it.
#include <memory>

#include <juce_core/juce_core.h>

#include "client/core/db/SyncFolderData.h"

class SyncFolder {
 public:
  SyncFolder();
  virtual ~SyncFolder();
  SyncFolder(const SyncFolder&) = delete;
  SyncFolder& operator=(const SyncFolder&) = delete;

  std::unique_ptr<SyncFolderData> m_pFolderData;
  juce::CriticalSection m_lock;
};
