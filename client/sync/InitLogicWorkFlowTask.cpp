#include "client/sync/InitLogicWorkFlowTask.h"

#include "client/sync/SyncLogic.h"

InitLogicWorkFlowTask::InitLogicWorkFlowTask() : juce::Thread("InitLogicWorkFlow") {}

InitLogicWorkFlowTask::~InitLogicWorkFlowTask() {
  // The owner has stopped everything the workflow waits on; a workflow still
  // running ends once its current request returns.
  stopThread(-1);
}

void InitLogicWorkFlowTask::run() {
  if (SyncLogic* logic = GetSyncLogic()) logic->RunStartupWorkflow();
}
