#include "ui/web/XOccManager.h"

#include <new>

#include "ui/web/ImpIDispatch.h"
#include "ui/web/WebBrowserWnd.h"

namespace UI {

CXHTMLOleControlSite::CXHTMLOleControlSite(COleControlContainer* container)
    : COleControlSite(container), m_xDocHostUIHandler(this) {}

void* CXHTMLOleControlSite::GetInterface(REFIID iid) {
  if (iid == IID_IDocHostUIHandler) return static_cast<IDocHostUIHandler*>(&m_xDocHostUIHandler);
  return COleControlSite::GetInterface(iid);
}

CWebBrowserWnd* CXHTMLOleControlSite::Browser() const { return dynamic_cast<CWebBrowserWnd*>(m_pWndCtrl); }

HRESULT CXHTMLOleControlSite::XDocHostUIHandler::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
  CWebBrowserWnd* browser = m_site->Browser();
  return browser && browser->IsEnableContextMenu() ? S_FALSE : S_OK;
}

HRESULT CXHTMLOleControlSite::XDocHostUIHandler::GetHostInfo(DOCHOSTUIINFO* info) {
  if (!info) return E_POINTER;
  if (CWebBrowserWnd* browser = m_site->Browser()) {
    info->dwFlags = browser->GetDocHostUIFlags();
    info->dwDoubleClick = browser->GetDocDblClickFlag();
  }
  return S_OK;
}

HRESULT CXHTMLOleControlSite::XDocHostUIHandler::GetExternal(IDispatch** external) {
  if (!external) return E_POINTER;
  CWebBrowserWnd* browser = m_site->Browser();
  *external = browser ? browser->GetExternalDispatch() : nullptr;
  if (!*external) return E_NOTIMPL;
  (*external)->AddRef();
  return S_OK;
}

HRESULT CXHTMLOleControlSite::XDocHostUIHandler::TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* out) {
  CWebBrowserWnd* browser = m_site->Browser();
  if (!browser) {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  return browser->OnTranslateUrl(translate, url, out);
}

COleControlSite* CXOccManager::CreateSite(COleControlContainer* container) {
  m_pLastSite = new (std::nothrow) CXHTMLOleControlSite(container);
  return m_pLastSite;
}

}  // namespace UI
