// The sign-in wizard against the local cloud service, worked by injected keys
// on the headless desktop as a user would: sign in, choose the folder, go
// through the pages to the end. The wizard's owner is a main form whose
// window only records the messages it is sent.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "DesktopClick.h"
#include "ServiceFixture.h"
#include "TempDir.h"
#include "client/core/account/ProductInfo.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/login/LoginManager.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/windows/AppMessages.h"
#include "client/windows/FolderPicker.h"
#include "client/windows/MainForm.h"
#include "client/windows/SyncFolderChecks.h"
#include "client/windows/wizard/InitSetForm.h"
#include "common/MutiLanSupport.h"
#include "common/StringConvert.h"
#include "display/Desktop.h"
#include "ui/UIManager.h"
#include "ui/controls/EditExConfig.h"
#include "ui/controls/UIEditEx.h"
#include "ui/controls/UIPage.h"
#include "ui/skin/UISkinManager.h"
#include "win32/Choosers.h"
#include "win32/Launcher.h"

namespace {

namespace fs = std::filesystem;
using display::Desktop;

CString Str(const wchar_t* key) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(key); }

class WizardEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    const fs::path theme = fs::path(DORV_PROGRAM_FOLDER) / "Theme" / "gdstrings.ini";
    ASSERT_EQ(Common::CMutiLanSupport::GetInstance()->LoadStringTable(CString(theme.wstring().c_str())), 1);
    ASSERT_EQ(UI::CUISkinManager::GetInstance()->InitSkinData(), 1);
    InstallSyncEngine();
    win32::Launcher::SetMode(win32::Launcher::Mode::Record);
  }
};
const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new WizardEnvironment);

// The messages the wizard sends its owner.
std::vector<MSG> g_ownerMessages;
WNDPROC g_ownerProc = nullptr;

LRESULT CALLBACK RecordOwner(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_NOTIFY_SECOND_INSTANCE && message <= WM_NOTIFY_OPEN_CREDIT_GUIDE) {
    g_ownerMessages.push_back(MSG{hwnd, message, wParam, lParam, 0, {}});
    return 0;
  }
  return ::CallWindowProcW(g_ownerProc, hwnd, message, wParam, lParam);
}

// A wizard that counts its own end.
class CountedWizard : public CInitSetForm {
 public:
  using CInitSetForm::CInitSetForm;
  ~CountedWizard() override { ++s_released; }
  static inline int s_released = 0;
};

// Answers each skinned message box that comes up, from inside its modal loop:
// counts it and clicks its confirm (1) or cancel (0) button.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(int answer) : m_answer(answer) {
    s_current = this;
    m_timer = ::SetTimer(nullptr, 0, 5, &BoxAnswerer::Tick);
  }
  ~BoxAnswerer() {
    ::KillTimer(nullptr, m_timer);
    s_current = nullptr;
  }
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;
  int Boxes() const { return m_boxes; }

 private:
  static void Tick(HWND, UINT, UINT_PTR, DWORD) {
    BoxAnswerer* self = s_current;
    CPtrArray modal;
    UI::CUIManager::GetInstance()->GetModalForms(modal);
    if (!self || modal.GetSize() == 0) return;
    auto* box = static_cast<UI::CUIForm*>(modal[modal.GetSize() - 1]);
    if (box->m_hWnd == self->m_answered) return;  // answered, not yet gone
    self->m_answered = box->m_hWnd;
    ++self->m_boxes;
    if (UI::CUIControl* button = box->FindControlRecusive(self->m_answer ? L"ConfirmButton" : L"CancleButton"))
      dorvtest::ClickControl(box->m_hWnd, button);
  }

  static inline BoxAnswerer* s_current = nullptr;
  int m_answer;
  int m_boxes = 0;
  HWND m_answered = nullptr;
  UINT_PTR m_timer = 0;
};

class WizardTest : public signintest::ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    if (const char* home = std::getenv("HOME")) m_oldHome = home;
    fs::create_directories(m_home / "Documents");
    setenv("HOME", m_home.c_str(), 1);
    SyncRootFolder::DeleteInstance();
    GetGlobalContext()->CreateSyncLogic();
    g_ownerMessages.clear();
    m_owner = new CMainForm();
    ASSERT_EQ(static_cast<UI::CUIForm*>(m_owner)->Create(WS_POPUP, L"WizardOwnerClass", L"owner", nullptr, 0,
                                                         CRect(0, 0, 1, 1)),
              1);
    g_ownerProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(m_owner->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordOwner)));
  }
  void TearDown() override {
    win32::Choosers::Reset();
    if (m_wizard && ::IsWindow(m_wizardWindow)) {
      m_wizard->DestroyWindow();
      static_cast<UI::CUIControl*>(m_wizard)->Release();
    }
    Pump();
    ::SetWindowLongPtrW(m_owner->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_ownerProc));
    m_owner->DestroyWindow();
    static_cast<UI::CUIControl*>(m_owner)->Release();
    Pump();
    GetGlobalContext()->StopSyncLogic();
    SyncRootFolder::DeleteInstance();
    setenv("HOME", m_oldHome.c_str(), 1);
    ServiceTest::TearDown();
  }

  static void Pump() { Desktop::Get().PumpUntilIdle(); }
  static bool PumpUntil(const std::function<bool()>& done) { return Desktop::Get().PumpUntil(done, 30000); }

  void Open(int mode) {
    m_wizard = new CountedWizard(m_owner);
    ASSERT_EQ(m_wizard->Create(mode, nullptr), 1);
    m_wizardWindow = m_wizard->m_hWnd;
    m_wizard->ShowWindow(SW_SHOW);
    ::SetForegroundWindow(m_wizardWindow);
    Pump();
  }
  CString Page() const {
    return ::IsWindow(m_wizardWindow) && m_wizard->GetCurrentPage() ? m_wizard->GetCurrentPage()->GetObjectID()
                                                                      : CString();
  }
  UI::CUIEditEx* Edit(const wchar_t* id) { return dynamic_cast<UI::CUIEditEx*>(m_wizard->FindControlRecusive(id)); }
  static void Type(const wchar_t* text) {
    Desktop::Get().TypeText(text);
    Pump();
  }
  static void Key(UINT key) {
    Desktop::Get().KeyPress(key);
    Pump();
  }
  void Click(const wchar_t* id) {
    UI::CUIControl* control = m_wizard->FindControlRecusive(id);
    ASSERT_NE(control, nullptr) << id;
    dorvtest::ClickControl(m_wizardWindow, control);
    Pump();
  }
  // The test account signed in through the page as a user types it; returns
  // once the sign-in has left the page or ended the wizard.
  void SignIn() {
    Type(L"alice@example.com");
    Key(VK_TAB);
    Type(L"secret");
    Key(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(m_wizardWindow) || Page() != L"LoginPage"; }));
  }
  // A new wizard in mode in place of the open one, with the owner's record emptied.
  void Reopen(int mode) {
    if (m_wizard && ::IsWindow(m_wizardWindow)) {
      m_wizard->DestroyWindow();
      static_cast<UI::CUIControl*>(m_wizard)->Release();
    }
    m_wizard = nullptr;
    Pump();
    g_ownerMessages.clear();
    Open(mode);
  }
  // What an earlier set-up of the test account left: its sync root bound to
  // `folder` and a service folder, and the account remembered as the last one.
  void StorePrevious(const fs::path& folder) {
    LoginManager login;
    ASSERT_NO_FATAL_FAILURE(SignInWithEngineTables(login));
    fs::create_directories(folder);
    SyncFolderData root;
    root.m_FolderID = Admin(std::string("mkdir?account=") + signintest::kAccount + "&parentId=-1&name=Earlier")["dir"]["id"]
                          .asInt64();
    ASSERT_GT(root.m_FolderID, 0);
    root.m_ParentID = -1;
    root.m_FolderName = "Earlier";
    root.m_FolderSysType = 18;
    root.m_ParentPath = "/";
    root.m_FolderPath = juce::String(folder.string());
    SyncRootFolder::GetInstance()->SetRootFolder(root.m_FolderPath, "0|0", root);
    ProductInfo product = GetProductInfo();
    product.CurrentUser = juce::String(signintest::kAccount);
    SaveProductInfo(product);
    login.SetExiting();
  }
  // Clicks a control of the page shown (pages share their buttons' names and
  // places). A click where the last one was, at a user's pace, is not a double
  // click: it lands a little aside.
  void ClickOnPage(const wchar_t* id) {
    ASSERT_NE(m_wizard->GetCurrentPage(), nullptr);
    UI::CUIControl* control = m_wizard->GetCurrentPage()->FindControlRecusive(id);
    ASSERT_NE(control, nullptr) << id;
    POINT at = control->GetBounds().CenterPoint();
    ::ClientToScreen(m_wizardWindow, &at);
    if (at.x == m_lastClick.x && at.y == m_lastClick.y) at.x += ::GetSystemMetrics(SM_CXDOUBLECLK);
    m_lastClick = at;
    Desktop& desktop = Desktop::Get();
    desktop.MouseMove(at.x, at.y);
    desktop.MouseDown(Desktop::Button::Left, at.x, at.y);
    desktop.MouseUp(Desktop::Button::Left, at.x, at.y);
    Pump();
  }
  bool Closed() const { return !::IsWindow(m_wizardWindow); }
  bool OwnerGot(UINT message, WPARAM* wParam = nullptr) const {
    for (const MSG& m : g_ownerMessages)
      if (m.message == message) {
        if (wParam) *wParam = m.wParam;
        return true;
      }
    return false;
  }

  dorvtest::TempDir m_dir;
  fs::path m_home = m_dir / "home";
  std::string m_oldHome;
  CMainForm* m_owner = nullptr;
  CInitSetForm* m_wizard = nullptr;
  HWND m_wizardWindow = nullptr;
  POINT m_lastClick{-1, -1};
};

TEST_F(WizardTest, AUserSignsInChoosesTheProposedFolderAndFinishesByKeyboardAlone) {
  Open(0);
  EXPECT_EQ(Page(), CString(L"LoginPage"));
  EXPECT_EQ(m_wizard->GetKeyFocusControl(), Edit(L"UserNameEdit")) << "the focus starts in the account edit";
  const fs::path shots = fs::path(DORV_BUILD_DIR) / "screenshots";
  fs::create_directories(shots);
  EXPECT_TRUE(Desktop::Get().CaptureWindow(m_wizardWindow).WritePng((shots / "wizard-signin.png").string()));

  Type(L"alice@example.com");
  Key(VK_TAB);  // takes the suggestion, then moves on
  EXPECT_EQ(CString(Edit(L"UserNameEdit")->GetText()), CString(L"alice@example.com"));
  EXPECT_EQ(m_wizard->GetKeyFocusControl(), Edit(L"PwdEdit"));
  Type(L"secret");
  Key(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return Page() == L"CustomSetPage"; })) << "the sign-in leads to the folder page";

  const fs::path proposed = m_home / "Documents" / Common::CString_to_utf8(Str(L"STRID_INITSETFORMPUBLIC_SYNCFOLDERNAME"));
  const CString proposedText = Common::String_To_CString(juce::String::fromUTF8(proposed.c_str()));
  EXPECT_EQ(m_wizard->GetChosenFolder(), proposedText);
  CString shown = Edit(L"CustomSetLocalSynDirEdit")->GetText();
  shown.TrimLeft();
  // Whole where it fits the edit; else shortened in the middle, its own name kept.
  if (shown != proposedText) {
    const CString name = Str(L"STRID_INITSETFORMPUBLIC_SYNCFOLDERNAME");
    EXPECT_NE(shown.Find(L"..."), -1) << shown.GetString();
    EXPECT_EQ(shown.Right(name.GetLength()), name) << shown.GetString();
  }

  Key(VK_RETURN);  // the service folder is made, the local one created and checked
  ASSERT_TRUE(PumpUntil([&] { return Page() == L"NewGuidePage1"; })) << "a first account sees the guide";
  EXPECT_TRUE(fs::is_directory(proposed));
  Key(VK_RETURN);
  EXPECT_EQ(Page(), CString(L"NewGuidePage2"));
  Key(VK_RETURN);
  EXPECT_EQ(Page(), CString(L"NewGuidePage3"));
  Key(VK_RETURN);
  EXPECT_EQ(Page(), CString(L"SetCompletePage"));
  SyncRootFolder* root = SyncRootFolder::GetInstance();
  EXPECT_TRUE(root->IsRootRecordValid());
  root->Reload();
  EXPECT_EQ(root->GetRootPath(), juce::String::fromUTF8(proposed.c_str()));
  EXPECT_GT(root->GetRootFolderID(), 0) << "bound to the folder the service made";
  EXPECT_EQ(root->GetRootFolderName(), Common::CString_to_String(Str(L"STRID_WEB_FOLDER_NAME")));
  EXPECT_EQ(root->GetGlobalVersion(), juce::String("0|0"));
  EXPECT_EQ(GetProductInfo().CurrentUser, juce::String("alice@example.com")) << "the next start signs in by itself";

  Key(VK_RETURN);
  WPARAM mode = 99;
  ASSERT_TRUE(PumpUntil([&] { return OwnerGot(WM_NOTIFY_SETUP_DONE, &mode) && !::IsWindow(m_wizardWindow); }));
  EXPECT_EQ(mode, 0u);
  EXPECT_TRUE(OwnerGot(WM_NOTIFY_WIZARD_CLOSED));
  m_wizard = nullptr;  // the closed wizard deleted itself
}

TEST_F(WizardTest, AWrongPasswordShowsTheServicesErrorWithBothFieldsMarked) {
  Open(0);
  Type(L"alice@example.com");
  Key(VK_TAB);
  Type(L"wrong-password");
  Key(VK_RETURN);
  UI::CUIControl* login = m_wizard->FindControlRecusive(L"LoginButton");
  ASSERT_TRUE(PumpUntil([&] { return login->IsEnabled() && Page() == L"LoginPage"; }));
  ASSERT_TRUE(PumpUntil([&] {
    UI::CUIControl* text = m_wizard->FindControlRecusive(L"TipInfoLabel");
    return text && text->GetText() == Str(L"STRID_LOGINPAGE_ACCOUNTPWDWRONG");
  }));
  for (const wchar_t* id : {L"UserNameEdit", L"PwdEdit"}) {
    auto* config = dynamic_cast<UI::_EditExConfig*>(Edit(id)->GetSkinConfig(CString()));
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->m_imageReadonly.m_edge.m_first, CRect(93, 36, 101, 70)) << id;
  }
  EXPECT_TRUE(Edit(L"UserNameEdit")->IsEnabled());
  EXPECT_FALSE(Edit(L"ComputerNameEdit")->IsEnabled());
  EXPECT_FALSE(OwnerGot(WM_NOTIFY_SETUP_DONE));
}

// Every answer of the service that refuses a sign-in shows its own text under
// the fields, which stay usable for the next try.
TEST_F(WizardTest, EachRefusedSignInShowsItsOwnText) {
  Open(0);
  Type(L"alice@example.com");
  Key(VK_TAB);
  Type(L"secret");
  auto tip = [&] {
    UI::CUIControl* text = m_wizard->FindControlRecusive(L"TipInfoLabel");
    return text ? text->GetText() : CString();
  };
  CString unknown;
  unknown.Format(Str(L"STRID_LOGINPAGE_UNKNOWNERROR"), 4711);
  const struct {
    const char* fault;
    CString shown;
  } rows[] = {
      {"drop=1", Str(L"STRID_LOGINPAGE_NETERROR")},
      {"code=500", Str(L"STRID_LOGINPAGE_SERVERINTERNALERROR")},
      {"code=412", Str(L"STRID_LOGINPAGE_PWDWRONGTIMEEXCEEDLIMITED")},
      {"code=422", Str(L"STRID_LOGINPAGE_ACCOUNTLOCKED")},
      {"code=423", Str(L"STRID_LOGINPAGE_ACCOUNTDEBT")},
      {"code=415", Str(L"STRID_LOGINPAGE_LOGINWRONGTIMETOOMANY")},
      {"code=418", Str(L"STRID_LOGINPAGE_LOGINTIMETOOMANY")},
      {"code=419", Str(L"STRID_LOGINPAGE_LOGINTOOFREQUENTLY")},
      {"code=577", Str(L"STRID_LOGINPAGE_ACCOUNTINACTIVIEERROR")},
      {"code=403", Str(L"STRID_LOGINPAGE_USERFORBIDDEN")},
      {"code=4711", unknown},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.fault);
    Fault(std::string("op=APP_AUTHEN&") + row.fault);
    ClickOnPage(L"LoginButton");
    UI::CUIControl* login = m_wizard->FindControlRecusive(L"LoginButton");
    ASSERT_TRUE(PumpUntil([&] { return login->IsEnabled() && tip() == row.shown; })) << "shown: " << tip().GetString();
    EXPECT_EQ(Page(), CString(L"LoginPage"));
  }
  // Signed in, but the account's settings came only from what was stored.
  m_wizard->ShowLoginError(LoginManager::kOkLocalConfig);
  EXPECT_EQ(tip(), Str(L"STRID_LOGINPAGE_GETUSERCONFIGDATA"));
  EXPECT_FALSE(OwnerGot(WM_NOTIFY_SETUP_DONE));
}

// The account hint lies over the account edit: the pointer goes through it.
TEST_F(WizardTest, AClickOnTheAccountHintFocusesTheAccountEdit) {
  Open(0);
  Click(L"PwdEdit");
  ASSERT_EQ(m_wizard->GetKeyFocusControl(), Edit(L"PwdEdit"));
  UI::CUIControl* hint = m_wizard->FindControlRecusive(L"UsernameTipLabel");
  ASSERT_NE(hint, nullptr);
  ASSERT_TRUE(hint->IsVisible());
  Click(L"UsernameTipLabel");
  EXPECT_EQ(m_wizard->GetKeyFocusControl(), Edit(L"UserNameEdit"));
}

// The chooser opens at the picker's folder when it exists, and at its own choice otherwise.
TEST_F(WizardTest, TheFolderPickerStartsAtAnExistingFolderOnly) {
  fs::create_directories(m_dir / "start");
  for (const fs::path& start : {m_dir / "start", m_dir / "missing"}) {
    win32::Choosers::Reset();
    win32::Choosers::PushAnswer((m_dir / "start").wstring());
    FolderPicker picker(nullptr, CString(L"Pick"), juce::String::fromUTF8(start.c_str()));
    ASSERT_EQ(picker.Run(), 1);
    EXPECT_EQ(picker.GetPath(), CString((m_dir / "start").wstring().c_str()));
    const auto requests = win32::Choosers::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].folder, fs::exists(start) ? start.wstring() : std::wstring()) << start;
  }
}

TEST_F(WizardTest, TheFolderMissingModeOpensOnTheFolderPage) {
  Open(3);
  EXPECT_EQ(Page(), CString(L"CustomSetPage"));
}

// The wizard is closed (the main form replaces it) while its folder chooser is
// open: the choice is dropped, the owner told, and the wizard itself released
// once the click that opened the chooser has returned.
TEST_F(WizardTest, ClosingWhileTheFolderChooserIsOpenReleasesTheWizard) {
  Open(3);
  const int released = CountedWizard::s_released;
  bool askedWhileOpen = false;
  win32::Choosers::SetHandler([&](const win32::ChooserRequest&) -> win32::Choosers::Answer {
    askedWhileOpen = ::IsWindow(m_wizardWindow);
    // What the chooser's own loop hands over while it runs.
    ::PostMessageW(m_wizardWindow, WM_CLOSE, 0, 0);
    Pump();
    return (m_dir / "elsewhere").wstring();
  });
  Click(L"CustomSetLocalSynDirButton");
  EXPECT_TRUE(askedWhileOpen);
  EXPECT_FALSE(::IsWindow(m_wizardWindow));
  EXPECT_TRUE(OwnerGot(WM_NOTIFY_WIZARD_CLOSED));
  EXPECT_EQ(CountedWizard::s_released, released + 1) << "the closed wizard is released, not leaked";
  m_wizard = nullptr;
}

// The last account signing in again finishes at once, reusing its set-up,
// unless the account was just changed; then the previous setting is offered.
TEST_F(WizardTest, TheLastAccountSigningInAgainFinishesAtOnceUnlessTheAccountChanged) {
  ASSERT_NO_FATAL_FAILURE(StorePrevious(m_dir / "earlier"));
  Open(0);
  ASSERT_NO_FATAL_FAILURE(SignIn());
  WPARAM mode = 99;
  ASSERT_TRUE(PumpUntil([&] { return OwnerGot(WM_NOTIFY_SETUP_REUSED, &mode) && Closed(); }));
  EXPECT_EQ(mode, 0u);
  m_wizard = nullptr;

  Reopen(1);
  ASSERT_NO_FATAL_FAILURE(SignIn());
  EXPECT_EQ(Page(), CString(L"SelectPreSetOrNotPage"));
  EXPECT_FALSE(OwnerGot(WM_NOTIFY_SETUP_REUSED));
}

// Keeping the previous folder goes to the last page on the same root, or,
// when that folder has gone, hands back to the main form; choosing again
// goes to the folder page.
TEST_F(WizardTest, ThePreviousSettingIsKeptOrChosenAgain) {
  const fs::path earlier = m_dir / "earlier";
  ASSERT_NO_FATAL_FAILURE(StorePrevious(earlier));

  Open(1);
  ASSERT_NO_FATAL_FAILURE(SignIn());
  ASSERT_EQ(Page(), CString(L"SelectPreSetOrNotPage"));
  ClickOnPage(L"SetAgainRadioButton");
  Key(VK_RETURN);
  EXPECT_EQ(Page(), CString(L"CustomSetPage"));

  Reopen(1);
  ASSERT_NO_FATAL_FAILURE(SignIn());
  ClickOnPage(L"SelectPreSetRadioButton");
  Key(VK_RETURN);
  EXPECT_EQ(Page(), CString(L"SetCompletePage"));
  EXPECT_EQ(GetProductInfo().CurrentUser, juce::String(signintest::kAccount));

  fs::remove_all(earlier);
  Reopen(1);
  ASSERT_NO_FATAL_FAILURE(SignIn());
  ClickOnPage(L"SelectPreSetRadioButton");
  Key(VK_RETURN);
  WPARAM mode = 99;
  ASSERT_TRUE(PumpUntil([&] { return OwnerGot(WM_NOTIFY_SETUP_REUSED, &mode) && Closed(); }));
  EXPECT_EQ(mode, 0u) << "not the mode: the main form asks about the missing folder";
  EXPECT_FALSE(OwnerGot(WM_NOTIFY_SETUP_DONE));
  m_wizard = nullptr;
}

// Back from each page of a first account's set-up; Back from the last page
// also forgets the last account, so that the next start asks again.
TEST_F(WizardTest, BackLeadsFromEachPageToTheOneBefore) {
  Open(0);
  ASSERT_NO_FATAL_FAILURE(SignIn());
  ASSERT_EQ(Page(), CString(L"CustomSetPage"));
  Key(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return Page() == L"NewGuidePage1"; }));
  ClickOnPage(L"PrevButton");
  EXPECT_EQ(Page(), CString(L"CustomSetPage"));
  Key(VK_RETURN);  // the service folder is known now
  ASSERT_TRUE(PumpUntil([&] { return Page() == L"NewGuidePage1"; }));
  Key(VK_RETURN);
  ASSERT_EQ(Page(), CString(L"NewGuidePage2"));
  ClickOnPage(L"PrevButton");
  EXPECT_EQ(Page(), CString(L"NewGuidePage1"));
  Key(VK_RETURN);
  Key(VK_RETURN);
  ASSERT_EQ(Page(), CString(L"NewGuidePage3"));
  ClickOnPage(L"PrevButton");
  EXPECT_EQ(Page(), CString(L"NewGuidePage2"));
  Key(VK_RETURN);
  Key(VK_RETURN);
  ASSERT_EQ(Page(), CString(L"SetCompletePage"));
  EXPECT_EQ(GetProductInfo().CurrentUser, juce::String(signintest::kAccount));
  ClickOnPage(L"PrevButton");
  EXPECT_EQ(Page(), CString(L"NewGuidePage3")) << "a first account goes back through the guide";
  EXPECT_TRUE(GetProductInfo().CurrentUser.isEmpty());
}

// A local folder with files, to be bound to a service folder with files: a
// refused merge question keeps the page and binds nothing; an accepted one
// binds and reports the merge.
TEST_F(WizardTest, ARefusedMergeKeepsTheFolderPageAndBindsNothing) {
  std::string webName;
  for (unsigned char c : Common::CString_to_utf8(Str(L"STRID_WEB_FOLDER_NAME"))) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%%%02X", c);
    webName += hex;
  }
  const juce::int64 webFolder =
      Admin(std::string("mkdir?account=") + signintest::kAccount + "&parentId=-1&name=" + webName)["dir"]["id"].asInt64();
  ASSERT_GT(webFolder, 0);
  Admin(std::string("put?account=") + signintest::kAccount + "&parentId=" + std::to_string(webFolder) + "&name=there.txt",
        "on the service");
  const fs::path local = m_dir / "local";
  fs::create_directories(local);
  dorvtest::WriteFile(local / "here.txt", "on this computer");

  Open(0);
  ASSERT_NO_FATAL_FAILURE(SignIn());
  ASSERT_EQ(Page(), CString(L"CustomSetPage"));
  win32::Choosers::PushAnswer(local.wstring());
  ClickOnPage(L"CustomSetLocalSynDirButton");
  ASSERT_EQ(m_wizard->GetChosenFolder(), CString(local.wstring().c_str()));
  UI::CUIControl* next = m_wizard->GetCurrentPage()->FindControlRecusive(L"NextButton");
  {
    BoxAnswerer answer(0);
    Key(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return answer.Boxes() == 1 && next->IsEnabled(); }));
    Pump();
  }
  EXPECT_EQ(Page(), CString(L"CustomSetPage"));
  EXPECT_FALSE(SyncRootFolder::GetInstance()->IsRootRecordValid()) << "nothing bound";
  EXPECT_TRUE(GetProductInfo().CurrentUser.isEmpty());
  EXPECT_TRUE(fs::exists(local / "here.txt"));
  {
    BoxAnswerer answer(1);
    Key(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return Page() == L"NewGuidePage1"; }));
    EXPECT_EQ(answer.Boxes(), 1);
  }
  ClickOnPage(L"SkipGuideButton");
  EXPECT_TRUE(SyncRootFolder::GetInstance()->IsRootRecordValid());
  Key(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return OwnerGot(WM_NOTIFY_SETUP_DONE) && Closed(); }));
  for (const MSG& m : g_ownerMessages) {
    if (m.message == WM_NOTIFY_SETUP_DONE) {
      EXPECT_EQ(m.lParam, 1) << "merged";
    }
  }
  m_wizard = nullptr;
}

// A close request completes the set-up on the last page, closes at once in
// the re-binding mode, and asks everywhere else: a refusal keeps the wizard,
// a confirmation ends the program.
TEST_F(WizardTest, AClosedWizardCompletesClosesOrAsksByWhereItIs) {
  {
    BoxAnswerer answer(0);
    Open(2);
    Key(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return Closed(); }));
    EXPECT_EQ(answer.Boxes(), 0);
    EXPECT_TRUE(OwnerGot(WM_NOTIFY_WIZARD_CLOSED));
    EXPECT_FALSE(OwnerGot(WM_NOTIFY_SETUP_DONE));
    m_wizard = nullptr;
  }
  {
    BoxAnswerer answer(0);
    Reopen(0);
    Key(VK_ESCAPE);
    EXPECT_EQ(answer.Boxes(), 1);
    EXPECT_FALSE(Closed());
    MSG quit;
    EXPECT_FALSE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  }
  {
    BoxAnswerer answer(1);
    Key(VK_ESCAPE);
    EXPECT_EQ(answer.Boxes(), 1);
    MSG quit;
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the program ends";
  }
  {
    BoxAnswerer answer(0);
    Reopen(0);
    ASSERT_NO_FATAL_FAILURE(SignIn());
    Key(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return Page() == L"NewGuidePage1"; }));
    ClickOnPage(L"SkipGuideButton");
    ASSERT_EQ(Page(), CString(L"SetCompletePage"));
    Key(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return OwnerGot(WM_NOTIFY_SETUP_DONE) && Closed(); }));
    EXPECT_EQ(answer.Boxes(), 0);
    m_wizard = nullptr;
  }
}

}  // namespace
