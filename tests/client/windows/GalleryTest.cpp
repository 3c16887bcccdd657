// Every control of the framework's first families built from the shipped skin
// in one window, with its texts from the string table; its picture goes to
// build/screenshots/ for people to look at.
#include <gtest/gtest.h>

#include <filesystem>

#include "ControlFixture.h"
#include "client/windows/InlineTips.h"
#include "common/MutiLanSupport.h"
#include "display/Desktop.h"
#include "ui/controls/UIButton.h"
#include "ui/controls/UICaption.h"
#include "ui/controls/UICheckBox.h"
#include "ui/controls/UIDockPanel.h"
#include "ui/controls/UILabel.h"
#include "ui/controls/UIPage.h"
#include "ui/controls/UIRadioButton.h"
#include "ui/controls/UISplitPanel.h"
#include "ui/controls/UIStackPanel.h"
#include "ui/controls/UIWrapPanel.h"
#include "ui/skin/UISkinManager.h"

namespace {

const char kBuild[] =
    "<Gallery css=\"MessageBox\">"
    "<FormCaption type=\"CUICaption\" css=\"MessageBox\" ass=\"MessageBox\">"
    "<SysButtonClose type=\"CUIButton\" css=\"SysClose\" ass=\"SysClose\"/></FormCaption>"
    "<MessageBody type=\"CUIPanel\" css=\"MessageBody\" ass=\"MessageBody\"/>"
    "<Ok type=\"CUIButton\" css=\"Primary\" ass=\"G1\" StrID=\"STRID_MSGBOX_OK\"/>"
    "<Cancel type=\"CUIButton\" css=\"Secondary\" ass=\"G2\" StrID=\"STRID_MSGBOX_CANCEL\"/>"
    "<Off type=\"CUIButton\" css=\"Primary\" ass=\"G3\" StrID=\"STRID_MENU_TRAYICON_STOPSYN\" Enable=\"false\"/>"
    "<Focused type=\"CUIButton\" css=\"Secondary\" ass=\"G4\" StrID=\"STRID_MENU_TRAYICON_HELP\"/>"
    "<Check1 type=\"CUICheckBox\" css=\"Check\" ass=\"C1\" StrID=\"STRID_MENU_TRAYICON_STOPSYN\"/>"
    "<Check2 type=\"CUICheckBox\" css=\"Check\" ass=\"C2\" StrID=\"STRID_MENU_TRAYICON_OPENSYNDIR\"/>"
    "<Check3 type=\"CUICheckBox\" css=\"Check\" ass=\"C3\" StrID=\"STRID_MENU_TRAYICON_LOGIN\" Enable=\"false\"/>"
    "<Radio1 type=\"CUIRadioButton\" css=\"Radio\" ass=\"R1\" StrID=\"STRID_SETFORM_NOUSEPROXY\"/>"
    "<Radio2 type=\"CUIRadioButton\" css=\"Radio\" ass=\"R2\" StrID=\"STRID_SETFORM_HTTPPROXY\"/>"
    "<Radio3 type=\"CUIRadioButton\" css=\"Radio\" ass=\"R3\" StrID=\"STRID_SETFORM_SOCK5PROXY\"/>"
    "<Heading type=\"CUILabel\" css=\"Title\" ass=\"L1\" StrID=\"STRID_SETFORM_TITLE\"/>"
    "<Plain type=\"CUILabel\" css=\"Text\" ass=\"L2\" StrID=\"STRID_SETFORM_CURSYNDIRPOS\"/>"
    "<Link type=\"CUILabel\" css=\"HyperLink\" ass=\"L3\" StrID=\"STRID_MENU_TRAYICON_ENTERWEB\"/>"
    "<TipPanel type=\"CUIPanel\" ass=\"GTip\">"
    "<ErrorPhoto type=\"CUIPanel\" css=\"TipError\" ass=\"TipError\"/>"
    "<TipInfoLabel type=\"CUILabel\" css=\"TipInfo\" ass=\"TipInfo\"/></TipPanel>"
    "<Split type=\"CUISplitPanel\" css=\"Split\" ass=\"GSplit\">"
    "<LeftPane type=\"CUIPanel\" css=\"Light\" ass=\"Pane\">"
    "<LeftText type=\"CUILabel\" css=\"Text\" ass=\"PaneText\" StrID=\"STRID_MENU_TRAYICON_OPENSYNDIR\"/></LeftPane>"
    "<RightPane type=\"CUIPanel\" css=\"White\" ass=\"Pane\">"
    "<RightText type=\"CUILabel\" css=\"Text\" ass=\"RightText\" StrID=\"STRID_MENU_TRAYICON_LASTEASTUPDATEFILE\"/></RightPane>"
    "</Split>"
    "<Dock type=\"CUIDockPanel\" css=\"Light\" ass=\"GDock\">"
    "<DockTitle type=\"CUILabel\" css=\"Text\" ass=\"DockTop\" StrID=\"STRID_SETFORM_HTTPPROXY\"/>"
    "<DockSide type=\"CUIStackPanel\" css=\"Column\" ass=\"DockLeft\">"
    "<DockIcon type=\"CUIPanel\" css=\"InfoIcon\" ass=\"Icon\"/></DockSide>"
    "<Icons type=\"CUIWrapPanel\" css=\"Rows\" ass=\"DockFill\">"
    "<I1 type=\"CUIPanel\" css=\"SuccessIcon\" ass=\"Icon\"/><I2 type=\"CUIPanel\" css=\"HelpIcon\" ass=\"Icon\"/>"
    "<I3 type=\"CUIPanel\" css=\"SmileIcon\" ass=\"Icon\"/><I4 type=\"CUIPanel\" css=\"CryIcon\" ass=\"Icon\"/>"
    "<I5 type=\"CUIPanel\" css=\"ErrorIcon\" ass=\"Icon\"/><I6 type=\"CUIPanel\" css=\"WarningIcon\" ass=\"Icon\"/>"
    "</Icons></Dock>"
    "<Steps type=\"CUIStackPanel\" css=\"Row\" ass=\"GStack\">"
    "<Page1 type=\"CUIPage\" css=\"FirstPage\" ass=\"Step\">"
    "<StepText type=\"CUILabel\" css=\"Text\" ass=\"StepText\" StrID=\"STRID_CTMSETPAGE_PLEASESELLOCALSYNCDIR\"/>"
    "<NextButton type=\"CUIButton\" css=\"Primary\" ass=\"StepNext\" StrID=\"STRID_MSGBOX_OK\"/></Page1>"
    "</Steps>"
    "</Gallery>";

const char kLayouts[] =
    "<CUIButton><G1 Size=\"84, 30\" AnchorStyle=\"topleft\" Margin=\"20, 52, 0, 0\"/>"
    "<G2 Size=\"84, 30\" AnchorStyle=\"topleft\" Margin=\"114, 52, 0, 0\"/>"
    "<G3 Size=\"84, 30\" AnchorStyle=\"topleft\" Margin=\"208, 52, 0, 0\"/>"
    "<G4 Size=\"84, 30\" AnchorStyle=\"topleft\" Margin=\"302, 52, 0, 0\"/>"
    "<StepNext Size=\"70, 28\" AnchorStyle=\"topright\" Margin=\"0, 6, 10, 0\"/></CUIButton>"
    "<CUICheckBox><C1 Size=\"110, 24\" AnchorStyle=\"topleft\" Margin=\"20, 96, 0, 0\"/>"
    "<C2 Size=\"140, 24\" AnchorStyle=\"topleft\" Margin=\"140, 96, 0, 0\"/>"
    "<C3 Size=\"100, 24\" AnchorStyle=\"topleft\" Margin=\"290, 96, 0, 0\"/></CUICheckBox>"
    "<CUIRadioButton><R1 Size=\"150, 24\" AnchorStyle=\"topleft\" Margin=\"20, 126, 0, 0\"/>"
    "<R2 Size=\"140, 24\" AnchorStyle=\"topleft\" Margin=\"180, 126, 0, 0\"/>"
    "<R3 Size=\"150, 24\" AnchorStyle=\"topleft\" Margin=\"330, 126, 0, 0\"/></CUIRadioButton>"
    "<CUILabel><L1 Size=\"60, 24\" AnchorStyle=\"topleft\" Margin=\"20, 160, 0, 0\"/>"
    "<L2 Size=\"170, 24\" AnchorStyle=\"topleft\" Margin=\"90, 160, 0, 0\"/>"
    "<L3 Size=\"100, 24\" AnchorStyle=\"topleft\" Margin=\"270, 160, 0, 0\"/>"
    "<PaneText Size=\"130, 24\" AnchorStyle=\"topleft\" Margin=\"12, 12, 0, 0\"/>"
    "<RightText Size=\"130, 24\" AnchorStyle=\"topleft\" Margin=\"22, 12, 0, 0\"/>"
    "<DockTop Size=\"0, 26\" DockStyle=\"top\"/>"
    "<StepText Size=\"300, 40\" AnchorStyle=\"topleft\" Margin=\"12, 0, 0, 0\"/></CUILabel>"
    "<CUIPanel><GTip Size=\"560, 24\" AnchorStyle=\"topleft\" Margin=\"20, 192, 0, 0\"/>"
    "<Pane DockStyle=\"fill\"/><Icon Size=\"44, 44\"/></CUIPanel>"
    "<CUISplitPanel><GSplit Size=\"300, 110\" AnchorStyle=\"topleft\" Margin=\"20, 228, 0, 0\"/></CUISplitPanel>"
    "<CUIDockPanel><GDock Size=\"260, 110\" AnchorStyle=\"topleft\" Margin=\"330, 228, 0, 0\" Padding=\"8, 4, 8, 4\"/>"
    "</CUIDockPanel>"
    "<CUIWrapPanel><DockFill DockStyle=\"fill\"/></CUIWrapPanel>"
    "<CUIStackPanel><GStack Size=\"570, 40\" AnchorStyle=\"topleft\" Margin=\"20, 350, 0, 0\"/>"
    "<DockLeft Size=\"52, 0\"/></CUIStackPanel>"
    "<CUIPage><Step Size=\"570, 40\"/></CUIPage>";

TEST(GalleryTest, EveryControlIsBuiltFromTheSkin) {
  if (!uitest::InProgramFolder(uitest::ShippedTheme(kBuild, kLayouts))) return;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  Common::CMutiLanSupport::GetInstance()->LoadStringTable(L"Theme/gdstrings.ini");
  uitest::FixtureForm form(L"Gallery");
  ASSERT_EQ(form.Make(600, 400), 1);
  EXPECT_NE(form.Get<UI::CUICaption>(L"FormCaption"), nullptr);
  EXPECT_NE(form.Get<UI::CUIButton>(L"Ok"), nullptr);
  EXPECT_NE(form.Get<UI::CUIRadioButton>(L"Radio1"), nullptr);
  EXPECT_NE(form.Get<UI::CUILabel>(L"Link"), nullptr);
  EXPECT_NE(form.Get<UI::CUISplitPanel>(L"Split"), nullptr);
  EXPECT_NE(form.Get<UI::CUIDockPanel>(L"Dock"), nullptr);
  EXPECT_NE(form.Get<UI::CUIWrapPanel>(L"Icons"), nullptr);
  EXPECT_NE(form.Get<UI::CUIStackPanel>(L"Steps"), nullptr);
  EXPECT_NE(form.Get<UI::CUIPage>(L"Page1"), nullptr);
  EXPECT_TRUE(form.FindControlRecusive(L"Page1")->IsVisible());
  EXPECT_EQ(form.FindControlRecusive(L"Ok")->GetText(), CString(L"确定"));

  form.Get<UI::CUIButton>(L"Focused")->SetKBFocused(TRUE);
  form.Get<UI::CUICheckBox>(L"Check2")->SetChecked(1, 0);
  form.Get<UI::CUICheckBox>(L"Check3")->SetChecked(1, 0);
  auto* r1 = form.Get<UI::CUIRadioButton>(L"Radio1");
  for (const wchar_t* id : {L"Radio1", L"Radio2", L"Radio3"}) form.Get<UI::CUIRadioButton>(id)->SetGroupHelper(r1);
  form.Get<UI::CUIRadioButton>(L"Radio2")->SetGroupRadioStatus(1);
  ShowErrorTip(&form, Common::CMutiLanSupport::GetInstance()->GetStringViaID(L"STRID_LOGINPAGE_ACCOUNTPWDWRONG"),
               form.FindControlRecusive(L"TipPanel"));
  form.MoveTo(60, 67);  // the pointer over the first button
  form.Refresh(FALSE, nullptr);
  display::Desktop::Get().PumpUntilIdle();

  EXPECT_EQ(form.Get<UI::CUIButton>(L"Ok")->GetButtonStatus(), UI::UIButtonStatusFocus);
  // The wrap panel lays its six icons out in rows that fit.
  EXPECT_EQ(form.BoundsOf(L"I1").top, form.BoundsOf(L"I4").top);
  EXPECT_LT(form.BoundsOf(L"I1").top, form.BoundsOf(L"I5").top);
  const std::filesystem::path folder = std::filesystem::path(DORV_BUILD_DIR) / "screenshots";
  std::filesystem::create_directories(folder);
  EXPECT_TRUE(display::Desktop::Get().CaptureWindow(form.m_hWnd).WritePng((folder / "controls.png").string()));
  form.DestroyWindow();
}

}  // namespace
