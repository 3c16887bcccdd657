#pragma once
// A small operation for the task tests: each run answers the next result of
// its script (0 when the script is empty), records what it ran and may call
// back into the engine while it runs.
#include <condition_variable>
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
  // Blocks until at least count runs happened (false after a generous guard,
  // so a broken pump fails the test instead of hanging it).
  bool WaitForRuns(size_t count);

  std::condition_variable changed;
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

// An operation whose run does `effect` to its task and answers its result.
template <typename Task>
class EffectOp : public SyncBaseOperation {
 public:
  EffectOp(Task* task, std::function<int(Task&)> effect) : m_pTask(task), m_effect(std::move(effect)) {}
  int Execute_SyncOperation() override { return m_effect(*m_pTask); }
  int Success_SyncOperation() override { return 0; }

 private:
  Task* m_pTask;
  std::function<int(Task&)> m_effect;
};

// Replaces the up file operation of op by one with that effect.
void SetUpFileEffect(SyncTaskDispatcher& dispatcher, int op, std::function<int(UpSyncTask&)> effect);
void SetDownFileEffect(SyncTaskDispatcher& dispatcher, int op, std::function<int(DownSyncTask&)> effect);

// Registers the scripted operation for every op code of both sides.
void RegisterScriptedOps(SyncTaskDispatcher& dispatcher, OpScript& script);

DownSyncTask* MakeDownFile(juce::int64 id, int op, const juce::String& version, const juce::String& name = "f.txt",
                           juce::int64 parent = 1);
DownSyncTask* MakeDownFolder(juce::int64 id, int op, const juce::String& version, const juce::String& name = "d",
                             juce::int64 parent = 1);
UpSyncTask* MakeUp(int op, const juce::String& path, const juce::String& srcPath = {});

// A sync root on the test's folder (id 1, version "0|0") and a dispatcher
// whose every operation is scripted.
class TaskTest : public EngineTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  juce::String m_rootPath;
  OpScript m_script;
  SyncTaskDispatcher m_dispatcher{SyncTaskDispatcher::EmptyTable{}};
};

}  // namespace enginetest
