// The main form's start-up against the local cloud service, in the test
// process on the headless desktop: a stored account signs in by itself, the
// engine starts and files flow both ways; a service that can't be reached is
// probed every 3 s on the test clock before any sign-in; a sync folder that is
// gone asks the user; a second instance's "ExploreRefresh" makes a full pull;
// the exit asks while uploads are queued and leaves no engine thread and an
// empty staging folder; the tray menu lists the files just synced and the
// storage the service counts. "Another device" is the service's admin API.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "../core/login/ServiceFixture.h"
#include "ChildProcess.h"
#include "TempDir.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/LogWriter.h"
#include "client/core/db/LocalDatabases.h"
#include "client/core/login/LoginManager.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/registry/DownSyncPathRegistry.h"
#include "client/sync/registry/MovedFolderRegistry.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/sync/tasks/SyncUpTaskManager.h"
#include "client/windows/MainForm.h"
#include "client/windows/wizard/InitSetForm.h"
#include "common/MutiLanSupport.h"
#include "display/Desktop.h"
#include "ui/UIManager.h"
#include "ui/menu/IMenu.h"
#include "ui/menu/MenuItem.h"
#include "ui/menu/UIMenu.h"
#include "ui/skin/UISkinManager.h"
#include "win32/Launcher.h"
#include "win32/ManualClock.h"
#include "win32/Windows.h"

namespace fs = std::filesystem;
using display::Desktop;

namespace {

std::string Account() { return signintest::kAccount; }

// Waits for what another process does, looking now and then.
bool WaitFor(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 60000) {
  return Desktop::Get().PumpUntil(done, timeoutMs);
}

// A loopback port on which nothing listens.
int ClosedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t size = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return ntohs(address.sin_port);
}

// The names of this process's threads (as the system cuts them, 15 bytes).
std::vector<std::string> ThreadNames() {
  std::vector<std::string> names;
  for (const auto& task : fs::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string name;
    std::getline(comm, name);
    names.push_back(name);
  }
  return names;
}

// Whether the message loop was told to end; takes the quit message away.
bool TakeQuit() {
  MSG msg;
  return ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

class MainFlowTest : public signintest::ServiceTest {
 protected:
  static void SetUpTestSuite() {
    ServiceTest::SetUpTestSuite();
    const fs::path strings = fs::path(DORV_PROGRAM_FOLDER) / "Theme" / "gdstrings.ini";
    ASSERT_EQ(Common::CMutiLanSupport::GetInstance()->LoadStringTable(CString(strings.wstring().c_str())), 1);
    ASSERT_EQ(UI::CUISkinManager::GetInstance()->InitSkinData(), 1);
  }

  void SetUp() override {
    InstallSyncEngine();
    ServiceTest::SetUp();
    SetPortal(Server().port());
    ASSERT_NO_FATAL_FAILURE(StoreAccount());
  }

  void TearDown() override {
    Admin("faults/clear");
    Finish();
    ServiceTest::TearDown();
  }

  // The form and the engine go, before anything they use.
  void Finish() {
    if (m_form) {
      if (::IsWindow(m_form->m_hWnd)) m_form->DestroyWindow();
      static_cast<UI::CUIControl*>(m_form)->Release();
      m_form = nullptr;
    }
    DeleteGlobalContext();
    MovedFolderRegistry::GetInstance()->Clear();
    DownSyncPathRegistry::GetInstance()->Reset();
    SyncRootFolder::DeleteInstance();
  }

  static void SetPortal(int port) {
    setenv("DORV_PORTAL_ADDRESS", ("127.0.0.1:" + std::to_string(port)).c_str(), 1);
  }

  // What the wizard leaves behind for an account that signs in by itself: its
  // row with the password hash and the automatic sign-in flag, the last
  // account, its database with a sync root bound to a service folder. Then
  // the process forgets everything it holds, as a new start of the program.
  void StoreAccount() {
    LoginManager login;
    ASSERT_NO_FATAL_FAILURE(SignInWithEngineTables(login));
    m_rootID = Admin("mkdir?account=" + Account() + "&parentId=-1&name=Dorv")["dir"]["id"].asInt64();
    ASSERT_GT(m_rootID, 0);
    m_rootPath = m_dir.path() / "Dorv";
    fs::create_directories(m_rootPath);
    SyncFolderData root;
    root.m_FolderID = m_rootID;
    root.m_ParentID = -1;
    root.m_FolderName = "Dorv";
    root.m_FolderSysType = 18;
    root.m_ParentPath = "/";
    root.m_FolderPath = juce::String(m_rootPath.string());
    SyncRootFolder::DeleteInstance();
    SyncRootFolder::GetInstance()->SetRootFolder(root.m_FolderPath, "0|0", root);
    AccountSnapshot account = GetAccountData()->GetSnapshot();
    account.IsAutoLogin = 1;
    SaveAccountData(account);
    ProductInfo product = GetProductInfo();
    product.CurrentUser = juce::String(signintest::kAccount);
    SaveProductInfo(product);
    login.SetExiting();

    DeleteGlobalContext();
    DeleteAccountData();
    DeleteProductInfo();
    ASSERT_TRUE(LoadProductInfo());
    SyncRootFolder::DeleteInstance();
    Admin("log/clear");
  }

  void StartForm() {
    m_form = new CMainForm();
    ASSERT_EQ(m_form->Create(), 1);
  }

  // Answers the next modal message box from inside its loop: its "V1" and
  // "V2" texts are kept, and the answer is clicked (1 confirm, 0 cancel).
  // during runs first, inside the box's loop.
  void AnswerBoxes(int answer, std::function<void()> during = {}) {
    m_answer = answer;
    m_during = std::move(during);
    m_form->RegisterTimerHandler(kAnswerTimer, 20, fastdelegate::MakeDelegate(this, &MainFlowTest::OnAnswerTimer));
  }
  void OnAnswerTimer(UINT) {
    CPtrArray modal;
    UI::CUIManager::GetInstance()->GetModalForms(modal);
    if (modal.GetSize() == 0) return;
    auto* box = static_cast<UI::CUIForm*>(modal[modal.GetSize() - 1]);
    if (box->m_hWnd == m_answeredBox) return;  // answered, not yet gone
    m_answeredBox = box->m_hWnd;
    m_form->UnRegisterTimerHandler(kAnswerTimer);
    ++m_boxes;
    m_stateAtBox = EngineState();
    for (const wchar_t* id : {L"V1", L"V2"})
      if (UI::CUIControl* value = box->FindControlRecusive(id)) m_values.push_back(value->GetText());
    // Taken out first: it may arm the next answer itself.
    const std::function<void()> during = std::move(m_during);
    m_during = nullptr;
    if (during) during();
    POINT at = box->FindControlRecusive(m_answer ? L"ConfirmButton" : L"CancleButton")->GetBounds().CenterPoint();
    ::ClientToScreen(box->m_hWnd, &at);
    Desktop& desktop = Desktop::Get();
    desktop.MouseMove(at.x, at.y);
    desktop.MouseDown(Desktop::Button::Left, at.x, at.y);
    desktop.MouseUp(Desktop::Button::Left, at.x, at.y);
  }

  void Put(const std::string& name, const std::string& bytes) {
    Admin("put?account=" + Account() + "&parentId=" + std::to_string(m_rootID) + "&name=" + name, bytes);
  }
  void Write(const std::string& name, const std::string& bytes) {
    const fs::path temp = m_dir.path() / (name + ".part");
    std::ofstream(temp, std::ios::binary) << bytes;
    fs::rename(temp, m_rootPath / name);
  }
  std::string LocalContent(const std::string& name) const {
    std::ifstream in(m_rootPath / name, std::ios::binary);
    if (!in) return "(none)";
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  bool ServerHas(const std::string& name, const std::string& content) {
    const Json::Value tree = Admin("tree?account=" + Account());
    for (const Json::Value& item : tree["items"]) {
      const std::string path = item["path"].asString();
      if (item["status"].asInt() == 1 || item["isDir"].asBool()) continue;
      if (path.size() < name.size() || path.compare(path.size() - name.size(), name.size(), name) != 0) continue;
      if (AdminRaw("content?account=" + Account() + "&id=" + std::to_string(item["id"].asInt64())) == content)
        return true;
    }
    return false;
  }
  void GoneFolder(int answer) {
    fs::remove_all(m_rootPath);
    ASSERT_NO_FATAL_FAILURE(StartForm());
    AnswerBoxes(answer);
    ASSERT_TRUE(PumpUntil([&] { return m_boxes == 1; }));
    EXPECT_EQ(m_stateAtBox, 3);
    ASSERT_EQ(m_values.size(), 2u);
    EXPECT_EQ(m_values[0], CString(m_rootPath.wstring().c_str()));
    EXPECT_EQ(m_values[1], CString(signintest::kAccount));
    Desktop::Get().PumpUntilIdle();
    EXPECT_EQ(m_form->m_bExiting, answer);
    EXPECT_EQ(TakeQuit(), answer == 1);
    EXPECT_EQ(dorvtest::CountLogLines("Begin Init Logic Flow"), 0);
  }
  static int EngineState() { return GetSyncStatusTracker() ? GetSyncStatusTracker()->m_nEngineState.load() : -1; }
  static bool Settled() {
    SyncLogic* engine = GetSyncLogic();
    return engine && !engine->IsWorkflowRunning() && engine->IsIdle();
  }

  static constexpr UINT kAnswerTimer = 77;
  dorvtest::TempDir m_dir{"dorv-mainflow"};
  fs::path m_rootPath;
  juce::int64 m_rootID = 0;
  CMainForm* m_form = nullptr;
  int m_answer = 0;
  std::function<void()> m_during;
  int m_boxes = 0;
  HWND m_answeredBox = nullptr;
  int m_stateAtBox = -1;
  std::vector<CString> m_values;
};

TEST_F(MainFlowTest, AStoredAccountSignsInByItselfAndFilesFlowBothWays) {
  Put("remote.txt", "from the service");
  Write("local.txt", "from this computer");
  ASSERT_NO_FATAL_FAILURE(StartForm());

  ASSERT_TRUE(PumpUntil([&] { return LocalContent("remote.txt") == "from the service"; }));
  ASSERT_TRUE(PumpUntil([&] { return ServerHas("/local.txt", "from this computer"); }));
  EXPECT_EQ(EngineState(), SyncStatusTracker::ENGINE_RUNNING);
  EXPECT_EQ(Requests("APP_AUTHEN"), 1) << "the service answered: signed in at once";
  EXPECT_EQ(dorvtest::CountLogLines("Begin Init Logic Flow"), 1);
  EXPECT_EQ(dorvtest::CountLogLines("Post Message WM_NOTIFY_AUTO_LOGIN"), 1);

  // Watched and linked: changes on either side keep flowing.
  Write("after.txt", "written later");
  ASSERT_TRUE(PumpUntil([&] { return ServerHas("/after.txt", "written later"); }));
  Put("remote2.txt", "another device");
  ASSERT_TRUE(PumpUntil([&] { return LocalContent("remote2.txt") == "another device"; }));

  // A second instance started with "ExploreRefresh": a full pull, once.
  ASSERT_TRUE(PumpUntil(Settled));
  Admin("log/clear");
  m_form->SendMessage(WM_NOTIFY_SECOND_INSTANCE, 0, 1);
  ASSERT_TRUE(PumpUntil([&] { return Requests("getDirFiles") >= 1; }));
  ASSERT_TRUE(PumpUntil(Settled));
  // Without a command line it opens the sync folder.
  m_form->SendMessage(WM_NOTIFY_SECOND_INSTANCE, 0, 0);
  const auto launches = win32::Launcher::Recorded();
  ASSERT_FALSE(launches.empty());
  EXPECT_EQ(launches.back().file, m_rootPath.wstring());

  // A change of account confirmed in the settings: signed out at the service,
  // the engine cleared and no account to sign in with at the next start.
  m_form->SendMessage(WM_NOTIFY_CHANGE_ACCOUNT, 0, 0);
  EXPECT_EQ(EngineState(), SyncStatusTracker::ENGINE_NONE);
  EXPECT_TRUE(GetProductInfo().CurrentUser.isEmpty());
  EXPECT_FALSE(GetAccountData()->IsLoggedIn());
  EXPECT_TRUE(PumpUntil([&] { return Requests("APP_LOGOUT") == 1; }));
}

TEST_F(MainFlowTest, AnUnreachableServiceIsProbedEvery3SecondsBeforeAnySignIn) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  // The folder is unbound, so a sign-in ends at the folder page and no
  // workflow runs on the test clock.
  ASSERT_EQ(OpenUserDB(juce::String(signintest::kAccount)), 0);
  GetGlobalContext()->m_pFolderDBManager->DropDBTable();
  DeleteGlobalContext();
  SetPortal(ClosedPort());
  ASSERT_NO_FATAL_FAILURE(StartForm());
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(GetSyncStatusTracker()->m_nNetState.load(), SyncStatusTracker::NET_LOCAL_DOWN);

  for (int probe = 0; probe < 3; ++probe) {
    clock.Advance(2999);
    Desktop::Get().PumpUntilIdle();
    clock.Advance(1);
    Desktop::Get().PumpUntilIdle();
  }
  EXPECT_EQ(Requests("APP_AUTHEN"), 0);
  EXPECT_NE(EngineState(), 2);

  SetPortal(Server().port());
  clock.Advance(2999);
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(Requests("APP_AUTHEN"), 0) << "before the period is over";
  clock.Advance(1);
  ASSERT_TRUE(PumpUntil([] { return dorvtest::CountLogLines("Post Message WM_NOTIFY_AUTO_LOGIN") == 1; }));
  // Signed in: the folder is to be chosen.
  ASSERT_TRUE(PumpUntil([] { return EngineState() == 3; }));
  EXPECT_EQ(Requests("APP_AUTHEN"), 1);
  EXPECT_EQ(dorvtest::CountLogLines("Begin Init Logic Flow"), 0);
  // The engine's threads wait on this clock: they end before it does.
  Finish();
}

// A stored sign-in that the service refuses, or one whose account settings
// could not be fetched while no stored file-size limit says they were ever
// read, signs out again and starts nothing.
TEST_F(MainFlowTest, ARefusedAutomaticSignInStartsNothing) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
  };
  const Case cases[] = {
      {"a stored password the service refuses",
       [] { GetGlobalContext()->m_pUserDataDBManager->UpdateUserPassword(signintest::kAccount, "0123456789abcdef"); }},
      {"no account settings and no stored limit",
       [] {
         ASSERT_TRUE(LoadAccountData(signintest::kAccount));
         SaveUserConfig(GetAccountData(), UserConfigInfo{});
         DeleteAccountData();
         Fault("op=getUser&code=500");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.arrange();
    DeleteGlobalContext();
    ASSERT_NO_FATAL_FAILURE(StartForm());
    ASSERT_TRUE(PumpUntil([] { return dorvtest::CountLogLines("Post Message WM_NOTIFY_AUTO_LOGIN") == 1; }));
    ASSERT_TRUE(PumpUntil([] { return EngineState() == SyncStatusTracker::ENGINE_NONE; }));
    EXPECT_EQ(dorvtest::CountLogLines("Begin Init Logic Flow"), 0);
    TearDown();
    SetUp();
  }
}

// The wizard that takes over after a refused automatic sign-in shows the
// service's own code for an answer the client does not know.
TEST_F(MainFlowTest, AnUnknownAnswerToTheAutomaticSignInShowsTheServicesCode) {
  Fault("op=APP_AUTHEN&code=4711");
  ASSERT_NO_FATAL_FAILURE(StartForm());
  CString expected;
  expected.Format(Common::CMutiLanSupport::GetInstance()->GetStringViaID(L"STRID_LOGINPAGE_UNKNOWNERROR"), 4711);
  CString shown;
  ASSERT_TRUE(PumpUntil([&] {
    CInitSetForm* wizard = m_form->GetInitSetForm();
    UI::CUIControl* tip = wizard ? wizard->FindControlRecusive(L"TipInfoLabel") : nullptr;
    shown = tip ? tip->GetText() : CString();
    return !shown.IsEmpty();
  }));
  EXPECT_EQ(shown, expected);
  EXPECT_NE(shown.Find(L"4711"), -1);
}

// The sync folder was deleted while the program was not running.
TEST_F(MainFlowTest, AGoneSyncFolderAsksAndChoosingAgainStartsNothing) { GoneFolder(0); }
TEST_F(MainFlowTest, AGoneSyncFolderAsksAndExitEndsTheProgram) { GoneFolder(1); }

TEST_F(MainFlowTest, ExitAsksOnceWhileUploadsAreQueuedAndEndsEveryWorkerBeforeEmptyingTheStagingFolder) {
  ASSERT_NO_FATAL_FAILURE(StartForm());
  ASSERT_TRUE(PumpUntil([&] { return EngineState() == 4 && Settled(); }));
  // Uploads held up at the service keep the queue busy.
  Fault("op=uploadFile&delayMs=3000&times=0");
  for (int i = 0; i < 3; ++i) Write("queued" + std::to_string(i) + ".txt", std::string(1000, 'a' + i));
  ASSERT_TRUE(PumpUntil([] { return !GetSyncLogic()->GetUpTaskManager()->AreQueuesEmpty(); }));
  const fs::path staging = SyncHelper::GetDownloadTempDirectory().toStdString();
  dorvtest::WriteFile(staging / "left.tmp", "a download's staged bytes");

  // Refused: one box, also when the exit is asked for again while it is up
  // (a second box would be answered too, and counted).
  AnswerBoxes(0, [&] {
    AnswerBoxes(0);
    m_form->ExitApp();
  });
  m_form->ExitApp();
  EXPECT_EQ(m_boxes, 1);
  EXPECT_EQ(m_form->m_bExiting, 0);
  EXPECT_FALSE(TakeQuit());
  ASSERT_NE(GetSyncLogic(), nullptr);

  // Confirmed: the engine's workers have ended when ExitApp returns, and the
  // staging folder is empty.
  AnswerBoxes(1);
  m_form->ExitApp();
  EXPECT_EQ(m_boxes, 2);
  EXPECT_EQ(m_form->m_bExiting, 1);
  EXPECT_TRUE(TakeQuit());
  EXPECT_EQ(GetSyncLogic(), nullptr);
  // A joined thread may take a moment to leave the system's list.
  auto engineThreads = [] {
    const std::vector<std::string> names = ThreadNames();
    std::vector<std::string> left;
    for (const char* worker : {"UpNoDepandTaskPump", "UpFileAndDepandTaskPump", "UpWaitAndDepandTaskPump",
                               "DownNormalTaskPump", "DownWaitAndRetryTaskPump", "InitLogicWorkFlow",
                               "FileWatchMessageFilter", "ServerUpdateMessageFilter", "LinkServer"})
      if (std::count(names.begin(), names.end(), std::string(worker).substr(0, 15))) left.push_back(worker);
    return left;
  };
  // Named when it fails (the list read again may be empty by then).
  std::vector<std::string> left;
  EXPECT_TRUE(WaitFor([&] { return (left = engineThreads()).empty(); })) << left.front();
  EXPECT_TRUE(fs::exists(staging));
  EXPECT_TRUE(fs::is_empty(staging));

  // A sign-in result after the exit is dropped.
  m_form->SendMessage(WM_NOTIFY_AUTO_LOGIN, 0, 0);
  EXPECT_EQ(dorvtest::CountLogLines("OnAutoLogin m_bExiting == true"), 1);
}

// The tray menu of a running engine: its recent files are the files the
// engine just synced (newest first, a file deleted at the service greyed), its
// storage line shows what the service counts, updated while it is open, and
// its Exit asks while uploads are queued.
TEST_F(MainFlowTest, TheTrayMenuShowsTheFilesJustSyncedAndTheStorageTheServiceCounts) {
  ASSERT_NO_FATAL_FAILURE(StartForm());
  ASSERT_TRUE(PumpUntil([&] { return EngineState() == 4 && Settled(); }));
  const juce::int64 goneID =
      Admin("put?account=" + Account() + "&parentId=" + std::to_string(m_rootID) + "&name=gone.txt", "soon gone")["file"]["id"]
          .asInt64();
  ASSERT_TRUE(PumpUntil([&] { return LocalContent("gone.txt") == "soon gone"; }));
  Put("down.bin", std::string(2 << 20, 'd'));
  ASSERT_TRUE(PumpUntil([&] { return LocalContent("down.bin").size() == 2u << 20; }));
  Write("up.bin", std::string(512 << 10, 'u'));
  ASSERT_TRUE(PumpUntil([&] { return ServerHas("/up.bin", std::string(512 << 10, 'u')); }));
  Admin("delete?account=" + Account() + "&id=" + std::to_string(goneID));
  ASSERT_TRUE(PumpUntil([&] { return !fs::exists(m_rootPath / "gone.txt"); }));
  ASSERT_TRUE(PumpUntil(Settled));
  // The quota changes at the service after the sign-in read it: 2.5 MiB of 10 MiB used.
  Admin("quota?account=" + Account() + "&capacity=" + std::to_string(10 << 20));

  Desktop::Get().SetCursorPosition(300, 200);
  m_form->SendMessage(WM_TRAY_CALLBACK, kTrayIconId, WM_RBUTTONUP);
  UI::CUIMenu* menu = m_form->GetActiveMenu();
  ASSERT_NE(menu, nullptr);
  UI::IMenu* recent = menu->GetRootIMenu()->FindIMenu(CMainForm::kTrayMenuRecentFiles);
  ASSERT_NE(recent, nullptr);
  std::vector<CString> names;
  std::vector<int> greyed;
  for (int i = 0; i < recent->GetSubMenuCount(); ++i) {
    names.push_back(recent->GetSubMenu(i)->GetCaption());
    greyed.push_back(recent->GetSubMenu(i)->IsDisabled());
  }
  EXPECT_EQ(names, (std::vector<CString>{L"   gone.txt", L"   up.bin", L"   down.bin"}));
  EXPECT_EQ(greyed, (std::vector<int>{1, 0, 0}));
  const CString storage =
      CString(L"   10") + Common::CMutiLanSupport::GetInstance()->GetStringViaID(L"STRID_MENU_TRAYICON_SPACEUSEINFO") + L"25%";
  ASSERT_TRUE(PumpUntil([&] {
    UI::CUIMenu* open = m_form->GetActiveMenu();
    return open && open->GetRootIMenu()->FindIMenu(CMainForm::kTrayMenuSpaceInfo)->GetCaption() == storage;
  }));
  const UserConfigInfo quota = GetAccountData()->GetUserConfig();
  EXPECT_EQ(quota.UC_Capacity, 10 << 20);
  EXPECT_EQ(quota.UC_SpaceUsed, (2 << 20) + (512 << 10));
  EXPECT_EQ(quota.UC_FileCount, 2);
  m_form->GetActiveMenu()->ReleaseAll();

  // Exit chosen in the menu while an upload is held at the service: asked
  // first, then the program ends with its engine.
  Fault("op=uploadFile&delayMs=3000&times=0");
  Write("queued.txt", std::string(1000, 'q'));
  ASSERT_TRUE(PumpUntil([] { return !GetSyncLogic()->GetUpTaskManager()->AreQueuesEmpty(); }));
  m_form->SendMessage(WM_TRAY_CALLBACK, kTrayIconId, WM_RBUTTONUP);
  menu = m_form->GetActiveMenu();
  ASSERT_NE(menu, nullptr);
  POINT exit{-1, -1};
  for (int i = 0; i < menu->GetItemCount(); ++i)
    if (menu->GetItem(i)->GetNode()->GetID() == CMainForm::kTrayMenuExit)
      exit = POINT{20, menu->GetItem(i)->GetPos() + menu->GetItem(i)->GetHeight() / 2};
  ASSERT_GE(exit.y, 0);
  ::ClientToScreen(menu->m_hWnd, &exit);
  AnswerBoxes(1);
  Desktop& desktop = Desktop::Get();
  desktop.MouseMove(exit.x, exit.y);
  desktop.MouseDown(Desktop::Button::Left, exit.x, exit.y);
  desktop.MouseUp(Desktop::Button::Left, exit.x, exit.y);
  desktop.PumpUntilIdle();
  EXPECT_EQ(m_boxes, 1);
  EXPECT_EQ(m_form->m_bExiting, 1);
  EXPECT_TRUE(TakeQuit());
  EXPECT_EQ(GetSyncLogic(), nullptr);
}

// Signed in, every web page the program opens leaves the password's digest
// out of its address (which an opener's command line and the browser's
// history would show to others).
TEST_F(MainFlowTest, NoPageTheProgramOpensCarriesTheAccountsCredential) {
  ASSERT_NO_FATAL_FAILURE(StartForm());
  ASSERT_TRUE(PumpUntil([&] { return EngineState() == 4 && Settled(); }));
  const std::wstring digest = GetAccountData()->GetSnapshot().m_sPassword.toWideCharPointer();
  ASSERT_FALSE(digest.empty());
  win32::Launcher::ClearRecorded();
  for (int id : {CMainForm::kTrayMenuWebSite, CMainForm::kTrayMenuHelp, CMainForm::kTrayMenuFeedback}) {
    m_form->SendMessage(WM_TRAY_CALLBACK, kTrayIconId, WM_RBUTTONUP);
    UI::CUIMenu* menu = m_form->GetActiveMenu();
    ASSERT_NE(menu, nullptr);
    m_form->OnTrayMenuCommand(menu->GetRootIMenu()->FindIMenu(id));
    menu->ReleaseAll();
  }
  m_form->SendMessage(WM_NOTIFY_OPEN_HELP, 0, 0);
  m_form->SendMessage(WM_NOTIFY_OPEN_CREDIT_GUIDE, 0, 0);
  const auto launches = win32::Launcher::Recorded();
  ASSERT_EQ(launches.size(), 5u);
  for (const auto& launch : launches) {
    EXPECT_EQ(launch.file.find(digest), std::wstring::npos) << launch.file;
    EXPECT_EQ(launch.file.find(L"password"), std::wstring::npos) << launch.file;
    EXPECT_EQ(launch.parameters, L"");
  }
  const std::string journal = dorvtest::ReadFile(win32::Launcher::JournalPath());
  EXPECT_EQ(journal.find(GetAccountData()->GetSnapshot().m_sPassword.toStdString()), std::string::npos);
}

// A service folder named `q" "https:` holding `evil.example/file`: the file
// chosen among the recent files is shown as the one local path it is, never
// split into an address.
TEST_F(MainFlowTest, ARecentFileIsShownAsItsWholeLocalPath) {
  ASSERT_NO_FATAL_FAILURE(StartForm());
  ASSERT_TRUE(PumpUntil([&] { return EngineState() == 4 && Settled(); }));
  const juce::int64 outer = Admin("mkdir?account=" + Account() + "&parentId=" + std::to_string(m_rootID) +
                                  "&name=q%22%20%22https%3A")["dir"]["id"].asInt64();
  const juce::int64 inner =
      Admin("mkdir?account=" + Account() + "&parentId=" + std::to_string(outer) + "&name=evil.example")["dir"]["id"]
          .asInt64();
  Admin("put?account=" + Account() + "&parentId=" + std::to_string(inner) + "&name=file", "bait");
  const fs::path file = m_rootPath / "q\" \"https:" / "evil.example" / "file";
  ASSERT_TRUE(PumpUntil([&] { return fs::exists(file); }));
  ASSERT_TRUE(PumpUntil(Settled));

  win32::Launcher::ClearRecorded();
  m_form->SendMessage(WM_TRAY_CALLBACK, kTrayIconId, WM_RBUTTONUP);
  UI::CUIMenu* menu = m_form->GetActiveMenu();
  ASSERT_NE(menu, nullptr);
  UI::IMenu* recent = menu->GetRootIMenu()->FindIMenu(CMainForm::kTrayMenuRecentFiles);
  ASSERT_NE(recent, nullptr);
  UI::IMenu* entry = nullptr;
  for (int i = 0; i < recent->GetSubMenuCount(); ++i)
    if (recent->GetSubMenu(i)->GetCaption() == CString(L"   file")) entry = recent->GetSubMenu(i);
  ASSERT_NE(entry, nullptr);
  m_form->OnTrayMenuCommand(entry);
  menu->ReleaseAll();
  const auto launches = win32::Launcher::Recorded();
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0], (win32::LaunchRequest{L"select", file.wstring(), L"", L"", SW_SHOWNORMAL}));
}

// The program itself, started twice on the stored account: each start signs
// in without the wizard, files flow both ways, a second start with
// "ExploreRefresh" makes the running one pull everything, and a polite close
// ends it cleanly.
TEST_F(MainFlowTest, TheProgramSignsInByItselfAtEachStartAndTakesExploreRefresh) {
  dorvtest::TempDir program("dorv-program");
  fs::copy_file(DORV_PROGRAM, program / "Dorv_Win.exe");
  fs::copy(fs::path(DORV_PROGRAM_FOLDER) / "Theme", program / "Theme", fs::copy_options::recursive);
  dorvtest::WriteFile(program / "server_list.xml", Server().ServerListXml());
  unsetenv("DISPLAY");
  const std::string exe = (program / "Dorv_Win.exe").string();
  // The program keeps its own connections to the databases and its own log.
  CloseAllDB();
  FreeLog();
  const fs::path log = dorvtest::AppDataFolder() / "dorv.log";
  auto lines = [&](const std::string& text) {
    std::istringstream all(dorvtest::ReadFile(log));
    int count = 0;
    for (std::string line; std::getline(all, line);) count += line.find(text) != std::string::npos;
    return count;
  };
  auto mainWindow = [] { return ::FindWindowExW(nullptr, nullptr, CMainForm::kClassName, CMainForm::kTitle); };

  Put("remote.txt", "from the service");
  for (int start = 1; start <= 2; ++start) {
    SCOPED_TRACE("start " + std::to_string(start));
    const int begun = lines("Begin Init Logic Flow");
    wintest::ChildProcess running(exe, {});
    ASSERT_TRUE(WaitFor([&] { return lines("Begin Init Logic Flow") > begun; }));
    EXPECT_EQ(lines("Post Message WM_NOTIFY_AUTO_LOGIN"), start);
    ASSERT_TRUE(WaitFor([&] { return LocalContent("remote.txt") == "from the service"; }));
    const std::string local = "local" + std::to_string(start) + ".txt";
    Write(local, "written at start " + std::to_string(start));
    ASSERT_TRUE(WaitFor([&] { return ServerHas("/" + local, "written at start " + std::to_string(start)); }));

    Admin("log/clear");
    wintest::ChildProcess second(exe, {"ExploreRefresh"});
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_TRUE(WaitFor([&] { return Requests("getDirFiles") >= 1; })) << "no full pull";

    ASSERT_TRUE(::PostMessageW(mainWindow(), WM_CLOSE, 0, 0));
    EXPECT_EQ(running.Wait(), 0);
    EXPECT_EQ(lines("Exit App..."), 2 * start) << "each start and each second instance";
  }
}

}  // namespace