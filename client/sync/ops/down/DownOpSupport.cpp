#include "client/sync/ops/down/DownOpSupport.h"

#include <mutex>
#include <set>
#include <utility>

#include "client/core/LogWriter.h"
#include "client/core/context/GlobalContext.h"
#include "client/sync/ops/SyncResult.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "common/PathText.h"

namespace DownOps {

void Ignore(const juce::String& path, const juce::String& newPath, int type) {
  const SyncEngineLinks links = GetSyncEngineLinks();
  if (links.ignoreProgramChange) links.ignoreProgramChange(path, newPath, type);
}

void Unignore(const juce::String& path, const juce::String& newPath, int type) {
  const SyncEngineLinks links = GetSyncEngineLinks();
  if (links.unignoreProgramChange) links.unignoreProgramChange(path, newPath, type);
}

juce::String WithSeparator(const juce::String& folder) {
  const juce::String separator = juce::File::getSeparatorString();
  return folder.endsWith(separator) ? folder : folder + separator;
}

juce::String ParentOf(const juce::String& path) { return Common::String_GetParentPath(path); }

bool FileHasMD5(const juce::String& path, const juce::String& md5) {
  if (path.isEmpty() || md5.isEmpty()) return false;
  return SyncHelper::GetFileMD5(path) == md5;
}

bool SelectFileByID(juce::int64 id, SyncFileData& row) {
  GlobalContext* context = GetGlobalContext();
  return context && context->m_pFileDBManager && context->m_pFileDBManager->SelectFileByID(id, row) == 0 &&
         row.m_FileID != -1;
}

bool SelectFilesByParentID(juce::int64 id, std::vector<SyncFileData>& rows) {
  GlobalContext* context = GetGlobalContext();
  return context && context->m_pFileDBManager && context->m_pFileDBManager->SelectFilesByParentID(id, rows) == 0;
}

bool SelectFoldersByParentID(juce::int64 id, std::vector<SyncFolderData>& rows) {
  GlobalContext* context = GetGlobalContext();
  return context && context->m_pFolderDBManager &&
         context->m_pFolderDBManager->SelectFoldersByParentID(id, rows) == 0;
}

int BringFolderFromService(juce::int64 folderID) {
  WriteMessageLog(KeyPoint, "The folder's local source is gone, a full pull brings it, id is " + juce::String(folderID));
  SyncFolderData row;
  if (SyncFileDataManager::SelectSyncFolderDataByID(folderID, row)) {
    SyncFileDataManager::DeleteFolderContents(folderID);
    SyncFileDataManager::DeleteFolderByID(folderID);
  }
  if (auto pull = GetSyncEngineLinks().startImmediatePull) pull();
  return SYNC_RESULT_CANCEL;
}

void BringParentFromService(juce::int64 parentID, juce::int64 itemID, const juce::String& version) {
  static std::mutex lock;
  static std::set<std::pair<juce::int64, juce::String>> asked;
  {
    std::lock_guard<std::mutex> hold(lock);
    if (!asked.emplace(itemID, version).second) return;
  }
  WriteMessageLog(KeyPoint, "The folder of a change is not known here, a full pull brings it, id is " + juce::String(parentID));
  if (auto pull = GetSyncEngineLinks().startImmediatePull) pull();
}

}  // namespace DownOps
