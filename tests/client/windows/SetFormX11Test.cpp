// The settings form on a real X server (Xvfb), worked by xdotool's pointer and
// keys as a user would: the "Internet" page chosen, a proxy type picked from
// the list, its fields and a limit typed, the limits switched on, applied with
// Enter. Pictures of both pages are kept under screenshots/ for people to
// look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "X11Server.h"
#include "client/core/GlobalConfig.h"
#include "client/core/protocol/ServerList.h"
#include "client/windows/settings/SetForm.h"
#include "common/MutiLanSupport.h"
#include "display/Desktop.h"
#include "display/x11/X11Presenter.h"
#include "ui/controls/UICheckBox.h"
#include "ui/controls/UIComboBox.h"
#include "ui/controls/UIEditEx.h"
#include "ui/controls/UIListBox.h"
#include "ui/controls/UITabItem.h"
#include "ui/skin/UISkinManager.h"

namespace {

using display::Desktop;
using x11test::WaitFor;

TEST(SetFormX11Test, AUserPicksAProxyTypesItsFieldsAndAppliesWithEnter) {
  auto server = x11test::X11Server::Start();
  if (!server) GTEST_SKIP() << "Xvfb or xdotool is not installed";
  display::X11Presenter* x11 = x11test::Present(*server);
  ASSERT_TRUE(x11);
  const std::filesystem::path theme = std::filesystem::path(DORV_BIN_DIR) / "Theme" / "gdstrings.ini";
  ASSERT_EQ(Common::CMutiLanSupport::GetInstance()->LoadStringTable(CString(theme.wstring().c_str())), 1);
  ASSERT_EQ(UI::CUISkinManager::GetInstance()->InitSkinData(), 1);
  // Usage events go to a loopback port where nothing listens.
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "server_list.xml",
                      "<ServerList><Server app_server=\"http://127.0.0.1:1/\"/></ServerList>");
  ServerList::LoadInstance(juce::File((dir / "server_list.xml").string()));

  auto* form = new CSetForm(nullptr);
  ASSERT_EQ(form->Create(), 1);
  const HWND window = form->m_hWnd;
  ASSERT_TRUE(WaitFor([&] { return x11->XWindowOf(window) != 0; }));
  auto at = [&](const CRect& bounds) {
    POINT p = bounds.CenterPoint();
    ::ClientToScreen(window, &p);
    return "mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " sleep 0.05 click 1";
  };
  form->Refresh(FALSE, nullptr);
  Desktop::Get().PumpUntilIdle();
  EXPECT_TRUE(server->Screen().WritePng(DORV_SCREENSHOTS "/setform-common-x11.png"));

  auto* internet = dynamic_cast<UI::CUITabItem*>(form->FindControlRecusive(L"Internet"));
  ASSERT_EQ(server->Xdo(at(internet->GetHeader()->GetBounds())), 0);
  ASSERT_TRUE(WaitFor([&] { return internet->IsVisible(); }));

  auto* combo = dynamic_cast<UI::CUIComboBox*>(form->FindControlRecusive(L"ProxyTypeComboBox"));
  ASSERT_EQ(server->Xdo(at(combo->GetBounds())), 0);
  UI::CUIListBox* list = combo->GetInnerListBox();
  ASSERT_TRUE(WaitFor([&] { return list->IsVisible(); }));
  ASSERT_EQ(server->Xdo(at(list->GetItemFromIndex(4)->GetBounds())), 0);
  ASSERT_TRUE(WaitFor([&] { return form->GetComboProxyType() == 3; }));

  auto* address = dynamic_cast<UI::CUIEditEx*>(form->FindControlRecusive(L"ServerAddressEdit"));
  ASSERT_EQ(server->Xdo(at(address->GetBounds()) + " type --delay 20 '127.0.0.1'"), 0);
  ASSERT_TRUE(WaitFor([&] { return CString(address->GetText()) == L"127.0.0.1"; }));
  auto* port = dynamic_cast<UI::CUIEditEx*>(form->FindControlRecusive(L"PortEdit"));
  ASSERT_EQ(server->Xdo(at(port->GetBounds()) + " type --delay 20 '1080'"), 0);
  ASSERT_TRUE(WaitFor([&] { return CString(port->GetText()) == L"1080"; }));
  auto* password = dynamic_cast<UI::CUIEditEx*>(form->FindControlRecusive(L"SetPwdEdit"));
  ASSERT_EQ(server->Xdo(at(password->GetBounds()) + " type --delay 20 'secret'"), 0);
  ASSERT_TRUE(WaitFor([&] { return CString(password->GetText()) == L"secret"; }));

  auto* limit = dynamic_cast<UI::CUICheckBox*>(form->FindControlRecusive(L"LimitCheckBox"));
  ASSERT_EQ(server->Xdo(at(limit->GetBounds())), 0);
  ASSERT_TRUE(WaitFor([&] { return limit->IsChecked() != 0; }));
  auto* upload = dynamic_cast<UI::CUIEditEx*>(form->FindControlRecusive(L"UploadLimitEdit"));
  ASSERT_EQ(server->Xdo(at(upload->GetBounds()) + " key End BackSpace BackSpace type --delay 20 '100'"), 0);
  ASSERT_TRUE(WaitFor([&] { return CString(upload->GetText()) == L"100"; })) << CString(upload->GetText()).GetLength();
  form->Refresh(FALSE, nullptr);
  Desktop::Get().PumpUntilIdle();
  EXPECT_TRUE(server->Screen().WritePng(DORV_SCREENSHOTS "/setform-internet-x11.png"));

  ASSERT_EQ(server->Xdo("key Return"), 0);
  ASSERT_TRUE(WaitFor([&] { return !::IsWindow(window); }));
  const Net::ProxyCfg proxy = GetGlobalConfig()->GetCurrentProxy();
  EXPECT_EQ(proxy.m_type, 3);
  EXPECT_EQ(proxy.m_host, "127.0.0.1");
  EXPECT_EQ(proxy.m_port, 1080);
  EXPECT_EQ(proxy.m_password, "secret");
  EXPECT_EQ(GetGlobalConfig()->m_bBandWidthLimit, 1);
  EXPECT_EQ(GetGlobalConfig()->m_nUploadLimit, 100);
  ServerList::DeleteInstance();
  Desktop::Get().SetPresenter(nullptr);
}

}  // namespace
