#include "client/sync/tasks/DownSyncTask.h"

namespace {
std::atomic<juce::int64> g_downSequence{0};
}

DownSyncTask::DownSyncTask() : m_nSequence(++g_downSequence) {}

juce::String DownSyncTask::GetVersion() const {
  if (m_bIsFile) return m_pFileData ? m_pFileData->m_VersionValue : juce::String();
  return m_pFolderData ? m_pFolderData->m_VersionValue : juce::String();
}

juce::int64 DownSyncTask::GetRecordID() const {
  if (m_bIsFile) return m_pFileData ? m_pFileData->m_FileID : -1;
  return m_pFolderData ? m_pFolderData->m_FolderID : -1;
}
