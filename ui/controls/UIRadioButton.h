#pragma once
// The check box under its own class name, so that skins style radio buttons apart.
#include "ui/controls/UICheckBox.h"

namespace UI {

class CUIRadioButton : public CUICheckBox {
 public:
  CUIRadioButton() { m_strTypeName = L"CUIRadioButton"; }
};

}  // namespace UI
