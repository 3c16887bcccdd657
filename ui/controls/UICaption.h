#pragma once
// The title bar of a skinned form: draws the form's icon and window title and
// hosts the system buttons ("SysButtonMin", "SysButtonMax",
// "SysButtonRestore", "SysButtonClose", "SysButtonHelp", any may be missing)
// as child buttons whose clicks become window commands. Its free area drags
// the window. UI thread only.
#include "ui/UIControl.h"

namespace UI {

class _CaptionConfig;

class CUICaption : public CUIControl {
 public:
  // Posted to the form by the help button (wParam 1); the application handles it.
  static constexpr UINT kHelpMsg = 2408;

  CUICaption();

  void RenderSelf(DXCore* core, const CRect* clip) override;
  // 0 off the caption's inner area (or when it is hit-transparent), 2 over a
  // child control, else 1: the area that drags the window.
  int IsHitCaption(CPoint point);
  // The form's WM_SIZE: maximising and restoring swap the Max and Restore buttons.
  void OnSize(UINT type);
  void ChangeMaxRestoreButton();
  int OnButtonClick(CUIControl* sender, void* data);
  BOOL IsMaximized() const { return m_bMaximized; }

 private:
  BOOL m_bMaximized = TRUE;
};

}  // namespace UI
