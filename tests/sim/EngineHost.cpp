// One device of the simulation: the real engine in a process of its own, so
// that the simulation can kill it and start it again on its own data. It
// signs in, binds the sync folder on its first start (later starts find the
// binding in their database), runs the start-up workflow and then reports,
// a few times a second, whether it has settled.
//
//   sim_engine_host --server-list FILE --account A --password P
//                   --root PATH --root-id ID --root-name NAME --status FILE
//
// The XDG folders, DORV_STAGING_DIR and DORV_PORTAL_ADDRESS come from the
// environment. SIGTERM stops the engine cleanly (exit status 0).
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/FileDBManager.h"
#include "client/core/db/FolderDBManager.h"
#include "client/core/db/LocalDatabases.h"
#include "client/core/login/LoginManager.h"
#include "client/core/protocol/ServerList.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/SyncNotify.h"
#include "client/sync/filter/FileWatchMessageFilter.h"
#include "client/sync/records/SyncRootFolder.h"

namespace {

std::atomic<bool> g_stop{false};

void OnStopSignal(int) { g_stop.store(true); }

// The engine's notices have no window to go to here.
class QuietSink : public ISyncNotifyUI {
 public:
  void SetTrayIcon(int) override {}
  void NotifyPathStatus(juce::String, int) override {}
  void NotifySyncEvent(SyncNotifyInfo) override {}
};

class SignInWaiter {
 public:
  static void CallBack(void* context) {
    auto* self = static_cast<SignInWaiter*>(context);
    std::lock_guard<std::mutex> hold(self->m_lock);
    self->m_done = true;
    self->m_called.notify_all();
  }
  bool Wait() {
    std::unique_lock<std::mutex> hold(m_lock);
    return m_called.wait_for(hold, std::chrono::seconds(60), [&] { return m_done; });
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_called;
  bool m_done = false;
};

int Fail(const char* what) {
  std::fprintf(stderr, "sim_engine_host: %s\n", what);
  return 2;
}

// Written whole and renamed into place, so the simulation never reads half a line.
void WriteStatus(const std::string& path, const std::string& text) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::trunc);
    out << text << "\n";
  }
  std::rename(temp.c_str(), path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> args;
  for (int i = 1; i + 1 < argc; i += 2) args[argv[i]] = argv[i + 1];
  for (const char* key : {"--server-list", "--account", "--password", "--root", "--root-id", "--root-name", "--status"})
    if (args[key].empty()) return Fail("missing arguments");

  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);

  InstallSyncEngine();
  InitLog("sim engine host");
  if (OpenMainDB() != 0) return Fail("the main database does not open");
  CreateDBLocks();
  if (!LoadProductInfo() || !InitUserTables()) return Fail("the product tables are not there");
  if (!ServerList::LoadInstance(juce::File(juce::String::fromUTF8(args["--server-list"].c_str()))))
    return Fail("no server list");

  const juce::String account = juce::String::fromUTF8(args["--account"].c_str());
  LoginManager login;
  int result = LoginManager::kNone;
  // The service may be restarting under us: a device tries again, as the program's probe does.
  for (int attempt = 0; attempt < 60 && !g_stop.load(); ++attempt) {
    SignInWaiter waiter;
    login.SetAfterLoginCallBack(&waiter, &SignInWaiter::CallBack);
    login.Login(account, juce::String::fromUTF8(args["--password"].c_str()), true, false);
    if (!waiter.Wait()) return Fail("the sign-in never ended");
    result = login.GetResultCode();
    if (result == LoginManager::kOk) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  if (result != LoginManager::kOk) return Fail("the sign-in failed");
  if (OpenUserDB(account) != 0) return Fail("the user database does not open");
  GlobalContext* context = GetGlobalContext();
  if (!context->m_pFileDBManager->IsDBTableExist() && context->m_pFileDBManager->CreateDBTable() != 0)
    return Fail("no file table");
  if (!context->m_pFolderDBManager->IsDBTableExist() && context->m_pFolderDBManager->CreateDBTable() != 0)
    return Fail("no folder table");

  SyncRootFolder* root = SyncRootFolder::GetInstance();
  if (!root->IsRootRecordValid(account)) {
    SyncFolderData row;
    row.m_FolderID = std::stoll(args["--root-id"]);
    row.m_ParentID = -1;
    row.m_FolderName = juce::String::fromUTF8(args["--root-name"].c_str());
    row.m_FolderSysType = 18;
    row.m_ParentPath = "/";
    row.m_VersionValue = "0|0";
    row.m_FolderPath = juce::String::fromUTF8(args["--root"].c_str());
    root->SetRootFolder(row.m_FolderPath, "0|0", row);
  }
  root->Reload();

  QuietSink sink;
  SyncLogic* logic = GetSyncLogic();
  logic->SetNotifyUI(&sink);
  logic->CreateSyncWorkers();
  if (!logic->StartWorkflow()) return Fail("the workflow does not start");

  const std::string status = args["--status"];
  while (!g_stop.load()) {
    const bool workflow = logic->IsWorkflowRunning();
    const bool idle = logic->IsIdle();
    const int messages = logic->GetFileWatchMessageFilter()->GetMessageCount();
    const bool settled = !workflow && idle && messages == 0;
    WriteStatus(status, std::string(settled ? "settled" : "busy") + " " +
                            root->GetGlobalVersion().toStdString());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }

  WriteStatus(status, "stopping");
  logic->SetNotifyUI(nullptr);
  // The engine's threads end with the context, before anything they use.
  DeleteGlobalContext();
  login.SetExiting();
  CloseAllDB();
  ::unlink(status.c_str());
  return 0;
}
