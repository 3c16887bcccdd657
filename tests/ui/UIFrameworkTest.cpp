// The control tree's visibility and the form manager's modal windows.
#include <gtest/gtest.h>

#include "mfc/AfxWin.h"
#include "ui/UIControl.h"
#include "ui/UIForm.h"
#include "ui/UIManager.h"

namespace {

TEST(UIControlTest, HidingAnAncestorKeepsEachDescendantsOwnFlag) {
  auto* panel = new UI::CUIControl;
  auto* shown = new UI::CUIControl;
  auto* hidden = new UI::CUIControl;
  UI::CUIControl root;
  root.RegisterControl(panel);
  panel->RegisterControl(shown);
  panel->RegisterControl(hidden);
  EXPECT_FALSE(panel->RegisterControl(shown));  // already there
  hidden->SetVisible(FALSE);

  panel->SetVisible(FALSE);
  EXPECT_FALSE(panel->IsVisible());
  EXPECT_FALSE(shown->IsVisible());
  EXPECT_FALSE(hidden->IsVisible());

  panel->SetVisible(TRUE);
  EXPECT_TRUE(shown->IsVisible());
  EXPECT_FALSE(hidden->IsVisible());  // its own flag holds
  EXPECT_EQ(shown->GetParent(), panel);
}  // the root releases the tree

TEST(UIManagerTest, FormsJoinAndLeaveAndOnlyFormsWithWindowsAreListed) {
  UI::CUIManager* manager = UI::CUIManager::GetInstance();
  ASSERT_TRUE(manager);
  CPtrArray forms;
  {
    UI::CUIForm form;  // no window
    EXPECT_TRUE(manager->IsExist(&form));
    forms.Add(&form);
    manager->GetAllForms(forms);
    EXPECT_EQ(forms.GetSize(), 0);  // emptied, and the form has no window
    manager->SetMainForm(&form);
    EXPECT_EQ(manager->GetMainForm(), &form);
    manager->SetMainForm(nullptr);
  }
  EXPECT_EQ(manager->HasModalWnd(), 0);
}

// A dialog that asks the manager to end every modal window from inside its own modal loop.
class EndingDialog : public CWnd {
 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_USER + 1) UI::CUIManager::GetInstance()->ExitModalWnds(5);
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

TEST(UIManagerTest, EndingModalWindowsEndsADialogsLoopAndLeavesTheProgramsLoopRunning) {
  UI::CUIManager* manager = UI::CUIManager::GetInstance();
  EndingDialog dialog;
  ASSERT_TRUE(dialog.CreateEx(0, nullptr, L"dialog", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  manager->BeforeDoModalDlg(&dialog);
  manager->BeforeDoModalDlg(&dialog);  // once only
  EXPECT_EQ(manager->HasModalWnd(), 1);

  ::PostMessageW(dialog.GetSafeHwnd(), WM_USER + 1, 0, 0);
  EXPECT_EQ(dialog.RunModalLoop(0), 5);
  EXPECT_EQ(manager->HasModalWnd(), 0);
  MSG msg{};
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // no quit for the program's loop
  dialog.DestroyWindow();
}

}  // namespace
