#include "ui/controls/UIWebBrowser.h"

#include "ui/UIForm.h"
#include "ui/controls/WebBrowserConfig.h"
#include "ui/web/WebBrowserWnd.h"

namespace UI {

CUIWebBrowser::CUIWebBrowser() : m_pWebBrowser(new CWebBrowserWnd(this)) { m_strTypeName = L"CUIWebBrowser"; }

CUIWebBrowser::~CUIWebBrowser() {
  m_pWebBrowser->Release();
  delete m_pWebBrowser;
  m_pWebBrowser = nullptr;
  m_bCreated = 0;
  m_webPage.ReleaseDocument();
}

BOOL CUIWebBrowser::OnBuildControlAfter() {
  if (m_bCreated) return 1;
  CUIForm* form = GetOwnerForm();
  if (!form || !form->GetSafeHwnd()) return 0;
  if (!m_pWebBrowser->Create(L"", L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 1, 1), form, kBrowserWindowId))
    return 0;
  m_pWebBrowser->EnableContextMenu(0);
  m_pWebBrowser->SetRegisterAsDropTarget(FALSE);
  m_bCreated = 1;
  return 1;
}

void CUIWebBrowser::ArrangeAllSubControls() {
  CUIControl::ArrangeAllSubControls();
  if (m_pWebBrowser->GetSafeHwnd()) m_pWebBrowser->MoveSkinCtrlWnd(GetBounds());
}

BOOL CUIWebBrowser::IsVisible() {
  return m_bCreated && m_pWebBrowser->GetSafeHwnd() && m_pWebBrowser->IsVisible() ? TRUE : FALSE;
}

void CUIWebBrowser::SetTempVisible(BOOL visible) {
  CUIControl::SetTempVisible(visible);
  if (m_bCreated) m_pWebBrowser->SetVisible(visible, 1);
}

void CUIWebBrowser::OnSetSkinData() { GetSkinConfig(CString()); }

void CUIWebBrowser::GoURL(const CString& url, int isTempFile) {
  if (!m_pWebBrowser->GetSafeHwnd()) return;
  m_pWebBrowser->Navigate(url, isTempFile);
  m_strPreviousURL = url;
}

int CUIWebBrowser::RegisterInvoke(CString name, InvokeHandler handler) {
  CImpIDispatch* external = m_pWebBrowser->GetExternalDispatch();
  if (!m_pWebBrowser->GetSafeHwnd() || !external) return 0;
  return external->RegisterHandler(name, handler);
}

int CUIWebBrowser::TryToGetDocument() {
  IDispatch* document = m_pWebBrowser->GetSafeHwnd() ? m_pWebBrowser->GetDocument() : nullptr;
  if (document) m_webPage.SetDocument(document);
  else m_webPage.ReleaseDocument();
  return m_webPage.HasDocument() ? 1 : 0;
}

int CUIWebBrowser::CallJScript(const CString& function, const CStringArray& arguments, CComVariant* result) {
  if (!TryToGetDocument()) return 0;
  return m_webPage.CallJScript(function, arguments, result) ? 1 : 0;
}

int CUIWebBrowser::CallJScript(const CString& function, CComVariant* result) {
  CStringArray none;
  return CallJScript(function, none, result);
}

int CUIWebBrowser::CallJScript(const CString& function, const CString& arg1, CComVariant* result) {
  CStringArray args;
  args.Add(arg1);
  return CallJScript(function, args, result);
}

int CUIWebBrowser::CallJScript(const CString& function, const CString& arg1, const CString& arg2,
                               CComVariant* result) {
  CStringArray args;
  args.Add(arg1);
  args.Add(arg2);
  return CallJScript(function, args, result);
}

int CUIWebBrowser::CallJScript(const CString& function, const CString& arg1, const CString& arg2,
                               const CString& arg3, CComVariant* result) {
  CStringArray args;
  args.Add(arg1);
  args.Add(arg2);
  args.Add(arg3);
  return CallJScript(function, args, result);
}

void CUIWebBrowser::SetLoadErrorCallBack(fastdelegate::FastDelegate1<const CString&> callback) {
  m_pWebBrowser->SetLoadErrorCallBack(callback);
}

}  // namespace UI
