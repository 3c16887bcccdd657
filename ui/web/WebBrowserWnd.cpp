#include "ui/web/WebBrowserWnd.h"

#include "mfc/AfxOle.h"
#include "ui/UIForm.h"
#include "ui/controls/UIWebBrowser.h"
#include "ui/web/ImpIDispatch.h"
#include "ui/web/XOccManager.h"
#include "win32/ExDisp.h"
#include "win32/Files.h"
#include "win32/KeyState.h"

namespace UI {

BEGIN_MESSAGE_MAP(CWebBrowserWnd, CWnd)
  ON_WM_SHOWWINDOW()
  ON_MESSAGE(WM_ERASEBKGND, &CWebBrowserWnd::OnEraseBkgnd)
  ON_WM_PAINT()
END_MESSAGE_MAP()

BEGIN_EVENTSINK_MAP(CWebBrowserWnd, CWnd)
  ON_EVENT(CWebBrowserWnd, 3000, DISPID_BEFORENAVIGATE2, OnBeforeNavigate2Ie,
           VTS_DISPATCH VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PBOOL)
  ON_EVENT(CWebBrowserWnd, 3000, DISPID_DOWNLOADBEGIN, OnDownloadBeginIe, VTS_NONE)
  ON_EVENT(CWebBrowserWnd, 3000, DISPID_DOWNLOADCOMPLETE, OnDownloadCompleteIe, VTS_NONE)
  ON_EVENT(CWebBrowserWnd, 3000, DISPID_DOCUMENTCOMPLETE, OnDocumentCompleteIe, VTS_DISPATCH VTS_PVARIANT)
  ON_EVENT(CWebBrowserWnd, 3000, DISPID_NAVIGATEERROR, OnNavigateError,
           VTS_DISPATCH VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PBOOL)
END_EVENTSINK_MAP()

namespace {

CString TextOf(const VARIANT* v) {
  if (v && v->vt == (VT_VARIANT | VT_BYREF)) v = v->pvarVal;
  return v && v->vt == VT_BSTR && v->bstrVal ? CString(v->bstrVal) : CString();
}

}  // namespace

CWebBrowserWnd::~CWebBrowserWnd() {
  delete m_pDispatch;
  delete m_pOccManager;
}

BOOL CWebBrowserWnd::Create(LPCTSTR, LPCTSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                            void*) {
  return Create(windowName, style, rect, parent, id, nullptr, FALSE, nullptr);
}

BOOL CWebBrowserWnd::Create(LPCTSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id, void* persist,
                            BOOL storage, BSTR licenseKey) {
  InitControlContainer();
  if (!CreateControl(CLSID_WebBrowser, windowName, style, rect, parent, id, persist, storage, licenseKey)) return 0;
  // This object takes the control's window over: its own messages first, the control's after.
  HWND control = Detach();
  if (!SubclassWindow(control)) return 0;
  SetSilent(TRUE);
  return 1;
}

int CWebBrowserWnd::InitControlContainer() {
  if (!m_pDispatch) m_pDispatch = new CImpIDispatch();
  if (!m_pOccManager) m_pOccManager = new CXOccManager();
  AfxEnableControlContainer(m_pOccManager);
  return 1;
}

void CWebBrowserWnd::Release() {
  AfxEnableControlContainer(nullptr);
  if (m_hWnd) DestroyWindow();
  DeleteControlSite();  // the control ends with its site
  delete m_pDispatch;
  m_pDispatch = nullptr;
  delete m_pOccManager;
  m_pOccManager = nullptr;
}

void CWebBrowserWnd::Navigate(const CString& url, int isTempFile) {
  m_strCurrentURL = url;
  m_bTempFile = isTempFile;
  GoURL(url);
}

void CWebBrowserWnd::GoURL(const CString& url) {
  VARIANT address, flags, none;
  VariantInit(&address);
  VariantInit(&flags);
  VariantInit(&none);
  address.vt = VT_BSTR;
  address.bstrVal = SysAllocString(url.GetString());
  flags.vt = VT_I4;
  flags.lVal = navNoHistory | navNoReadFromCache | navNoWriteToCache;
  Navigate2(&address, &flags, &none, &none, &none);
  VariantClear(&address);
}

void CWebBrowserWnd::SetVisible(int show, int force) {
  if (show == m_bShown && !force) return;
  SetWebVisible(show);
  m_bShown = show;
  if (m_hWnd) ShowWindow(show ? SW_SHOW : SW_HIDE);
}

int CWebBrowserWnd::IsVisible() { return m_hWnd && IsWindowVisible() ? 1 : 0; }

void CWebBrowserWnd::MoveSkinCtrlWnd(const CRect& rect) {
  if (m_hWnd) MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
}

HRESULT CWebBrowserWnd::OnTranslateUrl(DWORD translate, wchar_t* url, wchar_t** out) {
  if (m_pUrlTranslator) return m_pUrlTranslator->TranslateUrl(translate, url, out);
  if (out) *out = nullptr;
  return S_FALSE;
}

BOOL CWebBrowserWnd::PreTranslateMessage(MSG* msg) {
  if (msg->message != WM_KEYDOWN) return CWnd::PreTranslateMessage(msg);
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  switch (msg->wParam) {
    case 0x41:
      if (!ctrl) break;
      DoEditSelectAll();
      return 1;
    case 0x43:
      if (!ctrl) break;
      DoEditCopy();
      return 1;
    case 0x56:
      if (!ctrl) break;
      DoEditPaste();
      return 1;
    case 0x58:
      if (!ctrl) break;
      DoEditCut();
      return 1;
    case 0x5A:
      if (!ctrl) break;
      DoEditUndo();
      return 1;
    case VK_DELETE:
      ExecWB(OLECMDID_DELETE, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr);
      return 1;
    case VK_ESCAPE:
      if (m_pOwner && m_pOwner->GetOwnerForm())
        ::PostMessageW(m_pOwner->GetOwnerForm()->GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
      return 1;
    default: break;
  }
  return CWnd::PreTranslateMessage(msg);
}

void CWebBrowserWnd::OnPaint() {
  PAINTSTRUCT ps;
  ::BeginPaint(m_hWnd, &ps);
  ::EndPaint(m_hWnd, &ps);
}

void CWebBrowserWnd::OnShowWindow(BOOL show, UINT status) {
  CWnd::OnShowWindow(show, status);
  if (!m_bHtmlOnShow) return;
  if (show) {
    CString html = MakeHtmlString();
    CString path = SaveTempHtmlFile(html);
    m_strCurrentURL = path;
    if (!path.IsEmpty()) {
      m_bTempFile = 1;
      GoURL(path);
    }
  } else {
    m_bShown = 0;
  }
}

void CWebBrowserWnd::OnBeforeNavigate2Ie(IDispatch* disp, VARIANT* url, VARIANT* flags, VARIANT* targetFrame,
                                         VARIANT* postData, VARIANT* headers, VARIANT_BOOL* cancel) {
  m_strBeforeNavigate2URL = TextOf(url);
  BeforeNavigate2Ie(disp, url, flags, targetFrame, postData, headers, cancel);
}

void CWebBrowserWnd::OnDownloadBeginIe() { DownloadBeginIe(); }

void CWebBrowserWnd::OnDownloadCompleteIe() {
  if (m_hWnd && IsWindowVisible()) {
    SetVisible(1, 0);
    ShowWindow(SW_SHOW);
    UpdateWindow();
  }
  DownloadCompleteIe();
}

void CWebBrowserWnd::OnDocumentCompleteIe(IDispatch* disp, VARIANT* url) {
  m_bShown = 1;
  if (!m_strCurrentURL.IsEmpty() && m_bTempFile) {
    // The temporary page has loaded: its file is no longer needed.
    if (::GetFileAttributesW(m_strCurrentURL.GetString()) != INVALID_FILE_ATTRIBUTES)
      ::DeleteFileW(m_strCurrentURL.GetString());
    m_strCurrentURL.Empty();
  }
  DocumentCompleteIe(disp, url);
}

void CWebBrowserWnd::OnNavigateError(IDispatch*, VARIANT*, VARIANT*, VARIANT*, VARIANT_BOOL*) { NavigateError(); }

void CWebBrowserWnd::NavigateError() {
  if (m_loadErrorCallBack) m_loadErrorCallBack(m_strCurrentURL);
}

// --- the automation members ---

void CWebBrowserWnd::GoBack() { InvokeHelper(DISPID_WB_GOBACK, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); }
void CWebBrowserWnd::GoForward() { InvokeHelper(DISPID_WB_GOFORWARD, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); }
void CWebBrowserWnd::GoHome() { InvokeHelper(DISPID_WB_GOHOME, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); }
void CWebBrowserWnd::GoSearch() { InvokeHelper(DISPID_WB_GOSEARCH, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); }
void CWebBrowserWnd::Navigate(LPCTSTR url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                              VARIANT* headers) {
  static const BYTE params[] = VTS_BSTR VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT;
  InvokeHelper(DISPID_WB_NAVIGATE, DISPATCH_METHOD, VT_EMPTY, nullptr, params, url, flags, targetFrame, postData,
               headers);
}
void CWebBrowserWnd::Refresh() { InvokeHelper(DISPID_WB_REFRESH, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); }
void CWebBrowserWnd::Refresh2(VARIANT* level) {
  static const BYTE params[] = VTS_PVARIANT;
  InvokeHelper(DISPID_WB_REFRESH2, DISPATCH_METHOD, VT_EMPTY, nullptr, params, level);
}
void CWebBrowserWnd::Stop() { InvokeHelper(DISPID_WB_STOP, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); }
void CWebBrowserWnd::Quit() { InvokeHelper(DISPID_WB_QUIT, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr); }
void CWebBrowserWnd::ClientToWindow(long* cx, long* cy) {
  VARIANT x, y;
  VariantInit(&x);
  VariantInit(&y);
  x.vt = y.vt = VT_I4;
  x.lVal = cx ? static_cast<LONG>(*cx) : 0;
  y.lVal = cy ? static_cast<LONG>(*cy) : 0;
  static const BYTE params[] = VTS_PVARIANT VTS_PVARIANT;
  InvokeHelper(DISPID_WB_CLIENTTOWINDOW, DISPATCH_METHOD, VT_EMPTY, nullptr, params, &x, &y);
}
void CWebBrowserWnd::PutProperty(LPCTSTR property, const VARIANT& value) {
  static const BYTE params[] = VTS_BSTR VTS_VARIANT;
  InvokeHelper(DISPID_WB_PUTPROPERTY, DISPATCH_METHOD, VT_EMPTY, nullptr, params, property, &value);
}
VARIANT CWebBrowserWnd::GetProperty_(LPCTSTR property) {
  VARIANT result;
  VariantInit(&result);
  static const BYTE params[] = VTS_BSTR;
  InvokeHelper(DISPID_WB_GETPROPERTY, DISPATCH_METHOD, VT_VARIANT, &result, params, property);
  return result;
}
void CWebBrowserWnd::Navigate2(VARIANT* url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                               VARIANT* headers) {
  static const BYTE params[] = VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT;
  InvokeHelper(DISPID_WB_NAVIGATE2, DISPATCH_METHOD, VT_EMPTY, nullptr, params, url, flags, targetFrame, postData,
               headers);
}
long CWebBrowserWnd::QueryStatusWB(long command) {
  LONG result = 0;
  static const BYTE params[] = VTS_I4;
  InvokeHelper(DISPID_WB_QUERYSTATUSWB, DISPATCH_METHOD, VT_I4, &result, params, static_cast<LONG>(command));
  return result;
}
void CWebBrowserWnd::ExecWB(long command, long option, VARIANT* in, VARIANT* out) {
  VARIANT none;
  VariantInit(&none);
  static const BYTE params[] = VTS_I4 VTS_I4 VTS_PVARIANT VTS_PVARIANT;
  InvokeHelper(DISPID_WB_EXECWB, DISPATCH_METHOD, VT_EMPTY, nullptr, params, static_cast<LONG>(command),
               static_cast<LONG>(option), in ? in : &none, out ? out : &none);
}
void CWebBrowserWnd::ShowBrowserBar(VARIANT* clsid, VARIANT* show, VARIANT* size) {
  static const BYTE params[] = VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT;
  InvokeHelper(DISPID_WB_SHOWBROWSERBAR, DISPATCH_METHOD, VT_EMPTY, nullptr, params, clsid, show, size);
}

IDispatch* CWebBrowserWnd::GetDispatchProperty(DISPID id) {
  IDispatch* result = nullptr;
  InvokeHelper(id, DISPATCH_PROPERTYGET, VT_DISPATCH, &result, nullptr);
  return result;
}
BOOL CWebBrowserWnd::GetBoolProperty(DISPID id) {
  BOOL result = FALSE;
  InvokeHelper(id, DISPATCH_PROPERTYGET, VT_BOOL, &result, nullptr);
  return result;
}
void CWebBrowserWnd::SetBoolProperty(DISPID id, BOOL value) {
  static const BYTE params[] = VTS_BOOL;
  InvokeHelper(id, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, params, value);
}
long CWebBrowserWnd::GetLongProperty(DISPID id) {
  LONG result = 0;
  InvokeHelper(id, DISPATCH_PROPERTYGET, VT_I4, &result, nullptr);
  return result;
}
void CWebBrowserWnd::SetLongProperty(DISPID id, long value) {
  static const BYTE params[] = VTS_I4;
  InvokeHelper(id, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, params, static_cast<LONG>(value));
}
CString CWebBrowserWnd::GetTextProperty(DISPID id) {
  CString result;
  InvokeHelper(id, DISPATCH_PROPERTYGET, VT_BSTR, &result, nullptr);
  return result;
}

IDispatch* CWebBrowserWnd::GetApplication() { return GetDispatchProperty(DISPID_WB_APPLICATION); }
IDispatch* CWebBrowserWnd::GetParent() { return GetDispatchProperty(DISPID_WB_PARENT); }
IDispatch* CWebBrowserWnd::GetContainer() { return GetDispatchProperty(DISPID_WB_CONTAINER); }
IDispatch* CWebBrowserWnd::GetDocument() { return GetDispatchProperty(DISPID_WB_DOCUMENT); }
IDispatch* CWebBrowserWnd::GetTopLevelContainer() { return GetDispatchProperty(DISPID_WB_TOPLEVELCONTAINER); }
CString CWebBrowserWnd::GetType() { return GetTextProperty(DISPID_WB_TYPE); }
CString CWebBrowserWnd::GetLocationName() { return GetTextProperty(DISPID_WB_LOCATIONNAME); }
CString CWebBrowserWnd::GetLocationURL() { return GetTextProperty(DISPID_WB_LOCATIONURL); }
BOOL CWebBrowserWnd::GetBusy() { return GetBoolProperty(DISPID_WB_BUSY); }
CString CWebBrowserWnd::GetName() { return GetTextProperty(DISPID_WB_NAME); }
long CWebBrowserWnd::GetHwnd() { return GetLongProperty(DISPID_WB_HWND); }
CString CWebBrowserWnd::GetFullName() { return GetTextProperty(DISPID_WB_FULLNAME); }
CString CWebBrowserWnd::GetPath() { return GetTextProperty(DISPID_WB_PATH); }
long CWebBrowserWnd::GetReadyState() { return GetLongProperty(DISPID_WB_READYSTATE); }
long CWebBrowserWnd::GetLeft() { return GetLongProperty(DISPID_WB_LEFT); }
void CWebBrowserWnd::SetLeft(long value) { SetLongProperty(DISPID_WB_LEFT, value); }
long CWebBrowserWnd::GetTop() { return GetLongProperty(DISPID_WB_TOP); }
void CWebBrowserWnd::SetTop(long value) { SetLongProperty(DISPID_WB_TOP, value); }
long CWebBrowserWnd::GetWidth() { return GetLongProperty(DISPID_WB_WIDTH); }
void CWebBrowserWnd::SetWidth(long value) { SetLongProperty(DISPID_WB_WIDTH, value); }
long CWebBrowserWnd::GetHeight() { return GetLongProperty(DISPID_WB_HEIGHT); }
void CWebBrowserWnd::SetHeight(long value) { SetLongProperty(DISPID_WB_HEIGHT, value); }
BOOL CWebBrowserWnd::GetWebVisible() { return GetBoolProperty(DISPID_WB_VISIBLE); }
void CWebBrowserWnd::SetWebVisible(BOOL value) { SetBoolProperty(DISPID_WB_VISIBLE, value); }
BOOL CWebBrowserWnd::GetStatusBar() { return GetBoolProperty(DISPID_WB_STATUSBAR); }
void CWebBrowserWnd::SetStatusBar(BOOL value) { SetBoolProperty(DISPID_WB_STATUSBAR, value); }
CString CWebBrowserWnd::GetStatusText() { return GetTextProperty(DISPID_WB_STATUSTEXT); }
void CWebBrowserWnd::SetStatusText(LPCTSTR value) {
  static const BYTE params[] = VTS_BSTR;
  InvokeHelper(DISPID_WB_STATUSTEXT, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, params, value);
}
long CWebBrowserWnd::GetToolBar() { return GetLongProperty(DISPID_WB_TOOLBAR); }
void CWebBrowserWnd::SetToolBar(long value) { SetLongProperty(DISPID_WB_TOOLBAR, value); }
BOOL CWebBrowserWnd::GetMenuBar() { return GetBoolProperty(DISPID_WB_MENUBAR); }
void CWebBrowserWnd::SetMenuBar(BOOL value) { SetBoolProperty(DISPID_WB_MENUBAR, value); }
BOOL CWebBrowserWnd::GetFullScreen() { return GetBoolProperty(DISPID_WB_FULLSCREEN); }
void CWebBrowserWnd::SetFullScreen(BOOL value) { SetBoolProperty(DISPID_WB_FULLSCREEN, value); }
BOOL CWebBrowserWnd::GetOffline() { return GetBoolProperty(DISPID_WB_OFFLINE); }
void CWebBrowserWnd::SetOffline(BOOL value) { SetBoolProperty(DISPID_WB_OFFLINE, value); }
BOOL CWebBrowserWnd::GetSilent() { return GetBoolProperty(DISPID_WB_SILENT); }
void CWebBrowserWnd::SetSilent(BOOL value) { SetBoolProperty(DISPID_WB_SILENT, value); }
BOOL CWebBrowserWnd::GetRegisterAsBrowser() { return GetBoolProperty(DISPID_WB_REGISTERASBROWSER); }
void CWebBrowserWnd::SetRegisterAsBrowser(BOOL value) { SetBoolProperty(DISPID_WB_REGISTERASBROWSER, value); }
BOOL CWebBrowserWnd::GetRegisterAsDropTarget() { return GetBoolProperty(DISPID_WB_REGISTERASDROPTARGET); }
void CWebBrowserWnd::SetRegisterAsDropTarget(BOOL value) { SetBoolProperty(DISPID_WB_REGISTERASDROPTARGET, value); }
BOOL CWebBrowserWnd::GetTheaterMode() { return GetBoolProperty(DISPID_WB_THEATERMODE); }
void CWebBrowserWnd::SetTheaterMode(BOOL value) { SetBoolProperty(DISPID_WB_THEATERMODE, value); }
BOOL CWebBrowserWnd::GetAddressBar() { return GetBoolProperty(DISPID_WB_ADDRESSBAR); }
void CWebBrowserWnd::SetAddressBar(BOOL value) { SetBoolProperty(DISPID_WB_ADDRESSBAR, value); }
BOOL CWebBrowserWnd::GetResizable() { return GetBoolProperty(DISPID_WB_RESIZABLE); }
void CWebBrowserWnd::SetResizable(BOOL value) { SetBoolProperty(DISPID_WB_RESIZABLE, value); }

}  // namespace UI
