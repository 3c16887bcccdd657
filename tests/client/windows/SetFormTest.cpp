// The settings form built from the shipped theme on the headless desktop and
// worked by injected mouse and keys, against the local service (sign-in,
// usage events, the proxy test's target) and real proxies: what it shows, what
// applying it stores (GlobalConfig.xml, the registry's Run value, the
// autostart entry, the account's flag), what it tells the main form, and that
// its proxy test keeps the window pumping.
#include "SetFormFixture.h"

namespace {

using namespace setformtest;
using display::Desktop;

const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new SetFormEnvironment);

// ---- what the form shows, and applying it ------------------------------------

TEST_F(SetFormTest, TheFormShowsTheStoredSettingsAndEnterAppliesThemForTheNextStart) {
  GlobalConfig* config = GetGlobalConfig();
  config->m_bDisplayNotify = 0;
  config->m_bBandWidthLimit = 1;
  config->m_nUploadLimit = 100;
  config->m_nDownloadLimit = 200;
  Net::ProxyCfg http;
  http.m_type = 1;
  http.m_host = "127.0.0.1";
  http.m_port = 8080;
  http.m_user = "用户";
  http.m_password = "密码ü";
  config->SetStoredProxy(1, http);
  config->SetCurrentProxy(http);
  Open(&m_main);

  CString title;
  m_form->GetWindowText(title);
  EXPECT_EQ(title, Str(L"STRID_SETFORM_TITLE"));
  EXPECT_TRUE(Get<UI::CUITabItem>(L"Common")->IsVisible());
  EXPECT_FALSE(Checked(L"AutoStartupCheckBox"));
  EXPECT_FALSE(Checked(L"DisplayNotifyCheckBox"));
  EXPECT_EQ(EditText(L"ServerAddressEdit"), CString(L"127.0.0.1"));
  EXPECT_EQ(EditText(L"PortEdit"), CString(L"8080"));
  EXPECT_EQ(EditText(L"UserEdit"), CString(L"用户"));
  EXPECT_EQ(EditText(L"SetPwdEdit"), CString(L"密码ü"));
  EXPECT_EQ(Get<UI::CUIEditEx>(L"SetPwdEdit")->GetPasswordChar(), L'*');
  EXPECT_EQ(CString(Get<UI::CUIComboBox>(L"ProxyTypeComboBox")->m_pEditEx->GetText()), Str(L"STRID_SETFORM_HTTPPROXY"));
  EXPECT_TRUE(Checked(L"LimitCheckBox"));
  EXPECT_EQ(EditText(L"UploadLimitEdit"), CString(L"100"));
  EXPECT_EQ(EditText(L"DownloadLimitEdit"), CString(L"200"));
  EXPECT_TRUE(Enabled(L"UploadLimitEdit"));
  // Nobody is signed in.
  EXPECT_EQ(m_form->FindControlRecusive(L"UsedFollowAccountLabel")->GetText(), Str(L"STRID_SETFORM_NOUSERLOGIN"));
  for (const wchar_t* id : {L"ChangeAccountButton", L"SetAgainButton", L"LocalSynFolderButton", L"AutoLoginCheckBox"})
    EXPECT_FALSE(Enabled(id)) << id;
  CString version;
  version.Format(L"当前版本：%s", config->m_strVersion.GetString());
  EXPECT_EQ(m_form->FindControlRecusive(L"VersionLabel")->GetText(), version);

  Click(L"AutoStartupCheckBox");
  Click(L"DisplayNotifyCheckBox");
  ShowPage(L"Internet");
  EXPECT_TRUE(Get<UI::CUITabItem>(L"Internet")->IsVisible());
  EXPECT_EQ(m_form->GetCurrentPage(), m_form->FindControlRecusive(L"Internet"));
  Retype(L"UploadLimitEdit", L"64");
  Retype(L"UserEdit", L"другой");
  Key(VK_RETURN);  // Enter in a field applies, like the confirm button
  EXPECT_TRUE(FormGone());
  EXPECT_EQ(m_main.m_messages, (std::vector<UINT>{0x430, 0x426}));

  // What the next start reads.
  EXPECT_EQ(RunValue(), L"\"" + std::wstring(Common::GetAppPath().GetString()) + L"Dorv_Win.exe\"");
  EXPECT_TRUE(AutoStartEntry::Matches(Common::GetAppPath() + L"Dorv_Win.exe"));
  GlobalConfig next;
  SetDefaultGlobalConfig(next);
  LoadGlobalConfig(next);
  EXPECT_EQ(next.m_bDisplayNotify.load(), 1);
  EXPECT_EQ(next.m_bBandWidthLimit, 1);
  EXPECT_EQ(next.m_nUploadLimit, 64);
  EXPECT_EQ(next.m_nDownloadLimit, 200);
  EXPECT_EQ(next.GetCurrentProxy().m_type, 1);
  EXPECT_EQ(next.GetCurrentProxy().m_user, "другой");
  EXPECT_EQ(next.GetCurrentProxy().m_password, "密码ü");
  EXPECT_EQ(next.GetStoredProxy(1).m_user, "другой");

  // Reopened, the form shows what was applied.
  Open(&m_main);
  EXPECT_TRUE(Checked(L"AutoStartupCheckBox"));
  EXPECT_TRUE(Checked(L"DisplayNotifyCheckBox"));
  EXPECT_EQ(EditText(L"UploadLimitEdit"), CString(L"64"));
  EXPECT_EQ(EditText(L"UserEdit"), CString(L"другой"));
}

TEST_F(SetFormTest, CancelAndTheCaptionCloseApplyNothing) {
  Open(&m_main);
  Click(L"DisplayNotifyCheckBox");
  Click(L"CancleButton");
  EXPECT_TRUE(FormGone());
  EXPECT_EQ(m_main.m_messages, (std::vector<UINT>{0x426}));
  EXPECT_EQ(GetGlobalConfig()->m_bDisplayNotify.load(), 1);
  EXPECT_FALSE(std::filesystem::exists(GetGlobalConfigPath().GetString()));

  m_main.m_messages.clear();
  Open(&m_main);
  Click(L"SysButtonHelp");
  Click(L"SysButtonClose");
  EXPECT_TRUE(FormGone());
  EXPECT_EQ(m_main.m_messages, (std::vector<UINT>{0x431, 0x426}));
}

TEST_F(SetFormTest, UncheckingStartWithTheSystemRemovesTheRunValueAndTheAutostartEntry) {
  // A value that starts another copy of the program shows unchecked; applying
  // with the box checked puts this copy in its place.
  WriteRunValue(L"\"/opt/other/Dorv_Win.exe\"");
  Open();
  EXPECT_FALSE(Checked(L"AutoStartupCheckBox"));
  Click(L"AutoStartupCheckBox");
  Click(L"ConfirmButton");
  const CString program = Common::GetAppPath() + L"Dorv_Win.exe";
  EXPECT_EQ(RunValue(), std::wstring(L"\"") + program.GetString() + L"\"");
  EXPECT_TRUE(AutoStartEntry::Matches(program));
  // The entry runs the program, quoted for the desktop's launcher.
  const std::string entry = dorvtest::ReadFile(std::filesystem::path(AutoStartEntry::GetPath().GetString()));
  EXPECT_NE(entry.find("Exec=\"" + std::filesystem::path(program.GetString()).string() + "\"\n"), std::string::npos)
      << entry;
  EXPECT_EQ(std::filesystem::status(AutoStartEntry::GetPath().GetString()).permissions() &
                std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

  Open();
  EXPECT_TRUE(Checked(L"AutoStartupCheckBox"));
  Click(L"AutoStartupCheckBox");
  EXPECT_FALSE(Checked(L"AutoStartupCheckBox"));
  Click(L"ConfirmButton");
  EXPECT_EQ(RunValue(), L"<none>");
  EXPECT_FALSE(std::filesystem::exists(AutoStartEntry::GetPath().GetString()));
  // Unchecking reports it; checking reported nothing.
  EXPECT_EQ(Events(1), (std::vector<std::string>{"cancel_autorun"}));

  // An entry that the desktop has switched off counts as not starting.
  Open();
  Click(L"AutoStartupCheckBox");
  Click(L"ConfirmButton");
  dorvtest::WriteFile(std::filesystem::path(AutoStartEntry::GetPath().GetString()),
                      dorvtest::ReadFile(std::filesystem::path(AutoStartEntry::GetPath().GetString())) + "Hidden=true\n");
  Open();
  EXPECT_FALSE(Checked(L"AutoStartupCheckBox"));
}

// ---- the proxy page ----------------------------------------------------------

TEST_F(SetFormTest, EachProxyTypeKeepsItsFieldsWhileTheUserSwitches) {
  Open();
  ShowPage(L"Internet");
  // No proxy: four empty, disabled fields.
  for (const wchar_t* id : {L"ServerAddressEdit", L"PortEdit", L"UserEdit", L"SetPwdEdit"}) {
    EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ(EditText(id), CString()) << id;
  }
  ChooseProxyType(1);
  EXPECT_EQ(m_form->GetComboProxyType(), 1);
  EXPECT_TRUE(Enabled(L"ServerAddressEdit"));
  EXPECT_EQ(EditText(L"PortEdit"), CString());  // never set: asks for a port
  Retype(L"ServerAddressEdit", L"proxy.example");
  Retype(L"PortEdit", L"3128");
  ChooseProxyType(3);
  EXPECT_EQ(EditText(L"ServerAddressEdit"), CString());
  Retype(L"ServerAddressEdit", L"socks.example");
  ChooseProxyType(1);
  EXPECT_EQ(EditText(L"ServerAddressEdit"), CString(L"proxy.example"));
  EXPECT_EQ(EditText(L"PortEdit"), CString(L"3128"));
  ChooseProxyType(0);
  EXPECT_FALSE(Enabled(L"ServerAddressEdit"));
  EXPECT_EQ(EditText(L"ServerAddressEdit"), CString());
  ChooseProxyType(3);
  EXPECT_EQ(EditText(L"ServerAddressEdit"), CString(L"socks.example"));
  // A click elsewhere on the page closes the open list.
  Click(L"ProxyTypeComboBox");
  UI::CUIListBox* list = Get<UI::CUIComboBox>(L"ProxyTypeComboBox")->GetInnerListBox();
  EXPECT_TRUE(list->IsVisible());
  ClickAt(m_form->FindControlRecusive(L"TestProxyButton")->GetBounds().TopLeft() + CPoint(-20, 0));
  EXPECT_FALSE(list->IsVisible());

  // A proxy without a port is neither tested nor applied.
  BoxAnswerer answers(*m_form);
  Click(L"TestProxyButton");
  Click(L"ConfirmButton");
  answers.Stop();
  ASSERT_EQ(answers.m_boxes.size(), 2u);
  for (const auto& box : answers.m_boxes) {
    EXPECT_EQ(box.panel, L"ProxyAddressOrPortNull");
    EXPECT_EQ(box.title, Str(L"STRID_PROXYSETTIP_TIETLE").GetString());
  }
  EXPECT_FALSE(FormGone());
  EXPECT_FALSE(std::filesystem::exists(GetGlobalConfigPath().GetString()));
  EXPECT_EQ(GetGlobalConfig()->GetCurrentProxy().m_type, 0);
  // The types' fields went into the configuration as the user switched.
  EXPECT_EQ(GetGlobalConfig()->GetStoredProxy(1).m_host, "proxy.example");
  EXPECT_EQ(GetGlobalConfig()->GetStoredProxy(1).m_port, 3128);
}

TEST_F(SetFormTest, TheLimitsTakeDigitsFrom1To9999AndStayWhenUnchecked) {
  GetGlobalConfig()->m_nUploadLimit = 100;
  Open();
  ShowPage(L"Internet");
  EXPECT_FALSE(Checked(L"LimitCheckBox"));
  EXPECT_FALSE(Enabled(L"UploadLimitEdit"));
  Click(L"LimitCheckBox");
  EXPECT_TRUE(Enabled(L"UploadLimitEdit"));
  EXPECT_TRUE(Enabled(L"DownloadLimitEdit"));
  Click(L"UploadLimitEdit");
  Key(VK_END);
  Type(L"x-5");  // letters and signs are refused, the digit taken
  EXPECT_EQ(EditText(L"UploadLimitEdit"), CString(L"1005"));
  // While typing, the field holds what is typed: emptied and typed anew, it is that number.
  for (int i = 0; i < 4; ++i) Key(VK_BACK);
  EXPECT_EQ(EditText(L"UploadLimitEdit"), CString(L""));
  Type(L"100");
  EXPECT_EQ(EditText(L"UploadLimitEdit"), CString(L"100"));
  Type(L"00");
  EXPECT_EQ(EditText(L"UploadLimitEdit"), CString(L"10000"));
  // Leaving the field brings it into 1-9999.
  Retype(L"DownloadLimitEdit", L"");
  EXPECT_EQ(EditText(L"UploadLimitEdit"), CString(L"9999"));
  EXPECT_EQ(EditText(L"DownloadLimitEdit"), CString(L""));
  Key(VK_RETURN);  // apply from the emptied field: it is taken as 1
  EXPECT_EQ(GetGlobalConfig()->m_nUploadLimit, 9999);
  EXPECT_EQ(GetGlobalConfig()->m_nDownloadLimit, 1);
  EXPECT_EQ(Events(1), (std::vector<std::string>{"limit_bandwidth"}));

  // Unchecked, the limits are not taken: the stored values stay.
  Open();
  ShowPage(L"Internet");
  Click(L"LimitCheckBox");
  Retype(L"DownloadLimitEdit", L"7");  // disabled: takes nothing
  Click(L"ConfirmButton");
  GlobalConfig next;
  SetDefaultGlobalConfig(next);
  LoadGlobalConfig(next);
  EXPECT_EQ(next.m_bBandWidthLimit, 0);
  EXPECT_EQ(next.m_nUploadLimit, 9999);
  EXPECT_EQ(next.m_nDownloadLimit, GetGlobalConfig()->m_nDownloadLimit);
}

struct ProxyCase {
  const char* name;
  ProxyProcess::Kind kind;
  int type;
  std::string user, password;  // the proxy's
  std::string typedPassword;   // what the user types
  const wchar_t* panel;
};

TEST_F(SetFormTest, TestingARunningProxyOfEachTypeShowsItsResult) {
  const ProxyCase cases[] = {
      {"HTTP", ProxyProcess::Kind::TinyproxyHttp, 1, "", "", "", L"ProxySetOK"},
      {"SOCKS4", ProxyProcess::Kind::DanteSocks, 2, "", "", "", L"ProxySetOK"},
      {"SOCKS5", ProxyProcess::Kind::MicrosocksSocks5, 3, "", "", "", L"ProxySetOK"},
      {"HTTP with its password", ProxyProcess::Kind::TinyproxyHttp, 1, "bob", "s3cret", "s3cret", L"ProxySetOK"},
      {"HTTP, wrong password", ProxyProcess::Kind::TinyproxyHttp, 1, "bob", "s3cret", "wrong", L"ProxySetWrong"},
      {"SOCKS5, wrong password", ProxyProcess::Kind::MicrosocksSocks5, 3, "bob", "s3cret", "wrong", L"ProxySetWrong"},
  };
  Open();
  ShowPage(L"Internet");
  for (const ProxyCase& c : cases) {
    SCOPED_TRACE(c.name);
    dorvtest::TempDir dir;
    ProxyProcess proxy(c.kind, dir.path(), c.user, c.password);
    ASSERT_TRUE(proxy.Started()) << proxy.Problem();
    EnterProxy(c.type, proxy.Port());
    Retype(L"UserEdit", std::wstring(c.user.begin(), c.user.end()));
    Retype(L"SetPwdEdit", std::wstring(c.typedPassword.begin(), c.typedPassword.end()));
    BoxAnswerer answers(*m_form);
    const BoxAnswerer::Box box = PressTest(answers);
    answers.Stop();
    EXPECT_EQ(box.panel, c.panel);
    EXPECT_EQ(box.text,
              Str(c.panel == std::wstring(L"ProxySetOK") ? L"STRID_MSGBOX_PROXYSETOK_TEXT"
                                                         : L"STRID_MSGBOX_PROXYSETWRONG_TEXT")
                  .GetString());
    EXPECT_FALSE(m_form->IsProxyTestRunning());
    EXPECT_TRUE(Enabled(L"TestProxyButton"));
  }
  // Testing stores nothing.
  EXPECT_EQ(GetGlobalConfig()->GetCurrentProxy().m_type, 0);
}

TEST_F(SetFormTest, WithoutAProxyTheTestConnectsDirectly) {
  Open();
  ShowPage(L"Internet");
  BoxAnswerer answers(*m_form);
  EXPECT_EQ(PressTest(answers).panel, L"ProxySetOK");
  // The service gone: the direct connection fails.
  Server().Stop();
  EXPECT_EQ(PressTest(answers).panel, L"LocalConnectFailed");
  answers.Stop();
  Server().Start();
}

// Holds a thread of a pool until released: uploads that keep the Up pool busy.
class BlockingTask final : public juce::_WORK_TASK {
 public:
  BlockingTask(std::shared_ptr<std::atomic<bool>> release) : _WORK_TASK("Blocker"), m_release(std::move(release)) {}
  int ExecuteWorkTask() override {
    while (!m_release->load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return 0;
  }

 private:
  std::shared_ptr<std::atomic<bool>> m_release;
};

TEST_F(SetFormTest, TheWindowKeepsPumpingWhileTheProxyTestWaitsAndBusyUploadsDoNotHoldItUp) {
  // Every thread the Up pool may have is busy with "uploads".
  auto release = std::make_shared<std::atomic<bool>>(false);
  for (int i = 0; i < 8; ++i) GetUpThreadsPool()->PostWorkTask(new BlockingTask(release), true);
  LoopbackPort silent;  // a proxy that never answers
  Open();
  EnterProxy(3, silent.port());
  BoxAnswerer answers(*m_form);
  Click(L"TestProxyButton");
  ASSERT_TRUE(m_form->IsProxyTestRunning());
  EXPECT_FALSE(Enabled(L"TestProxyButton"));  // one test at a time
  EXPECT_TRUE(m_form->FindControlRecusive(L"TipPanel")->IsVisible());
  // The proxy holds the test; the window goes on taking input.
  Retype(L"UserEdit", L"typed while testing");
  EXPECT_EQ(EditText(L"UserEdit"), CString(L"typed while testing"));
  ShowPage(L"Common");
  EXPECT_TRUE(Get<UI::CUITabItem>(L"Common")->IsVisible());
  EXPECT_TRUE(m_form->IsProxyTestRunning());
  EXPECT_TRUE(answers.m_boxes.empty());
  // The proxy goes away: the test fails, and says so.
  silent.Close();
  ASSERT_TRUE(Desktop::Get().PumpUntil([&] { return !answers.m_boxes.empty(); }, 30000));
  EXPECT_EQ(answers.m_boxes[0].panel, L"ProxySetWrong");
  EXPECT_FALSE(m_form->FindControlRecusive(L"TipPanel")->IsVisible());

  // A working proxy answers while the uploads still hold the Up pool.
  dorvtest::TempDir dir;
  ProxyProcess proxy(ProxyProcess::Kind::MicrosocksSocks5, dir.path());
  ASSERT_TRUE(proxy.Started()) << proxy.Problem();
  ShowPage(L"Internet");
  Retype(L"PortEdit", std::to_wstring(proxy.Port()));
  EXPECT_EQ(PressTest(answers).panel, L"ProxySetOK");
  answers.Stop();
  release->store(true);
}

TEST_F(SetFormTest, TheProxyTestGivesUpAtItsTimeLimitAndDropsTheLateAnswer) {
  win32::ManualClock clock;
  win32::ScopedClock useClock(clock);
  LoopbackPort silent;  // a proxy that never answers
  Open();
  EnterProxy(1, silent.port());
  BoxAnswerer answers(*m_form);
  Click(L"TestProxyButton");
  ASSERT_TRUE(m_form->IsProxyTestRunning());
  clock.Advance(CSetForm::kProxyTestLimitMs - 1);
  Pump();
  EXPECT_TRUE(m_form->IsProxyTestRunning());
  clock.Advance(1);
  // The limit's box runs modally and its answerer ticks on this clock: time
  // goes on from here by itself.
  std::atomic<bool> ticking{true};
  std::thread ticker([&] {
    while (ticking) {
      clock.Advance(5);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  ASSERT_TRUE(Desktop::Get().PumpUntil([&] { return !answers.m_boxes.empty(); }, 30000));
  EXPECT_EQ(answers.m_boxes[0].panel, L"ProxySetWrong");
  EXPECT_FALSE(m_form->IsProxyTestRunning());
  EXPECT_TRUE(Enabled(L"TestProxyButton"));
  // The held test fails late; its answer is dropped: the next test shows only its own.
  silent.Close();
  dorvtest::TempDir dir;
  ProxyProcess proxy(ProxyProcess::Kind::TinyproxyHttp, dir.path());
  ASSERT_TRUE(proxy.Started()) << proxy.Problem();
  Retype(L"PortEdit", std::to_wstring(proxy.Port()));
  EXPECT_EQ(PressTest(answers).panel, L"ProxySetOK");
  Pump();
  ticking = false;
  ticker.join();
  EXPECT_EQ(answers.m_boxes.size(), 2u);
  answers.Stop();
}

// ---- the account ---------------------------------------------------------------

TEST_F(SetFormTest, TheAccountSectionFollowsTheSignInAndTheEngine) {
  Open(&m_main);
  EXPECT_FALSE(Enabled(L"ChangeAccountButton"));
  SignInWithRoot(3);  // signed in by the wizard, folder not set up yet
  m_form->PostMessage(WM_NOTIFY_WIZARD_SIGNED_IN);
  Pump();
  EXPECT_EQ(EditText(L"UsedAccountEdit"), CString(L" alice@example.com"));
  EXPECT_TRUE(Enabled(L"ChangeAccountButton"));
  EXPECT_FALSE(Enabled(L"SetAgainButton"));
  EXPECT_FALSE(Enabled(L"AutoLoginCheckBox"));
  EXPECT_EQ(m_form->FindControlRecusive(L"CurSynDirPosLabel")->GetText(), Str(L"STRID_SETFORM_PLEASELOGINANDSYNCSET"));
  wchar_t computer[128] = {};
  DWORD size = 128;
  ::GetComputerNameW(computer, &size);
  CString label;
  label.Format(Str(L"STRID_SETFORM_USEDFOLLOWACCOUNT"), computer);
  EXPECT_EQ(m_form->FindControlRecusive(L"UsedFollowAccountLabel")->GetText(), label);

  GetSyncStatusTracker()->m_nEngineState = 4;
  m_form->PostMessage(WM_NOTIFY_INIT_FLOW_BEGUN);
  Pump();
  EXPECT_TRUE(Enabled(L"SetAgainButton"));
  EXPECT_TRUE(Enabled(L"LocalSynFolderButton"));
  EXPECT_TRUE(Enabled(L"AutoLoginCheckBox"));
  EXPECT_TRUE(Checked(L"AutoLoginCheckBox"));
  EXPECT_EQ(m_form->FindControlRecusive(L"CurSynDirPosLabel")->GetText(), Str(L"STRID_SETFORM_CURSYNDIRPOS"));
  EXPECT_EQ(EditText(L"LocalSynFolderEdit"), CString(L" ") + CString(m_root.path().wstring().c_str()));

  // Unchecking automatic sign-in reaches the account's row.
  Click(L"AutoLoginCheckBox");
  Click(L"ConfirmButton");
  EXPECT_EQ(GetAccountData()->GetSnapshot().IsAutoLogin, 0);
  EXPECT_EQ(dorvtest::ReadValue(dorvtest::AppDataFolder() / "dorv.db",
                                "SELECT IsAutoLogin FROM UserData WHERE FullName='alice@example.com'"),
            "0");
  EXPECT_EQ(Events(1), (std::vector<std::string>{"cancel_auto_login"}));
}

TEST_F(SetFormTest, ApplyingBeforeTheSignInFinishedKeepsTheAccountsAutomaticSignIn) {
  SignInWithRoot(2);  // the automatic sign-in still running
  GetAccountData()->SetLoggedIn(false);
  Open();
  EXPECT_FALSE(Enabled(L"AutoLoginCheckBox"));
  Click(L"ConfirmButton");
  EXPECT_EQ(GetAccountData()->GetSnapshot().IsAutoLogin, 1);
}

TEST_F(SetFormTest, ChangeOfAccountAsksThenAppliesAndTellsTheMainForm) {
  SignInWithRoot();
  Open(&m_main);
  {
    BoxAnswerer refuse(*m_form, false);
    Click(L"ChangeAccountButton");
    ASSERT_EQ(refuse.m_boxes.size(), 1u);
    EXPECT_EQ(refuse.m_boxes[0].panel, L"InnerPanelChangeAccount");
    EXPECT_EQ(refuse.m_boxes[0].title, Str(L"STRID_CHANGEACCOUNTFORM_TIETLE").GetString());
  }
  Pump();
  EXPECT_FALSE(FormGone());
  EXPECT_TRUE(m_main.m_messages.empty());

  BoxAnswerer agree(*m_form);
  Click(L"ChangeAccountButton");
  Pump();
  EXPECT_TRUE(FormGone());
  EXPECT_EQ(m_main.m_messages, (std::vector<UINT>{0x430, 0x1B71, 0x426}));
  EXPECT_EQ(Events(2), (std::vector<std::string>{"switch_user_account", "switch_user_account"}));
}

}  // namespace
