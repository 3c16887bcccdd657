#include "FirstRunFlow.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "DBTestFolder.h"
#include "client/core/LogWriter.h"
#include "client/core/account/AccountData.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/filter/ServerUpdateMessageFilter.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/registry/DownSyncPathRegistry.h"
#include "client/sync/registry/MovedFolderRegistry.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/windows/MainForm.h"
#include "client/windows/wizard/InitSetForm.h"
#include "common/MutiLanSupport.h"
#include "common/StringConvert.h"
#include "display/Desktop.h"
#include "ui/controls/UIEditEx.h"
#include "ui/controls/UIPage.h"
#include "ui/skin/UISkinManager.h"
#include "win32/Launcher.h"

namespace fs = std::filesystem;

namespace firstrun {

namespace {

CString Str(const wchar_t* key) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(key); }

int EngineState() { return GetSyncStatusTracker() ? GetSyncStatusTracker()->m_nEngineState.load() : -1; }

bool Settled() {
  SyncLogic* engine = GetSyncLogic();
  return engine && !engine->IsWorkflowRunning() && engine->IsIdle();
}

// A look at the service at most every 50 ms: each one is a request.
std::function<bool()> Throttled(std::function<bool()> look) {
  auto last = std::make_shared<std::chrono::steady_clock::time_point>();
  return [look = std::move(look), last] {
    const auto now = std::chrono::steady_clock::now();
    if (now - *last < std::chrono::milliseconds(50)) return false;
    *last = now;
    return look();
  };
}

}  // namespace

void FirstRunFlow::SetUp() {
  InstallSyncEngine();
  win32::Launcher::SetMode(win32::Launcher::Mode::Record);
  // Nothing of an earlier run: the data folder is as a first start makes it,
  // empty (the process made it once). The fixture below then opens the
  // databases as the program's start does.
  CloseAllDB();
  DeleteGlobalContext();
  FreeLog();
  const fs::path data = dorvtest::AppDataFolder();
  for (const auto& entry : fs::directory_iterator(data)) fs::remove_all(entry.path());
  ASSERT_TRUE(fs::is_empty(data));
  ServiceTest::SetUp();
  ASSERT_TRUE(fs::exists(data / "dorv.db"));

  const fs::path strings = fs::path(DORV_PROGRAM_FOLDER) / "Theme" / "gdstrings.ini";
  ASSERT_EQ(Common::CMutiLanSupport::GetInstance()->LoadStringTable(CString(strings.wstring().c_str())), 1);
  ASSERT_EQ(UI::CUISkinManager::GetInstance()->InitSkinData(), 1);

  if (const char* home = std::getenv("HOME")) m_oldHome = home;
  fs::create_directories(m_home / "Documents");
  setenv("HOME", m_home.c_str(), 1);
  SyncRootFolder::DeleteInstance();

  // A new account on the service, never signed in anywhere.
  m_account = "carol." + std::to_string(::getpid()) + "@example.com";
  Admin("user?account=" + m_account + "&password=carol-pass");
}

void FirstRunFlow::TearDown() {
  if (m_form) {
    if (::IsWindow(m_form->m_hWnd)) m_form->DestroyWindow();
    static_cast<UI::CUIControl*>(m_form)->Release();
    m_form = nullptr;
  }
  display::Desktop::Get().PumpUntilIdle();
  DeleteGlobalContext();
  MovedFolderRegistry::GetInstance()->Clear();
  DownSyncPathRegistry::GetInstance()->Reset();
  SyncRootFolder::DeleteInstance();
  setenv("HOME", m_oldHome.c_str(), 1);
  ServiceTest::TearDown();
}

bool FirstRunFlow::PumpUntil(const std::function<bool()>& done, int seconds) {
  return display::Desktop::Get().PumpUntil(done, static_cast<DWORD>(seconds) * 1000);
}

CInitSetForm* FirstRunFlow::Wizard() const { return m_form ? m_form->GetInitSetForm() : nullptr; }

CString FirstRunFlow::Page() const {
  CInitSetForm* wizard = Wizard();
  return wizard && ::IsWindow(wizard->m_hWnd) && wizard->GetCurrentPage() ? wizard->GetCurrentPage()->GetObjectID()
                                                                          : CString();
}

bool FirstRunFlow::ServerHas(const std::string& name, const std::string& content) {
  const Json::Value tree = Admin("tree?account=" + m_account);
  for (const Json::Value& item : tree["items"]) {
    const std::string path = item["path"].asString();
    if (item["status"].asInt() == 1 || item["isDir"].asBool()) continue;
    if (path.size() < name.size() + 1 || path.compare(path.size() - name.size() - 1, name.size() + 1, "/" + name) != 0)
      continue;
    if (AdminRaw("content?account=" + m_account + "&id=" + std::to_string(item["id"].asInt64())) == content)
      return true;
  }
  return false;
}

std::string FirstRunFlow::LocalContent(const std::string& name) const {
  std::ifstream in(m_root / name, std::ios::binary);
  if (!in) return "(none)";
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void FirstRunFlow::RunFirstStart() {
  m_form = new CMainForm();
  ASSERT_EQ(m_form->Create(), 1);

  // No account is stored: the wizard shows its sign-in page, nothing syncs.
  ASSERT_TRUE(PumpUntil([&] { return Page() == L"LoginPage" && ::IsWindowVisible(Wizard()->m_hWnd); }));
  EXPECT_EQ(EngineState(), SyncStatusTracker::ENGINE_NONE);
  CInitSetForm* wizard = Wizard();
  const HWND window = wizard->m_hWnd;
  SignInPageShown(window);

  // The account and password typed, Tab between them, Enter signs in.
  auto* name = dynamic_cast<UI::CUIEditEx*>(wizard->FindControlRecusive(L"UserNameEdit"));
  auto* password = dynamic_cast<UI::CUIEditEx*>(wizard->FindControlRecusive(L"PwdEdit"));
  ASSERT_TRUE(name && password);
  const CString account = Common::String_To_CString(juce::String(m_account));
  Click(window, name);
  Type(std::wstring(static_cast<const wchar_t*>(account)));
  ASSERT_TRUE(PumpUntil([&] { return CString(name->GetText()) == account; })) << Common::CString_to_utf8(CString(name->GetText()));
  Key(VK_TAB);  // takes the suggestion when one shows, then moves on
  ASSERT_TRUE(PumpUntil([&] { return wizard->GetKeyFocusControl() == password; }));
  EXPECT_EQ(CString(name->GetText()), account);
  Type(L"carol-pass");
  ASSERT_TRUE(PumpUntil([&] { return CString(password->GetText()) == L"carol-pass"; }));
  Key(VK_RETURN);

  // Signed in: the folder page proposes the documents folder plus the default name.
  ASSERT_TRUE(PumpUntil([&] { return Page() == L"CustomSetPage"; })) << "still on " << Common::CString_to_utf8(Page());
  EXPECT_EQ(EngineState(), SyncStatusTracker::ENGINE_CHOOSE_FOLDER);
  const fs::path proposed = m_home / "Documents" / Common::CString_to_utf8(Str(L"STRID_INITSETFORMPUBLIC_SYNCFOLDERNAME"));
  EXPECT_EQ(wizard->GetChosenFolder(), Common::String_To_CString(juce::String::fromUTF8(proposed.c_str())));
  Key(VK_RETURN);  // the service folder is made, the local one created, checked and bound

  // A first account on this computer sees the three guide pages.
  ASSERT_TRUE(PumpUntil([&] { return Page() == L"NewGuidePage1"; })) << "still on " << Common::CString_to_utf8(Page());
  EXPECT_TRUE(fs::is_directory(proposed));
  Key(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return Page() == L"NewGuidePage2"; }));
  Key(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return Page() == L"NewGuidePage3"; }));
  Key(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return Page() == L"SetCompletePage"; }));
  EXPECT_EQ(GetProductInfo().CurrentUser, juce::String(m_account)) << "the next start signs in by itself";

  // The link runs since the sign-in, but the service's news waits for the
  // engine's start: nothing is pulled while the root is being bound. A poll
  // that began after the news has come back, so a pull would have begun.
  {
    ServerUpdateMessageFilter* news = GetSyncLogic()->GetServerUpdateMessageFilter();
    Admin("notify?account=" + m_account);
    ASSERT_TRUE(PumpUntil([&] { return news->HasQueuedVersions(); }));
    const int polls = Requests("LINK_BEATHEART");
    ASSERT_TRUE(PumpUntil(Throttled([&] { return Requests("LINK_BEATHEART") > polls + 1; })));
    EXPECT_TRUE(news->HasQueuedVersions());
    EXPECT_EQ(Requests("syncDir") + Requests("getDirFiles"), 0);
  }

  // Done: the wizard closes, the sync folder opens, the engine starts.
  Click(window, wizard->GetCurrentPage()->FindControlRecusive(L"OverButton"));
  ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(window) && !Wizard(); }))
      << "window " << ::IsWindow(window) << ", a wizard open on " << Common::CString_to_utf8(Page());
  ASSERT_TRUE(PumpUntil([] { return EngineState() == SyncStatusTracker::ENGINE_RUNNING && Settled(); }));
  m_root = proposed;
  EXPECT_EQ(SyncRootFolder::GetInstance()->GetRootPath(), juce::String::fromUTF8(m_root.c_str()));
  const auto launches = win32::Launcher::Recorded();
  ASSERT_FALSE(launches.empty());
  EXPECT_EQ(Common::CString_to_utf8(CString(launches.back().file.c_str())), m_root.string()) << "the sync folder opens";
  EXPECT_TRUE(fs::is_regular_file(m_root / "欢迎使用Dorv.pdf")) << "a first sign-in finds the welcome document there";
  EXPECT_TRUE(fs::exists(SyncHelper::GetUserDBPath(juce::String(m_account)).toStdString()));
  EXPECT_EQ(dorvtest::CountLogLines("Begin Init Logic Flow"), 1);

  // A file put into the sync folder reaches the service...
  {
    const fs::path temp = m_dir / "from-here.part";
    std::ofstream(temp, std::ios::binary) << "written on this computer";
    fs::rename(temp, m_root / "from-here.txt");
  }
  ASSERT_TRUE(PumpUntil(Throttled([&] { return ServerHas("from-here.txt", "written on this computer"); })));
  // ...and one another device puts on the service arrives here.
  const juce::int64 rootID = SyncRootFolder::GetInstance()->GetRootFolderID();
  ASSERT_GT(rootID, 0);
  Admin("put?account=" + m_account + "&parentId=" + std::to_string(rootID) + "&name=from-there.txt",
        "written elsewhere");
  ASSERT_TRUE(PumpUntil([&] { return LocalContent("from-there.txt") == "written elsewhere"; }));
  EXPECT_TRUE(PumpUntil(Settled));
}

}  // namespace firstrun
