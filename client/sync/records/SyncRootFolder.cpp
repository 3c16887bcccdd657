#include "client/sync/records/SyncRootFolder.h"

#include "client/core/LogWriter.h"
#include "client/core/context/GlobalContext.h"
#include "client/sync/LazyInstance.h"
#include "client/sync/records/SyncFileDataManager.h"

namespace {

LazyInstance<SyncRootFolder> g_instance;

}  // namespace

SyncRootFolder::SyncRootFolder() = default;

SyncRootFolder* SyncRootFolder::GetInstance() {
  return g_instance.Get([] { return new SyncRootFolder(); });
}

void SyncRootFolder::DeleteInstance() { g_instance.Delete(); }

juce::String SyncRootFolder::GetGlobalVersion() {
  const juce::ScopedLock hold(m_lock);
  return m_sVersion;
}

juce::String SyncRootFolder::GetRootPath() {
  const juce::ScopedLock hold(m_lock);
  return m_sRootPath;
}

juce::String SyncRootFolder::GetRootFolderName() {
  const juce::ScopedLock hold(m_lock);
  return m_sRootName;
}

SyncFolderData SyncRootFolder::GetFolderData() {
  const juce::ScopedLock hold(m_lock);
  return *m_pFolderData;
}

void SyncRootFolder::Reload() {
  // Read outside the lock: the database has its own, and readers of the cache
  // must not wait for a statement.
  SyncFolderData row;
  juce::String version;
  const bool ran = SyncFileDataManager::SelectRootFolderData(row, version);
  const juce::ScopedLock hold(m_lock);
  *m_pFolderData = row;
  // Without a root row the version read is not this root's: the reader keeps
  // the last version text it met in any row.
  m_sVersion = ran && row.m_FolderID != -1 ? version : juce::String("-1");
  m_sRootPath = row.m_FolderPath;
  m_sRootName = row.m_FolderName;
  m_nRootID = row.m_FolderID;
}

void SyncRootFolder::SetRootFolder(const juce::String& path, const juce::String& version,
                                   const SyncFolderData& record) {
  SyncFolderData row = record;
  row.m_FolderSysType = 18;
  row.m_FolderPath = path;
  {
    const juce::ScopedLock hold(m_lock);
    *m_pFolderData = row;
    m_sVersion = version;
    m_sRootPath = path;
    m_sRootName = row.m_FolderName;
  }
  if (FolderDBManager* folders = GetGlobalContext()->m_pFolderDBManager.get()) folders->ReplaceRootFolder(row, version);
}

juce::int64 SyncRootFolder::GetRootFolderID() {
  {
    const juce::ScopedLock hold(m_lock);
    if (m_nRootID != 0 && m_nRootID != -1) return m_nRootID;
    if (m_pFolderData->m_FolderID != 0 && m_pFolderData->m_FolderID != -1) {
      m_nRootID = m_pFolderData->m_FolderID;
      return m_nRootID;
    }
  }
  Reload();
  const juce::ScopedLock hold(m_lock);
  if (m_pFolderData->m_FolderID != 0 && m_pFolderData->m_FolderID != -1) {
    m_nRootID = m_pFolderData->m_FolderID;
    return m_nRootID;
  }
  m_nRootID = 0;
  WriteLog(ErrorLog, "SyncRootFolder::GetRootFolderID", "DataBase Error, No RootFolder Record");
  return 0;
}

bool SyncRootFolder::IsRootRecordValid(const juce::String&) {
  FolderDBManager* folders = GetGlobalContext()->m_pFolderDBManager.get();
  if (!folders || !folders->IsDBTableExist()) return false;
  SyncFolderData row;
  juce::String version;
  if (!SyncFileDataManager::SelectRootFolderData(row, version)) return false;
  return row.m_FolderID > 0 && version.isNotEmpty() && row.m_FolderPath.isNotEmpty();
}

void SyncRootFolder::ClearRootPath() {
  const juce::ScopedLock hold(m_lock);
  m_sRootPath = juce::String();
}
