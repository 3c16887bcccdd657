#pragma once
// The folders renamed while the program was not running. The walk at start-up
// finds a folder the database knows gone from its parent and a new folder
// beside it; when the new one holds what the old one held, it is the same
// folder under a new name. Sent up as a deletion and an addition instead, the
// folder's items would lose their ids on the service, and a change another
// device made to them meanwhile would stay behind in the old folder beside
// this device's copies.
#include <vector>

#include <juce_core/juce_core.h>

#include "client/core/db/SyncFolderData.h"

struct RenamedFolder {
  size_t gone = 0;   // index into the gone rows
  size_t added = 0;  // index into the new folders
};

// Pairs new folders (paths on disk) with gone folders (their rows): a pair
// shares at least one item, a file of the same name and content or a folder
// of the same name, and each new folder takes the gone one that shares the
// most with it. Each row and each folder is in one pair at most.
std::vector<RenamedFolder> MatchRenamedFolders(const std::vector<SyncFolderData>& gone,
                                               const std::vector<juce::String>& added);
