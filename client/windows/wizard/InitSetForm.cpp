#include "client/windows/wizard/InitSetForm.h"

#include "client/windows/AppMessages.h"
#include "client/windows/MainForm.h"
#include "common/MutiLanSupport.h"

namespace {

constexpr DWORD kWizardExStyle = 0x00040010;  // WS_EX_APPWINDOW | WS_EX_ACCEPTFILES
constexpr DWORD kWizardStyle = 0x800A0000;    // WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX
constexpr int kModeFolderMissing = 3;

CString Text(const wchar_t* id) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(id); }

}  // namespace

CInitSetForm::CInitSetForm(CMainForm* owner) : m_pOwner(owner) { SetObjectID(L"InitSetForm"); }

CInitSetForm::~CInitSetForm() = default;

int CInitSetForm::Create(int mode, CWnd* parent) {
  m_strStartPage = mode == kModeFolderMissing ? L"CustomSetPage" : L"LoginPage";
  m_nMode = mode;
  if (!UI::CUIForm::Create(kWizardExStyle, kWizardStyle, L"InitSetFormClass", Text(L"STRID_SYNDIRNOTFOUNDFORM_TIETLE"),
                           parent, 0, CRect(0, 0, 1, 1)))
    return 0;
  SetIcon(4, TRUE);
  SetIcon(4, FALSE);
  CenterWindow();
  BringWindowToTop();
  return 1;
}

void CInitSetForm::FillLogin(CString, CString, bool) {}

void CInitSetForm::ShowLoginError(int) {}


LRESULT CInitSetForm::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return UI::CUIForm::WindowProc(message, wParam, lParam);
}
