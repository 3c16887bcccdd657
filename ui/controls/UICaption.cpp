#include "ui/controls/UICaption.h"

#include "ui/UIForm.h"
#include "ui/controls/CaptionConfig.h"
#include "ui/controls/ControlEvents.h"
#include "ui/controls/ControlText.h"
#include "ui/render/DXCore.h"

namespace UI {

namespace {

constexpr int kTitleBoxWidth = 1000;

}  // namespace

CUICaption::CUICaption() {
  m_strTypeName = L"CUICaption";
  ListenEvent(kClickEvent, fastdelegate::MakeDelegate(this, &CUICaption::OnButtonClick));
}

int CUICaption::IsHitCaption(CPoint point) {
  if (!GetBoundsSmall().PtInRect(point) || IsHitTransparent()) return 0;
  for (CUIControl* child : m_children) {
    if (child && child->FindControlUnderPoint(point)) return 2;
  }
  return 1;
}

void CUICaption::OnSize(UINT type) {
  if (type == SIZE_MAXIMIZED && !m_bMaximized) {
    m_bMaximized = TRUE;
    ChangeMaxRestoreButton();
  } else if (type != SIZE_MAXIMIZED && m_bMaximized) {
    m_bMaximized = FALSE;
    ChangeMaxRestoreButton();
  }
}

void CUICaption::ChangeMaxRestoreButton() {
  CUIControl* restore = FindControlRecusive(L"SysButtonRestore");
  CUIControl* maximize = FindControlRecusive(L"SysButtonMax");
  if (!restore || !maximize) return;
  if (m_bMaximized && maximize->IsVisible()) {
    restore->SetVisible(TRUE);
    maximize->SetVisible(FALSE);
  } else if (!m_bMaximized && restore->IsVisible()) {
    restore->SetVisible(FALSE);
    maximize->SetVisible(TRUE);
  }
}

int CUICaption::OnButtonClick(CUIControl* sender, void*) {
  CUIForm* form = GetOwnerForm();
  if (!form || !sender) return 1;
  HWND window = form->GetSafeHwnd();
  const CString id = sender->GetObjectID();
  if (id == L"SysButtonClose") {
    if (form->IsModalWnd())
      form->EndDialog(0);
    else
      ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;  // the click goes on to the form
  }
  if (id == L"SysButtonMin") {
    ::PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    return 1;
  }
  if (id == L"SysButtonMax") {
    ::PostMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    return 1;
  }
  if (id == L"SysButtonRestore") {
    ::PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    return 1;
  }
  if (id == L"SysButtonHelp") {
    ::PostMessageW(window, kHelpMsg, 1, 0);
    return 1;
  }
  return 0;
}

void CUICaption::RenderSelf(DXCore* core, const CRect*) {
  auto* config = dynamic_cast<_CaptionConfig*>(GetSkinConfig(CString()));
  if (!config || !core) return;
  const CRect b = GetBounds();
  if (config->m_bIconVisible) {
    const CRect& r = config->m_rcIcon;
    const RectF dest(static_cast<float>(b.left + r.left), static_cast<float>(b.top + r.top),
                     static_cast<float>(b.left + r.left + r.Width()), static_cast<float>(b.top + r.top + r.Height()));
    config->m_iconImage.RenderRect(core, dest, config->m_iconImage.m_rcSource, nullptr);
  }
  CUIForm* form = GetOwnerForm();
  if (!config->m_bTextVisible || !form || !form->GetSafeHwnd()) return;
  CString title;
  form->GetWindowText(title);
  if (title.IsEmpty()) return;
  const DWORD colour = IsEnabled() ? config->m_textColor : config->m_textDisableColor;
  // The title's position is in form client coordinates, not the caption's.
  const CRect box(config->m_ptTextStart.x, config->m_ptTextStart.y, config->m_ptTextStart.x + kTitleBoxWidth,
                  config->m_ptTextStart.y + config->m_nTextHeight);
  DrawControlText(core, title, box, config->m_font, 0, 0, colour);
}

}  // namespace UI
