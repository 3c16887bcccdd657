#pragma once
// A web page inside a form: the control owns a browser window (CWebBrowserWnd), a child
// of its form kept over the control's bounds, and offers navigation, calls into the
// page's script, window.external handlers and a load-error callback. It draws nothing.
#include "mfc/CComVariant.h"
#include "mfc/CStringArray.h"
#include "ui/UIControl.h"
#include "ui/web/ImpIDispatch.h"
#include "ui/web/WebPage.h"

namespace UI {

class CWebBrowserWnd;

class CUIWebBrowser : public CUIControl {
 public:
  static constexpr UINT kBrowserWindowId = 3000;

  CUIWebBrowser();
  ~CUIWebBrowser() override;

  BOOL IsVisible() override;
  void ArrangeAllSubControls() override;
  void RenderSelf(DXCore*, const CRect*) override {}
  void SetTempVisible(BOOL visible) override;
  void OnSetSkinData() override;
  BOOL OnBuildControlAfter() override;

  void GoURL(const CString& url, int isTempFile);
  CString GetPreviousURL() const { return m_strPreviousURL; }
  int RegisterInvoke(CString name, InvokeHandler handler);
  int CallJScript(const CString& function, CComVariant* result);
  int CallJScript(const CString& function, const CString& arg1, CComVariant* result);
  int CallJScript(const CString& function, const CString& arg1, const CString& arg2, CComVariant* result);
  int CallJScript(const CString& function, const CString& arg1, const CString& arg2, const CString& arg3,
                  CComVariant* result);
  int CallJScript(const CString& function, const CStringArray& arguments, CComVariant* result);
  int TryToGetDocument();
  void SetLoadErrorCallBack(fastdelegate::FastDelegate1<const CString&> callback);
  CWebBrowserWnd* GetBrowserWnd() const { return m_pWebBrowser; }

 private:
  int m_bCreated = 0;
  CWebBrowserWnd* m_pWebBrowser;
  CWebPage m_webPage;
  CString m_strPreviousURL;
};

}  // namespace UI
