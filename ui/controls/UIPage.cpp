#include "ui/controls/UIPage.h"

#include "ui/UIForm.h"
#include "ui/controls/ControlEvents.h"
#include "ui/controls/PageConfig.h"

namespace UI {

namespace {

bool SameId(const CString& a, const CString& b) { return !b.IsEmpty() && a.CompareNoCase(b) == 0; }

}  // namespace

CUIPage::CUIPage() {
  m_strTypeName = L"CUIPage";
  SetVisible(FALSE);
}

BOOL CUIPage::OnBuildControlAfter() {
  auto* config = dynamic_cast<_PageConfig*>(GetSkinConfig(CString()));
  if (!config) return FALSE;
  SetVisible(config->m_bDefaultVisible ? TRUE : FALSE);
  const bool hasButton =
      (!config->m_strPrevPageButtonID.IsEmpty() && FindControlRecusive(config->m_strPrevPageButtonID)) ||
      (!config->m_strNextPageButtonID.IsEmpty() && FindControlRecusive(config->m_strNextPageButtonID));
  if (hasButton) ListenEvent(kClickEvent, fastdelegate::MakeDelegate(this, &CUIPage::OnPageButtonClick));
  return TRUE;
}

int CUIPage::OnPageButtonClick(CUIControl* sender, void*) {
  auto* config = dynamic_cast<_PageConfig*>(GetSkinConfig(CString()));
  if (!config) return 1;
  TryToSetPagesFromConfig(config);
  if (sender) {
    const CString id = sender->GetObjectID();
    if (SameId(id, config->m_strPrevPageButtonID))
      ChangeToPrevPage();
    else if (SameId(id, config->m_strNextPageButtonID))
      ChangeToNextPage();
  }
  return 0;  // the click goes on to the page's ancestors
}

CUIControl* CUIPage::FindTarget(const CString& id) {
  if (id.IsEmpty() || !m_pParent || m_pParent == this) return nullptr;
  return m_pParent->FindControl(id);
}

void CUIPage::TryToSetPrePageFromConfig(_PageConfig* config) {
  if (m_pPrevPage || !config) return;
  m_pPrevPage = dynamic_cast<CUIPage*>(FindTarget(config->m_strPrevPageID));
}

void CUIPage::TryToSetNextPageFromConfig(_PageConfig* config) {
  if (m_pNextPage || !config) return;
  m_pNextPage = dynamic_cast<CUIPage*>(FindTarget(config->m_strNextPageID));
}

void CUIPage::TryToSetPagesFromConfig(_PageConfig* config) {
  TryToSetPrePageFromConfig(config);
  TryToSetNextPageFromConfig(config);
}

void CUIPage::ChangeToPrevPage() {
  if (!IsInWindow()) return;
  auto* config = dynamic_cast<_PageConfig*>(GetSkinConfig(CString()));
  TryToSetPrePageFromConfig(config);
  CUIControl* other = !m_pPrevPage && config ? FindTarget(config->m_strPrevPageID) : nullptr;
  ChangeTo(m_pPrevPage, other, m_beforePrev);
}

void CUIPage::ChangeToNextPage() {
  if (!IsInWindow()) return;
  auto* config = dynamic_cast<_PageConfig*>(GetSkinConfig(CString()));
  TryToSetNextPageFromConfig(config);
  CUIControl* other = !m_pNextPage && config ? FindTarget(config->m_strNextPageID) : nullptr;
  ChangeTo(m_pNextPage, other, m_beforeNext);
}

bool CUIPage::IsInWindow() const { return m_pOwnerForm && m_pOwnerForm->GetSafeHwnd(); }

void CUIPage::ChangeTo(CUIPage*& page, CUIControl* other, PageChangeHandler& handler) {
  int allow = 0;
  if (handler)
    handler(this, allow);
  else
    allow = 1;
  // The handler may have set the target itself.
  CUIControl* target = page ? page : other;
  if (!target || allow != 1) return;
  SetVisible(FALSE);
  target->SetVisible(TRUE);
  if (IsEnabled() && m_bEnabled) DispatchEvent(this, kChangedEvent, target);
  static_cast<CUIControl*>(m_pOwnerForm)->Refresh(FALSE, nullptr);
}

}  // namespace UI
