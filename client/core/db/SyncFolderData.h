#pragma once
// One row of the per-user table FolderList. The table's columns TotalSizeLimit
// and TotalCountLimit have no field: they are written as -1 and not read. A
// record whose folder id is -1 stands for "no row".
#include <juce_core/juce_core.h>

class SyncFolderData {
 public:
  juce::int64 m_FolderID = -1;
  juce::int64 m_OwnerID = 0;
  juce::String m_OwnerAccount;
  juce::int64 m_ParentID = 0;
  juce::String m_ParentPath;
  juce::String m_FolderName;
  juce::String m_FolderMeno;
  int m_FolderType = 0;
  int m_FolderSysType = 0;
  int m_FolderStatus = 0;
  juce::int64 m_FileSize = 0;
  int m_FileCount = 0;
  juce::int64 m_FileTotalSize = 0;
  int m_FileTotalCount = 0;
  juce::int64 m_CreateTime = 0;
  juce::int64 m_UpdateTime = 0;
  juce::String m_VersionValue;
  int m_VersionType = 0;
  juce::String m_FolderPath;
};
