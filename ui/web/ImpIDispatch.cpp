#include "ui/web/ImpIDispatch.h"

namespace UI {

HRESULT CImpIDispatch::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT CImpIDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || !ids || count == 0) return E_INVALIDARG;
  // The first name decides; the first registration of it wins.
  const CString name(names[0] ? names[0] : L"");
  DISPID found = DISPID_UNKNOWN;
  for (size_t i = 0; i < m_handlers.size(); ++i) {
    if (m_handlers[i]->name == name) {
      found = static_cast<DISPID>(i);
      break;
    }
  }
  for (UINT i = 0; i < count; ++i) ids[i] = found;
  return found == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT CImpIDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                              EXCEPINFO*, UINT*) {
  if (id == DISPID_UNKNOWN) return S_OK;
  if ((flags & DISPATCH_PROPERTYGET) && result) {
    VariantClear(result);
    result->vt = VT_BOOL;
    result->boolVal = 1;
  }
  if (!(flags & DISPATCH_METHOD) || id < 0 || static_cast<size_t>(id) >= m_handlers.size()) return S_OK;
  m_handlers[static_cast<size_t>(id)]->handler(params, result);
  return S_OK;
}

int CImpIDispatch::RegisterHandler(CString name, InvokeHandler handler) {
  if (name.IsEmpty() || handler.empty()) return 0;
  m_handlers.push_back(std::make_unique<Entry>(Entry{name, handler}));
  return 1;
}

}  // namespace UI
