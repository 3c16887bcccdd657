#include "client/windows/AboutForm.h"

#include "client/core/GlobalConfig.h"

namespace {

constexpr DWORD kAboutStyle = 0x80040000;  // WS_POPUP | WS_THICKFRAME
constexpr int kClickEvent = 1;

}  // namespace

CAboutForm::CAboutForm() { SetObjectID(L"AboutForm"); }

int CAboutForm::Create(CWnd* owner) {
  if (!UI::CUIForm::Create(kAboutStyle, L"AboutFormClass", L"", owner, 0, CRect(0, 0, 1, 1))) return 0;
  CenterWindow();
  BringWindowToTop();
  ListenEvent(kClickEvent, fastdelegate::MakeDelegate(this, &CAboutForm::OnClick));
  return 1;
}

int CAboutForm::OnClick(UI::CUIControl* sender, void*) {
  if (sender && sender->GetObjectID().CompareNoCase(L"CancleButton") == 0) EndDialog(0);
  return 1;
}

BOOL CAboutForm::OnBuildControlAfter() {
  if (UI::CUIControl* label = FindControlRecusive(L"VersionLabel")) {
    const CString format = label->GetText();
    CString text;
    text.Format(static_cast<const wchar_t*>(format), static_cast<const wchar_t*>(GetGlobalConfig()->m_strVersion));
    label->SetText(text, FALSE);
  }
  return TRUE;
}
