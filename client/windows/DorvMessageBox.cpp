#include "client/windows/DorvMessageBox.h"

#include "ui/controls/UIPanel.h"
#include "ui/skin/FormConfig.h"
#include "ui/skin/UISkinManager.h"

namespace {

constexpr DWORD kBoxStyle = 0x80040000;  // WS_POPUP | WS_THICKFRAME
constexpr int kClickEvent = 1;
// The frame's height beyond the inner panel's.
constexpr int kFrameExtraHeight = 30;

}  // namespace

CDorvMessageBox::CDorvMessageBox() { SetObjectID(L"DorvMessageBox"); }

void CDorvMessageBox::SetContent(int kind, CString title, CString panelName) {
  m_nKind = kind;
  m_strTitle = title;
  m_strPanelName = panelName;
}

CString CDorvMessageBox::IconStyle(int kind) {
  static const wchar_t* const kStyles[] = {L"InfoIcon",    L"WarningIcon", L"ErrorIcon", L"SuccessIcon",
                                           L"HelpIcon",    L"SmileIcon",   L"CryIcon"};
  return kind >= 0 && kind < static_cast<int>(std::size(kStyles)) ? CString(kStyles[kind]) : CString();
}

int CDorvMessageBox::Create(CWnd* owner) {
  if (!UI::CUIForm::Create(kBoxStyle, L"MergeFormClass", m_strTitle, owner, 0, CRect(0, 0, 1, 1))) return 0;
  CenterWindow();
  BringWindowToTop();
  ListenEvent(kClickEvent, fastdelegate::MakeDelegate(this, &CDorvMessageBox::OnClick));
  return 1;
}

int CDorvMessageBox::OnClick(UI::CUIControl* sender, void*) {
  if (sender && sender == m_pConfirmButton)
    EndDialog(1);
  else if (sender && sender == m_pCancelButton)
    EndDialog(0);
  return 1;
}

BOOL CDorvMessageBox::OnBuildControlAfter() {
  UI::CUISkinManager* skins = UI::CUISkinManager::GetInstance();
  CString path;
  path.Format(L"%s %s", L"BuildRoot", static_cast<const wchar_t*>(m_strPanelName));
  void* node = skins ? skins->GetBuildNode(path) : nullptr;
  if (!node) return FALSE;
  auto* panel = new UI::CUIPanel;
  panel->SetObjectID(m_strPanelName);
  if (!panel->BuildFromXML(node) || !RegisterControl(panel)) {
    panel->Release();
    return FALSE;
  }
  if (UI::CUIControl* icon = FindControlRecusive(L"MessageIcon")) icon->SetCss(IconStyle(m_nKind));
  SetKeyFocusControl(this);
  ClearTABOrder();
  m_pConfirmButton = FindControlRecusive(L"ConfirmButton");
  m_pCancelButton = FindControlRecusive(L"CancleButton");
  if (m_pConfirmButton) AddTABOrder(m_pConfirmButton);
  if (m_pCancelButton) {
    AddTABOrder(m_pCancelButton);
    m_pCancelButton->SetKBFocused(TRUE);
  }
  return TRUE;
}

void CDorvMessageBox::OnSetSkinData() {
  auto* config = dynamic_cast<UI::_FormConfig*>(GetSkinConfig(CString()));
  UI::CUIControl* panel = FindControlRecusive(m_strPanelName);
  if (config && panel) {
    const CSize size = panel->GetSize();
    CRect& r = config->m_rcPosition;
    r.right = size.cx;
    r.bottom = size.cy + kFrameExtraHeight;
    UI::CUISkinManager* skins = UI::CUISkinManager::GetInstance();
    HWND owner = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
    if (owner && !(skins && skins->IsThemeChanging())) {
      RECT p{};
      ::GetWindowRect(owner, &p);
      const int width = r.Width(), height = r.Height();
      r.left = p.left + (p.right - p.left) / 2 - width / 2;
      r.top = p.top + (p.bottom - p.top) / 2 - height / 2;
      r.right = r.left + width;
      r.bottom = r.top + height;
    }
  }
  UI::CUIForm::OnSetSkinData();
}
