#pragma once
// The thread "InitLogicWorkFlow": runs the controller's start-up workflow
// once per start. Embedded in SyncLogic.
#include <atomic>
#include <memory>

#include <juce_core/juce_core.h>

struct SyncTaskManagers;

class InitLogicWorkFlowTask : public juce::Thread {
 public:
  InitLogicWorkFlowTask();
  ~InitLogicWorkFlowTask() override;
  // Fetches the engine from the global context and runs its workflow.
  void run() override;

  // Set by the main form before it reruns the workflow for "ExploreRefresh";
  // the next workflow's full pull clears it.
  std::atomic<bool> m_bForceFullPull{false};
  // The two managers, made on first request (SyncLogic::GetTaskManagers).
  std::unique_ptr<SyncTaskManagers> m_pTaskManagers;
};
