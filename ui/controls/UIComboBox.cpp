#include "ui/controls/UIComboBox.h"

#include "ui/UIForm.h"
#include "ui/controls/ComboBoxConfig.h"
#include "ui/controls/ControlEvents.h"
#include "ui/controls/UIEditEx.h"
#include "ui/controls/UIListBox.h"

namespace UI {

CUIComboBox::CUIComboBox() {
  m_strTypeName = L"CUIComboBox";
  ListenEvent(kClickEvent, fastdelegate::MakeDelegate(this, &CUIComboBox::OnButtonClick));
}

_ComboBoxConfig* CUIComboBox::GetComboConfig() { return dynamic_cast<_ComboBoxConfig*>(GetSkinConfig(L"")); }

BOOL CUIComboBox::OnBuildControlAfter() { return CreateSubControl() ? 1 : 0; }

int CUIComboBox::CreateSubControl() {
  _ComboBoxConfig* config = GetComboConfig();
  if (!config) return 0;
  if (!m_pListBox) {
    auto* list = new CUIListBox;
    list->SetObjectID(L"ComboBox_ListBox");
    list->SetAss(config->m_strListBoxCss);
    list->SetCss(config->m_strListBoxCss);
    list->ReadAssSkinData(L"");
    list->SetVisible(FALSE);
    RegisterControl(list);
    list->CreateScrollBar();
    m_pListBox = list;
  }
  if (!m_pEditEx) {
    auto* edit = new CUIEditEx;
    edit->SetObjectID(L"ComboBox_EditEx");
    edit->SetCss(config->m_strEditExCss);
    edit->SetReadOnly(!config->m_bEditable);
    RegisterControl(edit);
    m_pEditEx = edit;
  }
  return 1;
}

BOOL CUIComboBox::IsCursorInBounds(const CPoint& point) {
  if (m_rcBounds.PtInRect(point)) return 1;
  return m_pListBox && m_pListBox->IsVisible() && m_pListBox->GetBounds().PtInRect(point);
}

void CUIComboBox::ArrangeAllSubControls() {
  _ComboBoxConfig* config = GetComboConfig();
  if (!m_pListBox || !m_pEditEx) return;
  const CRect inner = GetBoundsSmall();
  const float button = config ? config->m_buttonNormal.m_rcSource.Width() : 0.0f;
  const float border = config ? static_cast<float>(config->m_borderNormal.m_center.m_last.Width()) : 0.0f;
  CRect edit(inner.left + 7, inner.top, static_cast<int>(static_cast<float>(inner.right) - (button + border)),
             inner.bottom);
  m_pEditEx->SetBounds(edit);
  m_pEditEx->ArrangeAllSubControls();
  CRect list(inner.left + 1, inner.bottom, inner.right - 1, inner.bottom + m_pListBox->GetSize().cy);
  m_pListBox->SetBounds(list);
  m_pListBox->ArrangeAllSubControls();
}

void CUIComboBox::SetComboBoxStatus(UIComboBoxStatus status) {
  m_status = status;
  Refresh(FALSE, nullptr);
}

void CUIComboBox::RenderSelf(DXCore* core, const CRect*) {
  _ComboBoxConfig* config = GetComboConfig();
  if (!config || !core) return;
  _ImageBorderConfig& border = m_status == UIComboBoxStatusNormal ? config->m_borderNormal : config->m_borderFocused;
  _ImageConfig& button = m_status == UIComboBoxStatusNormal  ? config->m_buttonNormal
                         : m_status == UIComboBoxStatusHover ? config->m_buttonFocused
                                                             : config->m_buttonPressed;
  if (!border.m_strFile.IsEmpty()) border.Render(core, m_rcBounds);
  if (!button.m_strFile.IsEmpty()) {
    CRect place = m_rcBounds;
    place.DeflateRect(5, 5);
    place.left = static_cast<int>(static_cast<float>(place.right) - button.m_rcSource.Width());
    button.Render(core, place, nullptr);
  }
}

BOOL CUIComboBox::OnMouseMessage(UINT message, UINT, const CPoint&) {
  if (!IsEnabled()) return 0;
  switch (message) {
    case WM_MOUSEMOVE:
      if (m_status == UIComboBoxStatusNormal) SetComboBoxStatus(UIComboBoxStatusHover);
      return 1;
    case WM_LBUTTONDOWN: SetComboBoxStatus(UIComboBoxStatusPress); return 1;
    case WM_LBUTTONUP:
      SetComboBoxStatus(UIComboBoxStatusHover);
      OnClick();
      return 1;
    case WM_MOUSELEAVE:
      if (m_status != UIComboBoxStatusNormal) SetComboBoxStatus(UIComboBoxStatusNormal);
      return 1;
    default: return 0;
  }
}

void CUIComboBox::OnClick() { FireEvent(kClickEvent, this); }

void CUIComboBox::RepaintForm() {
  if (m_pOwnerForm) {
    m_pOwnerForm->Refresh(FALSE, nullptr);
  } else if (m_pListBox) {
    m_pListBox->Refresh(FALSE, nullptr);
  }
}

void CUIComboBox::PostTab() {
  if (m_pOwnerForm && m_pOwnerForm->m_hWnd) ::PostMessageW(m_pOwnerForm->m_hWnd, WM_KEYDOWN, VK_TAB, 0);
}

int CUIComboBox::OnButtonClick(CUIControl* sender, void*) {
  if (!sender) return 1;
  if (sender == this) {
    if (!m_pListBox || m_pListBox->GetDataCount() < 1) return 1;
    if (m_pListBox->IsVisible()) {
      m_pListBox->SetVisible(FALSE);
    } else {
      // Focus first: the box losing the key focus to its own list would close it.
      m_pListBox->SetKBFocused(TRUE);
      m_pListBox->SetVisible(TRUE);
    }
    RepaintForm();
  } else if (sender->GetType() == L"CUIListBoxItem") {
    FillEditexText(1);
    PostTab();
  }
  return 1;
}

void CUIComboBox::FillEditexText(int notify) {
  if (!m_pListBox) return;
  auto* row = m_pListBox->GetSelectedItem();
  auto* data = row ? dynamic_cast<ListBoxItemData*>(row->GetItemData()) : nullptr;
  if (!data) return;
  if (m_pEditEx) m_pEditEx->SetText(data->m_strText);
  m_pListBox->SetVisible(FALSE);
  SetComboBoxStatus(UIComboBoxStatusNormal);
  if (notify && IsEnabled()) FireEvent(kCompletedEvent, this);
  RepaintForm();
}

BOOL CUIComboBox::OnKeyMessage(UINT message, UINT code, UINT repeat, UINT flags) {
  if (!m_pListBox) return 0;
  if (message == WM_KEYDOWN) {
    if ((code == VK_TAB || code == VK_RETURN) && m_pListBox->IsVisible()) {
      FillEditexText(1);
      PostTab();
      return 1;
    }
    if (code == VK_UP || code == VK_DOWN) {
      m_pListBox->DispatchKeyMessage(message, code, repeat, flags);
      return 1;
    }
    return 0;
  }
  if (message == CUIForm::kFocusLostMsg && m_pListBox->IsVisible()) {
    m_pListBox->SetVisible(FALSE);
    m_status = UIComboBoxStatusNormal;
    Refresh(FALSE, nullptr);
    RepaintForm();
    return 1;
  }
  return 0;
}

}  // namespace UI
