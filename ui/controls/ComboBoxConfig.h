#pragma once
// The combo box's style record: borders and drop-button images by status, the
// style names of its edit and list, and whether the edit takes typing.
#include "ui/image/ImageConfig.h"
#include "ui/skin/SkinConfig.h"

namespace UI {

class _ComboBoxConfig : public _SkinConfig {
 public:
  _ComboBoxConfig() = default;
  _ComboBoxConfig(const _ComboBoxConfig&) = default;
  _ComboBoxConfig& operator=(const _ComboBoxConfig&) = default;
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  _ImageBorderConfig m_borderNormal;
  _ImageBorderConfig m_borderFocused;
  _ImageConfig m_buttonNormal;
  _ImageConfig m_buttonFocused;
  _ImageConfig m_buttonPressed;
  CString m_strEditExCss;
  CString m_strListBoxCss;
  int m_bEditable = 0;
};

}  // namespace UI
