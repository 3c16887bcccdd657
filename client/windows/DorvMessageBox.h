#pragma once
// The program's skinned question and notice window. One frame (caption, body,
// icon place: the build node "DorvMessageBox") carries one of the skin's inner
// panels, which holds the message's text, layout and buttons; the code picks
// the panel, the window title and the icon. Always run modally: the panel's
// "ConfirmButton" answers 1, its "CancleButton" 0, and the cancel button has
// the keyboard focus first.
//
//   CDorvMessageBox box;
//   box.SetContent(1, title, L"InnerPanelExit");
//   if (box.Create(owner)) answer = box.DoModal();
//
// UI thread only; the caller owns the object (usually on the stack).
#include "ui/UIForm.h"

class CDorvMessageBox : public UI::CUIForm {
 public:
  // The kinds of icon: 0 info, 1 warning, 2 error, 3 success, 4 help, 5 smile, 6 cry.
  CDorvMessageBox();

  void SetContent(int kind, CString title, CString panelName);
  // The window, sized to the panel, centred on its owner and on top; 0 when
  // it could not be made (the caller treats the message as refused).
  int Create(CWnd* owner);
  // The answer of the confirm (1) and cancel (0) buttons; 1.
  int OnClick(UI::CUIControl* sender, void* data);

  // The style name of the "MessageIcon" control for a kind; empty for an unknown kind.
  static CString IconStyle(int kind);

 protected:
  // The inner panel joins the frame; focus and TAB order go to its buttons.
  BOOL OnBuildControlAfter() override;
  // The window takes the panel's size (30 pixels taller) centred on the owner.
  void OnSetSkinData() override;

 private:
  int m_nKind = 0;
  CString m_strPanelName;
  CString m_strTitle;
  UI::CUIControl* m_pConfirmButton = nullptr;
  UI::CUIControl* m_pCancelButton = nullptr;
};
