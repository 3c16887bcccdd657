#pragma once
// Hosting ActiveX controls in windows: the site is the control's view of its host. It
// creates the control, gives the control itself as its site (the control asks it for
// host interfaces through QueryInterface, which looks in GetInterface), places the
// control's window, and advises an event sink that passes the control's events to the
// window object that wraps the control (CWnd::OnControlEvent).
//
// The occ manager makes the sites; a program installs its own with
// AfxEnableControlContainer to give controls sites of its own class.
#include <initializer_list>

#include "mfc/CCmdTarget.h"
#include "win32/ConnectionPoint.h"
#include "win32/OleControl.h"

class CWnd;
class COleControlContainer;

class COleControlSite : public CCmdTarget {
 public:
  explicit COleControlSite(COleControlContainer* container);
  ~COleControlSite() override;

  // Makes the control of `clsid` with its window (a child of the container's window) and
  // binds `wndCtrl` to that window. A failure leaves nothing behind.
  virtual HRESULT CreateControl(CWnd* wndCtrl, REFCLSID clsid, LPCTSTR windowName, DWORD style, const RECT& rect,
                                UINT id);
  // Ends the control (its window goes) and lets it go.
  void Close();

  // The site's interfaces as the control sees them: IUnknown, and what GetInterface finds.
  HRESULT ExternalQueryInterface(REFIID iid, void** out);
  ULONG ExternalAddRef();
  ULONG ExternalRelease();

  // Calls a member of the control's IDispatch with arguments in order; a property put
  // passes its one argument as the value.
  HRESULT Invoke(DISPID dispid, WORD flags, VARIANT* result, std::initializer_list<VARIANT> args);

  IUnknown* m_pObject = nullptr;     // the control, one reference
  IDispatch* m_pDispatch = nullptr;  // its automation interface, one reference
  COleControlContainer* m_pCtrlCont;
  CWnd* m_pWndCtrl = nullptr;
  HWND m_hWnd = nullptr;
  UINT m_nID = 0;

 protected:
  // The site's interface map: the interface of `iid` it offers, or null.
  virtual void* GetInterface(REFIID iid);

 private:
  struct XUnknown final : IUnknown {
    COleControlSite* site;
    HRESULT QueryInterface(REFIID iid, void** out) override { return site->ExternalQueryInterface(iid, out); }
    ULONG AddRef() override { return site->ExternalAddRef(); }
    ULONG Release() override { return site->ExternalRelease(); }
  };
  struct XEventSink final : IDispatch {
    COleControlSite* site;
    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override { return site->ExternalAddRef(); }
    ULONG Release() override { return site->ExternalRelease(); }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;
  };
  XUnknown m_xUnknown;
  XEventSink m_xEventSink;
  IConnectionPoint* m_pEvents = nullptr;
  DWORD m_dwEventCookie = 0;
  ULONG m_refs = 0;  // the site belongs to its window; the count is kept for the control's sake
};

class COleControlContainer {
 public:
  explicit COleControlContainer(CWnd* wnd) : m_pWnd(wnd) {}
  CWnd* m_pWnd;
};

class COccManager {
 public:
  virtual ~COccManager() = default;
  virtual COleControlSite* CreateSite(COleControlContainer* container);
};
