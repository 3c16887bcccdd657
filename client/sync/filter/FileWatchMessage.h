#pragma once
// One change the watcher delivered, waiting in the file-watch message filter.
#include <juce_core/juce_core.h>

struct FileWatchMessage {
  int m_nType = 0;            // 1 added, 2 removed, 3 modified, 4 renamed, 5 moved
  juce::String m_sPath;       // the new path of a rename or move
  juce::String m_sSrcPath;    // the old path of a rename or move, else the path
  int m_nPathType = 0;        // SyncHelper::GetPathType; 0 when not asked (removals)
  // The paths as delivered, before a folder's rename moved them on: the
  // program announces its own changes under these.
  juce::String m_sDeliveredPath;
  juce::String m_sDeliveredSrcPath;
};
