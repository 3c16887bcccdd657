// The request tasks on their pools against the local cloud service: a folder
// and a file through their whole life, the pulls, and failed answers.
#include <gtest/gtest.h>

#include <algorithm>

#include "../login/ServiceFixture.h"
#include "base/MyThreadsPool.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/protocol/RequestFrame.h"
#include "client/core/tasks/FileTasks.h"
#include "client/core/tasks/FolderTasks.h"
#include "client/core/tasks/GetSerDirTask.h"
#include "client/core/tasks/PullTasks.h"
#include "client/core/tasks/TransferTasks.h"

using namespace signintest;

namespace {

// A wait-and-release task with GetResult, run on the Up pool; its reply.
template <class Task, class Request>
auto RunUp(const Request& request, bool* success = nullptr) {
  decltype(Task("", request).m_reply) reply;
  const bool done =
      PostAndWait(GetUpThreadsPool(), new Task("Task", request), [&](Task& task) { task.GetResult(reply); });
  if (success) *success = done;
  return reply;
}

class RequestTasksTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    ASSERT_EQ(SignIn(m_manager), LoginManager::kOk);
    m_header = CurrentRequestHeader();
  }

  LoginManager m_manager;
  RequestHeader m_header;
};

TEST_F(RequestTasksTest, AFolderAndAFileThroughTheirLife) {
  bool ok = false;
  const DirReply created = RunUp<CreateFolderTask>(
      CreateDirRequest(m_header, -1, m_header.userId, -1, "docs", "", 0, 0), &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(created.dir.dirName, "docs");
  const int64_t folder = created.dir.id;

  const DirReply renamed =
      RunUp<UpdateFolderTask>(RenameDirRequest(m_header, folder, m_header.userId, "papers", 1, 0), &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(renamed.dir.dirName, "papers");

  const Json::Value put =
      Admin("put?account=" + std::string(kAccount) + "&parentId=" + std::to_string(folder) + "&name=a.txt", "abc");
  const int64_t file = put["file"]["id"].asInt64();
  const FileReply fileRenamed = RunUp<RenameFileTask>(
      RenameFileRequest(m_header, file, m_header.userId, put["file"]["version"]["value"].asString(), "b.txt", 1, 1, 0),
      &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(fileRenamed.file.fileName, "b.txt");

  const FileReply moved = RunUp<MoveFileTask>(
      MoveFileRequest(m_header, MoveFileInfo(fileRenamed.file.versionValue, file, m_header.userId, -1), nullptr), &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(moved.file.parentId, -1);

  const FileReply modified = RunUp<SyncUploadModifyTask>(
      UpdateFileContentRequest(m_header, file, m_header.userId, kAccount, moved.file.versionValue,
                               "900150983cd24fb0d6963f7d28e17f72", 3, 0, "/local/b.txt", 0, 0, true, 1),
      &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(modified.type, 5) << "the same content: nothing to send";

  bool pulled = PostAndWait(GetDownThreadsPool(),
                            new SyncFolderFromServerTask("SyncFolderFromServerTask",
                                                         SyncDirRequest(m_header, -1, "", false, true, true)),
                            [&](SyncFolderFromServerTask& task) {
                              ASSERT_TRUE(task.m_pReply);
                              EXPECT_EQ(task.m_pReply->dirFiles.size(), 2u);
                            });
  EXPECT_TRUE(pulled);
  GetDirFilesRequest listing{m_header, -1, m_header.userId, true, true};
  pulled = PostAndWait(GetDownThreadsPool(), new ImmediateSyncFromServerTask("ImmediateSyncFromServerTask", listing),
                       [&](ImmediateSyncFromServerTask& task) {
                         ASSERT_TRUE(task.m_pReply);
                         ASSERT_EQ(task.m_pReply->dir.files.size(), 1u);
                         EXPECT_EQ(task.m_pReply->dir.files[0]->fileName, "b.txt");
                         ASSERT_EQ(task.m_pReply->dir.subdirs.size(), 1u);
                       });
  EXPECT_TRUE(pulled);

  GetSerDirTask tree("GetSerDirTask");
  int status = 0;
  std::vector<std::string> names;
  SetGetSerDirCallBack(&tree, &status, [](void* user, int httpStatus, DirTreeReply* reply) {
    *static_cast<int*>(user) = httpStatus;
    EXPECT_EQ(reply->code, 200);
    EXPECT_EQ(reply->dir.subdirs.size(), 1u);
  });
  EXPECT_EQ(tree.ExecuteWorkTask(), 0);
  EXPECT_EQ(status, 200);

  RunUp<DeleteFileTask>(DelFileRequest(m_header, file, ""), &ok);
  EXPECT_TRUE(ok);
  RunUp<DeleteFolderTask>(DelDirRequest(m_header, folder, "", true, false), &ok);
  EXPECT_TRUE(ok);
}

TEST_F(RequestTasksTest, AnUnfinishedUploadIsDropped) {
  bool ok = false;
  const FileReply created = RunUp<SyncUploadCreateTask>(
      CreateFileRequest(m_header, -1, m_header.userId, 0, "900150983cd24fb0d6963f7d28e17f72", 3, -1, "u.txt", "", "",
                        false, 1, 0, true, true),
      &ok);
  ASSERT_TRUE(ok);
  ASSERT_EQ(created.type, 0);
  const DelFileIncompleteRequest request{m_header, created.file.id, m_header.userId};
  EXPECT_TRUE(PostAndWait(GetUpThreadsPool(), new DeleteIncompleteFileTask("DeleteInCompleted", request),
                          [](DeleteIncompleteFileTask&) {}));
  const UploadFileControlRequest token{m_header, created.file.id, created.file.id, m_header.userId};
  const TransportTokenReply refused = RunUp<SyncUploadPZTask>(token, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(refused.code, 555) << "a file that never completed goes with its upload";
}

TEST_F(RequestTasksTest, FailedAnswersReachThePoster) {
  bool ok = true;
  RunUp<CreateFolderTask>(CreateDirRequest(m_header, -1, m_header.userId, -1, "x", "", 0, 0), &ok);
  ASSERT_TRUE(ok);
  const DirReply conflict =
      RunUp<CreateFolderTask>(CreateDirRequest(m_header, -1, m_header.userId, -1, "x", "", 0, 0), &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(conflict.code, 611);

  Fault("op=getDirFiles&http=503");
  GetDirFilesRequest listing{m_header, -1, m_header.userId, true, true};
  EXPECT_FALSE(PostAndWait(GetDownThreadsPool(), new ImmediateSyncFromServerTask("Pull", listing),
                           [](ImmediateSyncFromServerTask& task) { EXPECT_EQ(task.m_pReply->code, 503); }));

  Fault("op=syncDir&http=503");
  EXPECT_FALSE(PostAndWait(GetDownThreadsPool(),
                           new SyncFolderFromServerTask("Pull", SyncDirRequest(m_header, -1, "", false, true, true)),
                           [](SyncFolderFromServerTask& task) { EXPECT_EQ(task.m_pReply, nullptr); }));

  Fault("op=getDirStructure&http=500");
  GetSerDirTask tree("GetSerDirTask");
  EXPECT_EQ(tree.ExecuteWorkTask(), 2) << "no callback is needed";
  EXPECT_EQ(tree.m_reply.code, -1);
}

}  // namespace
