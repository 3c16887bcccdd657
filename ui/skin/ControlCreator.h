#pragma once
// The framework's own control classes by name, and the default style records
// the skin manager starts with.
#include "mfc/Afx.h"

namespace UI {

class CUIControl;
class CUISkinManager;

// A new control of one of the framework's classes, compared exactly
// ("CUIButton", not "cuibutton"); for "CUIForm" the new form's root control.
// Null for any other name.
CUIControl* CreateBuiltinControl(CString className);
// Registers one default record per framework class that has one.
void RegisterBuiltinSkinConfigs(CUISkinManager& skins);

}  // namespace UI
