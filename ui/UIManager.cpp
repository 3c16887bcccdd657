#include "ui/UIManager.h"

#include <algorithm>
#include <new>

#include "mfc/CWnd.h"
#include "ui/UIForm.h"

namespace UI {

CUIManager* CUIManager::s_pInstance = nullptr;

CUIManager* CUIManager::GetInstance() {
  if (!s_pInstance) s_pInstance = new (std::nothrow) CUIManager();
  return s_pInstance;
}

CUIManager::~CUIManager() {
  m_windows.clear();
  if (s_pInstance == this) s_pInstance = nullptr;
}

void CUIManager::RegisterForm(CUIForm* form) {
  if (!form || IsExist(form)) return;
  m_windows.push_back({kForm, form});
}

void CUIManager::UnRegisterForm(void* window) {
  auto it = std::find_if(m_windows.begin(), m_windows.end(), [&](const Entry& e) { return e.window == window; });
  if (it != m_windows.end()) m_windows.erase(it);
}

int CUIManager::IsExist(CUIForm* form) const {
  return std::any_of(m_windows.begin(), m_windows.end(),
                     [&](const Entry& e) { return e.kind == kForm && e.window == form; })
             ? 1
             : 0;
}

void CUIManager::GetAllForms(CPtrArray& forms) const {
  forms.RemoveAll();
  for (const Entry& e : m_windows) {
    if (e.kind != kForm) continue;
    auto* form = static_cast<CUIForm*>(e.window);
    if (::IsWindow(form->GetSafeHwnd())) forms.Add(form);
  }
}

CUIForm* CUIManager::IsExist(const CString& id) const {
  for (const Entry& e : m_windows) {
    auto* form = static_cast<CUIForm*>(e.window);
    if (e.kind == kForm && form->GetObjectID() == id) return form;
  }
  return nullptr;
}

void CUIManager::GetForms(const CString& id, CPtrArray& forms) const {
  forms.RemoveAll();
  for (const Entry& e : m_windows) {
    auto* form = static_cast<CUIForm*>(e.window);
    if (e.kind == kForm && form->GetObjectID() == id) forms.Add(form);
  }
}

void CUIManager::GetModalForms(CPtrArray& forms) const {
  GetAllForms(forms);
  for (INT_PTR i = forms.GetSize(); i-- > 0;) {
    if (!static_cast<CUIForm*>(forms[i])->IsModalWnd()) forms.RemoveAt(i);
  }
}

void CUIManager::UnRegisterOnceForm(CUIForm* form) {
  for (auto it = m_onceForms.begin(); it != m_onceForms.end(); ++it) {
    if (it->second == form) {
      m_onceForms.erase(it);
      return;
    }
  }
}

CUIForm* CUIManager::IsExistOnceForm(CString name) const {
  auto found = m_onceForms.find(name);
  return found == m_onceForms.end() ? nullptr : found->second;
}

void CUIManager::BeforeDoModalDlg(CWnd* dialog) {
  if (!dialog) return;
  if (std::any_of(m_windows.begin(), m_windows.end(), [&](const Entry& e) { return e.window == dialog; })) return;
  m_windows.push_back({kDialog, dialog});
}

void CUIManager::ExitModalWnds(int code) {
  // Newest first, so that a modal window opened from another ends before it.
  for (size_t i = m_windows.size(); i-- > 0;) {
    if (i >= m_windows.size()) continue;  // an ended window may have taken others with it
    Entry entry = m_windows[i];
    if (entry.kind == kForm) {
      auto* form = static_cast<CUIForm*>(entry.window);
      if (!::IsWindow(form->GetSafeHwnd()) || !form->IsModalWnd()) continue;
      m_windows.erase(m_windows.begin() + static_cast<std::ptrdiff_t>(i));
      form->EndDialog(code);
    } else {
      // Ended as EndDialog ends it: a quit posted to the dialog would also
      // end the application's own loop once the dialog's loop passed it on.
      auto* dialog = static_cast<CWnd*>(entry.window);
      m_windows.erase(m_windows.begin() + static_cast<std::ptrdiff_t>(i));
      dialog->EndModalLoop(code);
    }
  }
}

int CUIManager::HasModalWnd() const {
  for (const Entry& e : m_windows) {
    if (e.kind == kDialog) return 1;
    if (static_cast<CUIForm*>(e.window)->IsModalWnd()) return 1;
  }
  return 0;
}

}  // namespace UI
