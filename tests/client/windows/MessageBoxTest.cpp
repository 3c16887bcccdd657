// The skinned message box and the inline tips, built from the shipped theme and
// answered by injected mouse and keys on the headless desktop.
#include <gtest/gtest.h>

#include <filesystem>

#include "ControlFixture.h"
#include "client/windows/DorvMessageBox.h"
#include "client/windows/InlineTips.h"
#include "common/MutiLanSupport.h"
#include "common/TextFit.h"
#include "display/Desktop.h"
#include "ui/controls/LabelConfig.h"
#include "ui/controls/UIButton.h"
#include "ui/controls/UILabel.h"
#include "ui/skin/UISkinManager.h"

namespace {

using display::Desktop;

CString Text(const wchar_t* id) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(id); }

bool InShippedTheme(const std::string& build = "") {
  if (!uitest::InProgramFolder(uitest::ShippedTheme(build))) return false;
  UI::CUISkinManager::GetInstance()->InitSkinData();
  Common::CMutiLanSupport::GetInstance()->LoadStringTable(L"Theme/gdstrings.ini");
  return true;
}

// Writes a picture of the window under the build folder for people to look at.
void SaveShot(HWND window, const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(DORV_BUILD_DIR) / "screenshots";
  std::filesystem::create_directories(folder);
  EXPECT_TRUE(Desktop::Get().CaptureWindow(window).WritePng((folder / name).string()));
}

POINT CentreOnScreen(UI::CUIForm& form, const wchar_t* id) {
  POINT at = form.FindControlRecusive(id)->GetBounds().CenterPoint();
  ::ClientToScreen(form.m_hWnd, &at);
  return at;
}

// Input given from inside the box's modal loop, at its first timer tick.
class Answer {
 public:
  enum class By { Escape, Enter, TabEnter, TabTabEnter, ClickConfirm, ClickCancel, ClickClose };
  Answer(CDorvMessageBox& box, By by) : m_box(box), m_by(by) {
    box.RegisterTimerHandler(9, 1, fastdelegate::MakeDelegate(this, &Answer::Run));
  }
  void Run(UINT id) {
    m_box.UnRegisterTimerHandler(id);
    Desktop& desktop = Desktop::Get();
    auto click = [&desktop](POINT at) {
      desktop.MouseMove(at.x, at.y);
      desktop.MouseDown(Desktop::Button::Left, at.x, at.y);
      desktop.MouseUp(Desktop::Button::Left, at.x, at.y);
    };
    switch (m_by) {
      case By::Escape: desktop.KeyPress(VK_ESCAPE); break;
      case By::Enter: desktop.KeyPress(VK_RETURN); break;
      case By::TabEnter:
        desktop.KeyPress(VK_TAB);
        desktop.KeyPress(VK_RETURN);
        break;
      case By::TabTabEnter:
        desktop.KeyPress(VK_TAB);
        desktop.KeyPress(VK_TAB);
        desktop.KeyPress(VK_RETURN);
        break;
      case By::ClickConfirm: click(CentreOnScreen(m_box, L"ConfirmButton")); break;
      case By::ClickCancel: click(CentreOnScreen(m_box, L"CancleButton")); break;
      case By::ClickClose: click(CentreOnScreen(m_box, L"SysButtonClose")); break;
    }
  }

 private:
  CDorvMessageBox& m_box;
  By m_by;
};

TEST(MessageBoxTest, TheBoxShowsTheStringTablesTextsInItsSkin) {
  if (!InShippedTheme()) return;
  CDorvMessageBox box;
  box.SetContent(1, Text(L"STRID_EXITFORM_TIETLE"), L"InnerPanelExit");
  ASSERT_EQ(box.Create(nullptr), 1);
  CString title;
  box.GetWindowText(title);
  EXPECT_EQ(title, CString(L"退出Dorv"));
  EXPECT_EQ(box.FindControlRecusive(L"Text")->GetText(), CString(L"还有文件正在上传，确定要退出Dorv吗？"));
  EXPECT_EQ(box.FindControlRecusive(L"ConfirmButton")->GetText(), CString(L"退出"));
  EXPECT_EQ(box.FindControlRecusive(L"CancleButton")->GetText(), CString(L"取消"));
  EXPECT_EQ(box.FindControlRecusive(L"MessageIcon")->GetCss(), CString(L"WarningIcon"));
  // The client area is the panel's size, 30 pixels taller; the frame lies around it.
  RECT client{}, window{};
  ::GetClientRect(box.m_hWnd, &client);
  ::GetWindowRect(box.m_hWnd, &window);
  EXPECT_EQ(client.right - client.left, 416);
  EXPECT_EQ(client.bottom - client.top, 226);
  const CSize frame = box.GetFrameOffsets();
  EXPECT_EQ(window.right - window.left, 416 + 2 * frame.cx);
  EXPECT_EQ(window.bottom - window.top, 226 + 2 * frame.cy);
  auto* cancel = dynamic_cast<UI::CUIButton*>(box.FindControlRecusive(L"CancleButton"));
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(box.GetKeyFocusControl(), cancel);
  EXPECT_EQ(cancel->GetButtonStatus(), UI::UIButtonStatusKBFocus);

  box.ShowWindow(SW_SHOW);
  ::SetForegroundWindow(box.m_hWnd);
  Desktop::Get().PumpUntilIdle();
  const display::Pixels shot = Desktop::Get().CaptureWindow(box.m_hWnd);
  const CRect body = box.FindControlRecusive(L"MessageBody")->GetBounds();
  EXPECT_EQ(shot.At(body.left + 2, body.bottom - 2), RGB(255, 255, 255));
  EXPECT_EQ(shot.At(body.left - 1, body.bottom - 2), RGB(45, 127, 249));  // the frame
  const CRect icon = box.FindControlRecusive(L"MessageIcon")->GetBounds();
  EXPECT_EQ(shot.At(icon.left + 8, icon.CenterPoint().y), RGB(245, 166, 35));  // the warning disc
  SaveShot(box.m_hWnd, "messagebox.png");
  box.DestroyWindow();
}

TEST(MessageBoxTest, ItsButtonsAnswerByMouseAndKeyboard) {
  if (!InShippedTheme()) return;
  const struct {
    Answer::By by;
    int result;
    const char* name;
  } cases[] = {
      {Answer::By::Enter, 0, "Enter on a fresh box cancels"},
      {Answer::By::TabEnter, 1, "Tab moves to the confirm button"},
      {Answer::By::TabTabEnter, 0, "a second Tab comes back to cancel"},
      {Answer::By::Escape, 0, "Escape cancels"},
      {Answer::By::ClickConfirm, 1, "a click on confirm"},
      {Answer::By::ClickCancel, 0, "a click on cancel"},
      {Answer::By::ClickClose, 0, "the caption's close button"},
  };
  for (const auto& c : cases) {
    CDorvMessageBox box;
    box.SetContent(6, Text(L"STRID_MERGEFORM_TIETLE"), L"InnerPanelMerge");
    ASSERT_EQ(box.Create(nullptr), 1) << c.name;
    Answer answer(box, c.by);
    EXPECT_EQ(box.DoModal(), c.result) << c.name;
  }
}

TEST(MessageBoxTest, KindsPickTheIconStyleAndUnknownOnesNone) {
  EXPECT_EQ(CDorvMessageBox::IconStyle(0), CString(L"InfoIcon"));
  EXPECT_EQ(CDorvMessageBox::IconStyle(2), CString(L"ErrorIcon"));
  EXPECT_EQ(CDorvMessageBox::IconStyle(6), CString(L"CryIcon"));
  EXPECT_EQ(CDorvMessageBox::IconStyle(7), CString());
  EXPECT_EQ(CDorvMessageBox::IconStyle(-1), CString());
}

TEST(MessageBoxTest, EveryMessageOfTheSkinBuildsWithItsButtons) {
  if (!InShippedTheme()) return;
  const wchar_t* const panels[] = {L"InnerPanelExit",         L"InnerPanelSimpleExit",     L"InnerPanelSynDirNotFound",
                                   L"InnerPanelChangeAccount", L"InnerPanelMerge",          L"InnerPanelSystemSetupDir",
                                   L"InnerPanelFileTooMany",   L"InnerPanelDirLevelTooDeep", L"ProxyAddressOrPortNull",
                                   L"LocalConnectFailed",      L"ProxySetWrong",            L"ProxySetOK"};
  for (const wchar_t* panel : panels) {
    CDorvMessageBox box;
    box.SetContent(99, L"t", panel);
    ASSERT_EQ(box.Create(nullptr), 1);
    EXPECT_NE(box.FindControlRecusive(L"ConfirmButton"), nullptr);
    EXPECT_EQ(box.FindControlRecusive(L"MessageIcon")->GetCss(), CString());
    EXPECT_FALSE(box.FindControlRecusive(L"ConfirmButton")->GetText().IsEmpty());
    box.DestroyWindow();
  }
  CDorvMessageBox missing;
  missing.SetContent(1, L"t", L"NoSuchPanel");
  EXPECT_EQ(missing.Create(nullptr), 0);
}

TEST(MessageBoxTest, ABoxIsCentredOnItsOwner) {
  if (!InShippedTheme("<Owner css=\"MessageBox\"/>")) return;
  UI::CUIForm owner;
  owner.SetObjectID(L"Owner");
  ASSERT_EQ(owner.Create(WS_POPUP, L"OwnerClass", L"o", nullptr, 0, CRect(100, 100, 700, 500)), 1);
  owner.ShowWindow(SW_SHOW);
  CDorvMessageBox box;
  box.SetContent(0, L"t", L"ProxySetOK");
  ASSERT_EQ(box.Create(&owner), 1);
  RECT o{}, b{};
  ::GetWindowRect(owner.m_hWnd, &o);
  ::GetWindowRect(box.m_hWnd, &b);
  EXPECT_EQ((b.left + b.right) / 2, (o.left + o.right) / 2);
  EXPECT_EQ((b.top + b.bottom) / 2, (o.top + o.bottom) / 2);
  box.DestroyWindow();
  owner.DestroyWindow();
}

// --- inline tips --------------------------------------------------------------

const char kTipBuild[] =
    "<Tips css=\"MessageBox\">"
    "<TipPanel type=\"CUIPanel\" ass=\"TipPanel\">"
    "<ErrorPhoto type=\"CUIPanel\" css=\"TipError\" ass=\"TipError\"/>"
    "<TipInfoLabel type=\"CUILabel\" css=\"TipInfo\" ass=\"TipInfo\"/></TipPanel></Tips>";

TEST(MessageBoxTest, TipsCentreTheirTextInThePanel) {
  if (!InShippedTheme(kTipBuild)) return;
  uitest::FixtureForm form(L"Tips");
  ASSERT_EQ(form.Make(400, 100), 1);
  UI::CUIControl* panel = form.FindControlRecusive(L"TipPanel");
  ASSERT_NE(panel, nullptr);
  panel->SetSize(360, 24);
  auto* label = form.Get<UI::CUILabel>(L"TipInfoLabel");
  UI::CUIControl* photo = form.FindControlRecusive(L"ErrorPhoto");
  ASSERT_TRUE(label && photo);

  CString error = L"账号或密码错误";
  ShowErrorTip(&form, error, panel);
  const int width = Common::GetTextSize(&form, error, dynamic_cast<UI::_LabelConfig*>(label->GetSkinConfig(CString()))->m_font).cx;
  ASSERT_GT(width, 0);
  EXPECT_TRUE(panel->IsVisible());
  EXPECT_TRUE(photo->IsVisible());
  EXPECT_EQ(photo->GetMargin().left, (360 - width - 25) / 2);
  EXPECT_EQ(photo->GetMargin().top, 4);  // the other margins stay
  EXPECT_EQ(label->GetMargin().left, (360 - width - 25) / 2 + 25);
  EXPECT_EQ(dynamic_cast<UI::_LabelConfig*>(label->GetSkinConfig(CString()))->m_textColor, 0x00EE3D4Du);

  CString info = L"正在准备同步文件夹...";
  ShowInfoTip(panel, info, &form);
  const int infoWidth = Common::GetTextSize(&form, info, dynamic_cast<UI::_LabelConfig*>(label->GetSkinConfig(CString()))->m_font).cx;
  EXPECT_FALSE(photo->IsVisible());
  EXPECT_EQ(label->GetText(), info);
  EXPECT_EQ(label->GetMargin().left, (360 - infoWidth) / 2);
  EXPECT_EQ(label->GetBounds().left, panel->GetBounds().left + (360 - infoWidth) / 2);
  EXPECT_EQ(dynamic_cast<UI::_LabelConfig*>(label->GetSkinConfig(CString()))->m_textColor, 0x00805D38u);

  CString wide(L'宽', 60);  // wider than the panel: a negative margin, used as it is
  ShowInfoTip(panel, wide, &form);
  EXPECT_LT(label->GetMargin().left, 0);
  form.DestroyWindow();
}

}  // namespace
