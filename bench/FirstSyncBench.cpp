// First sync of a tree of small files, both ways, against the local cloud
// service: the whole engine (controller, pull, scan, pumps, database) until
// both sides agree, beside the floor: the same requests per file sent one
// after another through the request tasks, without the engine.
//
//   first_sync_bench [--gtest_filter=...]     DORV_BENCH_FILES (default 2000) files of 4 KiB
//
// Built on the engine's end-to-end fixture; not run by ctest. Prints seconds,
// requests per file by operation, and the ratio engine / floor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#include <juce_cryptography/juce_cryptography.h>

#include "../tests/client/core/login/ServiceFixture.h"
#include "../tests/client/sync/controller/ControllerSupport.h"
#include "TempDir.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/db/LocalDatabases.h"
#include "client/core/login/LoginManager.h"
#include "client/core/protocol/RequestFrame.h"
#include "client/core/tasks/FileTasks.h"
#include "client/core/transfer/FileBlockUpload.h"
#include "client/core/transfer/FileRangedDownload.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/filter/FileWatchMessageFilter.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/registry/DownSyncPathRegistry.h"
#include "client/sync/registry/MovedFolderRegistry.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFileSize = 4096;

int FileCount() {
  const char* text = std::getenv("DORV_BENCH_FILES");
  return text && std::atoi(text) > 0 ? std::atoi(text) : 2000;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::string Bytes(int seed) {
  std::mt19937 random(seed);
  std::string bytes(kFileSize, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

template <class Task, class Request>
auto RunTask(juce::MyThreadsPool* pool, const Request& request) {
  auto* task = new Task("Task", request);
  pool->PostWorkTask(task, true);
  task->WaitExecuteFinishEvent();
  decltype(task->m_reply) reply;
  task->GetResult(reply);
  task->SignReleaseEvent();
  return reply;
}

// Seconds of each kind of run, kept across the tests for the ratios.
std::map<std::string, double>& Results() {
  static std::map<std::string, double> results;
  return results;
}

class FirstSyncBench : public signintest::ServiceTest {
 protected:
  void SetUp() override {
    InstallSyncEngine();
    ServiceTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(SignInWithEngineTables(m_login));
    m_rootID = Admin(std::string("mkdir?account=") + signintest::kAccount + "&parentId=-1&name=Dorv")["dir"]["id"].asInt64();
    ASSERT_GT(m_rootID, 0);
    m_rootPath = m_dir.path() / "Dorv";
    fs::create_directories(m_rootPath);
    m_header = CurrentRequestHeader();
  }
  void TearDown() override {
    DeleteGlobalContext();
    MovedFolderRegistry::GetInstance()->Clear();
    DownSyncPathRegistry::GetInstance()->Reset();
    SyncRootFolder::DeleteInstance();
    m_login.SetExiting();
    ServiceTest::TearDown();
  }

  void StartEngine() {
    SyncFolderData root;
    root.m_FolderID = m_rootID;
    root.m_ParentID = -1;
    root.m_FolderName = "Dorv";
    root.m_FolderSysType = 18;
    root.m_ParentPath = "/";
    root.m_VersionValue = "0|0";
    root.m_FolderPath = juce::String(m_rootPath.string());
    SyncRootFolder::DeleteInstance();
    SyncRootFolder::GetInstance()->SetRootFolder(root.m_FolderPath, "0|0", root);
    m_logic = GetSyncLogic();
    ASSERT_NE(m_logic, nullptr);
    m_logic->CreateSyncWorkers();
    ASSERT_TRUE(m_logic->StartWorkflow());
  }
  // Waits until the engine has settled and `count` says both sides agree;
  // prints where it stands every ten seconds.
  bool Converge(const std::function<int()>& count, int files) {
    const Clock::time_point start = Clock::now();
    Clock::time_point shown = start;
    bool allThere = false;
    return controllertest::WaitUntil(
        [&] {
          // The user sees the files before the engine has told itself it is
          // done (the watcher's reports of its own downloads, the tray's wait).
          if (!allThere && count() == files) {
            allThere = true;
            std::printf("    all %d files in place after %.2f s\n", files, Seconds(Clock::now() - start));
          }
          if (Clock::now() - shown > std::chrono::seconds(10)) {
            shown = Clock::now();
            const std::map<std::string, int>& ops = RequestCounts();
            int requests = 0;
            for (const auto& [op, n] : ops) requests += n;
            std::printf("    ... %d of %d files, workflow %s, idle %d, %d requests\n", count(), files,
                        m_logic->IsWorkflowRunning() ? "running" : "ended", m_logic->IsIdle() ? 1 : 0, requests);
            for (const auto& [op, n] : ops) std::printf("%s=%d ", op.c_str(), n);
            std::printf("\n");
            std::fflush(stdout);
          }
          return Settled() && count() == files;
        },
        std::chrono::seconds(3600));
  }
  bool Settled() {
    return !m_logic->IsWorkflowRunning() && m_logic->IsIdle() &&
           m_logic->GetFileWatchMessageFilter()->GetMessageCount() == 0;
  }
  int ServerFileCount() {
    int count = 0;
    const Json::Value tree = Admin(std::string("tree?account=") + signintest::kAccount);
    for (const Json::Value& item : tree["items"])
      if (!item["isDir"].asBool() && item["status"].asInt() != 1) ++count;
    return count;
  }
  int LocalFileCount() {
    int count = 0;
    // The engine's partial downloads come and go beside the files meanwhile.
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(m_rootPath, error)) {
      const std::string name = entry.path().filename().string();
      if (name.empty() || name[0] == '.') continue;
      if (entry.is_regular_file(error) && fs::file_size(entry.path(), error) == kFileSize) ++count;
    }
    return count;
  }
  // Requests of each operation the service saw since the log was cleared
  // (ClearRequestLog), read a piece at a time: the whole log of a large tree
  // is more than one reply may carry.
  const std::map<std::string, int>& RequestCounts() {
    const Json::Value log = Admin("log?since=" + std::to_string(m_logSeen));
    for (const Json::Value& entry : log["entries"]) {
      ++m_requestCounts[entry["op"].asString()];
      m_logSeen = std::max<juce::int64>(m_logSeen, entry["seq"].asInt64());
    }
    return m_requestCounts;
  }
  // Sequence numbers go on after a clear, so what was seen stays a good start.
  void ClearRequestLog() {
    Admin("log/clear");
    m_requestCounts.clear();
  }
  // Requests per file of each operation the service saw since the last reset.
  void PrintRequests(int files) {
    const std::map<std::string, int>& counts = RequestCounts();
    std::string line;
    for (const auto& [op, count] : counts)
      if (count >= files / 2) line += " " + op + " " + std::to_string(static_cast<double>(count) / files).substr(0, 4);
    std::printf("    requests per file:%s\n", line.c_str());
  }
  void Report(const std::string& what, double seconds, int files) {
    Results()[what] = seconds;
    std::printf("%-22s %6d files: %8.2f s  (%.2f ms a file)\n", what.c_str(), files, seconds, seconds * 1000 / files);
    std::fflush(stdout);
  }
  void PutOnService(int files) {
    for (int i = 0; i < files; ++i)
      Admin(std::string("put?account=") + signintest::kAccount + "&parentId=" + std::to_string(m_rootID) +
                "&name=f" + std::to_string(i) + ".bin",
            Bytes(i));
  }

  LoginManager m_login;
  dorvtest::TempDir m_dir{"first-sync-bench"};
  fs::path m_rootPath;
  juce::int64 m_rootID = 0;
  SyncLogic* m_logic = nullptr;
  RequestHeader m_header;
  juce::int64 m_logSeen = 0;
  std::map<std::string, int> m_requestCounts;
};

TEST_F(FirstSyncBench, EngineUp) {
  const int files = FileCount();
  for (int i = 0; i < files; ++i) std::ofstream(m_rootPath / ("f" + std::to_string(i) + ".bin"), std::ios::binary) << Bytes(i);
  ClearRequestLog();
  const Clock::time_point start = Clock::now();
  StartEngine();
  ASSERT_TRUE(Converge([&] { return ServerFileCount(); }, files));
  Report("engine, local->service", Seconds(Clock::now() - start), files);
  PrintRequests(files);
}

TEST_F(FirstSyncBench, FloorUp) {
  const int files = FileCount();
  for (int i = 0; i < files; ++i) std::ofstream(m_rootPath / ("f" + std::to_string(i) + ".bin"), std::ios::binary) << Bytes(i);
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < files; ++i) {
    const fs::path file = m_rootPath / ("f" + std::to_string(i) + ".bin");
    const std::string name = file.filename().string();
    const std::string md5 = juce::MD5(juce::File(file.string())).toHexString().toStdString();
    const FileReply created = RunTask<SyncUploadCreateTask>(
        GetUpThreadsPool(), CreateFileRequest(m_header, -1, m_header.userId, 0, md5, kFileSize, m_rootID, name, "", "",
                                              false, 1, 0, true, true));
    ASSERT_EQ(created.code, 200);
    const TransportTokenReply token = RunTask<SyncUploadPZTask>(
        GetUpThreadsPool(), UploadFileControlRequest{m_header, created.file.id, created.file.id, m_header.userId});
    ASSERT_EQ(token.code, 200);
    FileBlockUpload upload(m_header, token.token, juce::File(file.string()));
    ASSERT_EQ(upload.Run(kFileSize), TransferResult::Done);
    const FileReply done = RunTask<UploadFileCompletedTask>(
        GetUpThreadsPool(), CompleteFileRequest{m_header, created.file.id, 1, 0, 1, true});
    ASSERT_EQ(done.code, 200);
  }
  Report("floor, local->service", Seconds(Clock::now() - start), files);
  ASSERT_EQ(ServerFileCount(), files);
}

TEST_F(FirstSyncBench, EngineDown) {
  const int files = FileCount();
  PutOnService(files);
  ClearRequestLog();
  const Clock::time_point start = Clock::now();
  StartEngine();
  ASSERT_TRUE(Converge([&] { return LocalFileCount(); }, files));
  Report("engine, service->local", Seconds(Clock::now() - start), files);
  PrintRequests(files);
}

TEST_F(FirstSyncBench, FloorDown) {
  const int files = FileCount();
  PutOnService(files);
  std::vector<juce::int64> ids;
  const Json::Value tree = Admin(std::string("tree?account=") + signintest::kAccount);
  for (const Json::Value& item : tree["items"])
    if (!item["isDir"].asBool()) ids.push_back(item["id"].asInt64());
  ASSERT_EQ(static_cast<int>(ids.size()), files);
  const Clock::time_point start = Clock::now();
  int n = 0;
  for (juce::int64 id : ids) {
    const TransportTokenReply token = RunTask<DownloadFileTokenTask>(
        GetDownThreadsPool(), DownloadFileControlRequest(m_header, id, m_header.userId, kFileSize, "", ""));
    ASSERT_EQ(token.code, 200);
    FileRangedDownload download(m_header, token.token, juce::File((m_rootPath / ("f" + std::to_string(n++) + ".bin")).string()));
    ASSERT_EQ(download.Run(kFileSize), TransferResult::Done);
  }
  Report("floor, service->local", Seconds(Clock::now() - start), files);
}

TEST(FirstSyncRatios, Print) {
  auto& r = Results();
  if (r.count("engine, local->service") && r.count("floor, local->service"))
    std::printf("local->service engine / floor: %.2f\n", r["engine, local->service"] / r["floor, local->service"]);
  if (r.count("engine, service->local") && r.count("floor, service->local"))
    std::printf("service->local engine / floor: %.2f\n", r["engine, service->local"] / r["floor, service->local"]);
}

}  // namespace
