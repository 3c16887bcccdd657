// The tray icon's menu on the headless desktop: a right click opens it at the
// cursor with the entries of the engine's state, the recent files and the
// storage line; the storage figures arriving on a pool thread change the open
// menu; Pause pauses the engine and the next menu offers Resume; Escape closes
// it. The service is out of reach here (a closed loopback port): the storage
// request fails at once and the figures come from the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "client/core/account/AccountData.h"
#include "client/core/protocol/FileReplies.h"
#include "client/core/protocol/ServerList.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/status/SyncStatusTracker.h"
#include "client/windows/MainForm.h"
#include "client/windows/TrayIcons.h"
#include "common/MutiLanSupport.h"
#include "display/Desktop.h"
#include "ui/menu/IMenu.h"
#include "ui/menu/MenuConfig.h"
#include "ui/menu/MenuItem.h"
#include "ui/menu/UIMenu.h"
#include "ui/skin/UISkinManager.h"
#include "win32/Windows.h"

namespace {

using display::Desktop;

CString Str(const wchar_t* key) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(key); }

void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) break;
    if (CWnd::WalkPreTranslateTree(nullptr, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

class TrayMenuTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static dorvtest::TempDir folder("dorv-traymenu");
    const auto file = folder.path() / "server_list.xml";
    std::ofstream(file) << "<servers><app_server url=\"http://127.0.0.1:1/app/service/\"/>"
                           "<rpc_server url=\"http://127.0.0.1:1/fs/service/\"/></servers>";
    ServerList::LoadInstance(juce::File(file.string()));
  }

  void SetUp() override {
    ASSERT_NE(GetSyncLogic(), nullptr);
    m_tracker = GetSyncStatusTracker();
    m_tracker->Reset();
    m_tracker->m_nNetState.store(SyncStatusTracker::NET_ONLINE);
    AccountSnapshot snapshot;
    snapshot.FullName = "someone@halvorn.com";
    GetAccountData()->SetSnapshot(snapshot);
    m_form = new CMainForm();
    ASSERT_EQ(m_form->Create(), 1);
  }
  void TearDown() override {
    Pump();
    if (UI::CUIMenu* menu = m_form->GetActiveMenu()) menu->ReleaseAll();
    m_form->DestroyWindow();
    static_cast<UI::CUIControl*>(m_form)->Release();
    Pump();
  }

  UI::CUIMenu* RightClick(int x, int y) {
    Desktop::Get().SetCursorPosition(x, y);
    m_form->SendMessage(WM_TRAY_CALLBACK, kTrayIconId, WM_RBUTTONUP);
    Pump();
    return m_form->GetActiveMenu();
  }
  static std::vector<int> Ids(UI::IMenu* root) {
    std::vector<int> ids;
    for (int i = 0; i < root->GetSubMenuCount(); ++i) ids.push_back(root->GetSubMenu(i)->GetID());
    return ids;
  }
  static UI::IMenu* Entry(UI::CUIMenu* menu, int id) { return menu->GetRootIMenu()->FindIMenu(id); }
  void Choose(UI::CUIMenu* menu, int id) {
    for (int i = 0; i < menu->GetItemCount(); ++i) {
      UI::MenuItem* item = menu->GetItem(i);
      if (item->GetNode()->GetID() != id) continue;
      POINT at{20, item->GetPos() + item->GetHeight() / 2};
      ::ClientToScreen(menu->m_hWnd, &at);
      Desktop::Get().MouseMove(at.x, at.y);
      Desktop::Get().MouseDown(Desktop::Button::Left, at.x, at.y);
      Desktop::Get().MouseUp(Desktop::Button::Left, at.x, at.y);
      Pump();
      return;
    }
    ADD_FAILURE() << "no row " << id;
  }

  CMainForm* m_form = nullptr;
  SyncStatusTracker* m_tracker = nullptr;
};

TEST_F(TrayMenuTest, ARightClickShowsTheRunningEnginesMenuAtTheCursor) {
  m_tracker->m_nEngineState.store(SyncStatusTracker::ENGINE_RUNNING);
  m_tracker->AddRecentFile("/data/Dorv/docs/a.txt", 0);
  m_tracker->AddRecentFile("/data/Dorv/b.txt", 1);  // deleted
  GetAccountData()->UpdateUserConfig([](UserConfigInfo& c) {
    c.UC_Capacity = 10LL << 30;
    c.UC_SpaceUsed = 5LL << 29;
  });
  UI::CUIMenu* menu = RightClick(300, 200);
  ASSERT_NE(menu, nullptr);
  POINT origin{0, 0};
  ::ClientToScreen(menu->m_hWnd, &origin);
  EXPECT_EQ(origin.x, 299);
  EXPECT_EQ(origin.y, 200);
  UI::IMenu* root = menu->GetRootIMenu();
  std::vector<int> ids = Ids(root);
  // Folder, web, recent files, -, account, storage, -, status lines..., pause, then the tail.
  ASSERT_GE(ids.size(), 15u);
  EXPECT_EQ(std::vector<int>(ids.begin(), ids.begin() + 6), (std::vector<int>{0, 1, 2, -1, 3, 4}));
  EXPECT_EQ(std::vector<int>(ids.end() - 8, ids.end()), (std::vector<int>{6, -1, 7, 8, 9, 10, -1, 11}));
  EXPECT_TRUE(Entry(menu, 0)->IsDisabled());  // the sync folder is missing
  EXPECT_EQ(Entry(menu, 3)->GetCaption(), CString(L"   someone@halvorn.com"));
  EXPECT_EQ(Entry(menu, 4)->GetCaption(), CString(L"   10240") + Str(L"STRID_MENU_TRAYICON_SPACEUSEINFO") + L"25%");
  EXPECT_EQ(Entry(menu, 6)->GetCaption(), Str(L"STRID_MENU_TRAYICON_STOPSYN"));
  EXPECT_EQ(Entry(menu, 11)->GetCaption(), CString(L"   ") + Str(L"STRID_MENU_TRAYICON_EXIT"));
  // The recent files, newest first, a deleted one disabled.
  UI::IMenu* recent = root->GetSubMenu(2);
  ASSERT_EQ(recent->GetSubMenuCount(), 2);
  EXPECT_EQ(recent->GetSubMenu(0)->GetCaption(), CString(L"   b.txt"));
  EXPECT_TRUE(recent->GetSubMenu(0)->IsDisabled());
  EXPECT_EQ(recent->GetSubMenu(1)->GetCaption(), CString(L"   a.txt"));
  EXPECT_FALSE(recent->GetSubMenu(1)->IsDisabled());

  // The storage figures come back on a pool thread while the menu is open.
  UserFilesCountReply reply;
  reply.capacity = 20LL << 20;
  reply.spaceUsed = 15LL << 19;
  reply.filesCount = 3;
  reply.dirsCount = 2;
  std::thread pool([&] { CMainForm::OnUserFileDataResult(m_form->m_hWnd, &reply); });
  pool.join();
  Pump();
  EXPECT_EQ(Entry(menu, 4)->GetCaption(), CString(L"   20") + Str(L"STRID_MENU_TRAYICON_SPACEUSEINFO") + L"38%");
  EXPECT_EQ(GetAccountData()->GetUserConfig().UC_FileCount, 3);
  // A second right click shows the same menu again.
  EXPECT_EQ(RightClick(400, 300), menu);
  // Escape closes it; a late reply changes only the stored figures.
  Desktop::Get().KeyPress(VK_ESCAPE);
  Pump();
  EXPECT_EQ(m_form->GetActiveMenu(), nullptr);
  reply.filesCount = 4;
  CMainForm::OnUserFileDataResult(m_form->m_hWnd, &reply);
  Pump();
  EXPECT_EQ(GetAccountData()->GetUserConfig().UC_FileCount, 4);
  // A failed request changes nothing.
  CMainForm::OnUserFileDataResult(m_form->m_hWnd, nullptr);
  EXPECT_EQ(GetAccountData()->GetUserConfig().UC_FileCount, 4);
}

TEST_F(TrayMenuTest, PauseTurnsTheIconToPausedAndTheNextMenuOffersResume) {
  m_tracker->m_nEngineState.store(SyncStatusTracker::ENGINE_RUNNING);
  UI::CUIMenu* menu = RightClick(300, 200);
  ASSERT_NE(menu, nullptr);
  Choose(menu, CMainForm::kTrayMenuPause);
  EXPECT_EQ(m_form->GetActiveMenu(), nullptr);
  EXPECT_EQ(m_tracker->m_nEngineState.load(), SyncStatusTracker::ENGINE_PAUSED);
  Pump();
  bool paused = false;
  for (const win32::TrayIcon& icon : win32::TrayIcons())
    if (icon.window == m_form->m_hWnd) paused = icon.icon == LoadTrayIcon(IDI_TRAY_PAUSED);
  EXPECT_TRUE(paused);
  menu = RightClick(300, 200);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Entry(menu, 6)->GetCaption(), Str(L"STRID_MENU_TRAYICON_RESUMESYN"));
  EXPECT_EQ(Entry(menu, 5)->GetCaption(), CString(L"   ") + Str(L"STRID_TRAYICONTIPINFO_SYNCSHORTSOTP"));
  Choose(menu, CMainForm::kTrayMenuPause);
  EXPECT_EQ(m_tracker->m_nEngineState.load(), SyncStatusTracker::ENGINE_RUNNING);
}

// Entries without an icon begin with three spaces; in the shipped skin's face their text
// still starts where the text after an icon does (the glyphs' own margins aside).
TEST_F(TrayMenuTest, TextOfEntriesWithoutIconLinesUpWithTextAfterAnIcon) {
  m_tracker->m_nEngineState.store(SyncStatusTracker::ENGINE_RUNNING);
  UI::CUIMenu* menu = RightClick(300, 200);
  ASSERT_NE(menu, nullptr);
  const display::Pixels pixels = Desktop::Get().CaptureWindow(menu->m_hWnd);
  // The first column of grey text (the icons are coloured) in the row of an entry.
  auto textLeft = [&](int id) {
    for (int i = 0; i < menu->GetItemCount(); ++i) {
      UI::MenuItem* item = menu->GetItem(i);
      if (item->GetNode()->GetID() != id) continue;
      for (int x = 0; x < menu->GetBounds().Width(); ++x)
        for (int y = item->GetPos(); y < item->GetPos() + item->GetHeight(); ++y) {
          const COLORREF c = pixels.At(x, y);
          const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
          if (std::max({r, g, b}) < 140 && std::max({r, g, b}) - std::min({r, g, b}) < 16) return x;
        }
    }
    return -1;
  };
  const int afterIcon = textLeft(CMainForm::kTrayMenuPause);
  ASSERT_GT(afterIcon, 0);
  for (int id : {CMainForm::kTrayMenuSettings, CMainForm::kTrayMenuHelp, CMainForm::kTrayMenuAbout, CMainForm::kTrayMenuExit})
    EXPECT_NEAR(textLeft(id), afterIcon, 1) << "entry " << id;
}

TEST_F(TrayMenuTest, SignedOutMenusTellTheConnectionOrTheSignIn) {
  struct Row {
    const char* name;
    int engine, net;
    std::vector<int> head;
    int disabled;  // of the first entry
  };
  const Row rows[] = {
      {"offline: connecting, no sign-in", SyncStatusTracker::ENGINE_NONE, SyncStatusTracker::NET_LOCAL_DOWN, {-1, -1, 7}, 1},
      {"service unreachable", SyncStatusTracker::ENGINE_NONE, SyncStatusTracker::NET_SERVICE_UNREACHABLE, {-1, -1, 7}, 1},
      {"proxy unreachable", SyncStatusTracker::ENGINE_NONE, SyncStatusTracker::NET_PROXY_UNREACHABLE, {-1, -1, 7}, 1},
      {"signed out: sign in", SyncStatusTracker::ENGINE_NONE, SyncStatusTracker::NET_ONLINE, {12, -1, 7}, 0},
      {"signing in by itself", SyncStatusTracker::ENGINE_SIGNING_IN, SyncStatusTracker::NET_ONLINE, {12, -1, 7}, 1},
      {"no sync folder yet", SyncStatusTracker::ENGINE_CHOOSE_FOLDER, SyncStatusTracker::NET_ONLINE, {-1, -1, 7}, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    m_tracker->m_nEngineState.store(row.engine);
    m_tracker->m_nNetState.store(row.net);
    UI::CUIMenu* menu = RightClick(300, 200);
    ASSERT_NE(menu, nullptr);
    std::vector<int> ids = Ids(menu->GetRootIMenu());
    EXPECT_EQ(std::vector<int>(ids.begin(), ids.begin() + 3), row.head);
    EXPECT_EQ(menu->GetRootIMenu()->GetSubMenu(0)->IsDisabled(), row.disabled);
    menu->ReleaseAll();
  }
}

}  // namespace
