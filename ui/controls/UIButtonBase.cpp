#include "ui/controls/UIButtonBase.h"

namespace UI {

void CUIButtonBase::OnClick() {
  if (IsEnabled()) DispatchEvent(this, 1, this);
}

}  // namespace UI
