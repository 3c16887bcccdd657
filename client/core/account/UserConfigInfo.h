#pragma once
// An account's quota and limits: the UserConfig columns after FullName, in
// column order and with their names.
#include <juce_core/juce_core.h>

struct UserConfigInfo {
  int UC_Status = 0;
  juce::int64 UC_CreateTime = 0;
  juce::int64 UC_UpdateTime = 0;
  juce::int64 UC_Capacity = 0;
  juce::int64 UC_SpaceUsed = 0;
  int UC_FileCount = 0;
  int UC_DirsCount = 0;
  juce::int64 UC_LastAccessTime = 0;
  juce::int64 UC_LastUpdateTime = 0;
  juce::int64 UC_FilesTotalSizeLimit = 0;
  int UC_FilesTotalNumLimit = 0;
  int UC_RenewLimit = 0;
  int UC_Duration = 0;
  int UC_FileSizeLimit = 0;
  int UC_TotalDirsNumLinit = 0;
  juce::int64 UC_SubFilesTotalSizeLimit = 0;
  int UC_SubFilesNumLimit = 0;
  int UC_SubDirsNumLimit = 0;
  int UC_DirDepthLimit = 0;
};
