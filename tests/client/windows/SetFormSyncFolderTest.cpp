// Changing the sync folder from the settings form, against the local service
// and the real engine: the folder chosen with the picker, the service folder
// looked up off the window's thread, the checks that refuse a folder, and the
// re-binding at apply, after which the engine syncs the new folder and leaves
// the old one as it was.
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "SetFormFixture.h"
#include "client/core/db/SyncFolderData.h"
#include "client/sync/registry/MovedFolderRegistry.h"
#include "client/windows/SyncFolderChecks.h"
#include "common/StringConvert.h"
#include "ui/controls/UIEditEx.h"
#include "win32/Choosers.h"

namespace {

using namespace setformtest;
namespace fs = std::filesystem;

std::string Percent(const std::string& text) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "(none)";
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteAll(const fs::path& path, const std::string& bytes) {
  // Written beside and renamed into place, as editors save.
  const fs::path part = path.parent_path().parent_path() / (path.filename().string() + ".part");
  std::ofstream(part, std::ios::binary) << bytes;
  fs::rename(part, path);
}

CString Wide(const fs::path& path) { return CString(path.wstring().c_str()); }

class SetFormSyncFolderTest : public SetFormTest {
 protected:
  void SetUp() override {
    InstallSyncEngine();
    SetFormTest::SetUp();
    win32::Choosers::Reset();
    ASSERT_NO_FATAL_FAILURE(SignInWithEngineTables(m_login));
    const std::string webName = Common::CString_to_utf8(Str(L"STRID_WEB_FOLDER_NAME"));
    m_webID = Admin("mkdir?account=" + std::string(signintest::kAccount) + "&parentId=-1&name=" + Percent(webName))["dir"]
                  ["id"]
                      .asInt64();
    ASSERT_GT(m_webID, 0);
    m_oldRoot = m_place.path() / "Old";
    m_newRoot = m_place.path() / "New";
    fs::create_directories(m_oldRoot);
    fs::create_directories(m_newRoot);
    SyncFolderData root;
    root.m_FolderID = m_webID;
    root.m_ParentID = -1;
    root.m_FolderName = juce::CharPointer_UTF8(webName.c_str());
    root.m_FolderSysType = 18;
    root.m_ParentPath = "/";
    root.m_FolderPath = juce::String(m_oldRoot.string());
    SyncRootFolder::DeleteInstance();
    SyncRootFolder::GetInstance()->SetRootFolder(root.m_FolderPath, "0|0", root);
    GetAccountData()->UpdateSnapshot([](AccountSnapshot& s) { s.IsAutoLogin = 1; });
    GetSyncStatusTracker()->m_nEngineState = 4;
    GetSyncLogic()->CreateSyncWorkers();
    // The main form's part after a re-binding: the engine starts on the stored root.
    m_main.m_onMessage = [this](UINT message) {
      if (message != WM_NOTIFY_SETUP_DONE) return;
      SyncRootFolder::GetInstance()->Reload();
      m_restarted = GetSyncLogic()->StartWorkflow() ? 1 : 0;
    };
  }
  void TearDown() override {
    if (m_form && ::IsWindow(m_hForm)) {
      m_form->PostMessage(WM_CLOSE);
      Pump();
    }
    win32::Choosers::Reset();
    Admin("faults/clear");
    // The engine's threads end with the context, before anything they use.
    DeleteGlobalContext();
    MovedFolderRegistry::GetInstance()->Clear();
    SyncRootFolder::DeleteInstance();
    m_login.SetExiting();
    const fs::path readOnly = m_place.path() / "readonly";
    if (fs::exists(readOnly)) fs::permissions(readOnly, fs::perms::owner_all, fs::perm_options::add);
    SetFormTest::TearDown();
  }

  juce::int64 Put(const std::string& name, const std::string& bytes) {
    return Admin("put?account=" + std::string(signintest::kAccount) + "&parentId=" + std::to_string(m_webID) +
                 "&name=" + name,
                 bytes)["file"]["id"]
        .asInt64();
  }
  // The content of the live file of that name directly in the service's folder.
  std::string ServerFile(const std::string& name) {
    const Json::Value tree = Admin("tree?account=" + std::string(signintest::kAccount));
    std::string prefix;
    for (const Json::Value& item : tree["items"])
      if (item["id"].asInt64() == m_webID) prefix = item["path"].asString() + "/";
    for (const Json::Value& item : tree["items"])
      if (item["status"].asInt() != 1 && !item["isDir"].asBool() && item["path"].asString() == prefix + name)
        return AdminRaw("content?account=" + std::string(signintest::kAccount) +
                        "&id=" + std::to_string(item["id"].asInt64()));
    return "(none)";
  }
  bool PumpUntil(const std::function<bool()>& done, int ms = 60000) { return Desktop::Get().PumpUntil(done, ms); }
  void RunEngineOnOldRoot() {
    ASSERT_TRUE(GetSyncLogic()->StartWorkflow());
    ASSERT_TRUE(GetSyncLogic()->WaitForWorkflow(60000));
  }
  // Chooses the folder with the "..." button and waits for the look-up.
  void Choose(const fs::path& folder) {
    win32::Choosers::PushAnswer(folder.wstring());
    Click(L"LocalSynFolderButton");
    ASSERT_TRUE(PumpUntil([&] { return !m_form->IsServerDirRequestRunning(); }, 30000));
    Pump();
  }

  dorvtest::TempDir m_place{"dorv-setfolder"};
  fs::path m_oldRoot, m_newRoot;
  juce::int64 m_webID = 0;
  // A test's clock outlives the engine's threads, which may still wait on it
  // until the context goes in TearDown.
  win32::ManualClock m_clock;
  // Whether the engine's workflow started again after the re-binding (-1: not asked).
  int m_restarted = -1;
};

TEST_F(SetFormSyncFolderTest, ANewFolderIsBoundAtApplyAndTheEngineSyncsItLeavingTheOldOneAsItWas) {
  Put("a.txt", "from the service");
  RunEngineOnOldRoot();
  ASSERT_TRUE(PumpUntil([&] { return ReadAll(m_oldRoot / "a.txt") == "from the service"; }));
  WriteAll(m_oldRoot / "mine.txt", "written here");
  ASSERT_TRUE(PumpUntil([&] { return ServerFile("mine.txt") == "written here"; }));

  Open(&m_main);
  EXPECT_EQ(EditText(L"LocalSynFolderEdit"), L" " + Wide(m_oldRoot));
  Choose(m_newRoot);
  // Chosen, shown, not bound yet.
  EXPECT_EQ(m_form->GetPendingSyncFolder(), Wide(m_newRoot));
  EXPECT_EQ(EditText(L"LocalSynFolderEdit"), L" " + Wide(m_newRoot));
  EXPECT_EQ(SyncRootFolder::GetInstance()->GetRootPath(), juce::String(m_oldRoot.string()));
  const auto requests = win32::Choosers::Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].title, Str(L"STRID_CTMSETPAGE_PLEASESELLOCALSYNCDIR").GetString());
  EXPECT_EQ(requests[0].folder, m_oldRoot.wstring());  // it starts at the current folder

  win32::Launcher::ClearRecorded();
  Click(L"ConfirmButton");
  EXPECT_TRUE(FormGone());
  EXPECT_EQ(SyncRootFolder::GetInstance()->GetRootPath(), juce::String(m_newRoot.string()));
  EXPECT_EQ(SyncRootFolder::GetInstance()->GetRootFolderID(), m_webID);
  const std::vector<UINT> toMain{m_main.m_messages.begin(), m_main.m_messages.end()};
  EXPECT_NE(std::find(toMain.begin(), toMain.end(), WM_NOTIFY_SETUP_DONE), toMain.end());
  const auto opened = win32::Launcher::Recorded();
  ASSERT_FALSE(opened.empty());
  EXPECT_NE(opened.back().file.find(m_newRoot.wstring()), std::wstring::npos);

  // The engine, started again by the main form, brings the service's files into the new folder.
  ASSERT_TRUE(PumpUntil([&] {
    return ReadAll(m_newRoot / "a.txt") == "from the service" && ReadAll(m_newRoot / "mine.txt") == "written here";
  }));
  // The new folder is the one watched: the old one no longer syncs.
  WriteAll(m_oldRoot / "late-old.txt", "not synced any more");
  WriteAll(m_newRoot / "late-new.txt", "synced");
  ASSERT_TRUE(PumpUntil([&] { return ServerFile("late-new.txt") == "synced"; }));
  ASSERT_TRUE(PumpUntil([&] { return GetSyncLogic()->IsIdle(); }));
  EXPECT_EQ(ServerFile("late-old.txt"), "(none)");
  // Nothing of the user's was lost or moved: the old folder is as it was.
  EXPECT_EQ(ReadAll(m_oldRoot / "a.txt"), "from the service");
  EXPECT_EQ(ReadAll(m_oldRoot / "mine.txt"), "written here");
  EXPECT_EQ(ReadAll(m_oldRoot / "late-old.txt"), "not synced any more");
  EXPECT_EQ(ServerFile("a.txt"), "from the service");
  EXPECT_EQ(Events(1), (std::vector<std::string>{"reset_setting"}));
}

TEST_F(SetFormSyncFolderTest, ApplyingWhileTheEngineStillPullsStartsItAgainOnTheNewFolder) {
  Put("a.txt", "a");
  Put("b.txt", "b");
  // The engine's first pull is held by the service while the user changes the folder.
  Fault("op=getDirFiles&delayMs=8000");
  ASSERT_TRUE(GetSyncLogic()->StartWorkflow());
  Open(&m_main);
  Choose(m_newRoot);
  ASSERT_EQ(m_form->GetPendingSyncFolder(), Wide(m_newRoot));
  EXPECT_TRUE(GetSyncLogic()->IsWorkflowRunning());
  Click(L"ConfirmButton");
  EXPECT_TRUE(FormGone());
  // The old workflow ended before the root changed, so the new one starts and pulls.
  ASSERT_TRUE(PumpUntil([&] { return m_restarted != -1; }, 30000));
  EXPECT_EQ(m_restarted, 1);
  EXPECT_TRUE(PumpUntil([&] { return ReadAll(m_newRoot / "a.txt") == "a" && ReadAll(m_newRoot / "b.txt") == "b"; }));
  // Nothing of the service's landed in the old folder.
  EXPECT_EQ(ReadAll(m_oldRoot / "a.txt"), "(none)");
  EXPECT_EQ(ReadAll(m_oldRoot / "b.txt"), "(none)");
}

TEST_F(SetFormSyncFolderTest, ARefusedFolderShowsWhyAndChangesNothing) {
  fs::create_directories(m_oldRoot / "inside");
  fs::create_directory_symlink(m_newRoot, m_place.path() / "link");
  fs::create_directories(m_place.path() / "readonly");
  fs::permissions(m_place.path() / "readonly", fs::perms::owner_read | fs::perms::owner_exec);
  const struct {
    const char* name;
    fs::path folder;
    const wchar_t* panel;
    const wchar_t* text;
  } cases[] = {
      {"inside the current folder", m_oldRoot / "inside", L"InnerPanelSyncDirNested", L"STRID_MSGBOX_SYNCDIRNESTED_TEXT"},
      {"holding the current folder", m_place.path(), L"InnerPanelSyncDirNested", L"STRID_MSGBOX_SYNCDIRNESTED_TEXT"},
      {"a symbolic link", m_place.path() / "link", L"InnerPanelSyncDirLink", L"STRID_MSGBOX_SYNCDIRLINK_TEXT"},
      {"not writable", m_place.path() / "readonly", L"InnerPanelSyncDirReadOnly", L"STRID_MSGBOX_SYNCDIRREADONLY_TEXT"},
      {"a system folder", "/usr/share", L"InnerPanelSystemSetupDir", L"STRID_MSGBOX_SYSTEMSETUPDIR_TEXT"},
  };
  Open(&m_main);
  BoxAnswerer answers(*m_form);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t before = answers.m_boxes.size();
    ASSERT_NO_FATAL_FAILURE(Choose(c.folder));
    ASSERT_TRUE(PumpUntil([&] { return answers.m_boxes.size() > before; }, 30000));
    EXPECT_EQ(answers.m_boxes.back().panel, c.panel);
    EXPECT_EQ(answers.m_boxes.back().text, Str(c.text).GetString());
    EXPECT_EQ(answers.m_boxes.back().title, Str(L"STRID_SYSTEMSETUPDIRFORM_TIETLE").GetString());
    EXPECT_EQ(m_form->GetPendingSyncFolder(), CString());
    EXPECT_EQ(EditText(L"LocalSynFolderEdit"), L" " + Wide(m_oldRoot));
  }
  answers.Stop();
  Click(L"ConfirmButton");
  EXPECT_TRUE(FormGone());
  EXPECT_EQ(std::find(m_main.m_messages.begin(), m_main.m_messages.end(), WM_NOTIFY_SETUP_DONE), m_main.m_messages.end());
  EXPECT_EQ(SyncRootFolder::GetInstance()->GetRootPath(), juce::String(m_oldRoot.string()));
}

TEST_F(SetFormSyncFolderTest, TheSameFolderOrACancelledPickerBindsNothing) {
  fs::create_directories(m_oldRoot);
  dorvtest::WriteFile(m_oldRoot / "kept.txt", "mine");  // a folder with content would be offered a merge
  Open(&m_main);
  BoxAnswerer answers(*m_form);
  win32::Choosers::PushAnswer(std::nullopt);
  Click(L"SetAgainButton");
  // The current folder, however the chooser writes it, is no change: nothing is
  // looked up, checked or asked.
  for (const fs::path& same : {m_oldRoot, m_oldRoot / "", m_oldRoot / "."}) {
    SCOPED_TRACE(same.string());
    ASSERT_NO_FATAL_FAILURE(Choose(same));
    EXPECT_EQ(m_form->GetPendingSyncFolder(), CString());
  }
  EXPECT_FALSE(m_form->IsServerDirRequestRunning());
  EXPECT_EQ(Requests("getDirStructure"), 0);
  EXPECT_TRUE(answers.m_boxes.empty());
  answers.Stop();
  Click(L"ConfirmButton");
  EXPECT_TRUE(FormGone());
  EXPECT_EQ(std::find(m_main.m_messages.begin(), m_main.m_messages.end(), WM_NOTIFY_SETUP_DONE), m_main.m_messages.end());
}

TEST_F(SetFormSyncFolderTest, TheWindowAnswersWhileTheServiceFolderIsLookedUp) {
  Fault("op=getDirStructure&delayMs=3000");
  Open(&m_main);
  win32::Choosers::PushAnswer(m_newRoot.wstring());
  Click(L"LocalSynFolderButton");
  ASSERT_TRUE(m_form->IsServerDirRequestRunning());
  EXPECT_FALSE(Enabled(L"LocalSynFolderButton"));  // one look-up at a time
  EXPECT_TRUE(m_form->FindControlRecusive(L"TipPanel")->IsVisible());
  // Another thread sends the window a message: the window's thread serves it
  // while the look-up still waits for the service.
  std::atomic<bool> replied{false};
  const HWND form = m_hForm;
  std::thread sender([&] {
    wchar_t title[64] = {};
    ::SendMessageW(form, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(title));
    replied = title[0] != 0;
  });
  bool stillLooking = false;
  EXPECT_TRUE(PumpUntil([&] {
    if (replied) stillLooking = m_form->IsServerDirRequestRunning();
    return replied.load();
  }, 30000));
  sender.join();
  EXPECT_TRUE(stillLooking);
  // The answer comes as a message and the choice goes on with it.
  ASSERT_TRUE(PumpUntil([&] { return !m_form->IsServerDirRequestRunning(); }, 30000));
  Pump();
  EXPECT_EQ(m_form->GetPendingSyncFolder(), Wide(m_newRoot));
  EXPECT_TRUE(Enabled(L"LocalSynFolderButton"));
}

TEST_F(SetFormSyncFolderTest, ALookUpThatFailsOrTakesTooLongShowsItsTipAndChangesNothing) {
  Open(&m_main);
  // The service has no folder of that name.
  Admin("delete?account=" + std::string(signintest::kAccount) + "&id=" + std::to_string(m_webID));
  Choose(m_newRoot);
  EXPECT_TRUE(m_form->FindControlRecusive(L"TipPanel")->IsVisible());
  EXPECT_EQ(m_form->GetPendingSyncFolder(), CString());

  // The service does not answer within the window's limit.
  win32::ScopedClock useClock(m_clock);
  Fault("op=getDirStructure&delayMs=10000");
  win32::Choosers::PushAnswer(m_newRoot.wstring());
  // The picker waits a second before it selects the start folder again: time
  // goes on by itself until the picker has asked, then stands.
  const size_t asked = win32::Choosers::Requests().size();
  std::thread ticker([&] {
    while (win32::Choosers::Requests().size() == asked) {
      m_clock.Advance(5);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  Click(L"LocalSynFolderButton");
  ticker.join();
  ASSERT_TRUE(m_form->IsServerDirRequestRunning());
  m_clock.Advance(CSetForm::kServerDirLimitMs);
  Pump();
  EXPECT_FALSE(m_form->IsServerDirRequestRunning());
  EXPECT_TRUE(Enabled(L"LocalSynFolderButton"));
  EXPECT_TRUE(m_form->FindControlRecusive(L"TipPanel")->IsVisible());
  EXPECT_EQ(m_form->GetPendingSyncFolder(), CString());
  EXPECT_EQ(EditText(L"LocalSynFolderEdit"), L" " + Wide(m_oldRoot));
}

}  // namespace
