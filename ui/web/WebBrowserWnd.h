#pragma once
// The window that hosts the system's web browser control (id 3000 under its parent):
// creates and drives the control, receives its navigation events, offers the page a
// window.external object, and answers the control's questions about the host's look.
#include "fastdelegate/FastDelegate.h"
#include "mfc/Afx.h"
#include "mfc/CWnd.h"
#include "mfc/EventSink.h"
#include "win32/MsHtml.h"

namespace UI {

class CImpIDispatch;
class CXOccManager;
class CUIWebBrowser;

// Translates an address the page is about to load; its first virtual operation.
class IUrlTranslator {
 public:
  virtual HRESULT TranslateUrl(DWORD translate, wchar_t* url, wchar_t** out) = 0;
  virtual ~IUrlTranslator() = default;
};

class CWebBrowserWnd : public CWnd {
 public:
  static constexpr DWORD kContextMenuFlag = 0x2;
  static constexpr DWORD kFlatBorderFlag = 0x4;
  static constexpr DWORD kFlatScrollBarFlag = 0x80;

  explicit CWebBrowserWnd(CUIWebBrowser* owner = nullptr) : m_pOwner(owner) {}
  ~CWebBrowserWnd() override;

  virtual void Release();
  virtual void SetVisible(int show, int force);
  virtual HRESULT OnTranslateUrl(DWORD translate, wchar_t* url, wchar_t** out);
  virtual void BeforeNavigate2Ie(IDispatch*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT_BOOL*) {}
  virtual void DownloadBeginIe() {}
  virtual void DownloadCompleteIe() {}
  virtual void NavigateError();
  virtual void DocumentCompleteIe(IDispatch*, VARIANT*) {}
  virtual CString MakeHtmlString() { return L""; }
  virtual CString SaveTempHtmlFile(const CString&) { return L""; }

  BOOL Create(LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
              void* context = nullptr) override;
  BOOL Create(LPCTSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id, void* persist,
              BOOL storage, BSTR licenseKey);
  BOOL PreTranslateMessage(MSG* msg) override;

  int InitControlContainer();
  void Navigate(const CString& url, int isTempFile);
  int IsVisible();
  void MoveSkinCtrlWnd(const CRect& rect);
  void SetLoadErrorCallBack(fastdelegate::FastDelegate1<const CString&> callback) { m_loadErrorCallBack = callback; }
  void SetUrlTranslator(IUrlTranslator* translator) { m_pUrlTranslator = translator; }
  CImpIDispatch* GetExternalDispatch() const { return m_pDispatch; }
  CUIWebBrowser* GetOwner() const { return m_pOwner; }
  const CString& GetCurrentURL() const { return m_strCurrentURL; }
  void SetCurrentURL(const CString& url, int isTempFile) {
    m_strCurrentURL = url;
    m_bTempFile = isTempFile;
  }
  const CString& GetBeforeNavigate2URL() const { return m_strBeforeNavigate2URL; }
  void SetHtmlOnShow(int on) { m_bHtmlOnShow = on; }

  void DoEditCut() { ExecWB(OLECMDID_CUT, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr); }
  void DoEditCopy() { ExecWB(OLECMDID_COPY, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr); }
  void DoEditPaste() { ExecWB(OLECMDID_PASTE, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr); }
  void DoEditUndo() { ExecWB(OLECMDID_UNDO, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr); }
  void DoEditSelectAll() { ExecWB(OLECMDID_SELECTALL, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr); }
  void DoEditDelete() { ExecWB(OLECMDID_DELETE, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr); }

  void EnableContextMenu(int on) { SetFlag(kContextMenuFlag, on); }
  void EnableFlatBorder(int on) { SetFlag(kFlatBorderFlag, on); }
  void EnableFlatScrollBar(int on) { SetFlag(kFlatScrollBarFlag, on); }
  DWORD IsEnableContextMenu() const { return m_dwDocHostUIFlags & kContextMenuFlag; }
  DWORD IsEnableFlatBorder() const { return m_dwDocHostUIFlags & kFlatBorderFlag; }
  DWORD IsEnableFlatScrollBar() const { return m_dwDocHostUIFlags & kFlatScrollBarFlag; }
  DWORD GetDocHostUIFlags() const { return m_dwDocHostUIFlags; }
  void SetDocHostUIFlags(DWORD flags) { m_dwDocHostUIFlags = flags; }
  DWORD GetDocDblClickFlag() const { return m_dwDocDblClickFlag; }
  void SetDocDblClickFlag(DWORD flag) { m_dwDocDblClickFlag = flag; }

  // The browser's automation members, called through IDispatch.
  void GoBack();
  void GoForward();
  void GoHome();
  void GoSearch();
  void Navigate(LPCTSTR url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData, VARIANT* headers);
  void Refresh();
  void Refresh2(VARIANT* level);
  void Stop();
  void Quit();
  void ClientToWindow(long* cx, long* cy);
  void PutProperty(LPCTSTR property, const VARIANT& value);
  VARIANT GetProperty_(LPCTSTR property);
  void Navigate2(VARIANT* url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData, VARIANT* headers);
  long QueryStatusWB(long command);
  void ExecWB(long command, long option, VARIANT* in, VARIANT* out);
  void ShowBrowserBar(VARIANT* clsid, VARIANT* show, VARIANT* size);
  IDispatch* GetApplication();
  IDispatch* GetParent();
  IDispatch* GetContainer();
  IDispatch* GetDocument();
  IDispatch* GetTopLevelContainer();
  CString GetType();
  CString GetLocationName();
  CString GetLocationURL();
  BOOL GetBusy();
  CString GetName();
  long GetHwnd();
  CString GetFullName();
  CString GetPath();
  long GetReadyState();
  long GetLeft();
  void SetLeft(long value);
  long GetTop();
  void SetTop(long value);
  long GetWidth();
  void SetWidth(long value);
  long GetHeight();
  void SetHeight(long value);
  BOOL GetWebVisible();
  void SetWebVisible(BOOL value);
  BOOL GetStatusBar();
  void SetStatusBar(BOOL value);
  CString GetStatusText();
  void SetStatusText(LPCTSTR value);
  long GetToolBar();
  void SetToolBar(long value);
  BOOL GetMenuBar();
  void SetMenuBar(BOOL value);
  BOOL GetFullScreen();
  void SetFullScreen(BOOL value);
  BOOL GetOffline();
  void SetOffline(BOOL value);
  BOOL GetSilent();
  void SetSilent(BOOL value);
  BOOL GetRegisterAsBrowser();
  void SetRegisterAsBrowser(BOOL value);
  BOOL GetRegisterAsDropTarget();
  void SetRegisterAsDropTarget(BOOL value);
  BOOL GetTheaterMode();
  void SetTheaterMode(BOOL value);
  BOOL GetAddressBar();
  void SetAddressBar(BOOL value);
  BOOL GetResizable();
  void SetResizable(BOOL value);

 protected:
  void GoURL(const CString& url);
  afx_msg void OnShowWindow(BOOL show, UINT status);
  afx_msg LRESULT OnEraseBkgnd(WPARAM, LPARAM) { return TRUE; }
  afx_msg void OnPaint();

  void OnBeforeNavigate2Ie(IDispatch* disp, VARIANT* url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                           VARIANT* headers, VARIANT_BOOL* cancel);
  void OnDownloadBeginIe();
  void OnDownloadCompleteIe();
  void OnDocumentCompleteIe(IDispatch* disp, VARIANT* url);
  void OnNavigateError(IDispatch* disp, VARIANT* url, VARIANT* frame, VARIANT* status, VARIANT_BOOL* cancel);

  DECLARE_MESSAGE_MAP()
  DECLARE_EVENTSINK_MAP()

 private:
  void SetFlag(DWORD bit, int on) { m_dwDocHostUIFlags = on ? (m_dwDocHostUIFlags | bit) : (m_dwDocHostUIFlags & ~bit); }
  BOOL GetBoolProperty(DISPID id);
  void SetBoolProperty(DISPID id, BOOL value);
  long GetLongProperty(DISPID id);
  void SetLongProperty(DISPID id, long value);
  CString GetTextProperty(DISPID id);
  IDispatch* GetDispatchProperty(DISPID id);

  CXOccManager* m_pOccManager = nullptr;
  CImpIDispatch* m_pDispatch = nullptr;
  CUIWebBrowser* m_pOwner;
  DWORD m_dwDocHostUIFlags = 0x400A6;
  DWORD m_dwDocDblClickFlag = 0;
  IUrlTranslator* m_pUrlTranslator = nullptr;
  int m_bShown = 0;
  CString m_strCurrentURL;
  int m_bTempFile = 0;
  int m_bHtmlOnShow = 0;
  CString m_strBeforeNavigate2URL;
  fastdelegate::FastDelegate1<const CString&> m_loadErrorCallBack;
};

}  // namespace UI
