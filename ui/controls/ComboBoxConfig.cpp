#include "ui/controls/ComboBoxConfig.h"

#include "ui/skin/SkinReader.h"

namespace UI {

void _ComboBoxConfig::Copy(_SkinConfig* other) {
  if (other == this) return;
  Reset();
  if (auto* combo = dynamic_cast<_ComboBoxConfig*>(other)) *this = *combo;
}

void _ComboBoxConfig::Reset() { *this = _ComboBoxConfig(); }

int _ComboBoxConfig::Read(CSkinReader* reader) {
  if (!reader) return 0;
  reader->GetImage(m_borderNormal, L"BorderNomal");
  reader->GetImage(m_borderFocused, L"BorderFocused");
  reader->GetImage(m_buttonNormal, L"ButtonNomal");
  reader->GetImage(m_buttonFocused, L"ButtonFocused");
  reader->GetImage(m_buttonPressed, L"ButtonPressed");
  reader->GetString(m_strEditExCss, L"EditExCss");
  reader->GetString(m_strListBoxCss, L"ListBoxCss");
  reader->GetBool(m_bEditable, L"IsEditable");
  return 1;
}

_SkinConfig* _ComboBoxConfig::Clone() {
  auto* copy = new _ComboBoxConfig;
  copy->Copy(this);
  return copy;
}

}  // namespace UI
