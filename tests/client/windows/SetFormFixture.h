#pragma once
// The settings form's tests: its environment (the shipped theme, the engine,
// a recording launcher), a stand-in for the main form, an answerer of the
// message boxes the form runs modally, and the fixture that opens the form
// against the local service and works it with injected mouse and keys.
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>
#include "../../platform/net/LoopbackPort.h"
#include "../../platform/net/ProxyProcess.h"
#include "../core/login/ServiceFixture.h"
#include "TempDir.h"
#include "base/WaitReleaseWorkTask.h"
#include "client/core/GlobalConfig.h"
#include "client/core/account/AccountData.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/protocol/JsonText.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/windows/AppMessages.h"
#include "client/windows/DorvMessageBox.h"
#include "client/windows/settings/AutoStartEntry.h"
#include "client/windows/settings/SetForm.h"
#include "common/AppPaths.h"
#include "common/MutiLanSupport.h"
#include "display/Desktop.h"
#include "net/ProxySocket.h"
#include "ui/UIManager.h"
#include "ui/controls/UICheckBox.h"
#include "ui/controls/UIComboBox.h"
#include "ui/controls/UIEditEx.h"
#include "ui/controls/UIListBox.h"
#include "ui/controls/UITabControl.h"
#include "ui/controls/UITabItem.h"
#include "ui/skin/UISkinManager.h"
#include "win32/Launcher.h"
#include "win32/ManualClock.h"
#include "win32/Registry.h"
#include "win32/SystemInfo.h"
#include "win32/Windows.h"

namespace setformtest {

using display::Desktop;

inline CString Str(const wchar_t* key) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(key); }

inline void Pump() { Desktop::Get().PumpUntilIdle(); }

class SetFormEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    const std::filesystem::path theme = std::filesystem::path(DORV_BIN_DIR) / "Theme" / "gdstrings.ini";
    ASSERT_EQ(Common::CMutiLanSupport::GetInstance()->LoadStringTable(CString(theme.wstring().c_str())), 1);
    ASSERT_EQ(UI::CUISkinManager::GetInstance()->InitSkinData(), 1);
    InstallSyncEngine();
    win32::Launcher::SetMode(win32::Launcher::Mode::Record);
  }
};

// Stands in for the main form: a window that notes the private messages it gets.
class MainFormStandIn : public CWnd {
 public:
  MainFormStandIn() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.lpszClassName = L"SetFormTestMainForm";
    ::RegisterClassW(&wc);
    CreateEx(0, L"SetFormTestMainForm", L"main", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr);
  }
  ~MainFormStandIn() override { DestroyWindow(); }
  std::vector<UINT> m_messages;
  // Called with each private message, as the main form would act on it.
  std::function<void(UINT)> m_onMessage;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message >= WM_USER) m_messages.push_back(message);
    if (message >= WM_USER && m_onMessage) m_onMessage(message);
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

// Answers the message boxes that the form runs modally, from inside their
// loops: notes each box's inner panel and text, then clicks its confirm (or
// cancel) button as a user would.
class BoxAnswerer {
 public:
  static constexpr UINT kTimer = 9;
  BoxAnswerer(UI::CUIForm& owner, bool confirm = true) : m_owner(owner), m_hOwner(owner.m_hWnd), m_confirm(confirm) {
    owner.RegisterTimerHandler(kTimer, 5, fastdelegate::MakeDelegate(this, &BoxAnswerer::Tick));
  }
  ~BoxAnswerer() { Stop(); }
  // The form deletes itself with its window: only a live window says it is there.
  void Stop() {
    if (::IsWindow(m_hOwner)) m_owner.UnRegisterTimerHandler(kTimer);
  }

  struct Box {
    std::wstring panel;
    std::wstring text;
    std::wstring title;
  };
  std::vector<Box> m_boxes;

 private:
  void Tick(UINT) {
    CPtrArray forms;
    UI::CUIManager::GetInstance()->GetModalForms(forms);
    for (INT_PTR i = 0; i < forms.GetSize(); ++i) {
      auto* box = dynamic_cast<CDorvMessageBox*>(static_cast<UI::CUIForm*>(forms.GetAt(i)));
      // Boxes live on the stack one after another: told apart by their windows.
      // A box counts once it shows: a click before then would miss it.
      if (!box || !::IsWindowVisible(box->m_hWnd)) continue;
      if (box->m_hWnd == m_answered) {
        // Still up half a second after the click: the click went astray.
        if (++m_ticksSinceClick % 100 == 0) Answer(box);
        continue;
      }
      m_answered = box->m_hWnd;
      m_ticksSinceClick = 0;
      Box seen;
      for (const wchar_t* panel :
           {L"ProxySetOK", L"ProxySetWrong", L"LocalConnectFailed", L"ProxyAddressOrPortNull", L"InnerPanelChangeAccount",
            L"InnerPanelMerge", L"InnerPanelSystemSetupDir", L"InnerPanelSyncDirLink", L"InnerPanelSyncDirReadOnly",
            L"InnerPanelSyncDirNested", L"InnerPanelFileTooMany", L"InnerPanelDirLevelTooDeep"}) {
        if (box->FindControlRecusive(panel)) seen.panel = panel;
      }
      if (UI::CUIControl* text = box->FindControlRecusive(L"Text")) seen.text = text->GetText().GetString();
      CString title;
      box->GetWindowText(title);
      seen.title = title.GetString();
      m_boxes.push_back(seen);
      Answer(box);
    }
  }
  void Answer(CDorvMessageBox* box) {
    UI::CUIControl* button = box->FindControlRecusive(m_confirm ? L"ConfirmButton" : L"CancleButton");
    if (!button) button = box->FindControlRecusive(L"ConfirmButton");
    POINT at = button->GetBounds().CenterPoint();
    ::ClientToScreen(box->m_hWnd, &at);
    Desktop::Get().MouseMove(at.x, at.y);
    Desktop::Get().MouseDown(Desktop::Button::Left, at.x, at.y);
    Desktop::Get().MouseUp(Desktop::Button::Left, at.x, at.y);
  }

  UI::CUIForm& m_owner;
  HWND m_hOwner;
  bool m_confirm;
  HWND m_answered = nullptr;
  int m_ticksSinceClick = 0;
};

class SetFormTest : public signintest::ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    GetGlobalContext()->CreateSyncLogic();
    GetSyncStatusTracker()->Reset();
    ResetConfig();
    RemoveRunValue();
    AutoStartEntry::Remove();
  }
  void TearDown() override {
    if (m_form && ::IsWindow(m_hForm)) {
      m_form->PostMessage(WM_CLOSE);
      Pump();
    }
    Pump();
    Net::ProxySocket::CloseAllConnect();
    ServiceTest::TearDown();
  }

  static void ResetConfig() {
    GlobalConfig* config = GetGlobalConfig();
    SetDefaultGlobalConfig(*config);
    std::filesystem::remove(GetGlobalConfigPath().GetString());
  }

  static LSTATUS RemoveRunValue() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return ERROR_SUCCESS;
    const LSTATUS status = ::RegDeleteValueW(key, L"Dorv");
    ::RegCloseKey(key);
    return status;
  }
  static void WriteRunValue(const std::wstring& command) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(key, L"Dorv", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
  }
  // The Run value "Dorv", or "<none>".
  static std::wstring RunValue() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return L"<none>";
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer, type = 0;
    const LSTATUS status = ::RegQueryValueExW(key, L"Dorv", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::wstring(buffer) : L"<none>";
  }

  // Signs the test account in as the engine would show it: the tracker's
  // state set, the account's database open with its tables, a sync root.
  void SignInWithRoot(int engineState = 4) {
    SignInWithEngineTables(m_login);
    SyncFolderData root;
    root.m_FolderID = 100001;
    root.m_FolderName = juce::CharPointer_UTF8("Dorv同步盘");
    root.m_ParentPath = "/";
    root.m_FolderPath = juce::String(m_root.path().string());
    SyncRootFolder::DeleteInstance();
    SyncRootFolder::GetInstance()->SetRootFolder(root.m_FolderPath, "0|0", root);
    GetAccountData()->UpdateSnapshot([](AccountSnapshot& s) { s.IsAutoLogin = 1; });
    GetSyncStatusTracker()->m_nEngineState = engineState;
  }

  CSetForm* Open(CWnd* main = nullptr) {
    m_form = new CSetForm(main);
    EXPECT_EQ(m_form->Create(), 1);
    m_hForm = m_form->m_hWnd;
    ::SetForegroundWindow(m_hForm);
    Pump();
    return m_form;
  }
  bool FormGone() const { return !::IsWindow(m_hForm); }

  template <typename T>
  T* Get(const wchar_t* id) {
    return dynamic_cast<T*>(m_form->FindControlRecusive(id));
  }
  CString EditText(const wchar_t* id) { return Get<UI::CUIEditEx>(id)->GetText(); }
  bool Checked(const wchar_t* id) { return Get<UI::CUICheckBox>(id)->IsChecked() != 0; }
  bool Enabled(const wchar_t* id) { return m_form->FindControlRecusive(id)->IsEnabled() != 0; }

  void ClickAt(CPoint at) {
    POINT p = at;
    ::ClientToScreen(m_hForm, &p);
    Desktop::Get().MouseMove(p.x, p.y);
    Desktop::Get().MouseDown(Desktop::Button::Left, p.x, p.y);
    Desktop::Get().MouseUp(Desktop::Button::Left, p.x, p.y);
    Pump();
  }
  void Click(const wchar_t* id) { ClickAt(m_form->FindControlRecusive(id)->GetBounds().CenterPoint()); }
  void ShowPage(const wchar_t* page) { ClickAt(Get<UI::CUITabItem>(page)->GetHeader()->GetBounds().CenterPoint()); }
  void Key(UINT key) {
    Desktop::Get().KeyPress(key);
    Pump();
  }
  void Type(const std::wstring& text) {
    Desktop::Get().TypeText(text);
    Pump();
  }
  // Focuses the edit with a click and replaces its text by keys: all of it
  // selected (Home, Shift+End), then typed over or deleted.
  void Retype(const wchar_t* id, const std::wstring& text) {
    Click(id);
    Key(VK_HOME);
    Desktop::Get().KeyDown(VK_SHIFT);
    Key(VK_END);
    Desktop::Get().KeyUp(VK_SHIFT);
    if (text.empty())
      Key(VK_BACK);
    else
      Type(text);
  }
  // Opens the proxy list and clicks the row of a type.
  void ChooseProxyType(int type) {
    Click(L"ProxyTypeComboBox");
    UI::CUIListBox* list = Get<UI::CUIComboBox>(L"ProxyTypeComboBox")->GetInnerListBox();
    ASSERT_TRUE(list->IsVisible());
    const CRect row = list->GetItemFromIndex(type + 1)->GetBounds();
    ClickAt(CPoint(row.left + 10, row.CenterPoint().y));
  }

  // The Internet page with a proxy of the type at a loopback port.
  void EnterProxy(int type, int port) {
    ShowPage(L"Internet");
    ChooseProxyType(type);
    Retype(L"ServerAddressEdit", L"127.0.0.1");
    Retype(L"PortEdit", std::to_wstring(port));
  }

  // Presses Test and waits for the box that answers it.
  BoxAnswerer::Box PressTest(BoxAnswerer& answers) {
    const size_t before = answers.m_boxes.size();
    Click(L"TestProxyButton");
    EXPECT_TRUE(Desktop::Get().PumpUntil([&] { return answers.m_boxes.size() > before; }, 30000));
    return answers.m_boxes.size() > before ? answers.m_boxes.back() : BoxAnswerer::Box{};
  }

  // The usage events of category "default" that the service recorded, once
  // `count` have arrived (they are sent from the Stat pool).
  std::vector<std::string> Events(size_t count) {
    std::vector<std::string> names;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    do {
      Json::Value reply;
      names.clear();
      if (JsonParse(Server().AdminGet("stats"), reply))
        for (const Json::Value& e : reply["result"]["events"])
          if (e["category"].asString() == "default") names.push_back(e["event"].asString());
      if (names.size() >= count) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return names;
  }

  static constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  LoginManager m_login;
  dorvtest::TempDir m_root{"dorv-setroot"};
  // Outlives the form, which TearDown closes and which tells the main form so.
  MainFormStandIn m_main;
  CSetForm* m_form = nullptr;
  HWND m_hForm = nullptr;
};

}  // namespace setformtest
