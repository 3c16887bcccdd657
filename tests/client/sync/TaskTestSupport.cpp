#include "TaskTestSupport.h"

namespace enginetest {

int OpScript::Next(const juce::String& what, SyncBaseOperation& op) {
  std::function<void(SyncBaseOperation&)> call;
  int result = 0;
  {
    std::lock_guard<std::mutex> hold(lock);
    ran.push_back(what);
    if (!results.empty()) {
      result = results.front();
      results.pop_front();
    }
    call = during;
  }
  if (call) call(op);
  return result;
}

std::vector<juce::String> OpScript::Ran() {
  std::lock_guard<std::mutex> hold(lock);
  return ran;
}

void OpScript::Push(std::initializer_list<int> values) {
  std::lock_guard<std::mutex> hold(lock);
  results.insert(results.end(), values);
}

void RegisterScriptedOps(SyncTaskDispatcher& dispatcher, OpScript& script) {
  SyncOperationTable& table = dispatcher.GetOperationTable();
  for (int op = 1; op <= 11; ++op) {
    table.SetUpFileOp(op, [&script, op](UpSyncFile& item) {
      return std::make_shared<ScriptedOp>(script, "up " + juce::String(op) + " " + item.GetPath());
    });
    table.SetUpFolderOp(op, [&script, op](UpSyncFolder& item) {
      return std::make_shared<ScriptedOp>(script, "up " + juce::String(op) + " " + item.GetPath());
    });
    table.SetDownFileOp(op, [&script, op](DownSyncFile& item) {
      return std::make_shared<ScriptedOp>(script, "down " + juce::String(op) + " #" +
                                                      juce::String(item.m_pTask->GetRecordID()));
    });
    table.SetDownFolderOp(op, [&script, op](DownSyncFolder& item) {
      return std::make_shared<ScriptedOp>(script, "down " + juce::String(op) + " #" +
                                                      juce::String(item.m_pTask->GetRecordID()));
    });
  }
}

DownSyncTask* MakeDownFile(juce::int64 id, int op, const juce::String& version, const juce::String& name,
                           juce::int64 parent) {
  auto* task = new DownSyncTask();
  task->m_bIsFile = 1;
  task->m_pFileData = std::make_unique<SyncFileData>();
  task->m_pFileData->m_FileID = id;
  task->m_pFileData->m_VersionValue = version;
  task->m_pFileData->m_FileName = name;
  task->m_pFileData->m_ParentID = parent;
  task->m_nServerID = id;
  task->m_nParentID = parent;
  task->m_nOp = op;
  return task;
}

DownSyncTask* MakeDownFolder(juce::int64 id, int op, const juce::String& version, const juce::String& name,
                             juce::int64 parent) {
  auto* task = new DownSyncTask();
  task->m_bIsFile = 0;
  task->m_pFolderData = std::make_unique<SyncFolderData>();
  task->m_pFolderData->m_FolderID = id;
  task->m_pFolderData->m_VersionValue = version;
  task->m_pFolderData->m_FolderName = name;
  task->m_pFolderData->m_ParentID = parent;
  task->m_nServerID = id;
  task->m_nParentID = parent;
  task->m_nOp = op;
  return task;
}

UpSyncTask* MakeUp(int op, const juce::String& path, const juce::String& srcPath) {
  auto* task = new UpSyncTask();
  task->m_nOp = op;
  task->m_bIsFile = op <= UP_OP_FILE_MODIFY ? 1 : 0;
  task->m_sPath = path;
  task->m_sSrcPath = srcPath.isEmpty() ? path : srcPath;
  return task;
}

}  // namespace enginetest
