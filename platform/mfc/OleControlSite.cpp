#include "mfc/OleControlSite.h"

#include <vector>

#include "mfc/CWnd.h"

COleControlSite::COleControlSite(COleControlContainer* container) : m_pCtrlCont(container) {
  m_xUnknown.site = this;
  m_xEventSink.site = this;
}

COleControlSite::~COleControlSite() { Close(); }

void* COleControlSite::GetInterface(REFIID iid) {
  if (iid == IID_IUnknown) return &m_xUnknown;
  return nullptr;
}

HRESULT COleControlSite::ExternalQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = GetInterface(iid);
  if (!*out) return E_NOINTERFACE;
  ExternalAddRef();
  return S_OK;
}

ULONG COleControlSite::ExternalAddRef() { return ++m_refs; }

ULONG COleControlSite::ExternalRelease() { return m_refs ? --m_refs : 0; }

HRESULT COleControlSite::XEventSink::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *out = this;
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT COleControlSite::XEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                            EXCEPINFO*, UINT*) {
  if (site->m_pWndCtrl) site->m_pWndCtrl->OnControlEvent(site->m_nID, id, params);
  return S_OK;
}

HRESULT COleControlSite::CreateControl(CWnd* wndCtrl, REFCLSID clsid, LPCTSTR, DWORD style, const RECT& rect,
                                       UINT id) {
  if (m_pObject || !wndCtrl || !m_pCtrlCont || !m_pCtrlCont->m_pWnd) return E_UNEXPECTED;
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&m_pObject));
  if (FAILED(hr)) return hr;
  IOleInPlaceControl* control = nullptr;
  hr = m_pObject->QueryInterface(IID_IOleInPlaceControl, reinterpret_cast<void**>(&control));
  if (SUCCEEDED(hr)) {
    m_nID = id;
    m_pWndCtrl = wndCtrl;
    control->SetSite(&m_xUnknown);
    hr = control->Activate(m_pCtrlCont->m_pWnd->GetSafeHwnd(), rect, id, style, &m_hWnd);
    control->Release();
  }
  if (SUCCEEDED(hr)) hr = m_pObject->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_pDispatch));
  if (FAILED(hr)) {
    Close();
    return hr;
  }
  IConnectionPointContainer* points = nullptr;
  if (SUCCEEDED(m_pObject->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points)))) {
    // Events are the control's default outgoing interface: the first point offered.
    if (SUCCEEDED(points->FindConnectionPoint(IID_NULL, &m_pEvents)) &&
        FAILED(m_pEvents->Advise(&m_xEventSink, &m_dwEventCookie))) {
      m_pEvents->Release();
      m_pEvents = nullptr;
    }
    points->Release();
  }
  return S_OK;
}

void COleControlSite::Close() {
  if (m_pEvents) {
    m_pEvents->Unadvise(m_dwEventCookie);
    m_pEvents->Release();
    m_pEvents = nullptr;
  }
  if (m_pDispatch) {
    m_pDispatch->Release();
    m_pDispatch = nullptr;
  }
  if (m_pObject) {
    IOleInPlaceControl* control = nullptr;
    if (SUCCEEDED(m_pObject->QueryInterface(IID_IOleInPlaceControl, reinterpret_cast<void**>(&control)))) {
      control->Close();
      control->SetSite(nullptr);
      control->Release();
    }
    m_pObject->Release();
    m_pObject = nullptr;
  }
  m_hWnd = nullptr;
  m_pWndCtrl = nullptr;
}

HRESULT COleControlSite::Invoke(DISPID dispid, WORD flags, VARIANT* result, std::initializer_list<VARIANT> args) {
  if (!m_pDispatch) return E_UNEXPECTED;
  std::vector<VARIANT> reversed(args.size());
  size_t i = args.size();
  for (const VARIANT& a : args) reversed[--i] = a;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &named;
    params.cNamedArgs = 1;
  }
  if (result) VariantInit(result);
  return m_pDispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
}

COleControlSite* COccManager::CreateSite(COleControlContainer* container) { return new COleControlSite(container); }
