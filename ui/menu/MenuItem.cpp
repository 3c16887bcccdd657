#include "ui/menu/MenuItem.h"

#include "ui/menu/IMenu.h"

namespace UI {

int MenuItem::IsSel() const { return m_bSelected && !GetCaption().IsEmpty() ? 1 : 0; }

void MenuItem::SetSel(int selected) {
  if (!GetCaption().IsEmpty()) m_bSelected = selected;
}

CString MenuItem::GetCaption() const { return m_pNode ? m_pNode->GetCaption() : CString(); }
int MenuItem::IsChecked() const { return m_pNode ? m_pNode->IsChecked() : 0; }
int MenuItem::IsDisabled() const { return m_pNode ? m_pNode->IsDisabled() : 0; }
_ImageConfig* MenuItem::GetICONImage() const { return m_pNode ? m_pNode->GetICONImage() : nullptr; }
CString MenuItem::GetICONFile() const { return m_pNode ? m_pNode->GetICONFile() : CString(); }
int MenuItem::HasSubMenus() const { return m_pNode && m_pNode->GetSubMenuCount() > 0 ? 1 : 0; }

}  // namespace UI
