#pragma once
// One row of the per-user table FileList; every field maps to the column of the
// same position. A record whose file id is -1 stands for "no row".
#include <juce_core/juce_core.h>

class SyncFileData {
 public:
  juce::int64 m_FileID = -1;
  juce::String m_FilePath;
  int m_FileType = 0;
  int m_FileStatus = 0;
  juce::String m_FileMeno;
  juce::int64 m_UpdateTime = 0;
  juce::int64 m_CreateTime = 0;
  juce::int64 m_OwnerID = 0;
  juce::String m_OwnerAccount;
  juce::int64 m_CreateID = 0;
  juce::String m_CreatorAccount;
  juce::int64 m_ParentID = 0;
  juce::String m_FileName;
  juce::String m_VersionValue;
  int m_VersionType = 1;
  int m_DocType = 0;
  juce::String m_Md5;
  int m_FileSize = 0;
  juce::String m_URL;
  int m_SizeLimit = 0;
  int m_RenewLimit = 0;
  int m_Duration = 0;
};

// The answer of the short look-ups: a file's id, its parent's id and its MD5
// (a folder look-up fills the two ids with the folder's).
class PartlySyncFileData {
 public:
  juce::int64 m_FileID = 0;
  juce::int64 m_ParentID = 0;
  juce::String m_Md5;
};
