#pragma once
// Fetches the signed-in account's top folders (getDirStructure of the root,
// not recursive) for the windows: posted to the Up pool by the first-run
// wizard, or run directly on its own thread by the settings window.
#include "base/WorkTask.h"
#include "client/core/protocol/DirReplies.h"

// (user data, HTTP status of the answer (0 without one), the reply).
typedef void (*GetSerDirCallBack)(void* userData, int httpStatus, DirTreeReply* reply);

class GetSerDirTask final : public juce::_WORK_TASK {
 public:
  explicit GetSerDirTask(const juce::String& name) : _WORK_TASK(name) {}

  // 0 when an answer with HTTP status 200 arrived (a body that does not
  // parse leaves code 1000), else 2 with the reply's code still -1. The
  // callback, when set, is called in both cases.
  int ExecuteWorkTask() override;

  DirTreeReply m_reply;
  GetSerDirCallBack m_pCallBack = nullptr;
  void* m_pUserData = nullptr;
};

// Stores the callback and its user data in the task; both null is logged.
void SetGetSerDirCallBack(GetSerDirTask* task, void* userData, GetSerDirCallBack callback);
