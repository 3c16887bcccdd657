#include "client/sync/items/UpSyncFile.h"
#include "client/sync/items/UpSyncFolder.h"
#include "client/sync/tasks/UpSyncTask.h"

juce::String UpSyncFile::GetPath() const { return m_pTask ? m_pTask->m_sPath : juce::String(); }
juce::String UpSyncFolder::GetPath() const { return m_pTask ? m_pTask->m_sPath : juce::String(); }
juce::String UpSyncFolder::GetSrcPath() const { return m_pTask ? m_pTask->m_sSrcPath : juce::String(); }
