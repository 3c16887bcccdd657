#include "ui/UIControl.h"

#include <algorithm>

namespace UI {

CUIControl::CUIControl() : m_strTypeName(L"CUIControl") {}

CUIControl::~CUIControl() {
  for (CUIControl* child : m_children) {
    if (child) child->Release();
  }
  m_children.clear();
}

void CUIControl::Release() { delete this; }

BOOL CUIControl::IsVisible() { return m_nTempVisible == 0 ? FALSE : m_bVisible; }

void CUIControl::SetVisible(BOOL visible) {
  m_bVisible = visible;
  SetTempVisible(visible);
  m_nTempVisible = -1;
}

void CUIControl::SetTempVisible(BOOL visible) {
  m_nTempVisible = visible;
  if (m_hOwnWnd) ::ShowWindow(m_hOwnWnd, visible && m_bVisible ? SW_SHOWNORMAL : SW_HIDE);
  for (CUIControl* child : m_children) {
    if (child) child->SetTempVisible(visible);
  }
}

int CUIControl::RegisterControl(CUIControl* child) {
  if (!child || std::find(m_children.begin(), m_children.end(), child) != m_children.end()) return 0;
  m_children.push_back(child);
  child->m_pParent = this;
  child->SetOwnerForm(m_pOwnerForm);
  return 1;
}

CUIControl* CUIControl::GetChild(int index) const {
  if (index < 0 || index >= GetChildCount()) return nullptr;
  return m_children[static_cast<size_t>(index)];
}

void CUIControl::SetOwnerForm(CUIForm* form) {
  m_pOwnerForm = form;
  for (CUIControl* child : m_children) {
    if (child) child->SetOwnerForm(form);
  }
}

}  // namespace UI
