// CWnd's side of hosting ActiveX controls.
#include <cstdarg>
#include <memory>
#include <vector>

#include "mfc/AfxOle.h"
#include "mfc/CWnd.h"
#include "mfc/OleControlSite.h"

BOOL CWnd::CreateControl(REFCLSID clsid, LPCTSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                         void*, BOOL, BSTR) {
  if (!parent || !parent->GetSafeHwnd() || m_hWnd || m_pCtrlSite) return FALSE;
  // The container of a window lives as long as the process's windows do; one per parent is enough.
  static thread_local std::vector<std::unique_ptr<COleControlContainer>> containers;
  COleControlContainer* container = nullptr;
  for (auto& c : containers)
    if (c->m_pWnd == parent) container = c.get();
  if (!container) container = containers.emplace_back(std::make_unique<COleControlContainer>(parent)).get();
  COleControlSite* site = AfxGetOccManager()->CreateSite(container);
  if (!site) return FALSE;
  if (FAILED(site->CreateControl(this, clsid, windowName, style, rect, id)) || !Attach(site->m_hWnd)) {
    delete site;
    return FALSE;
  }
  m_pCtrlSite = site;
  return TRUE;
}

void CWnd::DeleteControlSite() {
  delete m_pCtrlSite;
  m_pCtrlSite = nullptr;
}

IUnknown* CWnd::GetControlUnknown() const { return m_pCtrlSite ? m_pCtrlSite->m_pObject : nullptr; }

BOOL CWnd::OnControlEvent(UINT, DISPID, DISPPARAMS*) { return FALSE; }

void CWnd::InvokeHelper(DISPID dispid, WORD flags, VARTYPE returnType, void* result, const BYTE* paramInfo, ...) {
  if (!m_pCtrlSite || !m_pCtrlSite->m_pDispatch) return;
  std::vector<VARIANT> args;
  va_list list;
  va_start(list, paramInfo);
  for (const BYTE* p = paramInfo; p && *p; ++p) {
    VARIANT v;
    VariantInit(&v);
    switch (*p) {
      case 0x02: v.vt = VT_I2; v.iVal = static_cast<SHORT>(va_arg(list, int)); break;
      case 0x03: v.vt = VT_I4; v.lVal = va_arg(list, LONG); break;
      case 0x05: v.vt = VT_R8; v.dblVal = va_arg(list, double); break;
      case 0x08: v.vt = VT_BSTR; v.bstrVal = const_cast<BSTR>(va_arg(list, LPCOLESTR)); break;
      case 0x09: v.vt = VT_DISPATCH; v.pdispVal = va_arg(list, IDispatch*); break;
      case 0x0B: v.vt = VT_BOOL; v.boolVal = va_arg(list, BOOL) ? VARIANT_TRUE : VARIANT_FALSE; break;
      case 0x0C: v = *va_arg(list, const VARIANT*); break;
      case 0x4B: v.vt = VT_BOOL | VT_BYREF; v.pboolVal = va_arg(list, VARIANT_BOOL*); break;
      case 0x4C: v.vt = VT_VARIANT | VT_BYREF; v.pvarVal = va_arg(list, VARIANT*); break;
      default: va_end(list); return;  // a kind this helper cannot pass
    }
    args.push_back(v);
  }
  va_end(list);
  // The arguments are borrowed: the callee copies what it keeps.
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &named;
    params.cNamedArgs = 1;
  }
  VARIANT answer;
  VariantInit(&answer);
  HRESULT hr = m_pCtrlSite->m_pDispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                                returnType == VT_EMPTY ? nullptr : &answer, nullptr, nullptr);
  if (FAILED(hr) || !result || returnType == VT_EMPTY) {
    VariantClear(&answer);
    return;
  }
  switch (returnType) {
    case VT_VARIANT: {
      auto* out = static_cast<VARIANT*>(result);
      *out = answer;  // the caller owns it now
      return;
    }
    case VT_BSTR:
      *static_cast<CString*>(result) = answer.vt == VT_BSTR && answer.bstrVal ? CString(answer.bstrVal) : CString();
      break;
    case VT_BOOL:
      *static_cast<BOOL*>(result) = answer.vt == VT_BOOL ? answer.boolVal != 0 : answer.lVal != 0;
      break;
    case VT_I4: *static_cast<LONG*>(result) = answer.vt == VT_BOOL ? answer.boolVal : answer.lVal; break;
    case VT_I2: *static_cast<SHORT*>(result) = static_cast<SHORT>(answer.lVal); break;
    case VT_R8: *static_cast<double*>(result) = answer.vt == VT_R8 ? answer.dblVal : answer.lVal; break;
    case VT_DISPATCH:
      *static_cast<IDispatch**>(result) = answer.vt == VT_DISPATCH ? answer.pdispVal : nullptr;
      return;  // the reference goes to the caller
    default: break;
  }
  VariantClear(&answer);
}
