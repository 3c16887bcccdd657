#pragma once
// A small operation for the task tests: each run answers the next result of
// its script (0 when the script is empty), records what it ran and may call
// back into the engine while it runs.
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "EngineTestSupport.h"
#include "client/sync/dispatch/SyncTaskDispatcher.h"
#include "client/sync/items/DownSyncFile.h"
#include "client/sync/items/DownSyncFolder.h"
#include "client/sync/items/UpSyncFile.h"
#include "client/sync/items/UpSyncFolder.h"
#include "client/sync/ops/SyncBaseOperation.h"
#include "client/sync/tasks/DownSyncTask.h"
#include "client/sync/tasks/UpSyncTask.h"

namespace enginetest {

struct OpScript {
  std::mutex lock;
  std::deque<int> results;
  std::vector<juce::String> ran;  // "up 1 /path" or "down 1 #id"
  std::function<void(SyncBaseOperation&)> during;

  int Next(const juce::String& what, SyncBaseOperation& op);
  std::vector<juce::String> Ran();
  void Push(std::initializer_list<int> values);
};

class ScriptedOp : public SyncBaseOperation {
 public:
  ScriptedOp(OpScript& script, juce::String what) : m_script(script), m_what(std::move(what)) {}
  int Execute_SyncOperation() override { return m_script.Next(m_what, *this); }
  int Success_SyncOperation() override { return 0; }

 private:
  OpScript& m_script;
  juce::String m_what;
};

// Registers the scripted operation for every op code of both sides.
void RegisterScriptedOps(SyncTaskDispatcher& dispatcher, OpScript& script);

DownSyncTask* MakeDownFile(juce::int64 id, int op, const juce::String& version, const juce::String& name = "f.txt",
                           juce::int64 parent = 1);
DownSyncTask* MakeDownFolder(juce::int64 id, int op, const juce::String& version, const juce::String& name = "d",
                             juce::int64 parent = 1);
UpSyncTask* MakeUp(int op, const juce::String& path, const juce::String& srcPath = {});

}  // namespace enginetest
