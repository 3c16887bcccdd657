#include "ui/UIForm.h"

#include "ui/UIManager.h"
#include "ui/skin/UISkinManager.h"

namespace UI {

BEGIN_MESSAGE_MAP(CUIForm, CWnd)
  ON_WM_CREATE()
END_MESSAGE_MAP()

CUIForm::CUIForm() {
  m_strTypeName = L"CUIForm";
  m_pOwnerForm = this;
  m_pParent = this;
  if (CUIManager* manager = CUIManager::GetInstance()) manager->RegisterForm(this);
}

CUIForm::~CUIForm() {
  // While the form is whole: each control's destructor tells the form it goes.
  RemoveAllControlFromMap();
  if (CUIManager* manager = CUIManager::GetInstance()) manager->UnRegisterForm(this);
  if (!m_strText.IsEmpty()) ::UnregisterClassW(m_strText, AfxGetInstanceHandle());
}

int CUIForm::Create(DWORD style, const wchar_t* className, const wchar_t* title, CWnd* parent, UINT id, CRect rect) {
  return Create(0, style, className, title, parent, id, rect);
}

int CUIForm::Create(DWORD exStyle, DWORD style, const wchar_t* className, const wchar_t* title, CWnd* parent,
                    UINT id, CRect rect) {
  m_pParentWnd = parent;
  WNDCLASSW wc{};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = AfxWndProc;
  wc.hInstance = AfxGetInstanceHandle();
  wc.lpszClassName = className;
  if (!AfxRegisterClass(&wc)) return 0;
  m_strText = className;
  style = (style & ~(WS_CHILD | WS_CAPTION)) | WS_CLIPCHILDREN;
  return CreateEx(exStyle, className, title, style, rect, parent, id) ? 1 : 0;
}

int CUIForm::OnCreate(LPCREATESTRUCTW cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  m_hOwnWnd = m_hWnd;
  // The form's tree is its element under the build file's root.
  CUISkinManager* skins = CUISkinManager::GetInstance();
  CString path;
  path.Format(L"%s %s", L"BuildRoot", m_strObjectID);
  if (!skins || !skins->GetBuildNode(path)) return -1;
  return 0;
}

void CUIForm::PostNcDestroy() {
  m_hOwnWnd = nullptr;
  CWnd::PostNcDestroy();
}

void CUIForm::ForgetControl(CUIControl* control) {
  if (m_pKeyFocusControl == control) SetKeyFocusControl(nullptr);
}

void CUIForm::OnSkinChanged() {
  ReadAssSkinData(CString());
  DispathSkinChangeMsg();
  ArrangeAllSubControls();
}

void CUIForm::EndDialog(int code) {
  if (!m_bModal) return;
  m_bModal = FALSE;
  EndModalLoop(code);
}

}  // namespace UI
