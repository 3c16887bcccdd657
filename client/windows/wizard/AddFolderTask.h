#pragma once
// Creates a folder below the service's root for the wizard (createDir), on a
// pool thread; the pool owns and frees the task after it ran. Its callback
// gets the HTTP status and the reply (code -1 without an answer).
#include <string>

#include "base/WorkTask.h"
#include "client/core/protocol/DirReplies.h"

// (user data, HTTP status, the reply).
typedef void (*AddFolderCallBack)(void* userData, int httpStatus, DirReply* reply);

class AddFolderTask final : public juce::_WORK_TASK {
 public:
  // The task named "AutoAddFolderTask" asks the service for name-conflict policy 2.
  AddFolderTask(const juce::String& name, std::string folderName);

  // Both null is logged; the later result then goes nowhere.
  void SetAddFolderCallBack(void* userData, AddFolderCallBack callback);
  // 0 when the service answered with HTTP status 200 (a body that is not JSON
  // leaves code 1000), else 2.
  int ExecuteWorkTask() override;

 private:
  std::string m_folderName;
  DirReply m_reply;
  void* m_pUserData = nullptr;
  AddFolderCallBack m_pCallBack = nullptr;
};
