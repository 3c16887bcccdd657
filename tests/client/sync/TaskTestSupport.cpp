#include "TaskTestSupport.h"

#include "client/sync/records/SyncRootFolder.h"

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
  changed.notify_all();
  if (call) call(op);
  return result;
}

bool OpScript::WaitForRuns(size_t count) {
  std::unique_lock<std::mutex> hold(lock);
  return changed.wait_for(hold, std::chrono::seconds(20), [&] { return ran.size() >= count; });
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

void SetUpFileEffect(SyncTaskDispatcher& dispatcher, int op, std::function<int(UpSyncTask&)> effect) {
  dispatcher.GetOperationTable().SetUpFileOp(op, [effect](UpSyncFile& item) {
    return std::make_shared<EffectOp<UpSyncTask>>(item.m_pTask, effect);
  });
}

void SetDownFileEffect(SyncTaskDispatcher& dispatcher, int op, std::function<int(DownSyncTask&)> effect) {
  dispatcher.GetOperationTable().SetDownFileOp(op, [effect](DownSyncFile& item) {
    return std::make_shared<EffectOp<DownSyncTask>>(item.m_pTask, effect);
  });
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

void TaskTest::SetUp() {
  EngineTest::SetUp();
  SyncRootFolder::DeleteInstance();
  m_rootPath = juce::String(m_root.path().string().c_str());
  SyncFolderData root = FolderRow(1, m_rootPath, 0);
  root.m_ParentPath = "/";
  SyncRootFolder::GetInstance()->SetRootFolder(m_rootPath, "0|0", root);
  RegisterScriptedOps(m_dispatcher, m_script);
  m_sink.Forget();
}

void TaskTest::TearDown() {
  SyncRootFolder::DeleteInstance();
  EngineTest::TearDown();
}

}  // namespace enginetest
