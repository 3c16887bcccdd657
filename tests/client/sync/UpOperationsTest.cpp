// The up operations against the local cloud service: a real sync folder, a
// real per-user database, the service's tree and request log, and a real
// process that holds a file open.
#include <gtest/gtest.h>
#include <json/value.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "../core/login/ServiceFixture.h"
#include "EngineTestSupport.h"
#include "LockHolderProcess.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/FileDBManager.h"
#include "client/core/db/FolderDBManager.h"
#include "client/core/db/LocalDatabases.h"
#include "client/core/tasks/FolderTasks.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/dispatch/SyncOperationTable.h"
#include "client/sync/items/UpSyncFile.h"
#include "client/sync/items/UpSyncFolder.h"
#include "client/sync/ops/LocalNetErrorManager.h"
#include "client/sync/ops/SyncBaseOperation.h"
#include "client/sync/ops/up/UpRequest.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/registry/NameConflictRegistry.h"
#include "client/sync/tasks/UpSyncTask.h"

namespace {

namespace fs = std::filesystem;
using signintest::kAccount;

class UpOpsTest : public signintest::ServiceTest {
 protected:
  void SetUp() override {
    InstallSyncEngine();
    ServiceTest::SetUp();
    LoginManager manager;
    ASSERT_EQ(SignIn(manager), LoginManager::kOk);
    ASSERT_EQ(OpenUserDB(kAccount), 0);
    GlobalContext* context = GetGlobalContext();
    ASSERT_EQ(context->m_pFileDBManager->CreateDBTable(), 0);
    ASSERT_EQ(context->m_pFolderDBManager->CreateDBTable(), 0);
    GetSyncLogic()->SetNotifyUI(&m_sink);
    LocalNetErrorManager::GetInstance()->SetOnline(true);

    // The sync root, made on the service as the wizard makes it.
    const std::string rootName = m_root.path().filename().string();
    CreateDirRequest request(RequestHeader(), -1, GetAccountData()->GetSnapshot().UserID, -1, rootName, "", 0, 2);
    request.header = Header();
    DirReply reply;
    ASSERT_TRUE(PostUpRequest(new CreateFolderTask("CreateFolderTask", request), reply)) << reply.code;
    SyncFolderData rootRow;
    SyncHelper::ServerDirToSyncFolderData(reply.dir, rootRow);
    rootRow.m_FolderPath = RootPath();
    SyncRootFolder::GetInstance()->SetRootFolder(RootPath(), "0|0", rootRow);
    m_rootID = reply.dir.id;

    ClearSyncEngineLinks();
    SyncEngineLinks links;
    links.ignoreProgramChange = [this](const juce::String& a, const juce::String& b, int type) {
      Record("ignore " + a + " -> " + b + " " + juce::String(type));
    };
    links.unignoreProgramChange = [this](const juce::String& a, const juce::String& b, int type) {
      Record("forget " + a + " -> " + b + " " + juce::String(type));
      return true;
    };
    links.pullFolderFromServer = [this](const juce::String& version, juce::int64 id) {
      Record("pull " + juce::String(id) + " " + version);
    };
    links.startImmediatePull = [this] { Record("full pull"); };
    links.queueLocalFileAdd = [this](const juce::String& path) { Record("queue " + path); };
    links.repathUpTasks = [this](const juce::String& from, const juce::String& to) {
      Record("repath " + from + " -> " + to);
    };
    InstallSyncEngineLinks(links);
    RegisterSyncOperations(m_table);
    Admin("log/clear");
  }

  void TearDown() override {
    if (SyncLogic* logic = GetSyncLogic()) logic->SetNotifyUI(nullptr);
    ClearSyncEngineLinks();
    SyncRootFolder::DeleteInstance();
    NameConflictRegistry::DeleteInstance();
    ServiceTest::TearDown();
  }

  static RequestHeader Header() {
    const AccountSnapshot account = GetAccountData()->GetSnapshot();
    return RequestHeader(GetProductInfo().ProductName.toStdString(), account.UserID, account.m_sSessionID.toStdString());
  }

  // The root's stored version becomes the service's current one, as after a pull.
  void CatchUp() {
    const Json::Value tree = Admin(std::string("tree?account=") + kAccount);
    SyncRootFolder* root = SyncRootFolder::GetInstance();
    root->SetRootFolder(RootPath(), "0|" + juce::String(tree["g"].asInt64()), root->GetFolderData());
  }

  juce::String RootPath() const { return juce::String(m_root.path().string()); }
  juce::String Local(const std::string& relative) const { return juce::String((m_root.path() / relative).string()); }
  void Write(const std::string& relative, const std::string& bytes) { dorvtest::WriteFile(m_root / relative, bytes); }

  void Record(const juce::String& what) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_links.push_back(what.toStdString());
  }
  std::vector<std::string> Links() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_links;
  }

  // A task as the file-event filter makes it.
  std::unique_ptr<UpSyncTask> Task(int op, const std::string& path, const std::string& src = {}) {
    auto task = std::make_unique<UpSyncTask>();
    task->m_nOp = op;
    task->m_bIsFile = op <= UP_OP_FILE_MODIFY ? 1 : 0;
    task->m_sPath = Local(path);
    task->m_sSrcPath = src.empty() ? task->m_sPath : Local(src);
    if (task->m_bIsFile && juce::File(task->m_sPath).existsAsFile()) {
      task->m_sMd5 = SyncHelper::GetFileMD5(task->m_sPath);
      task->m_nSize = SyncHelper::GetFileSize(task->m_sPath);
      task->m_time = SyncHelper::GetFileModifiedTime(task->m_sPath);
    }
    return task;
  }

  // Builds the task's operation through the dispatcher's table and runs it.
  int Run(UpSyncTask& task) {
    std::shared_ptr<SyncBaseOperation> op;
    std::unique_ptr<UpSyncFile> file;
    std::unique_ptr<UpSyncFolder> folder;
    if (task.m_bIsFile) {
      file = std::make_unique<UpSyncFile>(&task);
      op = m_table.MakeUpFileOp(task.m_nOp, *file);
    } else {
      folder = std::make_unique<UpSyncFolder>(&task);
      op = m_table.MakeUpFolderOp(task.m_nOp, *folder);
    }
    EXPECT_NE(op, nullptr) << task.m_nOp;
    return op ? op->Run() : -1;
  }
  int Run(int op, const std::string& path, const std::string& src = {}) { return Run(*Task(op, path, src)); }

  // The service's live item at the path below the root, null Json when none.
  Json::Value Item(const std::string& relative) {
    const Json::Value tree = Admin(std::string("tree?account=") + kAccount);
    const std::string suffix = "/" + relative;
    for (const Json::Value& item : tree["items"]) {
      const std::string path = item["path"].asString();
      if (item["status"].asInt() == 0 && path.size() >= suffix.size() &&
          path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
        return item;
    }
    return Json::Value();
  }
  SyncFileData FileRow(const std::string& relative) {
    SyncFileData row;
    SyncFileDataManager::SelectSyncFileData(Local(relative), row);
    return row;
  }
  SyncFolderData FolderRow(const std::string& relative) {
    SyncFolderData row;
    SyncFileDataManager::SelectSyncFolderData(Local(relative), row);
    return row;
  }

  dorvtest::TempDir m_root{"dorv-upops"};
  enginetest::RecordingSink m_sink;
  SyncOperationTable m_table;
  juce::int64 m_rootID = 0;
  std::mutex m_lock;
  std::vector<std::string> m_links;
};

std::string Bytes(size_t n) {
  std::string bytes(n, '\0');
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
  return bytes;
}

TEST_F(UpOpsTest, AddedFilesOfEverySizeReachTheServiceAndTheirRows) {
  for (size_t size : {size_t(0), size_t(1), size_t(2 * 2097152 + 3)}) {
    SCOPED_TRACE(size);
    const std::string name = "f" + std::to_string(size) + ".bin";
    Write(name, Bytes(size));
    ASSERT_EQ(Run(UP_OP_FILE_ADD, name), SYNC_RESULT_SUCCESS);
    const Json::Value item = Item(name);
    ASSERT_FALSE(item.isNull());
    EXPECT_EQ(item["size"].asInt64(), static_cast<juce::int64>(size));
    EXPECT_EQ(item["md5"].asString(), SyncHelper::GetFileMD5(Local(name)).toStdString());
    const SyncFileData row = FileRow(name);
    EXPECT_EQ(row.m_FileID, item["id"].asInt64());
    EXPECT_EQ(row.m_ParentID, m_rootID);
    EXPECT_EQ(row.m_Md5.toStdString(), item["md5"].asString());
  }
  EXPECT_EQ(Requests("uploadFile"), 4) << "nothing for the empty file, one block for 1 byte, three for 4 MiB + 3";
  // Content the database already holds is not sent again.
  Admin("log/clear");
  EXPECT_EQ(Run(UP_OP_FILE_MODIFY, "f1.bin"), SYNC_RESULT_SUCCESS);
  EXPECT_EQ(Requests("updateFileContent"), 0);
}

TEST_F(UpOpsTest, ModifyRenameMoveAndDeleteAFile) {
  Write("a.txt", "one");
  ASSERT_EQ(Run(UP_OP_FILE_ADD, "a.txt"), SYNC_RESULT_SUCCESS);
  const juce::int64 id = FileRow("a.txt").m_FileID;

  Write("a.txt", "two, longer");
  ASSERT_EQ(Run(UP_OP_FILE_MODIFY, "a.txt"), SYNC_RESULT_SUCCESS);
  EXPECT_EQ(Requests("updateFileContent"), 1);
  EXPECT_EQ(Item("a.txt")["md5"].asString(), SyncHelper::GetFileMD5(Local("a.txt")).toStdString());
  EXPECT_EQ(FileRow("a.txt").m_FileID, id);

  fs::rename(m_root / "a.txt", m_root / "b.txt");
  ASSERT_EQ(Run(UP_OP_FILE_RENAME, "b.txt", "a.txt"), SYNC_RESULT_SUCCESS);
  EXPECT_TRUE(Item("a.txt").isNull());
  EXPECT_EQ(Item("b.txt")["id"].asInt64(), id);
  EXPECT_EQ(FileRow("a.txt").m_FileID, -1);
  EXPECT_EQ(FileRow("b.txt").m_FileID, id);

  fs::create_directory(m_root / "sub");
  ASSERT_EQ(Run(UP_OP_FOLDER_ADD, "sub"), SYNC_RESULT_SUCCESS);
  const juce::int64 sub = FolderRow("sub").m_FolderID;
  ASSERT_EQ(sub, Item("sub")["id"].asInt64());
  fs::rename(m_root / "b.txt", m_root / "sub" / "b.txt");
  ASSERT_EQ(Run(UP_OP_FILE_MOVE, "sub/b.txt", "b.txt"), SYNC_RESULT_SUCCESS);
  EXPECT_EQ(Item("sub/b.txt")["parentId"].asInt64(), sub);
  EXPECT_EQ(FileRow("sub/b.txt").m_ParentID, sub);
  EXPECT_TRUE(Links().empty()) << "same content: nothing queued";

  fs::remove(m_root / "sub" / "b.txt");
  ASSERT_EQ(Run(UP_OP_FILE_DELETE, "sub/b.txt"), SYNC_RESULT_SUCCESS);
  EXPECT_TRUE(Item("sub/b.txt").isNull());
  EXPECT_EQ(FileRow("sub/b.txt").m_FileID, -1);
  // A delete of a path the database doesn't know sends nothing.
  Admin("log/clear");
  EXPECT_EQ(Run(UP_OP_FILE_DELETE, "never.txt"), SYNC_RESULT_CANCEL);
  EXPECT_EQ(Requests("delFile"), 0);
}

TEST_F(UpOpsTest, AMoveThatReplacedTheContentQueuesItsUpload) {
  Write("m.txt", "old");
  ASSERT_EQ(Run(UP_OP_FILE_ADD, "m.txt"), SYNC_RESULT_SUCCESS);
  fs::create_directory(m_root / "d");
  ASSERT_EQ(Run(UP_OP_FOLDER_ADD, "d"), SYNC_RESULT_SUCCESS);
  fs::remove(m_root / "m.txt");
  Write("d/m.txt", "new content");
  ASSERT_EQ(Run(UP_OP_FILE_MOVE, "d/m.txt", "m.txt"), SYNC_RESULT_SUCCESS);
  EXPECT_EQ(Links(), std::vector<std::string>{"queue " + Local("d/m.txt").toStdString()});

  // Into a folder the service does not know yet: the move waits for it.
  fs::create_directory(m_root / "new");
  fs::rename(m_root / "d" / "m.txt", m_root / "new" / "m.txt");
  auto move = Task(UP_OP_FILE_MOVE, "new/m.txt", "d/m.txt");
  EXPECT_EQ(Run(*move), SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN);
  EXPECT_EQ(move->m_nWaitReason, UP_WAIT_NO_PARENT_ID);
}

// The service deleted the moved file meanwhile, and the file at the move's
// target went up on its own already: the move becomes an upload of the target
// and the target keeps its row, so that upload finds the service's file there
// instead of making a second one under a free name.
TEST_F(UpOpsTest, AMoveOfAFileTheServiceDeletedKeepsTheTargetsOwnRow) {
  Write("m.txt", "content");
  ASSERT_EQ(Run(UP_OP_FILE_ADD, "m.txt"), SYNC_RESULT_SUCCESS);
  fs::create_directory(m_root / "d");
  ASSERT_EQ(Run(UP_OP_FOLDER_ADD, "d"), SYNC_RESULT_SUCCESS);
  fs::rename(m_root / "m.txt", m_root / "d" / "m.txt");
  ASSERT_EQ(Run(UP_OP_FILE_ADD, "d/m.txt"), SYNC_RESULT_SUCCESS);
  const juce::int64 target = FileRow("d/m.txt").m_FileID;
  Admin(std::string("delete?account=") + kAccount + "&id=" + std::to_string(FileRow("m.txt").m_FileID));

  auto move = Task(UP_OP_FILE_MOVE, "d/m.txt", "m.txt");
  EXPECT_EQ(Run(*move), SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK);
  EXPECT_EQ(move->m_nOp, UP_OP_FILE_ADD);
  EXPECT_EQ(FileRow("m.txt").m_FileID, -1);
  EXPECT_EQ(FileRow("d/m.txt").m_FileID, target);
  EXPECT_EQ(Run(*move), SYNC_RESULT_SUCCESS);
  EXPECT_EQ(Item("d/m.txt")["id"].asInt64(), target);
  EXPECT_TRUE(Item("d/m (1).txt").isNull());
}

TEST_F(UpOpsTest, FoldersAreCreatedRenamedWithWhatTheyHoldAndDeleted) {
  fs::create_directories(m_root / "f" / "inner");
  Write("f/x.txt", "x");
  // A folder made and replaced by a file of its name before its creation
  // went up: no folder goes up (the file's own changes send the file).
  Write("swapped", "a file now");
  EXPECT_EQ(Run(UP_OP_FOLDER_ADD, "swapped"), SYNC_RESULT_ERROR_REMOVE);
  EXPECT_TRUE(Item("swapped").isNull());
  // A folder whose parent has no row waits for it.
  auto early = Task(UP_OP_FOLDER_ADD, "f/inner");
  EXPECT_EQ(Run(*early), SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN);
  EXPECT_EQ(early->m_nWaitReason, UP_WAIT_NO_PARENT_ID);
  // A folder replaced by a file before its creation went up: the file's own
  // change goes up, no folder is made.
  Write("was-folder", "a file now");
  EXPECT_EQ(Run(UP_OP_FOLDER_ADD, "was-folder"), SYNC_RESULT_ERROR_REMOVE);
  EXPECT_TRUE(Item("was-folder").isNull());
  ASSERT_EQ(Run(UP_OP_FOLDER_ADD, "f"), SYNC_RESULT_SUCCESS);
  ASSERT_EQ(Run(UP_OP_FOLDER_ADD, "f/inner"), SYNC_RESULT_SUCCESS);
  ASSERT_EQ(Run(UP_OP_FILE_ADD, "f/x.txt"), SYNC_RESULT_SUCCESS);

  fs::rename(m_root / "f", m_root / "g");
  ASSERT_EQ(Run(UP_OP_FOLDER_RENAME, "g", "f"), SYNC_RESULT_SUCCESS);
  EXPECT_FALSE(Item("g/x.txt").isNull());
  EXPECT_NE(FolderRow("g").m_FolderID, -1);
  EXPECT_NE(FolderRow("g/inner").m_FolderID, -1);
  EXPECT_NE(FileRow("g/x.txt").m_FileID, -1);
  EXPECT_EQ(FolderRow("f").m_FolderID, -1);

  // The pull after the uploads has brought the root's version up to date.
  CatchUp();
  fs::remove_all(m_root / "g");
  ASSERT_EQ(Run(UP_OP_FOLDER_DELETE, "g"), SYNC_RESULT_SUCCESS);
  EXPECT_TRUE(Item("g").isNull());
  EXPECT_TRUE(Item("g/x.txt").isNull());
  EXPECT_EQ(FolderRow("g").m_FolderID, -1);
  EXPECT_EQ(FileRow("g/x.txt").m_FileID, -1);
}

TEST_F(UpOpsTest, TheLocalItemTakesTheNameTheServiceChose) {
  const std::string account = std::string("account=") + kAccount;
  Admin("put?" + account + "&parentId=" + std::to_string(m_rootID) + "&name=c.txt", "theirs");
  Write("c.txt", "mine");
  ASSERT_EQ(Run(UP_OP_FILE_ADD, "c.txt"), SYNC_RESULT_SUCCESS);
  EXPECT_FALSE(fs::exists(m_root / "c.txt"));
  EXPECT_EQ(dorvtest::ReadFile(m_root / "c (1).txt"), "mine");
  EXPECT_EQ(Item("c (1).txt")["md5"].asString(), SyncHelper::GetFileMD5(Local("c (1).txt")).toStdString());
  EXPECT_NE(FileRow("c (1).txt").m_FileID, -1);
  EXPECT_EQ(FileRow("c.txt").m_FileID, -1);
  const std::vector<std::string> links = Links();
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(links[0], "ignore " + Local("c.txt").toStdString() + " -> " + Local("c (1).txt").toStdString() + " 4");
  EXPECT_EQ(links[1].rfind("pull ", 0), 0u);

  // A folder renamed onto a name the service has: the folder moves with what it holds.
  Admin("mkdir?" + account + "&parentId=" + std::to_string(m_rootID) + "&name=e");
  fs::create_directory(m_root / "x");
  Write("x/in.txt", "in");
  ASSERT_EQ(Run(UP_OP_FOLDER_ADD, "x"), SYNC_RESULT_SUCCESS);
  ASSERT_EQ(Run(UP_OP_FILE_ADD, "x/in.txt"), SYNC_RESULT_SUCCESS);
  fs::rename(m_root / "x", m_root / "e");
  auto rename = Task(UP_OP_FOLDER_RENAME, "e", "x");
  ASSERT_EQ(Run(*rename), SYNC_RESULT_SUCCESS);
  EXPECT_EQ(dorvtest::ReadFile(m_root / "e (1)" / "in.txt"), "in");
  EXPECT_FALSE(fs::exists(m_root / "e"));
  EXPECT_EQ(rename->m_bRenamePending, 1);
  EXPECT_EQ(rename->m_sNewName, Local("e (1)"));
  EXPECT_EQ(FolderRow("e (1)").m_FolderID, Item("e (1)")["id"].asInt64());
  EXPECT_NE(FileRow("e (1)/in.txt").m_FileID, -1);
  // The changes queued below the folder follow it.
  const std::string repath = "repath " + Local("e").toStdString() + " -> " + Local("e (1)").toStdString();
  EXPECT_EQ(Links().back(), repath);
}

TEST_F(UpOpsTest, AConflictOnAFileAnotherProgramHoldsWaitsForTheRegistry) {
  Admin(std::string("put?account=") + kAccount + "&parentId=" + std::to_string(m_rootID) + "&name=l.txt", "theirs");
  Write("l.txt", "mine");
  auto holder = std::make_unique<wintest::LockHolderProcess>((m_root / "l.txt").string(), "ofd-exclusive");
  auto task = Task(UP_OP_FILE_ADD, "l.txt");
  EXPECT_EQ(Run(*task), SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN);
  EXPECT_EQ(task->m_nWaitReason, UP_WAIT_NAME_CONFLICT);
  EXPECT_TRUE(fs::exists(m_root / "l.txt"));
  EXPECT_TRUE(NameConflictRegistry::GetInstance()->HasEntry(Local("l.txt")));
  EXPECT_EQ(Links().size(), 1u) << "the ignore entry stays";
  holder.reset();
  int result = -1;
  EXPECT_TRUE(NameConflictRegistry::GetInstance()->Retry(Local("l.txt"), result));
  EXPECT_EQ(dorvtest::ReadFile(m_root / "l (1).txt"), "mine");
  EXPECT_NE(FileRow("l (1).txt").m_FileID, -1);
}

TEST_F(UpOpsTest, AFileOf2GiBIsRefusedBeforeAnyRequestWithANotice) {
  const fs::path big = m_root / "big.iso";
  {
    const int fd = ::open(big.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 2147483648LL), 0);  // sparse: no blocks on disk
    ::close(fd);
  }
  auto task = Task(UP_OP_FILE_ADD, "big.iso");
  task->m_sMd5 = "0123456789abcdef0123456789abcdef";  // the filter's digest; spares hashing 2 GiB of zeros
  EXPECT_EQ(Run(*task), SYNC_RESULT_ERROR_REMOVE);
  for (const char* op : {"createFile", "updateFileContent", "uploadFileControl", "uploadFile"})
    EXPECT_EQ(Requests(op), 0) << op;
  bool noticed = false;
  for (const SyncNotifyInfo& info : m_sink.Events()) noticed |= info.type == SNT_FILE_TOO_BIG;
  EXPECT_TRUE(noticed);
  const auto states = m_sink.PathStates();
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.back(), std::make_pair(Local("big.iso"), int(SYNC_PATH_FAILED)));
}

TEST_F(UpOpsTest, AConflictNeverMovesAFileOverAnotherOne) {
  Admin(std::string("put?account=") + kAccount + "&parentId=" + std::to_string(m_rootID) + "&name=t.txt", "theirs");
  Write("t.txt", "mine");
  Write("t (1).txt", "another file of mine, not synced yet");
  EXPECT_EQ(Run(UP_OP_FILE_ADD, "t.txt"), SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK);
  EXPECT_EQ(dorvtest::ReadFile(m_root / "t.txt"), "mine");
  EXPECT_EQ(dorvtest::ReadFile(m_root / "t (1).txt"), "another file of mine, not synced yet");
  const std::vector<std::string> links = Links();
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(links[1].rfind("forget ", 0), 0u) << "the announced rename did not happen";
}

TEST_F(UpOpsTest, AFolderDeleteTheConnectionLostKeepsItsRows) {
  fs::create_directory(m_root / "h");
  ASSERT_EQ(Run(UP_OP_FOLDER_ADD, "h"), SYNC_RESULT_SUCCESS);
  CatchUp();
  fs::remove(m_root / "h");
  Fault("op=delDir&drop=1");
  EXPECT_EQ(Run(UP_OP_FOLDER_DELETE, "h"), SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN);
  EXPECT_NE(FolderRow("h").m_FolderID, -1);
  EXPECT_FALSE(Item("h").isNull());
  LocalNetErrorManager::GetInstance()->SetOnline(true);
  Fault("op=delDir&code=403");
  EXPECT_EQ(Run(UP_OP_FOLDER_DELETE, "h"), SYNC_RESULT_ERROR_REMOVE);
  EXPECT_EQ(FolderRow("h").m_FolderID, -1);
  EXPECT_EQ(Links().back(), "full pull");
}

struct FaultCase {
  const char* name;
  int op;
  const char* fault;  // the service's fault rule
  int result;
  int waitReason;
};

class UpFaultTest : public UpOpsTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(UpFaultTest, ServiceErrorsMapToResults) {
  const FaultCase& c = GetParam();
  Write("k.txt", "keep");
  ASSERT_EQ(Run(UP_OP_FILE_ADD, "k.txt"), SYNC_RESULT_SUCCESS);
  Write("n.txt", "new");
  fs::rename(m_root / "k.txt", m_root / "r.txt");
  const std::map<int, std::pair<std::string, std::string>> paths = {
      {UP_OP_FILE_ADD, {"n.txt", ""}}, {UP_OP_FILE_RENAME, {"r.txt", "k.txt"}}, {UP_OP_FILE_DELETE, {"k.txt", ""}},
      {UP_OP_FOLDER_ADD, {"dir", ""}}};
  fs::create_directory(m_root / "dir");
  Fault(c.fault);
  auto task = Task(c.op, paths.at(c.op).first, paths.at(c.op).second);
  EXPECT_EQ(Run(*task), c.result);
  EXPECT_EQ(task->m_nWaitReason, c.waitReason);
  LocalNetErrorManager::GetInstance()->SetOnline(true);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, UpFaultTest,
    testing::Values(FaultCase{"files_limit", UP_OP_FILE_ADD, "op=createFile&code=801", 4, UP_WAIT_FILES_NUM},
                    FaultCase{"capacity", UP_OP_FILE_ADD, "op=createFile&code=800", 4, UP_WAIT_CAPACITY},
                    FaultCase{"parent_gone", UP_OP_FILE_ADD, "op=createFile&code=704", 4, UP_WAIT_NO_PARENT_ID},
                    FaultCase{"internal", UP_OP_FILE_ADD, "op=completeFile&code=500", 2, 0},
                    FaultCase{"name_too_long", UP_OP_FILE_ADD, "op=createFile&code=612", 2, 0},
                    FaultCase{"offline", UP_OP_FILE_ADD, "op=createFile&http=503", 4, 0},
                    FaultCase{"blocks_refused", UP_OP_FILE_ADD, "op=uploadFile&code=1005&times=0", 3, 0},
                    FaultCase{"version_gone", UP_OP_FILE_RENAME, "op=renameFile&code=556", 3, 0},
                    FaultCase{"delete_gone", UP_OP_FILE_DELETE, "op=delFile&code=555", 0, 0},
                    FaultCase{"delete_conflict", UP_OP_FILE_DELETE, "op=delFile&code=610", 2, 0},
                    FaultCase{"delete_offline", UP_OP_FILE_DELETE, "op=delFile&drop=1", 4, 0},
                    FaultCase{"dirs_limit", UP_OP_FOLDER_ADD, "op=createDir&code=802", 4, UP_WAIT_DIRS_NUM},
                    FaultCase{"folder_capacity", UP_OP_FOLDER_ADD, "op=createDir&code=800", 3, 0}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

// The service completed a new file but its answer was lost: the retry adopts
// that file instead of making a second one under a free name.
TEST_F(UpOpsTest, ANewFileWhoseCompletionAnswerWasLostIsAdoptedOnTheRetry) {
  Write("n.txt", "new");
  Fault("op=completeFile&http=502&afterOp=1");
  auto task = Task(UP_OP_FILE_ADD, "n.txt");
  EXPECT_NE(Run(*task), SYNC_RESULT_SUCCESS);
  LocalNetErrorManager::GetInstance()->SetOnline(true);
  ASSERT_FALSE(Item("n.txt").isNull());
  EXPECT_EQ(Run(*task), SYNC_RESULT_SUCCESS);
  EXPECT_TRUE(Item("n (1).txt").isNull());
  EXPECT_EQ(FileRow("n.txt").m_FileID, Item("n.txt")["id"].asInt64());
}

TEST_F(UpOpsTest, FaultSideEffectsOnTasksRowsAndNotices) {
  Write("k.txt", "keep");
  ASSERT_EQ(Run(UP_OP_FILE_ADD, "k.txt"), SYNC_RESULT_SUCCESS);
  // A limit is told once per task, however often the task meets it.
  Write("n.txt", "new");
  Fault("op=createFile&code=801&times=2");
  auto limited = Task(UP_OP_FILE_ADD, "n.txt");
  EXPECT_EQ(Run(*limited), SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN);
  EXPECT_EQ(Run(*limited), SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN);
  int notices = 0;
  for (const SyncNotifyInfo& info : m_sink.Events()) notices += info.type == SNT_FILE_COUNT_LIMIT;
  EXPECT_EQ(notices, 1);
  EXPECT_EQ(Run(*limited), SYNC_RESULT_SUCCESS);

  // A rename the service has no version of becomes an add of the new name.
  fs::rename(m_root / "k.txt", m_root / "r.txt");
  Fault("op=renameFile&code=556");
  auto rename = Task(UP_OP_FILE_RENAME, "r.txt", "k.txt");
  EXPECT_EQ(Run(*rename), SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK);
  EXPECT_EQ(rename->m_nOp, UP_OP_FILE_ADD);
  EXPECT_EQ(rename->m_sSrcPath, Local("r.txt"));
  EXPECT_EQ(FileRow("k.txt").m_FileID, -1);
  EXPECT_EQ(Run(*rename), SYNC_RESULT_SUCCESS);
  EXPECT_NE(FileRow("r.txt").m_FileID, -1);

  // Refused blocks end the run after the eleventh and drop the unfinished upload.
  Admin("log/clear");
  Write("b.txt", "blocks");
  Fault("op=uploadFile&code=1005&times=0");
  EXPECT_EQ(Run(UP_OP_FILE_ADD, "b.txt"), SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK);
  EXPECT_EQ(Requests("uploadFile"), 11);
  EXPECT_EQ(Requests("delFileIncomplete"), 1);
  Admin("faults/clear");

  // A delete the connection lost keeps the row and waits; a refused one drops
  // the row and pulls the tree again.
  fs::remove(m_root / "r.txt");
  Fault("op=delFile&drop=1");
  EXPECT_EQ(Run(UP_OP_FILE_DELETE, "r.txt"), SYNC_RESULT_ERROR_ONLYWAIT_AND_DOAGAIN);
  EXPECT_NE(FileRow("r.txt").m_FileID, -1);
  LocalNetErrorManager::GetInstance()->SetOnline(true);
  Fault("op=delFile&code=610");
  EXPECT_EQ(Run(UP_OP_FILE_DELETE, "r.txt"), SYNC_RESULT_ERROR_REMOVE);
  EXPECT_EQ(FileRow("r.txt").m_FileID, -1);
  EXPECT_EQ(Links().back().rfind("pull " + std::to_string(m_rootID) + " ", 0), 0u);

  // A changed file the service no longer has goes up as a new file, also
  // when its row names a folder row that was made again since (its folder
  // came back on the service under a new id).
  Write("g.txt", "as synced");
  ASSERT_EQ(Run(UP_OP_FILE_ADD, "g.txt"), SYNC_RESULT_SUCCESS);
  Write("g.txt", "changed here");
  SyncFileData stale = FileRow("g.txt");
  stale.m_ParentID = 999;
  ASSERT_TRUE(SaveSyncFileData(stale));
  Fault("op=updateFileContent&code=555");
  auto gone = Task(UP_OP_FILE_MODIFY, "g.txt");
  EXPECT_EQ(Run(*gone), SYNC_RESULT_ERROR_TRYTHREETIME_MOVEBACK);
  EXPECT_EQ(gone->m_nOp, UP_OP_FILE_ADD);
  EXPECT_EQ(FileRow("g.txt").m_FileID, -1);
  EXPECT_EQ(Run(*gone), SYNC_RESULT_SUCCESS);
}

}  // namespace
