#pragma once
// The control sites of the web browser window: each answers the browser's questions
// to its host (IDocHostUIHandler) from the CWebBrowserWnd it belongs to.
#include "mfc/OleControlSite.h"
#include "win32/MsHtml.h"

namespace UI {

class CXHTMLOleControlSite : public COleControlSite {
 public:
  explicit CXHTMLOleControlSite(COleControlContainer* container);

 protected:
  void* GetInterface(REFIID iid) override;

 private:
  class XDocHostUIHandler final : public IDocHostUIHandler {
   public:
    explicit XDocHostUIHandler(CXHTMLOleControlSite* site) : m_site(site) {}
    HRESULT QueryInterface(REFIID iid, void** out) override { return m_site->ExternalQueryInterface(iid, out); }
    ULONG AddRef() override { return m_site->ExternalAddRef(); }
    ULONG Release() override { return m_site->ExternalRelease(); }
    HRESULT ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* object) override;
    HRESULT GetHostInfo(DOCHOSTUIINFO* info) override;
    HRESULT ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                   IOleInPlaceUIWindow*) override {
      return S_OK;
    }
    HRESULT HideUI() override { return S_OK; }
    HRESULT UpdateUI() override { return S_OK; }
    HRESULT EnableModeless(BOOL) override { return E_NOTIMPL; }
    HRESULT OnDocWindowActivate(BOOL) override { return E_NOTIMPL; }
    HRESULT OnFrameWindowActivate(BOOL) override { return E_NOTIMPL; }
    HRESULT ResizeBorder(const RECT*, IOleInPlaceUIWindow*, BOOL) override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(MSG*, const GUID*, DWORD) override { return S_FALSE; }
    HRESULT GetOptionKeyPath(LPOLESTR*, DWORD) override { return E_NOTIMPL; }
    HRESULT GetDropTarget(IDropTarget*, IDropTarget**) override { return E_NOTIMPL; }
    HRESULT GetExternal(IDispatch** external) override;
    HRESULT TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* out) override;
    HRESULT FilterDataObject(IDataObject*, IDataObject**) override { return E_NOTIMPL; }

   private:
    CXHTMLOleControlSite* m_site;
  };
  class CWebBrowserWnd* Browser() const;
  XDocHostUIHandler m_xDocHostUIHandler;
};

class CXOccManager : public COccManager {
 public:
  COleControlSite* CreateSite(COleControlContainer* container) override;
  COleControlSite* m_pLastSite = nullptr;  // the site made last
};

}  // namespace UI
