#pragma once
// The folder requests of the up operations, on the Up pool.
#include "client/core/protocol/DirReplies.h"
#include "client/core/protocol/DirRequests.h"
#include "client/core/tasks/RequestTask.h"

// createDir.
class CreateFolderTask final : public RequestTask<CreateDirRequest, DirReply> {
 public:
  using RequestTask::RequestTask;
};

// renameDir.
class UpdateFolderTask final : public RequestTask<RenameDirRequest, DirReply> {
 public:
  using RequestTask::RequestTask;
};

// delDir.
class DeleteFolderTask final : public RequestTask<DelDirRequest, DirReply> {
 public:
  using RequestTask::RequestTask;
};
