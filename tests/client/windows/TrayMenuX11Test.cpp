// The tray menu on a real X server (Xvfb), worked by xdotool as a user would:
// a right click on the tray's stand-in opens the menu at the pointer, Escape
// and a click elsewhere close it, the recent files open as a sub-menu whose
// entry locates its file, and Pause turns the icon to paused, after which the
// menu offers Resume. A picture of the open menu is kept under screenshots/.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "TempDir.h"
#include "X11Server.h"
#include "client/core/account/AccountData.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/protocol/ServerList.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/windows/MainForm.h"
#include "client/windows/TrayIcons.h"
#include "client/windows/wizard/InitSetForm.h"
#include "common/MutiLanSupport.h"
#include "display/Desktop.h"
#include "display/x11/X11Presenter.h"
#include "ui/menu/IMenu.h"
#include "ui/menu/MenuItem.h"
#include "ui/menu/UIMenu.h"
#include "ui/skin/UISkinManager.h"
#include "win32/Launcher.h"
#include "win32/MessageQueue.h"

// Last: Xlib's macros (None, Bool, True) would spoil the headers above.
#include <X11/Xlib.h>

namespace {

using display::Desktop;

CString Str(const wchar_t* key) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(key); }

// The program's loop: keys are offered to the windows first (Escape reaches the menu so).
void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) break;
    if (CWnd::WalkPreTranslateTree(nullptr, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// Pumps the UI thread until `done`, for the input the X server hands over meanwhile.
bool WaitFor(const std::function<bool()>& done) { return x11test::WaitFor(done, Pump); }

std::string At(POINT p) { return std::to_string(p.x) + " " + std::to_string(p.y); }

class TrayMenuX11Test : public testing::Test {
 protected:
  void SetUp() override {
    m_server = x11test::X11Server::Start();
    if (!m_server) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    m_x11 = x11test::Present(*m_server);
    ASSERT_TRUE(m_x11);
    const std::filesystem::path strings = std::filesystem::path(DORV_BIN_DIR) / "Theme" / "gdstrings.ini";
    ASSERT_EQ(Common::CMutiLanSupport::GetInstance()->LoadStringTable(CString(strings.wstring().c_str())), 1);
    ASSERT_EQ(UI::CUISkinManager::GetInstance()->InitSkinData(), 1);
    // The storage request and the usage events go to a loopback port where nothing listens.
    dorvtest::WriteFile(m_dir / "server_list.xml",
                        "<servers><app_server url=\"http://127.0.0.1:1/app/service/\"/>"
                        "<rpc_server url=\"http://127.0.0.1:1/fs/service/\"/></servers>");
    ServerList::LoadInstance(juce::File((m_dir / "server_list.xml").string()));
    InstallSyncEngine();
    GetGlobalContext()->CreateSyncLogic();
    win32::Launcher::SetMode(win32::Launcher::Mode::Record);
    win32::Launcher::ClearRecorded();
    m_tracker = GetSyncStatusTracker();
    m_tracker->Reset();
    m_tracker->m_nNetState.store(SyncStatusTracker::NET_ONLINE);
    AccountSnapshot account;
    account.FullName = "someone@halvorn.com";
    GetAccountData()->SetSnapshot(account);
    GetAccountData()->UpdateUserConfig([](UserConfigInfo& c) {
      c.UC_Capacity = 10LL << 30;
      c.UC_SpaceUsed = 5LL << 29;
    });
    m_form = new CMainForm();
    ASSERT_EQ(m_form->Create(), 1);
    // Without a stored account the wizard opens; a signed-in user has none in the way.
    if (CInitSetForm* wizard = m_form->GetInitSetForm()) wizard->PostMessage(WM_CLOSE);
    ASSERT_TRUE(WaitFor([&] { return m_form->GetInitSetForm() == nullptr; }));
    ASSERT_TRUE(m_x11->Tray());
    m_icon = m_x11->Tray()->WindowOf(m_form->m_hWnd, kTrayIconId);
    ASSERT_NE(m_icon, 0u);
  }

  void TearDown() override {
    if (!m_server) return;
    if (m_form) {
      Pump();
      if (UI::CUIMenu* menu = m_form->GetActiveMenu()) menu->ReleaseAll();
      m_form->DestroyWindow();
      static_cast<UI::CUIControl*>(m_form)->Release();
      Pump();
    }
    Desktop::Get().SetPresenter(nullptr);
    SyncRootFolder::GetInstance()->ClearRootPath();
    DeleteGlobalContext();
  }

  void Xdo(const std::string& args) { ASSERT_EQ(m_server->Xdo(args), 0) << args; }

  // The middle of the tray's stand-in, once it stands at the screen's bottom right.
  POINT IconCentre() {
    RECT at{};
    EXPECT_TRUE(WaitFor([&] { return m_server->Geometry(m_icon, &at) && at.right > 1000 && at.bottom > 700; }));
    return POINT{(at.left + at.right) / 2, (at.top + at.bottom) / 2};
  }
  // A right click on the tray icon; the menu once it shows on the display.
  UI::CUIMenu* RightClickIcon() {
    const POINT icon = IconCentre();
    Xdo("mousemove " + At(icon) + " click 3");
    UI::CUIMenu* menu = nullptr;
    EXPECT_TRUE(WaitFor([&] {
      menu = m_form->GetActiveMenu();
      return menu && m_x11->XWindowOf(menu->m_hWnd) != 0;
    }));
    return menu;
  }
  static POINT RowPoint(UI::CUIMenu* menu, int id) {
    for (int i = 0; i < menu->GetItemCount(); ++i) {
      UI::MenuItem* item = menu->GetItem(i);
      if (item->GetNode()->GetID() != id) continue;
      POINT at{40, item->GetPos() + item->GetHeight() / 2};
      ::ClientToScreen(menu->m_hWnd, &at);
      return at;
    }
    ADD_FAILURE() << "no row " << id;
    return POINT{};
  }
  // Whether the menu's window has gone from the program and from the display.
  bool Closed(HWND window) { return !m_form->GetActiveMenu() && !::IsWindow(window) && !m_x11->XWindowOf(window); }
  HICON TrayIcon() const {
    for (const win32::TrayIcon& icon : win32::TrayIcons())
      if (icon.window == m_form->m_hWnd && icon.id == kTrayIconId) return icon.icon;
    return nullptr;
  }
  // Whether another client may take the pointer (no grab of the program is left).
  bool PointerFree() const {
    Display* d = XOpenDisplay(m_server->Name().c_str());
    if (!d) return false;
    const bool free = XGrabPointer(d, DefaultRootWindow(d), False, ButtonPressMask, GrabModeAsync, GrabModeAsync, 0, 0,
                                   CurrentTime) == GrabSuccess;
    XCloseDisplay(d);
    return free;
  }

  std::unique_ptr<x11test::X11Server> m_server;
  display::X11Presenter* m_x11 = nullptr;
  dorvtest::TempDir m_dir{"dorv-traymenu-x11"};
  CMainForm* m_form = nullptr;
  SyncStatusTracker* m_tracker = nullptr;
  unsigned long m_icon = 0;
};

TEST_F(TrayMenuX11Test, ARightClickOnTheTrayOpensTheMenuAtThePointerAndEscapeOrAClickElsewhereClosesIt) {
  m_tracker->m_nEngineState.store(SyncStatusTracker::ENGINE_RUNNING);
  // Only a file inside the sync root is shown.
  SyncRootFolder* root = SyncRootFolder::GetInstance();
  root->SetRootFolder(juce::String::fromUTF8(m_dir.path().string().c_str()), "0|0", root->GetFolderData());
  m_tracker->AddRecentFile(juce::String::fromUTF8((m_dir / "报告.txt").string().c_str()), 0);
  dorvtest::WriteFile(m_dir / "报告.txt", "recently synced");

  UI::CUIMenu* menu = RightClickIcon();
  ASSERT_NE(menu, nullptr);
  const POINT icon = IconCentre();
  // At the screen's bottom right the menu opens up and to the left of the pointer:
  // its client area ends one pixel right of it (the overlap) and at its height.
  POINT origin{0, 0};
  ::ClientToScreen(menu->m_hWnd, &origin);
  EXPECT_EQ(origin.x + menu->GetBounds().Width(), icon.x + 1);
  EXPECT_EQ(origin.y + menu->GetBounds().Height(), icon.y);
  // The display shows the window where the program placed it, at its size.
  RECT window{}, shown{};
  ::GetWindowRect(menu->m_hWnd, &window);
  ASSERT_TRUE(m_server->Geometry(m_x11->XWindowOf(menu->m_hWnd), &shown));
  EXPECT_EQ(shown.left, window.left);
  EXPECT_EQ(shown.top, window.top);
  EXPECT_EQ(shown.right - shown.left, window.right - window.left);
  EXPECT_EQ(shown.bottom - shown.top, window.bottom - window.top);
  // Every row fits: the widest caption and the rows' total height lie inside the bounds.
  const UI::MenuItem* last = menu->GetItem(menu->GetItemCount() - 1);
  EXPECT_EQ(menu->GetBounds().Height(), last->GetPos() + last->GetHeight() + 2);
  EXPECT_FALSE(PointerFree()) << "the open menu holds the pointer";
  menu->Invalidate(FALSE);
  menu->UpdateWindow();
  EXPECT_TRUE(m_server->Screen().WritePng(DORV_SCREENSHOTS "/traymenu-x11.png"));

  // The recent files open as a sub-menu when the pointer rests on their row;
  // its entry locates the file and closes the whole chain.
  Xdo("mousemove " + At(RowPoint(menu, CMainForm::kTrayMenuRecentFiles)));
  ASSERT_TRUE(WaitFor([&] { return menu->GetChildMenu() && m_x11->XWindowOf(menu->GetChildMenu()->m_hWnd); }));
  UI::CUIMenu* files = menu->GetChildMenu();
  ASSERT_EQ(files->GetItemCount(), 1);
  EXPECT_EQ(files->GetItem(0)->GetCaption(), CString(L"   报告.txt"));
  EXPECT_TRUE(WaitFor([&] { return Desktop::Get().PointerGrab() == files->m_hWnd; }));
  HWND window1 = menu->m_hWnd;
  Xdo("mousemove " + At(RowPoint(files, CMainForm::kTrayMenuRecentFiles)) + " sleep 0.05 click 1");
  ASSERT_TRUE(WaitFor([&] { return Closed(window1); }));
  ASSERT_FALSE(win32::Launcher::Recorded().empty());
  EXPECT_EQ(win32::Launcher::Recorded().back().file,
            std::wstring(juce::String::fromUTF8((m_dir / "报告.txt").string().c_str()).toWideCharPointer()));
  EXPECT_TRUE(PointerFree());

  // A second right click on the icon while the menu is open shows the same
  // menu again at the pointer: the menu's grab leaves the icon its click.
  menu = RightClickIcon();
  ASSERT_NE(menu, nullptr);
  HWND window2 = menu->m_hWnd;
  const POINT moved{icon.x - 4, icon.y - 3};
  Xdo("mousemove " + At(moved) + " sleep 0.05 click 3");
  ASSERT_TRUE(WaitFor([&] {
    POINT end{menu->GetBounds().Width(), menu->GetBounds().Height()};
    ::ClientToScreen(window2, &end);
    return end.x == moved.x + 1 && end.y == moved.y;
  }));
  EXPECT_EQ(m_form->GetActiveMenu(), menu);
  EXPECT_TRUE(::IsWindowVisible(window2));
  EXPECT_FALSE(PointerFree()) << "the menu still holds the pointer";

  // Escape closes it.
  Xdo("key Escape");
  ASSERT_TRUE(WaitFor([&] { return Closed(window2); }));
  EXPECT_TRUE(PointerFree());

  // So does a click on nothing, with a sub-menu open: the whole chain goes.
  menu = RightClickIcon();
  ASSERT_NE(menu, nullptr);
  HWND window3 = menu->m_hWnd;
  Xdo("mousemove " + At(RowPoint(menu, CMainForm::kTrayMenuRecentFiles)));
  ASSERT_TRUE(WaitFor([&] { return menu->GetChildMenu() != nullptr; }));
  HWND sub = menu->GetChildMenu()->m_hWnd;
  Xdo("mousemove 200 200 sleep 0.05 click 1");
  ASSERT_TRUE(WaitFor([&] { return Closed(window3) && !::IsWindow(sub) && !m_x11->XWindowOf(sub); }));
  EXPECT_TRUE(PointerFree());
  EXPECT_EQ(m_tracker->m_nEngineState.load(), SyncStatusTracker::ENGINE_RUNNING) << "nothing was chosen";
}

TEST_F(TrayMenuX11Test, PauseTurnsTheIconToPausedAndTheMenuThenOffersResume) {
  m_tracker->m_nEngineState.store(SyncStatusTracker::ENGINE_RUNNING);
  UI::CUIMenu* menu = RightClickIcon();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->GetRootIMenu()->FindIMenu(CMainForm::kTrayMenuPause)->GetCaption(),
            Str(L"STRID_MENU_TRAYICON_STOPSYN"));
  HWND window = menu->m_hWnd;
  Xdo("mousemove " + At(RowPoint(menu, CMainForm::kTrayMenuPause)) + " sleep 0.05 click 1");
  ASSERT_TRUE(WaitFor([&] { return Closed(window); }));
  EXPECT_EQ(m_tracker->m_nEngineState.load(), SyncStatusTracker::ENGINE_PAUSED);
  ASSERT_TRUE(WaitFor([&] { return TrayIcon() == LoadTrayIcon(IDI_TRAY_PAUSED); }));

  menu = RightClickIcon();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->GetRootIMenu()->FindIMenu(CMainForm::kTrayMenuPause)->GetCaption(),
            Str(L"STRID_MENU_TRAYICON_RESUMESYN"));
  EXPECT_EQ(menu->GetRootIMenu()->FindIMenu(CMainForm::kTrayMenuStatus)->GetCaption(),
            CString(L"   ") + Str(L"STRID_TRAYICONTIPINFO_SYNCSHORTSOTP"));
  menu->Invalidate(FALSE);
  menu->UpdateWindow();
  EXPECT_TRUE(m_server->Screen().WritePng(DORV_SCREENSHOTS "/traymenu-paused-x11.png"));
  window = menu->m_hWnd;
  Xdo("mousemove " + At(RowPoint(menu, CMainForm::kTrayMenuPause)) + " sleep 0.05 click 1");
  ASSERT_TRUE(WaitFor([&] { return Closed(window); }));
  EXPECT_EQ(m_tracker->m_nEngineState.load(), SyncStatusTracker::ENGINE_RUNNING);
}

}  // namespace
