#pragma once
// The file requests of the up operations and the download token, on the Up
// pool.
#include "client/core/protocol/FileReplies.h"
#include "client/core/protocol/FileRequests.h"
#include "client/core/tasks/RequestTask.h"

// createFile.
class SyncUploadCreateTask final : public RequestTask<CreateFileRequest, FileReply> {
 public:
  using RequestTask::RequestTask;
};

// updateFileContent.
class SyncUploadModifyTask final : public RequestTask<UpdateFileContentRequest, FileReply> {
 public:
  using RequestTask::RequestTask;
};

// uploadFileControl: the upload's transport token.
class SyncUploadPZTask final : public RequestTask<UploadFileControlRequest, TransportTokenReply> {
 public:
  using RequestTask::RequestTask;
};

// completeFile.
class UploadFileCompletedTask final : public RequestTask<CompleteFileRequest, FileReply> {
 public:
  using RequestTask::RequestTask;
};

// renameFile.
class RenameFileTask final : public RequestTask<RenameFileRequest, FileReply> {
 public:
  using RequestTask::RequestTask;
};

// moveFile. The request's overwritten-file record belongs to the poster,
// which keeps it alive while it waits.
class MoveFileTask final : public RequestTask<MoveFileRequest, FileReply> {
 public:
  using RequestTask::RequestTask;
};

// delFile.
class DeleteFileTask final : public RequestTask<DelFileRequest, FileReply> {
 public:
  using RequestTask::RequestTask;
};

// downloadFileControl: the download's transport token.
class DownloadFileTokenTask final : public RequestTask<DownloadFileControlRequest, TransportTokenReply> {
 public:
  using RequestTask::RequestTask;
};
