#pragma once
// One-line error and information texts centred in a form's tip panel ("TipPanel"
// in its skin, holding the label "TipInfoLabel" and the error picture
// "ErrorPhoto"). The caller repaints the form afterwards and hides the panel
// when the tip should go. UI thread only.
#include "mfc/AfxWin.h"

namespace UI {
class CUIControl;
}

// Red text with the error picture before it, the two centred together.
void ShowErrorTip(CWnd* form, CString text, UI::CUIControl* tipPanel);
// Blue-grey text centred alone.
void ShowInfoTip(UI::CUIControl* tipPanel, CString text, CWnd* form);
