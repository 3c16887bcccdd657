#include "client/windows/MainForm.h"

#include "client/core/LogWriter.h"
#include "client/core/context/GlobalContext.h"
#include "ui/UIManager.h"

BEGIN_MESSAGE_MAP(CMainForm, UI::CUIForm)
  ON_MESSAGE(WM_NOTIFY_SECOND_INSTANCE, &CMainForm::OnSecondInstance)
  ON_WM_CLOSE()
END_MESSAGE_MAP()

CMainForm::CMainForm() {
  SetObjectID(L"MainForm");
  m_nid.cbSize = sizeof(m_nid);
}

CMainForm::~CMainForm() {
  if (m_bTrayInstalled) {
    m_nid.uFlags = 0;
    if (Shell_NotifyIconW(NIM_DELETE, &m_nid)) m_bTrayInstalled = FALSE;
  }
}

int CMainForm::Create() {
  constexpr DWORD kExStyle = 0x40010;  // WS_EX_APPWINDOW | WS_EX_ACCEPTFILES
  if (!UI::CUIForm::Create(kExStyle, WS_POPUP | WS_OVERLAPPEDWINDOW, kClassName, kTitle, nullptr, 0,
                           CRect(0, 0, 1, 1)))
    return 0;
  // The engine and the context it works in exist from here on.
  GetGlobalContext();
  return 1;
}

void CMainForm::ExitApp() {
  m_bExiting = 1;
  // Operations in flight see the token and end.
  GetGlobalContext()->m_pCancelToken->m_bCancel = true;
  if (UI::CUIManager* manager = UI::CUIManager::GetInstance()) manager->ExitModalWnds(0);
  ::PostMessageW(m_hWnd, WM_QUIT, 0, 0);
}

LRESULT CMainForm::OnSecondInstance(WPARAM, LPARAM lParam) {
  WriteLog(KeyPoint, "CMainForm::OnSecondInstance", juce::String("Second instance, lParam: ") + juce::String(lParam));
  return 0;
}

void CMainForm::OnClose() {
  if (!m_bExiting) ExitApp();
}
