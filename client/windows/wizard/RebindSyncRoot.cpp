// Re-binding of the sync root to a chosen local folder (the wizard's commit
// and the settings form's change of folder).
#include "client/core/LogWriter.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/FileDBManager.h"
#include "client/core/db/FolderDBManager.h"
#include "client/core/protocol/ServerDirInfo.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/windows/wizard/InitSetForm.h"
#include "common/StringConvert.h"

namespace {

constexpr char kRebindTag[] = "CInitSetForm::BeforeChangeNextPageHandler(QuickSetPage)";

// Drops the table when it exists and creates it again; false (logged) when
// the creation failed.
bool RecreateTable(DBManagerBase* table, const char* failure) {
  if (!table) return false;
  if (table->IsDBTableExist()) table->DropDBTable();
  if (table->CreateDBTable() == 0) return true;
  WriteLog(ErrorLog, kRebindTag, failure);
  return false;
}

}  // namespace

void CInitSetForm::BeforeChangeNextPageHandler(const ServerDirInfo* serverFolder, CString localPath, bool sameRoot,
                                               bool stopEngine) {
  GlobalContext* context = GetGlobalContext();
  if (stopEngine && context->m_pSyncLogic) context->m_pSyncLogic->AfterChangeBindRootPath();
  if (!sameRoot) {
    if (!RecreateTable(context->m_pFolderDBManager.get(), "Create FolderList failed")) return;
    if (!RecreateTable(context->m_pFileDBManager.get(), "Create FileList failed")) return;
  }
  if (!serverFolder) return;
  SyncRootFolder* root = SyncRootFolder::GetInstance();
  SyncFolderData row;
  SyncHelper::ServerDirToSyncFolderData(*serverFolder, row);
  const juce::String path = Common::CString_to_String(localPath);
  row.m_FolderPath = path;
  const juce::String version = sameRoot ? root->GetGlobalVersion() : juce::String("0|0");
  root->SetRootFolder(path, version, row);
}
