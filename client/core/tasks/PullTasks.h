#pragma once
// The two server pulls, on the Down pool. Their replies live on the heap and
// belong to the task; the poster reads them between WaitExecuteFinishEvent and
// SignReleaseEvent.
#include <memory>

#include "base/WaitReleaseWorkTask.h"
#include "client/core/protocol/DirReplies.h"
#include "client/core/protocol/DirRequests.h"

// syncDir: the items changed since a version. The reply is made at the first
// answer with HTTP status 200, so after a failed exchange m_pReply is null.
class SyncFolderFromServerTask final : public juce::_WaitRelease_Work_Task {
 public:
  SyncFolderFromServerTask(const juce::String& name, const SyncDirRequest& request)
      : _WaitRelease_Work_Task(name), m_request(request) {}

  int ExecuteWorkTask() override;

  SyncDirRequest m_request;
  std::unique_ptr<SyncDirReply> m_pReply;
};

// getDirFiles: a folder's whole content. When the exchange fails or its HTTP
// status is not 200, the reply's code is that status (0 without an answer).
class ImmediateSyncFromServerTask final : public juce::_WaitRelease_Work_Task {
 public:
  ImmediateSyncFromServerTask(const juce::String& name, const GetDirFilesRequest& request)
      : _WaitRelease_Work_Task(name), m_request(request) {}

  int ExecuteWorkTask() override;

  GetDirFilesRequest m_request;
  std::unique_ptr<DirFilesReply> m_pReply;
};
