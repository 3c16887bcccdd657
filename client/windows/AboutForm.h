#pragma once
// The about box: a skinned modal form showing the program's version. The
// caller creates it, runs DoModal and destroys it. UI thread only.
#include "ui/UIForm.h"

class CAboutForm : public UI::CUIForm {
 public:
  CAboutForm();
  // 0 when the window could not be made.
  int Create(CWnd* owner);
  // "CancleButton" ends the box with 0; "ConfirmButton" does nothing. 1.
  int OnClick(UI::CUIControl* sender, void* data);

 protected:
  // "VersionLabel" holds a format for the version text.
  BOOL OnBuildControlAfter() override;
};
